#include "sim/regulator.h"

#include <algorithm>
#include <cmath>

#include "sim/register_bank.h"

namespace sim {

namespace {

enum Mode { Off = 0, Power = 1, Algo = 2, P = 3, PI = 4, PD = 5, PID = 6 };

constexpr std::uint32_t kTrExternal = 0x10;
constexpr std::uint32_t kLoopMode = 0x100;
constexpr double kOverloadSeconds = 30.0;
constexpr float kExternalDegreesPerVolt = 10.0f;

float filterFactor(float ts, float constant)
{
    if (!(constant > ts))
        return 1.0f;
    return ts / constant;
}

}  // namespace

void Regulator::reset(float actual)
{
    t_ = RegulatorTerms{};
    t_.actual = actual;
    previousError_ = 0;
    algoOn_ = false;
    loopCount_ = 0;
    saturatedFor_ = 0;
    primed_ = false;
}

void Regulator::step(const RegisterBank& bank, float actual, float externalVoltage, bool running,
                     double dt)
{
    const std::uint32_t flags = bank.word(reg::RegulatorFlags);
    const int mode = static_cast<int>(flags & 0x0F);
    const float ts = std::clamp(finiteOr(bank.value(reg::Ts), 0.05f), 0.001f, 10.0f);

    // Set point: loop mode alternates St1 for loopHighCount samples and St2
    // for loopLowCount samples.
    float setPoint = bank.value(reg::St1);
    t_.loopLowPhase = false;
    if (flags & kLoopMode) {
        const std::uint32_t high = bank.word(reg::LoopHighCount);
        const std::uint32_t low = bank.word(reg::LoopLowCount);
        const std::uint64_t period = std::uint64_t{high} + low;
        if (period > 0) {
            loopCount_ = static_cast<std::uint32_t>((loopCount_ + 1) % period);
            t_.loopLowPhase = loopCount_ >= high;
            if (t_.loopLowPhase)
                setPoint = bank.value(reg::St2);
        }
    }
    if (flags & kTrExternal)
        setPoint = externalVoltage * kExternalDegreesPerVolt;
    setPoint = finiteOr(setPoint, 0.0f);
    t_.setPoint = setPoint;
    t_.actual = actual;

    if (!primed_) {
        t_.filteredSetPoint = actual;
        primed_ = true;
    }
    t_.filteredSetPoint += filterFactor(ts, bank.value(reg::KTr)) * (setPoint - t_.filteredSetPoint);
    const float rawError = t_.filteredSetPoint - actual;
    t_.error += filterFactor(ts, bank.value(reg::KTe)) * (rawError - t_.error);
    t_.error = finiteOr(t_.error, 0.0f);

    const float kP = finiteOr(bank.value(reg::KP), 0.0f);
    const float kI = finiteOr(bank.value(reg::KI), 0.0f);
    const float kD = finiteOr(bank.value(reg::KD), 0.0f);
    const float iLimit = std::fabs(finiteOr(bank.value(reg::IntegralLimit), 100.0f));
    const float maxPower = std::clamp(finiteOr(bank.value(reg::MaxPower), 100.0f), 0.0f, 100.0f);

    t_.p = kP * t_.error;
    t_.d = kD / ts * (t_.error - previousError_);
    previousError_ = t_.error;
    const bool usesIntegral = mode == PI || mode == PID;
    if (running && usesIntegral) {
        t_.i = std::clamp(t_.i + kI * ts * t_.error, -iLimit, iLimit);
    } else {
        // Stopped (or no integral in this mode): the integral decays away.
        const float decay = std::clamp(finiteOr(bank.value(reg::Decay), 0.1f), 0.0f, 1.0f);
        t_.i -= t_.i * decay * static_cast<float>(dt);
    }
    t_.i = finiteOr(t_.i, 0.0f);

    float out = 0;
    switch (mode) {
    case Power:
        out = setPoint;  // St1 is the output power in %
        break;
    case Algo: {
        const float band = bank.value(reg::AlgoDeadBand);
        const float hyst = bank.value(reg::AlgoHysteresis);
        const float e = std::fabs(t_.error);
        if (e >= band)
            algoOn_ = true;
        else if (e <= band - hyst)
            algoOn_ = false;
        out = algoOn_ ? std::copysign(maxPower, t_.error) : 0.0f;
        break;
    }
    case P: out = t_.p; break;
    case PI: out = t_.p + t_.i; break;
    case PD: out = t_.p + t_.d; break;
    case PID: out = t_.p + t_.i + t_.d; break;
    default: out = 0; break;
    }
    out = finiteOr(out, 0.0f);
    if (mode != Power && std::fabs(out) < bank.value(reg::DeadBand))
        out = 0;
    out *= out < 0 ? finiteOr(bank.value(reg::CoolGain), 1.0f)
                   : finiteOr(bank.value(reg::HeatGain), 1.0f);
    out = std::clamp(out, -maxPower, maxPower);
    if (!running) {
        out = 0;
        t_.p = 0;
        t_.d = 0;
    }
    t_.output = out;

    const bool saturated = running && mode >= P && mode <= PID && maxPower > 0
                           && std::fabs(out) >= maxPower;
    saturatedFor_ = saturated ? saturatedFor_ + dt : 0.0;
    t_.overload = saturatedFor_ > kOverloadSeconds;
}

}  // namespace sim
