// Cost of the link: register round trips through SerialManager to the
// virtual regulator over a pseudo-terminal, and the worker's CPU time per
// received runtime line. The reference is one byte's wire time at 115200
// baud, 86.8 us.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <mutex>
#include <string>
#include <vector>

#include <ctime>
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include "link/serial_manager.h"
#include "sim/virtual_regulator.h"

namespace {

using Clock = std::chrono::steady_clock;

double medianOf(std::vector<double>& values) {
    if (values.empty())
        return 0;
    std::nth_element(values.begin(), values.begin() + values.size() / 2, values.end());
    return values[values.size() / 2];
}

struct BoardLink {
    BoardLink() {
        if (!board.start()) {
            ok = false;
            return;
        }
        ok = link.open(board.slavePath(), 115200) == Ok;
        std::string version;
        ok = ok && link.getVersion(version) == Ok;
    }
    ~BoardLink() {
        link.close();
        board.stop();
    }
    sim::VirtualRegulator board;
    SerialManager link;
    bool ok = true;
};

template <class Transaction>
void roundTrip(benchmark::State& state, Transaction transaction) {
    BoardLink setup;
    if (!setup.ok) {
        state.SkipWithError("virtual regulator not reachable");
        return;
    }
    std::vector<double> micros;
    micros.reserve(1 << 16);
    for (auto _ : state) {
        const auto start = Clock::now();
        if (transaction(setup.link) != Ok) {
            state.SkipWithError("transaction failed");
            return;
        }
        micros.push_back(std::chrono::duration<double, std::micro>(Clock::now() - start).count());
    }
    state.counters["median_us"] = medianOf(micros);
}

void BM_RegisterReadRoundTrip(benchmark::State& state) {
    roundTrip(state, [](SerialManager& link) {
        float value = 0;
        return link.readRegisterFloat(12, value);
    });
}
BENCHMARK(BM_RegisterReadRoundTrip)->UseRealTime()->Unit(benchmark::kMicrosecond);

void BM_RegisterWriteRoundTrip(benchmark::State& state) {
    roundTrip(state, [](SerialManager& link) { return link.writeRegisterFloat(12, 21.5f); });
}
BENCHMARK(BM_RegisterWriteRoundTrip)->UseRealTime()->Unit(benchmark::kMicrosecond);

double threadCpuNanos() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) * 1e9 + static_cast<double>(t.tv_nsec);
}

// A runtime line of typical length (format 7: 25 fields).
std::string runtimeLine() {
    std::string line = "[7";
    for (int i = 0; i < 25; ++i)
        line += " 41A" + std::to_string(10000 + i);
    return line + "]\r\n";
}

void BM_WorkerCpuPerLine(benchmark::State& state) {
    const int master = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    char name[128] = {};
    if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0 ||
        ptsname_r(master, name, sizeof name) != 0) {
        state.SkipWithError("no pseudo-terminal");
        return;
    }
    constexpr int kBatch = 200;
    std::mutex mutex;
    std::condition_variable done;
    int seen = 0;
    double batchStart = 0;
    double cpuTotal = 0;
    SerialManager link;
    link.setNotify([&](int kind, int, const char*) {
        if (kind != SerialManager::kNotifyRuntimeLine)
            return;
        // Runs on the worker: its own CPU clock.
        std::lock_guard<std::mutex> lock(mutex);
        if (seen == 0)
            batchStart = threadCpuNanos();
        if (++seen == kBatch) {
            cpuTotal += threadCpuNanos() - batchStart;
            done.notify_all();
        }
    });
    if (link.open(name, 115200) != Ok) {
        state.SkipWithError("open failed");
        ::close(master);
        return;
    }
    std::string batch;
    for (int i = 0; i < kBatch; ++i)
        batch += runtimeLine();

    long lines = 0;
    for (auto _ : state) {
        {
            std::lock_guard<std::mutex> lock(mutex);
            seen = 0;
        }
        for (std::size_t off = 0; off < batch.size();) {
            const ssize_t n = ::write(master, batch.data() + off, batch.size() - off);
            if (n <= 0)
                break;
            off += static_cast<std::size_t>(n);
        }
        std::unique_lock<std::mutex> lock(mutex);
        if (!done.wait_for(lock, std::chrono::seconds(5), [&] { return seen >= kBatch; })) {
            state.SkipWithError("lines lost");
            break;
        }
        lines += kBatch;
    }
    link.close();
    ::close(master);
    state.counters["worker_cpu_ns_per_line"] = lines > 0 ? cpuTotal / static_cast<double>(lines) : 0;
    state.SetItemsProcessed(lines);
}
BENCHMARK(BM_WorkerCpuPerLine)->UseRealTime()->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
