#include "tuning/tuning_rules.h"

#include <cmath>

namespace tuning {

std::string_view ruleName(TuningRule rule)
{
    return rule == TuningRule::Gentle ? "gentle" : "normal";
}

std::optional<TuningRule> ruleFromName(std::string_view name)
{
    if (name == "gentle")
        return TuningRule::Gentle;
    if (name == "normal")
        return TuningRule::Normal;
    return std::nullopt;
}

RuleFactors ruleFactors(TuningRule rule)
{
    // Tyreus-Luyben: Kc = Ku / 2.2, Ti = 2.2 Tu, Td = Tu / 6.3. The gentle
    // rule takes a third less gain and a longer integral time, for loads
    // whose heating and cooling differ much.
    if (rule == TuningRule::Gentle)
        return {1.0 / 3.2, 3.0, 1.0 / 6.3};
    return {1.0 / 2.2, 2.2, 1.0 / 6.3};
}

PidConstants pidConstants(const UltimateFigures& figures, TuningRule rule, double ts,
                          double outputGain)
{
    const RuleFactors k = ruleFactors(rule);
    const double gain = outputGain > 0 && std::isfinite(outputGain) ? outputGain : 1.0;
    const double kc = k.gainOfKu * figures.ku / gain;
    const double ti = k.tiOfTu * figures.tu;
    double td = k.tdOfTu * figures.tu;
    if (ts > 0 && td < 2 * ts)
        td = 0;
    PidConstants c;
    c.kP = kc;
    c.kI = ti > 0 ? kc / ti : 0;
    c.kD = kc * td;
    return c;
}

}  // namespace tuning
