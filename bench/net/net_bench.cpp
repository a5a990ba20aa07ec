// The link through ser2net on loopback against the same through the
// pseudo-terminal directly: a register round trip and a parameter download
// (every register written and its echo awaited).
// path: 0 the pty directly; 1 rfc2217://, 2 socket:// with ser2net's
// defaults; 3 rfc2217://, 4 socket:// with "chardelay: false" (ser2net then
// passes each reply on at once instead of holding it at least 1 ms).
// paced: the virtual regulator sends at 115200 baud's wire time (as a board
// does) or as fast as it can (what the path itself costs).
// Skipped without ser2net.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include <unistd.h>

#include "link/serial_manager.h"
#include "params/register_io_serial.h"
#include "params/register_transfer.h"
#include "params/tq_file.h"
#include "quiet_host.h"
#include "ser2net_server.h"
#include "sim/virtual_regulator.h"

namespace {

using Clock = std::chrono::steady_clock;

std::string pathName(int path, bool paced) {
    static const char* names[] = {"pty", "rfc2217", "socket", "rfc2217 chardelay off", "socket chardelay off"};
    return std::string(names[path]) + (paced ? ", paced 115200" : ", unpaced");
}

struct Path {
    Path(int which, bool paced) {
        char pattern[] = "/tmp/tq-bench-net-XXXXXX";
        if (mkdtemp(pattern) == nullptr)
            return;
        dir = pattern;
        sim::SimOptions options;
        options.linkPath = dir + "/tty";
        options.baud = paced ? 115200 : 0;
        board = std::make_unique<sim::VirtualRegulator>(options);
        if (!board->start(&error))
            return;
        std::string port = options.linkPath;
        if (which > 0) {
            Ser2netPort served{options.linkPath, which == 1 || which == 3};
            served.chardelay = which <= 2;
            if (!server.start({served}, &error))
                return;
            port = server.url(0);
        }
        if (link.open(port, 115200) != Ok) {
            error = link.openErrorDetail();
            return;
        }
        std::string version;
        ok = link.getVersion(version) == Ok;
    }
    ~Path() {
        link.close();
        server.stop();
        if (board)
            board->stop();
        if (!dir.empty()) {
            unlink((dir + "/tty").c_str());
            rmdir(dir.c_str());
        }
    }
    std::string dir;
    std::unique_ptr<sim::VirtualRegulator> board;
    Ser2netServer server;
    SerialManager link;
    std::string error;
    bool ok = false;
};

bool skipped(benchmark::State& state, const Path& path) {
    if (state.range(0) > 0 && Ser2netServer::program().empty()) {
        state.SkipWithError("ser2net is not installed");
        return true;
    }
    if (!path.ok) {
        state.SkipWithError(("the path did not open: " + path.error).c_str());
        return true;
    }
    return false;
}

void BM_RegisterRoundTrip(benchmark::State& state) {
    Path path(static_cast<int>(state.range(0)), state.range(1) != 0);
    if (skipped(state, path))
        return;
    std::vector<double> micros;
    for (auto _ : state) {
        const auto t0 = Clock::now();
        float value = 0;
        if (path.link.readRegisterFloat(12, value) != Ok) {
            state.SkipWithError("transaction failed");
            return;
        }
        micros.push_back(std::chrono::duration<double, std::micro>(Clock::now() - t0).count());
    }
    std::nth_element(micros.begin(), micros.begin() + micros.size() / 2, micros.end());
    state.counters["median_us"] = micros[micros.size() / 2];
    state.SetLabel(pathName(static_cast<int>(state.range(0)), state.range(1) != 0));
}

void BM_ParameterDownload(benchmark::State& state) {
    Path path(static_cast<int>(state.range(0)), state.range(1) != 0);
    if (skipped(state, path))
        return;
    TQFile1 doc;
    QuietHost host(path.link);
    SerialRegisterIo io(path.link);
    for (auto _ : state) {
        if (DownloadParameters(io, host, doc, TransferSettings{true, false}) != 0) {
            state.SkipWithError("download failed");
            return;
        }
    }
    state.SetLabel(pathName(static_cast<int>(state.range(0)), state.range(1) != 0));
}

}  // namespace

BENCHMARK(BM_RegisterRoundTrip)
    ->ArgNames({"path", "paced"})
    ->ArgsProduct({{0, 1, 2, 3, 4}, {1, 0}})
    ->UseRealTime()
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ParameterDownload)
    ->ArgNames({"path", "paced"})
    ->ArgsProduct({{0, 1, 2, 3, 4}, {1, 0}})
    ->Iterations(3)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
