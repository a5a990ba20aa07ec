// Opening recorded runs: a one-hour run (72,000 rows) and 1,000,000 rows,
// generated as the program writes them. Goals: 150 ms and 1.5 s; memory
// under 100 bytes a row (reported as the counter bytes_per_row).
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

#include "runtime/log_format.h"
#include "runtime/log_reader.h"

namespace {

std::string generatedLog(int rows) {
    const auto path = std::filesystem::temp_directory_path() /
                      ("tq-bench-log-" + std::to_string(rows) + "-" + std::to_string(::getpid()) + ".txt");
    if (std::filesystem::exists(path)) return path.string();
    std::ofstream out(path, std::ios::binary);
    std::tm start{};
    start.tm_year = 126;
    start.tm_mday = 1;
    out << logHeader(start, "TQ-REG V0.215 virtual");
    std::string row;
    for (int i = 0; i < rows; ++i) {
        RuntimeSample s;
        s.gTsCnt = i;
        s.g_error = (i / 5000) % 3 ? 0 : 4;
        const float t = i / 20.0f;
        s.frTa = 20 + 5 * std::sin(t / 60);
        s.fgTr = 20;
        s.fgTa1 = s.frTa + 0.3f;
        s.fgTa2 = 31.5f;
        s.fgTc = 45 * std::cos(t / 30);
        s.frTe = s.fgTr - s.frTa;
        s.g_vin = 12.02f;
        s.g_curr = 2.5f;
        appendLogRow(row, s);
        out << row;
    }
    out << logFooter(start);
    return path.string();
}

void BM_OpenLog(benchmark::State& state) {
    const std::string path = generatedLog(static_cast<int>(state.range(0)));
    std::size_t bytes = 0, rows = 0;
    for (auto _ : state) {
        LogReadResult r = readLogFile(path);
        rows = r.data.rowCount();
        bytes = r.data.memoryBytes();
        benchmark::DoNotOptimize(r);
    }
    state.counters["rows"] = static_cast<double>(rows);
    state.counters["bytes_per_row"] = rows ? static_cast<double>(bytes) / rows : 0;
}
BENCHMARK(BM_OpenLog)->Arg(72000)->Arg(1000000)->Unit(benchmark::kMillisecond)->UseRealTime()
    ->Repetitions(5)->ReportAggregatesOnly(true);

}  // namespace
