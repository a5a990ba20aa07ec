#include "sim/status_word.h"

#include "sim/register_bank.h"

namespace sim {

std::uint32_t statusWord(const RegisterBank& bank, const Measurements& m, bool startupDelay,
                         bool overload)
{
    std::uint32_t s = 0;
    if (startupDelay)
        s |= 1u << 0;
    if (overload)
        s |= 1u << 3;

    // Electrical limits: enable bit k of alarmEnable1 gates status bit k + 4.
    struct Limit {
        int reg;
        float value;
        bool over;
    };
    const Limit electrical[10] = {
        {reg::VInOver, m.inputVoltage, true},     {reg::VInUnder, m.inputVoltage, false},
        {reg::VIntOver, m.internalVoltage, true}, {reg::VIntUnder, m.internalVoltage, false},
        {reg::IOutOver, m.mainCurrent, true},     {reg::IOutUnder, m.mainCurrent, false},
        {reg::Fan1IOver, m.fan1Current, true},    {reg::Fan1IUnder, m.fan1Current, false},
        {reg::Fan2IOver, m.fan2Current, true},    {reg::Fan2IUnder, m.fan2Current, false},
    };
    const std::uint32_t enable1 = bank.word(reg::AlarmEnable1);
    for (int k = 0; k < 10; ++k) {
        const Limit& l = electrical[k];
        const float limit = bank.value(l.reg);
        const bool tripped = l.over ? l.value > limit : l.value < limit;
        if (tripped && (enable1 >> k & 1u))
            s |= 1u << (k + 4);
    }

    const std::uint32_t enable2 = bank.word(reg::AlarmEnable2);
    for (int n = 0; n < 4; ++n) {
        const int base = 16 + 4 * n;
        if (m.sensorMissing[n]) {
            s |= 1u << (base + 3);
            continue;
        }
        const float high = bank.value(reg::T1High + 2 * n);
        const float low = bank.value(reg::T1High + 2 * n + 1);
        if (m.temperature[n] > high && (enable2 >> (2 * n) & 1u))
            s |= 1u << base;
        if (m.temperature[n] < low && (enable2 >> (2 * n + 1) & 1u))
            s |= 1u << (base + 1);
    }
    return s;
}

}  // namespace sim
