// RuntimeFanOut: decodes every runtime line and hands the results out, on
// the serial worker thread. Every valid sample gives a log row; at most one
// sample per refresh tick updates the graph, the lamps, the alarm text and
// the panel texts through the sink.
//
// The gates are driven from outside (the window's timers, a RuntimeTicker,
// or a test calling the tick functions), so the time source is the
// owner's.
#pragma once

#include <atomic>
#include <functional>
#include <mutex>

#include "runtime/alarm_latch.h"
#include "runtime/channel_table.h"
#include "runtime/runtime_sample.h"
#include "runtime/runtime_sink.h"

class RuntimeLog;

inline constexpr char kRuntimeDataInvalid[] = "error - runtime data invalid";
inline constexpr char kUnknownVersion[] = "<unkown>";
inline constexpr int kReceiveLampMs = 250;
inline constexpr int kAlarmLampMs = 500;
inline constexpr int kAlarmPageLampMs = 250;

class RuntimeFanOut {
public:
    // `log` may be null (no logging).
    explicit RuntimeFanOut(RuntimeSink& sink, RuntimeLog* log = nullptr);
    RuntimeFanOut(const RuntimeFanOut&) = delete;
    RuntimeFanOut& operator=(const RuntimeFanOut&) = delete;

    // Notification entry of the serial manager: only runtime lines (kind 1)
    // are processed.
    static constexpr int kRuntimeLineKind = 1;
    void onNotify(int kind, int length, const char* text);

    // Decodes one line; a valid one runs the fan-out. A malformed one
    // clears the panel and shows "error - runtime data invalid".
    bool decode(const char* text);

    // A sample read back from a log: shown as a live one would be (panel,
    // lamps, alarm text, graph, by the same gates) but never logged again.
    void replay(const RuntimeSample& sample);

    // Status and the twelve value fields to "--".
    void clearPanel();

    // Timer ticks (UI thread). Refresh: the next valid sample updates the
    // panel. Sample: returns the ticks without a sample so far. Lamp period
    // (500 ms): the receive lamp and the alarm page may flash again.
    void refreshTick() { refreshDue_.store(true); }
    int sampleTick() { return missedSampleTicks_.fetch_add(1) + 1; }
    void lampPeriodTick()
    {
        rxLampFlashed_.store(false);
        alarmPageGate_.store(false);
    }
    void resetMissedSampleTicks() { missedSampleTicks_.store(0); }

    bool refreshDue() const { return refreshDue_.load(); }
    int missedSampleTicks() const { return missedSampleTicks_.load(); }
    bool rxLampFlashed() const { return rxLampFlashed_.load(); }
    bool alarmPageGate() const { return alarmPageGate_.load(); }

    // Display settings (CELSIUS and the service mode flag).
    void setCelsius(bool celsius) { celsius_.store(celsius); }
    void setServiceMode(bool on) { serviceMode_.store(on); }
    bool celsius() const { return celsius_.load(); }
    bool serviceMode() const { return serviceMode_.load(); }

    // Port open and link up; without a probe the link counts as up.
    void setLinkProbe(std::function<bool()> probe);
    // Copies the ranges the graph values are scaled by.
    void setChannelTable(const ChannelTable& table);

    // A copy of the current sample (it keeps its values between lines).
    RuntimeSample sample() const;
    AlarmLatch& alarmLatch() { return alarms_; }
    // Clears the alarm latches (a decode of the all-clear word).
    void clearAlarms() { alarms_.clear(); }

    // The graph values of a sample with the current channel ranges.
    GraphValues graphValuesFor(const RuntimeSample& sample) const;

private:
    void fanOut(const RuntimeSample& sample, bool logged = true);

    RuntimeSink& sink_;
    RuntimeLog* log_;
    AlarmLatch alarms_;

    mutable std::mutex sampleMutex_;
    RuntimeSample sample_;

    mutable std::mutex settingsMutex_;
    ChannelTable channels_;
    std::function<bool()> linkProbe_;

    std::atomic<bool> refreshDue_{true};
    std::atomic<int> missedSampleTicks_{0};
    std::atomic<bool> rxLampFlashed_{false};
    std::atomic<bool> alarmPageGate_{false};
    std::atomic<bool> celsius_{true};
    std::atomic<bool> serviceMode_{false};
};
