// One runtime record as the board streams it, and its two line formats:
// 6 (hexadecimal integers and decimal reals, 22 values) and 7 (every value
// hexadecimal, reals as IEEE-754 bit patterns, 25 values).
#pragma once

#include <cstdint>
#include <string>

namespace sim {

struct RuntimeRecord {
    std::uint32_t gTsCnt = 0;      // sample counter
    std::uint32_t g_error = 0;     // status and alarm word
    std::uint8_t g_pwm_mode = 0;   // 0 off, 1 heating, 2 cooling
    std::uint8_t fgtFLAG = 0;      // bit 0 running, bit 1 loop mode in its St2 phase
    float fgTc = 0;                // main power output, %
    float fgF1Tc = 0;              // fan 1 output, V
    float fgF2Tc = 0;              // fan 2 output, V
    float fgTa1 = 0, fgTa2 = 0, fgTa3 = 0, fgTa4 = 0;  // sensors, deg C
    float fgTrExt = 0;             // external control voltage, V
    float fgTr = 0;                // set point in use, deg C
    float frTa = 0;                // regulated (sensor 1) value, deg C
    float frTe = 0;                // deviation, set point minus actual
    float frTp = 0, frTi = 0, frTd = 0;  // PID terms
    float frTLPr = 0;              // filtered set point
    float g_vin = 0;               // input voltage, V
    float g_curr = 0;              // main current, A
    float F1_curr = 0, F2_curr = 0;  // fan currents, A
    std::int32_t adTemp1 = 0;      // converter reading of sensor 1
    std::int32_t digipotOffset = 0;
    float internalVoltage = 0;     // the further number of format 6
};

// The line without its terminator: "[6 ...]" or "[7 ...]"; any other
// format number gives format 7.
std::string formatRuntimeLine(const RuntimeRecord& r, int format);

}  // namespace sim
