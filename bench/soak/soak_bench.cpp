// Soak: the virtual regulator streams its runtime lines (20 per second)
// through the real port engine, the fan-out and the log writer for a given
// time. Afterwards the log file is read back and its rows are counted by
// the sample counter: every counter value between the first and the last
// row must be there once. Also reported: the worker thread's CPU time and
// the process's resident memory at the start and at the end.
//
//   bench_soak --minutes 60 [benchmark options]
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

#include "link/serial_manager.h"
#include "runtime/runtime_fan_out.h"
#include "runtime/runtime_log.h"
#include "runtime/runtime_sink.h"
#include "sim/virtual_regulator.h"

namespace {

double g_minutes = 1.0;

class NullSink : public RuntimeSink {
public:
    void panelText(PanelField, const std::string&) override {}
    void statusText(const std::string&) override {}
    void versionText(const std::string&) override {}
    void lampFlash(PanelLamp, int) override {}
    void graphValues(const GraphValues&) override {}
};

double threadCpuSeconds() {
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9;
}

double residentMiB() {
    std::ifstream statm("/proc/self/statm");
    long pages = 0, resident = 0;
    statm >> pages >> resident;
    return static_cast<double>(resident) * static_cast<double>(sysconf(_SC_PAGESIZE)) /
           (1024.0 * 1024.0);
}

struct RowCount {
    long rows = 0;
    long missing = 0;     // counter values skipped between rows
    long repeated = 0;    // counter values that did not advance
};

// The rows of a log file are the lines whose first field is a number.
RowCount countRows(const std::string& path) {
    RowCount count;
    std::ifstream in(path);
    std::string line;
    bool first = true;
    std::uint32_t last = 0;
    while (std::getline(in, line)) {
        const std::size_t tab = line.find('\t');
        if (tab == std::string::npos)
            continue;
        const std::string field = line.substr(0, tab);
        char* end = nullptr;
        const long value = std::strtol(field.c_str(), &end, 10);
        if (end == field.c_str() || *end != '\0')
            continue;
        const auto counter = static_cast<std::uint32_t>(value);
        if (!first) {
            const std::uint32_t step = counter - last;
            if (step == 0 || step > 0x80000000u)
                ++count.repeated;
            else
                count.missing += static_cast<long>(step - 1);
        }
        first = false;
        last = counter;
        ++count.rows;
    }
    return count;
}

void BM_SoakLogging(benchmark::State& state) {
    for (auto _ : state) {
        sim::SimOptions options;
        options.demo = true;
        options.startStreaming = true;
        sim::VirtualRegulator regulator(options);
        std::string error;
        if (!regulator.start(&error)) {
            state.SkipWithError(("virtual regulator: " + error).c_str());
            return;
        }
        const std::filesystem::path dir =
            std::filesystem::temp_directory_path() / ("tq-soak-" + std::to_string(getpid()));
        std::filesystem::create_directories(dir);
        const std::string logPath = (dir / "soak.txt").string();

        NullSink sink;
        RuntimeLog log;
        RuntimeFanOut fanOut(sink, &log);
        std::mutex cpuMutex;
        double workerCpuFirst = -1, workerCpuLast = 0;
        long lines = 0;
        SerialManager link;
        link.setNotify([&](int kind, int length, const char* text) {
            fanOut.onNotify(kind, length, text);
            if (kind != SerialManager::kNotifyRuntimeLine)
                return;
            const double cpu = threadCpuSeconds();   // the worker's own clock
            std::lock_guard<std::mutex> lock(cpuMutex);
            if (workerCpuFirst < 0)
                workerCpuFirst = cpu;
            workerCpuLast = cpu;
            ++lines;
        });
        if (!log.start(logPath, "soak", LogSettings{}) ||
            link.open(regulator.slavePath(), 115200) != Ok) {
            state.SkipWithError("log or port did not open");
            return;
        }
        // Settle (first allocations, page cache), then measure.
        std::this_thread::sleep_for(std::chrono::seconds(2));
        const double rssStart = residentMiB();
        const auto end = std::chrono::steady_clock::now() +
                         std::chrono::duration_cast<std::chrono::steady_clock::duration>(
                             std::chrono::duration<double>(g_minutes * 60.0));
        // The view's refresh timer: 125 ms.
        while (std::chrono::steady_clock::now() < end) {
            std::this_thread::sleep_for(std::chrono::milliseconds(125));
            fanOut.refreshTick();
            fanOut.sampleTick();
            fanOut.lampPeriodTick();
        }
        const double rssEnd = residentMiB();
        link.close();
        log.stop();
        const RowCount rows = countRows(logPath);
        std::filesystem::remove_all(dir);

        std::lock_guard<std::mutex> lock(cpuMutex);
        const double seconds = g_minutes * 60.0 + 2.0;
        state.counters["rows"] = static_cast<double>(rows.rows);
        state.counters["lines"] = static_cast<double>(lines);
        state.counters["lost_rows"] = static_cast<double>(rows.missing);
        state.counters["repeated_rows"] = static_cast<double>(rows.repeated);
        state.counters["rows_per_s"] = static_cast<double>(rows.rows) / seconds;
        state.counters["worker_cpu_s"] = workerCpuLast - workerCpuFirst;
        state.counters["worker_cpu_pct"] = 100.0 * (workerCpuLast - workerCpuFirst) / seconds;
        state.counters["rss_start_MiB"] = rssStart;
        state.counters["rss_end_MiB"] = rssEnd;
        if (rows.missing != 0 || rows.repeated != 0 || rows.rows != lines)
            state.SkipWithError("rows were lost or repeated");
    }
}
BENCHMARK(BM_SoakLogging)->Iterations(1)->UseRealTime()->Unit(benchmark::kSecond);

}  // namespace

int main(int argc, char** argv) {
    // --minutes N is ours; the rest goes to the benchmark library.
    std::vector<char*> rest;
    for (int i = 0; i < argc; ++i) {
        if (std::strcmp(argv[i], "--minutes") == 0 && i + 1 < argc) {
            g_minutes = std::atof(argv[++i]);
            continue;
        }
        rest.push_back(argv[i]);
    }
    int count = static_cast<int>(rest.size());
    benchmark::Initialize(&count, rest.data());
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
