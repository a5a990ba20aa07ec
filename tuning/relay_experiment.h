// The relay experiment as a small state machine fed by runtime samples: it
// watches the board's output swing between its limits around the operating
// point,
// cuts the record into cycles, guards the band, the alarms, the time limit
// and the sample counter, and identifies the loop once enough cycles are in.
// It sends nothing: the session sets the regulator up and feeds it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "runtime/runtime_sample.h"
#include "tuning/relay_identification.h"

namespace tuning {

struct ExperimentConfig {
    double operatingPoint = 20.0;  // deg C
    double band = 10.0;            // Tr1 must stay within operatingPoint +- band
    double timeLimit = 600.0;      // seconds of regulator time
    double ts = 0.05;              // the regulator's sample time (register 9)
    int warmupCycles = 2;          // cycles left out of the identification
    int measuredCycles = 5;
    IdentificationLimits limits;
};

enum class ExperimentState { Running, Finished, Failed };

enum class StopReason {
    None,
    LeftBand,       // Tr1 left the operator's band
    Alarm,          // an alarm bit was set in the status word
    TimeLimit,      // no result within the time limit
    NoOscillation,  // the time limit passed without a single cycle
    Stalled,        // the output stayed on one side far longer than a half cycle
    Irregular,      // the cycles did not give usable figures
    Restarted,      // the sample counter went back: the regulator rebooted
    LinkLost,       // set by the session: no samples
    Cancelled,      // set by the session: the operator cancelled
};

struct ExperimentProgress {
    int cycle = 0;           // measured cycles completed
    int cycles = 0;          // measured cycles wanted
    double period = 0;       // of the last cycle, s
    double amplitude = 0;    // of the last cycle, deg C
    double seconds = 0;      // regulator time since the first sample
    bool warmingUp = true;
};

// "cycle 3 of 5, period 42.0 s, amplitude 0.80 °C"; "waiting for the
// oscillation (12 s)" before the measured cycles.
std::string progressText(const ExperimentProgress& progress);

class RelayExperiment {
public:
    explicit RelayExperiment(ExperimentConfig config);

    // One sample; returns the state after it. Samples after the end are ignored.
    ExperimentState feed(const RuntimeSample& sample);
    // Ends the run from outside (link lost, cancelled).
    void abort(StopReason reason, std::string message);

    ExperimentState state() const { return state_; }
    StopReason reason() const { return reason_; }
    const std::string& message() const { return message_; }
    const ExperimentProgress& progress() const { return progress_; }
    const std::vector<RelayCycle>& cycles() const { return cycles_; }
    const std::optional<UltimateFigures>& figures() const { return figures_; }
    const ExperimentConfig& config() const { return config_; }

private:
    void fail(StopReason reason, std::string message);
    void onCyclesChanged();
    void noteNoise(double error);
    double swingLevel() const;

    ExperimentConfig config_;
    ExperimentState state_ = ExperimentState::Running;
    StopReason reason_ = StopReason::None;
    std::string message_;
    ExperimentProgress progress_;
    std::vector<RelayPoint> points_;
    std::vector<RelayCycle> cycles_;
    std::optional<UltimateFigures> figures_;
    std::optional<std::uint32_t> firstCount_;
    std::uint32_t lastCount_ = 0;
    double lastOutput_ = 0;
    int outputSide_ = 0;
    double sideSince_ = 0;
    double previousErrors_[2] = {0, 0};
    long recentErrors_ = 0;
    double noiseSum_ = 0;
    long noiseCount_ = 0;
};

}  // namespace tuning
