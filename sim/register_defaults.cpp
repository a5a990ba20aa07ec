// Power-on register content: the parameter set's defaults as a download
// would leave them on the board (sensor 1 with bit 0x08 in its type,
// Steinhart-Hart coefficients computed from the preset points).
#include "sim/register_bank.h"
#include "sim/steinhart_hart.h"

namespace sim {

namespace {

struct NtcPreset {
    float t1, r1, t2, r2, t3, r3;
};

constexpr NtcPreset kNtc1{253.15f, 29875.8f, 298.15f, 3057.7f, 333.15f, 759.4f};     // "TC-NTC-1"
constexpr NtcPreset kRel09060{253.15f, 467100.f, 273.15f, 161300.f, 333.15f, 12330.f};

void putSensor(RegisterArray& r, int slot, const NtcPreset& p, std::uint32_t typeBits)
{
    const auto at = [&](int reg) -> std::uint32_t& { return r[static_cast<std::size_t>(reg)]; };
    at(35 + 2 * (slot - 1)) = floatBits(1.0f);   // gain
    at(36 + 2 * (slot - 1)) = floatBits(0.0f);   // offset
    at(54 + slot) = typeBits;
    const int k = 59 + 3 * (slot - 1);
    const SteinhartHart sh = steinhartHartCoefficients(p.t1, p.r1, p.t2, p.r2, p.t3, p.r3);
    at(k) = floatBits(sh.a);
    at(k + 1) = floatBits(sh.b);
    at(k + 2) = floatBits(sh.c);
    at(k + 20) = floatBits(p.r3);
    at(k + 21) = floatBits(p.r2);
    at(k + 22) = floatBits(p.r1);
}

RegisterArray makeDefaults()
{
    RegisterArray r{};
    const auto f = [&](int reg, float v) { r[static_cast<std::size_t>(reg)] = floatBits(v); };
    const auto u = [&](int reg, std::uint32_t v) { r[static_cast<std::size_t>(reg)] = v; };
    for (int i = 0; i < kRegisterCount; ++i)
        f(i, 0.0f);

    f(0, 20.0f);    // st1
    f(1, 20.0f);    // kP
    f(2, 2.0f);     // kI
    f(3, 5.0f);     // kD
    f(4, 2.0f);     // kTr
    f(5, 3.0f);     // kTe
    f(6, 100.0f);   // maxPower
    f(7, 3.0f);     // deadBand
    f(8, 100.0f);   // integralLimit
    f(9, 0.05f);    // ts
    f(10, 1.0f);    // coolGain
    f(11, 1.0f);    // heatGain
    f(12, 0.1f);    // decay
    u(13, 0);       // regulatorFlags: mode Off
    f(14, 5.0f);    // algoDeadBand
    f(15, 5.0f);    // algoHysteresis
    for (int fan = 1; fan <= 2; ++fan) {
        const int m = fanModeRegister(fan);
        u(m, 0);
        f(m + 1, 20.0f);  // set point
        f(m + 2, 8.0f);   // dead-band
        f(m + 3, 4.0f);   // low speed hysteresis
        f(m + 4, 2.0f);   // high speed hysteresis
        f(m + 5, 12.0f);  // low speed voltage
        f(m + 6, 48.0f);  // high speed voltage
    }
    f(32, 1.0f);
    f(34, 1.0f);

    putSensor(r, 1, kNtc1, 4 | 8);
    putSensor(r, 2, kNtc1, 4);
    putSensor(r, 3, kNtc1, 4);
    putSensor(r, 4, kRel09060, 4);

    f(45, 30.0f);  // vIntOver
    f(46, 10.0f);  // vIntUnder
    f(47, 15.0f);  // iOutOver
    f(48, 0.1f);   // iOutUnder
    f(49, 2.0f);   // fan1IOver
    f(50, 0.1f);   // fan1IUnder
    f(51, 2.0f);   // fan2IOver
    f(52, 0.1f);   // fan2IUnder
    f(53, 13.0f);  // vInOver
    f(54, 7.0f);   // vInUnder
    f(71, 80.0f);  // t1High
    f(72, -40.0f); // t1Low
    f(73, 50.0f);
    f(74, -10.0f);
    f(75, 50.0f);
    f(76, -10.0f);
    f(77, 60.0f);  // t4High
    f(78, -10.0f);
    u(91, 351);    // alarmEnable1
    u(92, 67);     // alarmEnable2
    f(93, 8.0f);   // st2
    u(94, 300);    // loopHighCount
    u(95, 200);    // loopLowCount
    u(96, 65532);  // aux96
    return r;
}

}  // namespace

const RegisterArray& defaultRegisters()
{
    static const RegisterArray defaults = makeDefaults();
    return defaults;
}

}  // namespace sim
