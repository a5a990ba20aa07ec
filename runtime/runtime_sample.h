// One runtime record of the regulator, as streamed about 20 times a second.
// Field names are the regulator's own; temperatures are degrees Celsius.
#pragma once

#include <cstdint>

enum class RuntimeFormat : int {
    Decimal = 6,  // fields 1-4 hexadecimal, 5-21 decimal reals, one spare number
    Ieee = 7,     // fields 1-4, 24, 25 hexadecimal, 5-23 IEEE 754 bit patterns
};

struct RuntimeSample {
    std::uint32_t gTsCnt = 0;   // sample counter of the regulator
    std::uint32_t g_error = 0;  // status and alarm word
    std::uint8_t g_pwm_mode = 0;
    std::uint8_t fgtFLAG = 0;
    float fgTc = 0;    // main power output, %
    float fgF1Tc = 0;  // fan 1 output
    float fgF2Tc = 0;  // fan 2 output
    float fgTa1 = 0;   // temperature sensors 1..4 (4: FET temperature)
    float fgTa2 = 0;
    float fgTa3 = 0;
    float fgTa4 = 0;
    float fgTrExt = 0;  // external control set point, V
    float fgTr = 0;     // set point 1
    float frTa = 0;     // regulator sensor 1 actual value
    float frTe = 0;     // deviation
    float frTp = 0;     // PID parts
    float frTi = 0;
    float frTd = 0;
    float frTLPr = 0;  // filtered set point
    float g_vin = 0;   // input voltage, V
    float g_curr = 0;  // main output current, A
    // Fan currents come only with format 7; before the first such line they
    // read 0.
    float F1_curr = 0;
    float F2_curr = 0;
    std::int32_t adTemp1 = 0;        // "AD temp 1"
    std::int32_t digipotOffset = 0;  // "Digipot offset"

    bool operator==(const RuntimeSample&) const = default;
};
