// Builds runtime record lines the way the regulator sends them.
#pragma once

#include <bit>
#include <cstdio>
#include <string>

#include "runtime/runtime_sample.h"

namespace testlines {

inline std::string hex(std::uint32_t v)
{
    char b[16];
    std::snprintf(b, sizeof b, "%X", v);
    return b;
}

inline std::string real(float v)
{
    char b[40];
    std::snprintf(b, sizeof b, "%.9g", static_cast<double>(v));
    return b;
}

inline std::string integerFields(const RuntimeSample& s)
{
    return " " + hex(s.gTsCnt) + " " + hex(s.g_error) + " " + hex(s.g_pwm_mode) + " " +
           hex(s.fgtFLAG);
}

template <class Fn>
std::string realFields(const RuntimeSample& s, bool withFanCurrents, Fn text)
{
    std::string out;
    for (float v : {s.fgTc, s.fgF1Tc, s.fgF2Tc, s.fgTa1, s.fgTa2, s.fgTa3, s.fgTa4, s.fgTrExt,
                    s.fgTr, s.frTa, s.frTe, s.frTp, s.frTi, s.frTd, s.frTLPr, s.g_vin, s.g_curr})
        out += " " + text(v);
    if (withFanCurrents) out += " " + text(s.F1_curr) + " " + text(s.F2_curr);
    return out;
}

inline std::string ieeeLine(const RuntimeSample& s)
{
    return "[7" + integerFields(s) +
           realFields(s, true, [](float v) { return hex(std::bit_cast<std::uint32_t>(v)); }) +
           " " + hex(static_cast<std::uint32_t>(s.adTemp1)) + " " +
           hex(static_cast<std::uint32_t>(s.digipotOffset)) + "]";
}

inline std::string decimalLine(const RuntimeSample& s, const std::string& further = "0")
{
    return "[6" + integerFields(s) + realFields(s, false, real) + " " + further + "]";
}

// A sample with a distinct value in every field.
inline RuntimeSample distinctSample()
{
    RuntimeSample s;
    s.gTsCnt = 42;
    s.g_error = 0x00000008;
    s.g_pwm_mode = 3;
    s.fgtFLAG = 0xA5;
    s.fgTc = 25.0f;
    s.fgF1Tc = 6.5f;
    s.fgF2Tc = 7.25f;
    s.fgTa1 = 21.125f;
    s.fgTa2 = -3.5f;
    s.fgTa3 = 40.0f;
    s.fgTa4 = 33.75f;
    s.fgTrExt = 2.5f;
    s.fgTr = 20.0f;
    s.frTa = 21.0f;
    s.frTe = -1.0f;
    s.frTp = 0.5f;
    s.frTi = 0.25f;
    s.frTd = -0.125f;
    s.frTLPr = 19.5f;
    s.g_vin = 24.25f;
    s.g_curr = 3.5f;
    s.F1_curr = 0.75f;
    s.F2_curr = 0.875f;
    s.adTemp1 = 1234;
    s.digipotOffset = -7;
    return s;
}

}  // namespace testlines
