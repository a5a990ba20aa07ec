#include "runtime/log_format.h"

#include <cstdio>

#include "runtime/text_format.h"

namespace {

constexpr char kRule[] = "--------------------------------------------------\n";

// "MM/DD/YY : HH:MM:SS"
std::string dateAndTime(const std::tm& t)
{
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%02d/%02d/%02d : %02d:%02d:%02d", (t.tm_mon + 1) % 100,
                  t.tm_mday % 100, ((t.tm_year % 100) + 100) % 100, t.tm_hour % 100,
                  t.tm_min % 100, t.tm_sec % 100);
    return buffer;
}

}  // namespace

std::string logHeader(const std::tm& localTime, const std::string& targetVersion)
{
    std::string out;
    out += kRule;
    out += "START LOGG - " + dateAndTime(localTime) + "\n";
    out += "Software version = [";
    out += kLogSoftwareVersion;
    out += "]\n";
    out += "Target version = [" + targetVersion + "]\n";
    out += kRule;
    out += "gTsCnt\tg_error\tg_pwm_mode\tfgtFLAG\t";
    out += "fgTc\tfgF1Tc\tfgF2Tc\tfgTa1\tfgTa2\tfgTa3\tfgTa4\tfgTrExt\tfgTr\t";
    out += "frTa\tfrTe\tfrTp\tfrTi\tfrTd\tfrTLPr\t";
    out += "g_vin\tg_curr\tAD temp 1\tDigipot offset";
    out += "\n";
    return out;
}

void appendLogRow(std::string& out, const RuntimeSample& s)
{
    out.clear();
    auto tab = [&out] { out += '\t'; };
    auto real = [&out, &tab](float v, int decimals) {
        appendFixed(out, v, decimals);
        tab();
    };
    appendDecimal(out, static_cast<std::int32_t>(s.gTsCnt), 8);
    tab();
    appendHex(out, s.g_error, 4);
    tab();
    appendHex(out, s.g_pwm_mode, 2);
    tab();
    appendHex(out, s.fgtFLAG, 2);
    tab();
    real(s.fgTc, 1);
    real(s.fgF1Tc, 1);
    real(s.fgF2Tc, 1);
    for (float v : {s.fgTa1, s.fgTa2, s.fgTa3, s.fgTa4, s.fgTrExt, s.fgTr}) real(v, 3);
    for (float v : {s.frTa, s.frTe, s.frTp, s.frTi, s.frTd, s.frTLPr}) real(v, 4);
    real(s.g_vin, 3);
    real(s.g_curr, 3);
    appendDecimal(out, s.adTemp1, 0);
    tab();
    appendDecimal(out, s.digipotOffset, 0);
    out += '\n';
}

std::string logRow(const RuntimeSample& sample)
{
    std::string out;
    appendLogRow(out, sample);
    return out;
}

std::string logFooter(const std::tm& localTime)
{
    std::string out;
    out += kRule;
    out += "STOP LOGG - " + dateAndTime(localTime) + "\n";
    out += kRule;
    out += "\n";
    return out;
}
