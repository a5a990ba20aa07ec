#include "runtime/runtime_fan_out.h"

#include "runtime/panel_texts.h"
#include "runtime/runtime_decoder.h"
#include "runtime/runtime_log.h"

RuntimeFanOut::RuntimeFanOut(RuntimeSink& sink, RuntimeLog* log) : sink_(sink), log_(log) {}

void RuntimeFanOut::onNotify(int kind, int /*length*/, const char* text)
{
    if (kind == kRuntimeLineKind) decode(text);
}

bool RuntimeFanOut::decode(const char* text)
{
    RuntimeSample sample;
    bool valid;
    {
        std::lock_guard lock(sampleMutex_);
        valid = decodeRuntimeLine(text, sample_).has_value();
        sample = sample_;
    }
    if (!valid) {
        clearPanel();
        sink_.statusText(kRuntimeDataInvalid);
        return false;
    }
    if (!rxLampFlashed_.exchange(true)) sink_.lampFlash(PanelLamp::Receive, kReceiveLampMs);
    fanOut(sample);
    return true;
}

void RuntimeFanOut::replay(const RuntimeSample& sample)
{
    {
        std::lock_guard lock(sampleMutex_);
        sample_ = sample;
    }
    if (!rxLampFlashed_.exchange(true)) sink_.lampFlash(PanelLamp::Receive, kReceiveLampMs);
    fanOut(sample, false);
}

void RuntimeFanOut::fanOut(const RuntimeSample& sample, bool logged)
{
    if (logged && log_) log_->writeRow(sample);
    if (!refreshDue_.exchange(false)) return;

    if (missedSampleTicks_.exchange(0) > 0) sink_.graphValues(graphValuesFor(sample));

    if (sample.g_error & ~1u) sink_.lampFlash(PanelLamp::Alarm, kAlarmLampMs);

    const std::string alarm = alarms_.decode(sample.g_error);
    if (sink_.hasAlarmPage() && !alarmPageGate_.exchange(true))
        sink_.alarmPageLamps(alarms_.lamps(), kAlarmPageLampMs);
    sink_.alarmText(alarm);
    sink_.statusText(alarm + "\n");

    const PanelTexts texts = formatPanelTexts(sample, celsius(), serviceMode());
    for (int i = 0; i < texts.count; ++i)
        sink_.panelText(static_cast<PanelField>(i), texts.fields[i]);

    bool linkUp = true;
    {
        std::lock_guard lock(settingsMutex_);
        if (linkProbe_) linkUp = linkProbe_();
    }
    if (!linkUp) sink_.versionText(kUnknownVersion);
}

void RuntimeFanOut::clearPanel()
{
    sink_.statusText("--");
    for (int i = 0; i < kClearedPanelFields; ++i) sink_.panelText(static_cast<PanelField>(i), "--");
}

void RuntimeFanOut::setLinkProbe(std::function<bool()> probe)
{
    std::lock_guard lock(settingsMutex_);
    linkProbe_ = std::move(probe);
}

void RuntimeFanOut::setChannelTable(const ChannelTable& table)
{
    std::lock_guard lock(settingsMutex_);
    for (int i = 0; i < kGraphChannelCount; ++i) channels_[i] = table[i];
}

RuntimeSample RuntimeFanOut::sample() const
{
    std::lock_guard lock(sampleMutex_);
    return sample_;
}

GraphValues RuntimeFanOut::graphValuesFor(const RuntimeSample& s) const
{
    const float sources[kGraphChannelCount] = {
        s.fgTc, s.fgTa1, s.fgTa2,  s.fgTa3,  s.fgTa4,  s.frTa,   s.fgTr,
        s.fgTrExt, s.frTp, s.frTi, s.frTd, s.frTLPr, s.frTe, s.fgF1Tc,
        s.fgF2Tc, s.g_vin, s.g_curr, s.F1_curr, s.F2_curr};
    GraphValues values{};
    std::lock_guard lock(settingsMutex_);
    for (int i = 0; i < kGraphChannelCount; ++i) {
        // A channel without a range draws at the middle line.
        const bool noRange = channels_[i].min == channels_[i].max;
        values[i] = noRange ? 0.0f : channels_.scaled(i, sources[i]);
    }
    return values;
}
