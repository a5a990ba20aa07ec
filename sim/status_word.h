// The status and alarm word g_error: bit 0 start-up delay, bit 3 regulator
// overload, bits 4..13 the electrical limits (enable bits of alarmEnable1),
// bits 16..31 four per sensor: high, low (enable bits of alarmEnable2),
// short circuit, missing.
#pragma once

#include <cstdint>

namespace sim {

class RegisterBank;

struct Measurements {
    float inputVoltage = 0;
    float internalVoltage = 0;
    float mainCurrent = 0;
    float fan1Current = 0;
    float fan2Current = 0;
    float temperature[4] = {0, 0, 0, 0};
    bool sensorMissing[4] = {false, false, false, false};
};

std::uint32_t statusWord(const RegisterBank& bank, const Measurements& m, bool startupDelay,
                         bool overload);

}  // namespace sim
