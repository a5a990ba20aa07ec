#include "tuning/tuning_session.h"

#include <algorithm>
#include <bit>
#include <chrono>
#include <cmath>
#include <cstdio>

#include "link/serial_manager.h"
#include "runtime/alarm_latch.h"
#include "tuning/c_text.h"

namespace tuning {

namespace {

constexpr std::uint32_t kModeMask = 0x0F;
constexpr std::uint32_t kTrExternal = 0x10;
constexpr std::uint32_t kLoopMode = 0x100;
constexpr std::uint32_t kModeOff = 0, kModePower = 1, kModeP = 3, kModePid = 6;
constexpr std::uint32_t kRunningFlag = 0x01;   // fgtFLAG: the regulator runs
constexpr std::uint32_t kAnyAlarmBits = ~std::uint32_t{0x0000C001};
constexpr double kDefaultRelayLimit = 40.0;
constexpr int kRestoreAttempts = 3;

std::string text(const char* format, double a = 0, double b = 0)
{
    return cText(format, a, b);
}

std::string linkError(int code)
{
    return std::string("error ") + std::to_string(code) + " [" + resultText(code) + "]";
}

const char* registerName(int reg)
{
    switch (reg) {
    case 0: return "St1";
    case 1: return "kP";
    case 4: return "kTr";
    case 6: return "Max power out";
    case 13: return "regulator flags";
    default: return "register";
    }
}

// Saved register contents: floats as their bit patterns, so that what is
// written back is exactly what was read.
struct Saved {
    int reg = 0;
    bool isFloat = true;
    std::uint32_t bits = 0;
};

int readSaved(RegisterIo& io, Saved& s)
{
    if (!s.isFloat)
        return io.readRegisterUnsigned(s.reg, s.bits);
    float v = 0;
    const int rc = io.readRegister(s.reg, v, true);
    s.bits = std::bit_cast<std::uint32_t>(v);
    return rc;
}

int writeSaved(RegisterIo& io, const Saved& s)
{
    return s.isFloat ? io.writeRegister(s.reg, std::bit_cast<float>(s.bits), true)
                     : io.writeRegisterUnsigned(s.reg, s.bits);
}

// Writes every saved register back, retrying, then reads each back.
bool restore(RegisterIo& io, const std::vector<Saved>& saved, std::string& message)
{
    std::string failed;
    for (const Saved& s : saved) {
        int rc = -1;
        for (int attempt = 0; attempt < kRestoreAttempts && rc != 0; ++attempt)
            rc = writeSaved(io, s);
        Saved now = s;
        int read = -1;
        for (int attempt = 0; attempt < kRestoreAttempts && read != 0; ++attempt)
            read = readSaved(io, now);
        if (rc != 0 || read != 0 || now.bits != s.bits) {
            failed += failed.empty() ? "" : ", ";
            failed += std::to_string(s.reg) + " (" + registerName(s.reg) + ")";
            if (rc != 0 || read != 0)
                failed += ": " + linkError(rc != 0 ? rc : read);
        }
    }
    message = failed.empty() ? "registers restored and verified"
                             : "registers NOT restored: " + failed
                                   + "; check the regulator before using it";
    return failed.empty();
}

std::optional<RuntimeSample> firstSample(TuningLink& link, double seconds)
{
    link.dropSamples();
    if (link.startStream() != 0)
        return std::nullopt;
    return link.nextSample(seconds);
}

// The board's error filter (factor ts / kTe per sample) applied to the
// actual value, stepped by the sample counter so that samples lost while
// St1 is written count as they should.
class ErrorFilter {
public:
    ErrorFilter(double ts, double kTe) : factor_(kTe > ts ? ts / kTe : 1.0) {}
    double feed(double value, std::uint32_t count)
    {
        if (!primed_) {
            primed_ = true;
            y_ = value;
        } else {
            const std::uint32_t steps = std::min<std::uint32_t>(count - count_, 1000);
            y_ += (1.0 - std::pow(1.0 - factor_, static_cast<double>(steps))) * (value - y_);
        }
        count_ = count;
        return y_;
    }

private:
    double factor_;
    double y_ = 0;
    std::uint32_t count_ = 0;
    bool primed_ = false;
};

TuningOutcome refuse(TuningOutcome o, std::string why)
{
    o.status = TuningStatus::Refused;
    o.message = "auto-tune refused: " + why;
    return o;
}

}  // namespace

int readRegulatorSettings(RegisterIo& io, RegulatorSettings& out, int& failedRegister)
{
    struct F { int reg; float* to; };
    const F floats[] = {{0, &out.st1},      {1, &out.kP},           {2, &out.kI},
                        {3, &out.kD},       {4, &out.kTr},          {5, &out.kTe},
                        {6, &out.maxPower}, {7, &out.deadBand},
                        {9, &out.ts},       {10, &out.coolGain},    {11, &out.heatGain},
                        {14, &out.algoDeadBand}, {15, &out.algoHysteresis}};
    for (const F& f : floats) {
        if (const int rc = io.readRegister(f.reg, *f.to, true); rc != 0) {
            failedRegister = f.reg;
            return rc;
        }
    }
    if (const int rc = io.readRegisterUnsigned(13, out.flags); rc != 0) {
        failedRegister = 13;
        return rc;
    }
    return 0;
}

TuningOutcome runTuning(RegisterIo& io, TuningLink& link, const TuningRequest& request,
                        const ProgressFn& progress, const std::atomic<bool>* cancel)
{
    TuningOutcome o;
    if (!link.isOpen())
        return refuse(o, "no link to the regulator (open its port first)");
    link.stopStream();
    int failedRegister = 0;
    if (const int rc = readRegulatorSettings(io, o.before, failedRegister); rc != 0)
        return refuse(o, "reading register " + std::to_string(failedRegister) + " failed: "
                             + linkError(rc));
    const RegulatorSettings& b = o.before;
    const std::uint32_t mode = b.flags & kModeMask;
    if (b.flags & kTrExternal)
        return refuse(o, "the external set point (\"Tr external selected\") is chosen: the "
                         "regulator does not follow St1");
    if (mode > kModePid)
        return refuse(o, "the regulator mode " + std::to_string(mode) + " is unknown");
    if (!request.setPoint && mode == kModeOff)
        return refuse(o, "the regulator mode is Off and no operating point was given");
    if (!request.setPoint && mode == kModePower)
        return refuse(o, "in Power mode St1 is an output power, not a temperature: give the "
                         "operating point");
    if (!(b.ts > 0 && b.ts <= 10))
        return refuse(o, text("the regulator's sampling time ts (%g s) is not usable", b.ts));
    o.operatingPoint = request.setPoint.value_or(b.st1);
    const double limit = request.maxPower.value_or(std::min<double>(b.maxPower, kDefaultRelayLimit));
    o.outputLimit = limit;
    if (!std::isfinite(o.operatingPoint))
        return refuse(o, "the operating point is not a number");
    if (!(limit > 0) || limit > b.maxPower)
        return refuse(o, text("the output limit %.1f %% is not within the regulator's \"Max "
                              "power out\" (%.1f %%)",
                              limit, b.maxPower));
    if (limit <= b.deadBand)
        return refuse(o, text("the output limit %.1f %% lies inside the output \"Dead-band\" "
                              "(%.1f %%): the relay could not switch",
                              limit, b.deadBand));
    if (!(request.band > 0) || !(request.timeLimit > 0) || !(request.proportionalBand > 0)
        || !(request.hysteresis > 0))
        return refuse(o, "the band, the time limit, the proportional band and the hysteresis "
                         "must be positive");

    const std::optional<RuntimeSample> first = firstSample(link, request.linkLossSeconds);
    link.stopStream();
    if (!first)
        return refuse(o, "no runtime samples from the regulator (link lost?)");
    if (first->g_error & kAnyAlarmBits) {
        const std::uint32_t w = first->g_error;
        return refuse(o, "the regulator reports an alarm: "
                             + alarmText(w, static_cast<std::uint16_t>(w & 0xFFFF),
                                         static_cast<std::uint16_t>(w >> 16)));
    }
    if (std::fabs(first->frTa - o.operatingPoint) > request.band)
        return refuse(o, text("Tr1 (%.2f \xC2\xB0" "C) is outside the band around the operating "
                              "point (%.2f \xC2\xB0" "C)",
                              first->frTa, o.operatingPoint));
    const bool wasRunning = (first->fgtFLAG & kRunningFlag) != 0;

    // Save, then set up the relay.
    std::vector<Saved> saved;
    for (int reg : kTuningRegisters)
        saved.push_back({reg, reg != 13, 0});
    for (Saved& s : saved)
        if (const int rc = readSaved(io, s); rc != 0)
            return refuse(o, "reading register " + std::to_string(s.reg) + " failed: "
                                 + linkError(rc));
    o.changedRegulator = true;
    // P = kP x Te, limited by Max power out: with this gain the board itself
    // switches between the two limits as the filtered error changes sign.
    const std::uint32_t relayFlags = (b.flags & ~(kModeMask | kLoopMode)) | kModeP;
    // St1 sits beyond the operating point on the side the output drives
    // toward, and moves across when the output reverses: the board switches
    // only once the load has passed the operating point by the hysteresis.
    // The set-point filter is opened (kTr = ts) so St1 moves at once; it is
    // not in the loop the experiment measures.
    const double relayGain = std::min(kMaxRelayGain, limit / request.proportionalBand);
    int side = first->frTa < o.operatingPoint ? 1 : -1;
    auto relaySetPoint = [&] { return static_cast<float>(o.operatingPoint + side * request.hysteresis); };
    int rc = io.writeRegister(0, relaySetPoint(), true);
    if (rc == 0) rc = io.writeRegister(1, static_cast<float>(relayGain), true);
    if (rc == 0) rc = io.writeRegister(4, b.ts, true);
    if (rc == 0) rc = io.writeRegister(6, static_cast<float>(limit), true);
    if (rc == 0) rc = io.writeRegisterUnsigned(13, relayFlags);
    if (rc == 0 && !wasRunning) rc = link.startRegulator();

    ExperimentConfig config;
    config.operatingPoint = o.operatingPoint;
    config.band = request.band;
    config.timeLimit = request.timeLimit;
    config.ts = b.ts;
    config.warmupCycles = request.warmupCycles;
    config.measuredCycles = request.measuredCycles;
    RelayExperiment experiment(config);
    if (rc != 0) {
        experiment.abort(StopReason::LinkLost, "setting up the experiment failed: " + linkError(rc));
    } else {
        link.dropSamples();
        if (const int s = link.startStream(); s != 0)
            experiment.abort(StopReason::LinkLost, "starting the runtime stream failed: " + linkError(s));
    }
    ErrorFilter actual(b.ts, b.kTe);
    using Clock = std::chrono::steady_clock;
    auto lastSample = Clock::now();
    int shownCycle = -1;
    auto shown = Clock::now() - std::chrono::seconds(10);
    while (experiment.state() == ExperimentState::Running) {
        if (cancel && cancel->load()) {
            experiment.abort(StopReason::Cancelled, "cancelled by the operator");
            break;
        }
        const std::optional<RuntimeSample> s = link.nextSample(0.1);
        if (!s) {
            const double silent = std::chrono::duration<double>(Clock::now() - lastSample).count();
            if (silent > request.linkLossSeconds || !link.isOpen())
                experiment.abort(StopReason::LinkLost,
                                 text("the link was lost: no runtime sample for %.1f s", silent));
            continue;
        }
        lastSample = Clock::now();
        // The relay's input is the filtered actual value against the
        // operating point, not the board's error against the moving St1.
        RuntimeSample fed = *s;
        fed.frTe = static_cast<float>(o.operatingPoint - actual.feed(s->frTa, s->gTsCnt));
        const int outputSide = s->fgTc > 0.5f ? 1 : s->fgTc < -0.5f ? -1 : 0;
        if (outputSide == -side) {
            side = outputSide;
            link.stopStream();
            const int w = io.writeRegister(0, relaySetPoint(), true);
            const int st = w == 0 ? link.startStream() : 0;
            if (w != 0 || st != 0) {
                experiment.abort(StopReason::LinkLost,
                                 "writing St1 during the experiment failed: " + linkError(w != 0 ? w : st));
                break;
            }
        }
        experiment.feed(fed);
        const ExperimentProgress& p = experiment.progress();
        if (progress && (p.cycle != shownCycle || Clock::now() - shown > std::chrono::seconds(5))) {
            shownCycle = p.cycle;
            shown = Clock::now();
            progress(p);
        }
    }
    link.stopStream();
    if (!wasRunning)
        link.stopRegulator();
    o.experimentSeconds = experiment.progress().seconds;
    o.restored = restore(io, saved, o.restoreMessage);

    if (experiment.state() == ExperimentState::Finished) {
        o.status = TuningStatus::Finished;
        o.figures = experiment.figures();
        const double gain = 0.5 * (std::fabs(b.heatGain) + std::fabs(b.coolGain));
        o.proposed = pidConstants(*o.figures, request.rule, b.ts, gain);
        o.message = "auto-tune finished";
    } else {
        o.status = TuningStatus::Aborted;
        o.reason = experiment.reason();
        o.message = "auto-tune stopped: " + experiment.message();
    }
    return o;
}

}  // namespace tuning
