#include "tuning/relay_experiment.h"

#include <algorithm>
#include <cmath>

#include "runtime/alarm_latch.h"
#include "tuning/c_text.h"

namespace tuning {

namespace {

// Bit 0 is the start-up delay; bits 14 and 15 carry no alarm. Bit 3,
// "Regulator overload", says the output stays at its limit: a relay does
// that by design, so it does not end the experiment.
constexpr std::uint32_t kOverloadBit = 0x8;
constexpr std::uint32_t kAlarmBits = ~(std::uint32_t{0x0000C001} | kOverloadBit);
// Cycles are told apart only where the error has swung past this level,
// or past three times its noise if that is more (deg C).
constexpr double kMinSwing = 0.01;
// Once the oscillation runs, the output staying on one side this many
// times the longest half cycle so far means it has stopped.
constexpr double kStallFactor = 4.0;

double longestHalfCycle(const std::vector<RelayCycle>& cycles)
{
    double longest = 0;
    for (const RelayCycle& c : cycles)
        longest = std::max({longest, c.heatingTime, c.coolingTime});
    return longest;
}

// Every argument is a number shown with a floating-point conversion.
template <typename... Args>
std::string format(const char* pattern, Args... args)
{
    return cText(pattern, static_cast<double>(args)...);
}

}  // namespace

std::string progressText(const ExperimentProgress& p)
{
    if (p.warmingUp)
        return format("waiting for the oscillation (%.0f s)", p.seconds);
    return cText("cycle %d of %d, period %.1f s, amplitude %.2f \xC2\xB0" "C", p.cycle, p.cycles, p.period,
                 p.amplitude);
}

RelayExperiment::RelayExperiment(ExperimentConfig config) : config_(config)
{
    progress_.cycles = config_.measuredCycles;
}

void RelayExperiment::abort(StopReason reason, std::string message)
{
    if (state_ == ExperimentState::Running)
        fail(reason, std::move(message));
}

void RelayExperiment::fail(StopReason reason, std::string message)
{
    state_ = ExperimentState::Failed;
    reason_ = reason;
    message_ = std::move(message);
}

ExperimentState RelayExperiment::feed(const RuntimeSample& s)
{
    if (state_ != ExperimentState::Running)
        return state_;
    if (!firstCount_) {
        firstCount_ = s.gTsCnt;
        lastCount_ = s.gTsCnt;
    }
    const std::uint32_t step = s.gTsCnt - lastCount_;
    if (step > 0x80000000u) {
        fail(StopReason::Restarted, "the regulator restarted (its sample counter went back)");
        return state_;
    }
    lastCount_ = s.gTsCnt;
    const double seconds = static_cast<double>(s.gTsCnt - *firstCount_) * config_.ts;
    progress_.seconds = seconds;

    if (s.g_error & kAlarmBits) {
        const std::uint32_t w = s.g_error & ~kOverloadBit;
        fail(StopReason::Alarm,
             "the regulator raised an alarm: "
                 + alarmText(w, static_cast<std::uint16_t>(w & 0xFFFF),
                             static_cast<std::uint16_t>(w >> 16)));
        return state_;
    }
    const double tr1 = s.frTa;
    if (!std::isfinite(tr1) || std::fabs(tr1 - config_.operatingPoint) > config_.band) {
        fail(StopReason::LeftBand,
             format("Tr1 (%.2f \xC2\xB0" "C) left the band of \xC2\xB1%.1f \xC2\xB0"
                    "C around the operating point %.2f \xC2\xB0" "C",
                    tr1, config_.band, config_.operatingPoint));
        return state_;
    }
    points_.push_back({seconds, s.frTe, s.fgTc});
    noteNoise(s.frTe);
    // Cycles complete only where the output turns to heating.
    if (s.fgTc > 0.5 && lastOutput_ <= 0.5)
        onCyclesChanged();
    lastOutput_ = s.fgTc;
    const int side = s.fgTc > 0.5 ? 1 : s.fgTc < -0.5 ? -1 : 0;
    if (side != 0 && side != outputSide_) {
        outputSide_ = side;
        sideSince_ = seconds;
    }
    if (state_ == ExperimentState::Running && cycles_.size() >= 2
        && seconds - sideSince_ > kStallFactor * longestHalfCycle(cycles_)) {
        fail(StopReason::Stalled,
             std::string("the oscillation stopped: the output has ")
                 + (outputSide_ > 0 ? "heated" : "cooled")
                 + format(" at its limit for %.0f s and Tr1 does not return to the operating "
                          "point (the load runs away, or the output limit is too small for it)",
                          seconds - sideSince_));
        return state_;
    }
    if (state_ == ExperimentState::Running && seconds > config_.timeLimit) {
        if (cycles_.empty())
            fail(StopReason::NoOscillation,
                 format("no oscillation within the time limit of %.0f s: the output limit may be "
                        "too small or the dead band too wide",
                        config_.timeLimit));
        else
            fail(StopReason::TimeLimit,
                 format("time limit of %.0f s reached after %.0f cycles", config_.timeLimit,
                        static_cast<double>(cycles_.size())));
    }
    return state_;
}

// The noise of the error from its second differences, which a slow
// oscillation hardly moves: sigma^2 = E[(e0 - 2 e1 + e2)^2] / 6.
void RelayExperiment::noteNoise(double error)
{
    if (!std::isfinite(error))
        return;
    if (recentErrors_ >= 2) {
        const double d2 = error - 2 * previousErrors_[1] + previousErrors_[0];
        noiseSum_ += d2 * d2 / 6.0;
        ++noiseCount_;
    }
    previousErrors_[0] = previousErrors_[1];
    previousErrors_[1] = error;
    ++recentErrors_;
}

double RelayExperiment::swingLevel() const
{
    const double sigma = noiseCount_ > 0 ? std::sqrt(noiseSum_ / noiseCount_) : 0.0;
    return std::max(kMinSwing, 3 * sigma);
}

void RelayExperiment::onCyclesChanged()
{
    cycles_ = relayCycles(points_, swingLevel());
    if (cycles_.empty())
        return;
    const int done = static_cast<int>(cycles_.size()) - config_.warmupCycles;
    progress_.warmingUp = done <= 0;
    progress_.cycle = done > 0 ? done : 0;
    progress_.period = cycles_.back().period;
    progress_.amplitude = cycles_.back().amplitude();
    if (done < config_.measuredCycles)
        return;
    const std::vector<RelayCycle> measured(cycles_.begin() + config_.warmupCycles, cycles_.end());
    IdentificationResult r = identifyUltimate(measured, config_.limits);
    if (!r.figures) {
        fail(StopReason::Irregular, r.error);
        return;
    }
    figures_ = r.figures;
    state_ = ExperimentState::Finished;
}

}  // namespace tuning
