// tqctl decode: decodes runtime record lines given as arguments (or read
// from standard input) and prints their fields and alarm text, as the
// status panel would see them one after the other.
#include <charconv>
#include <cstdio>
#include <string>
#include <vector>

#include "command.h"
#include "link/serial_port.h"
#include "runtime/alarm_latch.h"
#include "runtime/bounded_line.h"
#include "runtime/runtime_decoder.h"
#include "runtime/runtime_fan_out.h"

namespace tqctl {
namespace {

int runDecode(Context& ctx, const std::vector<std::string>& args);

const Command kDecode{"decode", "decode [LINE...]",
                      "decode runtime record lines (from standard input without arguments)",
                      runDecode};

std::string shortest(float value)
{
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, result.ptr);
}

void printSample(RuntimeFormat format, const RuntimeSample& s)
{
    std::printf("format = %d\n", static_cast<int>(format));
    std::printf("gTsCnt = %u\n", static_cast<unsigned>(s.gTsCnt));
    std::printf("g_error = %08X\n", static_cast<unsigned>(s.g_error));
    std::printf("g_pwm_mode = %02X\n", static_cast<unsigned>(s.g_pwm_mode));
    std::printf("fgtFLAG = %02X\n", static_cast<unsigned>(s.fgtFLAG));
    const std::pair<const char*, float> reals[] = {
        {"fgTc", s.fgTc},     {"fgF1Tc", s.fgF1Tc},   {"fgF2Tc", s.fgF2Tc}, {"fgTa1", s.fgTa1},
        {"fgTa2", s.fgTa2},   {"fgTa3", s.fgTa3},     {"fgTa4", s.fgTa4},   {"fgTrExt", s.fgTrExt},
        {"fgTr", s.fgTr},     {"frTa", s.frTa},       {"frTe", s.frTe},     {"frTp", s.frTp},
        {"frTi", s.frTi},     {"frTd", s.frTd},       {"frTLPr", s.frTLPr}, {"g_vin", s.g_vin},
        {"g_curr", s.g_curr}, {"F1_curr", s.F1_curr}, {"F2_curr", s.F2_curr}};
    for (const auto& [name, value] : reals) std::printf("%s = %s\n", name, shortest(value).c_str());
    std::printf("AD temp 1 = %d\n", static_cast<int>(s.adTemp1));
    std::printf("Digipot offset = %d\n", static_cast<int>(s.digipotOffset));
}

int runDecode(Context&, const std::vector<std::string>& args)
{
    for (const std::string& arg : args)
        if (!arg.empty() && arg[0] == '-') return usageError(kDecode, "unknown option " + arg);
    std::vector<std::string> lines = args;
    const bool fromInput = args.empty();
    // Like the view, one sample and one latch across all lines: a format-6
    // line keeps the fan currents of an earlier format-7 line.
    RuntimeSample sample;
    AlarmLatch latch;
    int invalid = 0;
    std::string line;
    std::size_t next = 0;
    for (;;) {
        if (fromInput) {
            // The port cuts a line at 1023 characters; a longer one here is
            // judged invalid as a whole and its rest skipped, never stored.
            const LineRead read =
                readBoundedLine(stdin, line, static_cast<std::size_t>(SerialPort::kMaxLineLength) + 1);
            if (read == LineRead::End) break;
            if (!line.empty() && line.back() == '\r') line.pop_back();
            if (read == LineRead::Overlong || line.size() > SerialPort::kMaxLineLength) {
                std::printf("%s\n\n", kRuntimeDataInvalid);
                ++invalid;
                std::fflush(stdout);
                continue;
            }
            if (line.empty()) continue;
        } else {
            if (next == lines.size()) break;
            line = lines[next++];
        }
        if (const auto format = decodeRuntimeLine(line.c_str(), sample)) {
            printSample(*format, sample);
            std::printf("alarm = %s\n\n", latch.decode(sample.g_error).c_str());
        } else {
            std::printf("%s\n\n", kRuntimeDataInvalid);
            ++invalid;
        }
        std::fflush(stdout);
    }
    return invalid > 0 ? 1 : 0;
}

const Registrar registerDecode(kDecode);

}  // namespace
}  // namespace tqctl
