#include "sim/fan_control.h"

#include <algorithm>
#include <cmath>

#include "sim/register_bank.h"

namespace sim {

namespace {

enum FanMode { Off = 0, AlwaysOn = 1, Cool = 2, Heat = 3, CoolAndHeat = 4, Algo = 5 };

constexpr double kSlewVoltsPerSecond = 24.0;
constexpr double kFullAirflowVolts = 48.0;

}  // namespace

void FanControl::reset()
{
    level_ = 0;
    voltage_ = 0.0;
}

double FanControl::airflow() const
{
    return std::clamp(voltage_ / kFullAirflowVolts, 0.0, 1.0);
}

void FanControl::step(const RegisterBank& bank, double sinkTemperature, double regulatorOutput,
                      double dt)
{
    const int m = fanModeRegister(fan_);
    const int mode = static_cast<int>(bank.word(m));
    const double setPoint = finiteOr(bank.value(m + 1), 20.0);
    const double deadBand = finiteOr(bank.value(m + 2), 8.0);
    const double lowHyst = finiteOr(bank.value(m + 3), 4.0);
    const double highHyst = finiteOr(bank.value(m + 4), 2.0);
    const double lowVolts = std::clamp(finiteOr(bank.value(m + 5), 12.0), 0.0, 60.0);
    const double highVolts = std::clamp(finiteOr(bank.value(m + 6), 48.0), 0.0, 60.0);

    // Temperature ladder with hysteresis on the heat sink.
    if (level_ == 0 && sinkTemperature > setPoint + lowHyst)
        level_ = 1;
    else if (level_ >= 1 && sinkTemperature < setPoint)
        level_ = 0;
    if (level_ == 1 && sinkTemperature > setPoint + deadBand)
        level_ = 2;
    else if (level_ == 2 && sinkTemperature < setPoint + deadBand - highHyst)
        level_ = 1;

    int wanted = 0;
    switch (mode) {
    case AlwaysOn: wanted = 2; break;
    case Cool: wanted = regulatorOutput < 0 ? std::max(1, level_) : 0; break;
    case Heat: wanted = regulatorOutput > 0 ? std::max(1, level_) : 0; break;
    case CoolAndHeat: wanted = regulatorOutput != 0 ? std::max(1, level_) : 0; break;
    case Algo: wanted = level_; break;
    default: wanted = 0; break;
    }
    const double target = wanted == 2 ? highVolts : wanted == 1 ? lowVolts : 0.0;
    const double maxStep = kSlewVoltsPerSecond * std::max(0.0, dt);
    voltage_ += std::clamp(target - voltage_, -maxStep, maxStep);
}

}  // namespace sim
