// The per-sample path: the regulator sends 20 lines a second, so decode,
// alarm text, log row and the whole fan-out must stay far below 1 % of a
// core (500 us per line).
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "runtime/alarm_latch.h"
#include "runtime/log_format.h"
#include "runtime/runtime_decoder.h"
#include "runtime/runtime_fan_out.h"
#include "runtime/runtime_log.h"

namespace {

const char* const kIeeeLine =
    "[7 1A2B 10001 2 5 41C80000 40D00000 40E80000 41A90000 C0600000 42200000 42070000 "
    "40200000 41A00000 41A80000 BF800000 3F000000 3E800000 BE000000 419C0000 41C20000 "
    "40600000 3F400000 3F600000 4D2 FFFFFFF9]";
const char* const kDecimalLine =
    "[6 1A2B 10001 2 5 25.0 6.5 7.25 21.125 -3.5 40.0 33.75 2.5 20.0 21.0 -1.0 0.5 0.25 "
    "-0.125 19.5 24.25 3.5 11.9]";

void BM_DecodeIeeeLine(benchmark::State& state)
{
    RuntimeSample sample;
    for (auto _ : state) {
        benchmark::DoNotOptimize(decodeRuntimeLine(kIeeeLine, sample));
        benchmark::DoNotOptimize(sample);
    }
}
BENCHMARK(BM_DecodeIeeeLine);

void BM_DecodeDecimalLine(benchmark::State& state)
{
    RuntimeSample sample;
    for (auto _ : state) {
        benchmark::DoNotOptimize(decodeRuntimeLine(kDecimalLine, sample));
        benchmark::DoNotOptimize(sample);
    }
}
BENCHMARK(BM_DecodeDecimalLine);

void BM_AlarmDecode(benchmark::State& state)
{
    AlarmLatch latch;
    std::uint32_t word = 0x00080800;
    for (auto _ : state) {
        benchmark::DoNotOptimize(latch.decode(word));
        word ^= 0x00000001;
    }
}
BENCHMARK(BM_AlarmDecode);

void BM_LogRowFormat(benchmark::State& state)
{
    RuntimeSample sample;
    decodeRuntimeLine(kIeeeLine, sample);
    std::string row;
    for (auto _ : state) {
        appendLogRow(row, sample);
        benchmark::DoNotOptimize(row.data());
    }
}
BENCHMARK(BM_LogRowFormat);

// One row as the log writes it: formatted, written and flushed to the file.
void BM_LogRowWrite(benchmark::State& state)
{
    const auto path = std::filesystem::temp_directory_path() / "tq_bench_log.txt";
    RuntimeLog log;
    log.start(path.string(), "bench", LogSettings{});
    RuntimeSample sample;
    decodeRuntimeLine(kIeeeLine, sample);
    int rows = 0;
    for (auto _ : state) {
        log.writeRow(sample);
        if (++rows == 60000) {  // keep the file small
            state.PauseTiming();
            log.start(path.string(), "bench", LogSettings{});
            rows = 0;
            state.ResumeTiming();
        }
    }
    log.close();
    std::filesystem::remove(path);
}
BENCHMARK(BM_LogRowWrite);

class NullSink : public RuntimeSink {
public:
    void panelText(PanelField, const std::string& t) override { benchmark::DoNotOptimize(t); }
    void statusText(const std::string& t) override { benchmark::DoNotOptimize(t); }
    void versionText(const std::string&) override {}
    void lampFlash(PanelLamp, int) override {}
    void graphValues(const GraphValues& v) override { benchmark::DoNotOptimize(v); }
};

// The whole path of a sample that meets a refresh tick: decode, log row
// (with flush), graph, alarm text and the panel texts.
void BM_FanOutRefreshedSample(benchmark::State& state)
{
    const auto path = std::filesystem::temp_directory_path() / "tq_bench_fanout.txt";
    RuntimeLog log;
    log.start(path.string(), "bench", LogSettings{});
    NullSink sink;
    RuntimeFanOut fanOut(sink, &log);
    int rows = 0;
    for (auto _ : state) {
        fanOut.refreshTick();
        fanOut.sampleTick();
        fanOut.lampPeriodTick();
        benchmark::DoNotOptimize(fanOut.decode(kIeeeLine));
        if (++rows == 60000) {
            state.PauseTiming();
            log.start(path.string(), "bench", LogSettings{});
            rows = 0;
            state.ResumeTiming();
        }
    }
    log.close();
    std::filesystem::remove(path);
}
BENCHMARK(BM_FanOutRefreshedSample);

}  // namespace

BENCHMARK_MAIN();
