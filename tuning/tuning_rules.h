// PID constants in the board's form from the ultimate gain and period.
// The board computes P = kP x Te, I = kI x ts x Te + I[-1] and
// D = kD / ts x (Te - Te[-1]) every ts seconds: the integral adds
// kI x integral of Te dt and the derivative is kD x dTe/dt. So for a
// controller Kc (1 + 1/(Ti s) + Td s): kP = Kc, kI = Kc / Ti (1/s),
// kD = Kc x Td (s). Pure functions.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "tuning/relay_identification.h"

namespace tuning {

enum class TuningRule {
    Gentle,  // Tyreus-Luyben with less gain: no overshoot on slow, asymmetric loads
    Normal,  // Tyreus-Luyben PID: little overshoot
};

std::string_view ruleName(TuningRule rule);            // "gentle", "normal"
std::optional<TuningRule> ruleFromName(std::string_view name);

struct PidConstants {
    double kP = 0;
    double kI = 0;
    double kD = 0;
};

struct RuleFactors {
    double gainOfKu = 0;    // Kc = gainOfKu x Ku
    double tiOfTu = 0;      // Ti = tiOfTu x Tu
    double tdOfTu = 0;      // Td = tdOfTu x Tu
};
RuleFactors ruleFactors(TuningRule rule);

// `outputGain`: the regulator's heating and cooling gains scale the PID's
// output before it reaches the load; Ku, measured at the output, is divided
// by their mean. `ts` (register 9) bounds the derivative: Td below two
// samples would only amplify noise and is dropped.
PidConstants pidConstants(const UltimateFigures& figures, TuningRule rule, double ts,
                          double outputGain = 1.0);

}  // namespace tuning
