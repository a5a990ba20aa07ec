// A tuning run on a regulator: checks that tuning makes sense, saves every
// register it will change, makes the board a relay around the operating
// point (P mode with a gain so high that the output sits at plus or minus
// the operator's limit but for a few hundredths of a degree, and St1 moved
// to the far side of the operating point each time the output reverses,
// which gives the relay its hysteresis), feeds the relay
// experiment with the live samples, and always writes the saved registers
// back and verifies them, whether the run finished, failed, was cancelled
// or lost the link. It never saves to FLASH.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "params/register_transfer.h"
#include "tuning/relay_experiment.h"
#include "tuning/tuning_link.h"
#include "tuning/tuning_rules.h"

namespace tuning {

struct TuningRequest {
    std::optional<double> setPoint;   // operating point, deg C (default: St1)
    std::optional<double> maxPower;   // relay amplitude, % (default: Max power out, at most 40)
    double band = 10.0;               // deg C around the operating point
    double timeLimit = 600.0;         // seconds of the experiment
    TuningRule rule = TuningRule::Gentle;   // meets 10 % overshoot on every load tried
    double proportionalBand = 0.02;   // deg C of error that take the relay from 0 to the limit
    double hysteresis = 0.1;          // deg C: St1 sits this far beyond the operating point
    double linkLossSeconds = 2.0;     // no sample for this long: the link is lost
    int warmupCycles = 2;
    int measuredCycles = 5;
};

// The registers the run changes (St1, kP, kTr, Max power out, the
// regulator flags), in the order they are written back: the flags last, so
// the mode changes once everything else is in place.
inline constexpr int kTuningRegisters[] = {0, 1, 4, 6, 13};

// The largest kP a board takes (the field's range).
inline constexpr double kMaxRelayGain = 10000.0;

struct RegulatorSettings {
    float st1 = 0, kP = 0, kI = 0, kD = 0, kTr = 0, kTe = 0, maxPower = 0, deadBand = 0, ts = 0;
    float coolGain = 1, heatGain = 1, algoDeadBand = 0, algoHysteresis = 0;
    std::uint32_t flags = 0;
};

enum class TuningStatus {
    Finished,  // figures and constants found
    Refused,   // nothing was changed on the regulator
    Aborted,   // the experiment stopped before a result (see `reason`)
};

struct TuningOutcome {
    TuningStatus status = TuningStatus::Refused;
    StopReason reason = StopReason::None;
    std::string message;          // why it was refused or aborted; the result line otherwise
    RegulatorSettings before;     // as read before the run
    double operatingPoint = 0;
    double outputLimit = 0;
    std::optional<UltimateFigures> figures;
    PidConstants proposed;
    double experimentSeconds = 0;
    bool changedRegulator = false;    // registers were written
    bool restored = true;             // every saved register reads back as it was
    std::string restoreMessage;       // "" when nothing had to be restored

    bool ok() const { return status == TuningStatus::Finished && restored; }
};

using ProgressFn = std::function<void(const ExperimentProgress&)>;

// `cancel` (may be null) is polled between samples, from any thread.
TuningOutcome runTuning(RegisterIo& io, TuningLink& link, const TuningRequest& request,
                        const ProgressFn& progress = {}, const std::atomic<bool>* cancel = nullptr);

// Reads the registers the run uses (IEEE hex form); 0 or the first failing code.
int readRegulatorSettings(RegisterIo& io, RegulatorSettings& out, int& failedRegister);

}  // namespace tuning
