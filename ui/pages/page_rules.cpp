#include "ui/pages/page_rules.h"

#include <initializer_list>
#include <iterator>

#include "params/parameter_fields.h"

namespace {

enum : std::uint32_t { Off, Power, Algo, P, PI, PD, PID };

bool oneOf(std::uint32_t mode, std::initializer_list<std::uint32_t> modes) {
    for (std::uint32_t m : modes)
        if (m == mode) return true;
    return false;
}

}  // namespace

bool RegulatorFieldUsed(std::string_view name, std::uint32_t mode, bool loopOn) {
    // The set point, the sample time and the loop switch belong to every mode.
    if (name == "st1" || name == "ts" || name == "loopTime") return true;
    if (name == "st2" || name == "loopHighCount" || name == "loopLowCount") return loopOn;
    if (name == "kP" || name == "deadBand" || name == "coolGain" || name == "heatGain")
        return oneOf(mode, {P, PI, PD, PID});
    if (name == "kI" || name == "integralLimit" || name == "decay") return oneOf(mode, {PI, PID});
    if (name == "kD") return oneOf(mode, {PD, PID});
    if (name == "kTr" || name == "kTe") return oneOf(mode, {Algo, P, PI, PD, PID});
    if (name == "algoDeadBand" || name == "algoHysteresis") return mode == Algo;
    if (name == "maxPower" || name == "trExternal" || name == "tcPowerInternal")
        return oneOf(mode, {Power, Algo, P, PI, PD, PID});
    return false;
}

bool FanFieldUsed(std::string_view name, std::uint32_t mode) {
    enum : std::uint32_t { FanOff, AlwaysOn, Cool, Heat, CoolAndHeat, FanAlgo };
    if (name == "HighVoltage") return oneOf(mode, {AlwaysOn, Cool, Heat, CoolAndHeat, FanAlgo});
    if (name == "LowVoltage" || name == "LowHyst" || name == "HighHyst")
        return oneOf(mode, {Cool, Heat, CoolAndHeat, FanAlgo});
    if (name == "SetPoint" || name == "DeadBand") return oneOf(mode, {Cool, Heat, CoolAndHeat});
    return false;
}

std::vector<const AlarmLimit*> CrossedAlarmLimits(const ParameterSet& p) {
    auto on = [&p](const AlarmLimit& l) {
        return ((l.enableWord == 1 ? p.alarmEnable1 : p.alarmEnable2) >> l.bit) & 1u;
    };
    std::vector<const AlarmLimit*> crossed;
    for (std::size_t i = 0; i + 1 < std::size(kAlarmLimits); i += 2) {
        const AlarmLimit& upper = kAlarmLimits[i];
        const AlarmLimit& lower = kAlarmLimits[i + 1];
        if (!on(upper) || !on(lower)) continue;
        if (FindParameterField(lower.field)->value(p) > FindParameterField(upper.field)->value(p))
            crossed.push_back(&upper);
    }
    return crossed;
}
