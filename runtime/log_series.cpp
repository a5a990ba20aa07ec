#include "runtime/log_series.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <ctime>

StepSeries stepSeriesOf(const LogData& log) {
    StepSeries s;
    const std::size_t n = log.rowCount();
    s.seconds.reserve(n);
    s.setPoint.reserve(n);
    s.actual.reserve(n);
    for (std::size_t i = 0; i < n; ++i) {
        s.seconds.push_back(log.seconds(i));
        s.setPoint.push_back(log.value(LogColumn::fgTr, i));
        s.actual.push_back(log.value(LogColumn::frTa, i));
    }
    return s;
}

std::string isoLocalTime(double clockSeconds) {
    if (clockSeconds < 0) return {};
    const double whole = std::floor(clockSeconds);
    auto t = static_cast<std::time_t>(whole);
    int ms = static_cast<int>(std::lround((clockSeconds - whole) * 1000.0));
    if (ms >= 1000) {
        ++t;
        ms -= 1000;
    }
    std::tm tm{};
    localtime_r(&t, &tm);
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02dT%02d:%02d:%02d.%03d", tm.tm_year + 1900, tm.tm_mon + 1,
                  tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec, ms);
    return buffer;
}

namespace {

void appendNumber(std::string& out, float v) {
    char buffer[32];
    auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, v);
    out.append(buffer, ec == std::errc() ? end : buffer);
}

template <typename Int>
void appendInt(std::string& out, Int v) {
    char buffer[24];
    auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, v);
    out.append(buffer, end);
}

}  // namespace

void writeLogCsv(const LogData& log, std::string& out, std::size_t firstRow, std::size_t endRow, bool header) {
    if (header)
        out += "time,seconds,gTsCnt,g_error,g_pwm_mode,fgtFLAG,fgTc,fgF1Tc,fgF2Tc,fgTa1,fgTa2,fgTa3,fgTa4,"
           "fgTrExt,fgTr,frTa,frTe,frTp,frTi,frTd,frTLPr,g_vin,g_curr,AD temp 1,Digipot offset\n";
    endRow = std::min(endRow, log.rowCount());
    for (std::size_t r = firstRow; r < endRow; ++r) {
        const RuntimeSample s = log.sample(r);
        out += isoLocalTime(log.clockSeconds(r));
        out += ',';
        char secs[32];
        auto [end, ec] = std::to_chars(secs, secs + sizeof secs, log.seconds(r), std::chars_format::fixed, 2);
        out.append(secs, ec == std::errc() ? end : secs);
        for (std::int64_t v : {static_cast<std::int64_t>(static_cast<std::int32_t>(s.gTsCnt)),
                               static_cast<std::int64_t>(s.g_error), static_cast<std::int64_t>(s.g_pwm_mode),
                               static_cast<std::int64_t>(s.fgtFLAG)}) {
            out += ',';
            appendInt(out, v);
        }
        for (int c = 0; c < kLogRealColumns; ++c) {
            out += ',';
            appendNumber(out, log.value(static_cast<LogColumn>(c), r));
        }
        out += ',';
        appendInt(out, s.adTemp1);
        out += ',';
        appendInt(out, s.digipotOffset);
        out += '\n';
    }
}
