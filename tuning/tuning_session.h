// A tuning run on a regulator: checks that tuning makes sense, saves every
// register it will change, puts the board's on/off ("Algo") relay around
// the operating point with the operator's output limit, feeds the relay
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
    double relayOn = 0.2;             // |filtered error| that switches the relay on, deg C
    double relayOff = 0.05;           // |filtered error| that switches it off, deg C
    double linkLossSeconds = 2.0;     // no sample for this long: the link is lost
    int warmupCycles = 2;
    int measuredCycles = 5;
};

// The registers the run changes, in the order they are written back
// (the regulator flags last, so the mode changes once everything else is
// in place).
inline constexpr int kTuningRegisters[] = {0, 6, 14, 15, 13};

struct RegulatorSettings {
    float st1 = 0, kP = 0, kI = 0, kD = 0, maxPower = 0, deadBand = 0, ts = 0;
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
