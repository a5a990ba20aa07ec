#include "tuning/relay_experiment.h"

#include <cmath>

#include "runtime/alarm_latch.h"
#include "tuning/c_text.h"

namespace tuning {

namespace {

// Bit 0 is the start-up delay; bits 14 and 15 carry no alarm.
constexpr std::uint32_t kAlarmBits = ~std::uint32_t{0x0000C001};

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
        const std::uint32_t w = s.g_error;
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
    // Cycles complete only where the output turns to heating.
    if (s.fgTc > 0.5 && lastOutput_ <= 0.5)
        onCyclesChanged();
    lastOutput_ = s.fgTc;
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

void RelayExperiment::onCyclesChanged()
{
    cycles_ = relayCycles(points_);
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
