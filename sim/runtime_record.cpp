#include "sim/runtime_record.h"

#include <cstdio>

#include "sim/register_bank.h"

namespace sim {

namespace {

void appendf(std::string& out, const char* format, auto... args)
{
    char text[64];
    std::snprintf(text, sizeof text, format, args...);
    out += text;
}

void appendHexFloat(std::string& out, float v)
{
    appendf(out, " %08X", static_cast<unsigned>(floatBits(v)));
}

void appendDecimal(std::string& out, float v)
{
    appendf(out, " %.3f", static_cast<double>(v));
}

}  // namespace

std::string formatRuntimeLine(const RuntimeRecord& r, int format)
{
    std::string out = format == 6 ? "[6" : "[7";
    appendf(out, " %08X %08X %02X %02X", static_cast<unsigned>(r.gTsCnt),
            static_cast<unsigned>(r.g_error), static_cast<unsigned>(r.g_pwm_mode),
            static_cast<unsigned>(r.fgtFLAG));
    const float reals[] = {r.fgTc,  r.fgF1Tc, r.fgF2Tc, r.fgTa1, r.fgTa2, r.fgTa3,
                           r.fgTa4, r.fgTrExt, r.fgTr,  r.frTa,  r.frTe,  r.frTp,
                           r.frTi,  r.frTd,   r.frTLPr, r.g_vin, r.g_curr};
    if (format == 6) {
        for (float v : reals)
            appendDecimal(out, v);
        appendDecimal(out, r.internalVoltage);
    } else {
        for (float v : reals)
            appendHexFloat(out, v);
        appendHexFloat(out, r.F1_curr);
        appendHexFloat(out, r.F2_curr);
        appendf(out, " %04X %04X", static_cast<unsigned>(r.adTemp1),
                static_cast<unsigned>(r.digipotOffset));
    }
    out += ']';
    return out;
}

}  // namespace sim
