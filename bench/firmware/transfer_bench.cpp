// Parameter download and get against the virtual regulator paced to
// 115200 baud, next to the time the bytes need on the wire and the time the
// regulator took to answer (ratio_answering; client_ms is the rest).
#include <benchmark/benchmark.h>

#include <bit>
#include <chrono>
#include <utility>

#include "params/register_io_serial.h"
#include "params/register_transfer.h"
#include "params/tq_file.h"
#include "quiet_host.h"
#include "sim/virtual_regulator.h"
#include "wire_count.h"

namespace {

struct PacedRegulator {
    PacedRegulator() : sim(options()) {
        ok = sim.start(nullptr) && link.open(sim.slavePath(), 115200) == Ok;
    }
    ~PacedRegulator() {
        link.close();
        sim.stop();
    }
    static sim::SimOptions options() {
        sim::SimOptions o;
        o.baud = 115200;
        return o;
    }
    sim::VirtualRegulator sim;
    SerialManager link;
    bool ok = false;
};

template <class Transfer>
void runTransfer(benchmark::State& state, Transfer transfer) {
    PacedRegulator regulator;
    if (!regulator.ok) {
        state.SkipWithError("the virtual regulator did not start");
        return;
    }
    TQFile1 doc;
    QuietHost host(regulator.link);
    const TransferSettings settings{state.range(0) != 0, false};
    wire::Tally tally;
    double seconds = 0;
    double answering = 0;   // the regulator's part: reading each command, pacing its reply
    for (auto _ : state) {
        wire::Tally once;
        wire::CountingRegisterIo io(regulator.link, once);
        regulator.sim.clearReceived();
        const auto t0 = std::chrono::steady_clock::now();
        const int result = transfer(io, host, doc, settings);
        seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
        answering += std::chrono::duration<double>(regulator.sim.answeringTime()).count();
        if (result != 0) {
            state.SkipWithError("transfer failed");
            return;
        }
        tally = once;
    }
    const double n = static_cast<double>(state.iterations());
    wire::report(state, tally, seconds / n);
    // Against the time the regulator itself took to answer: what is left
    // is the program's (and the pseudo-terminal's) turnaround.
    state.counters["ratio_answering"] = seconds / answering;
    state.counters["client_ms"] = (seconds - answering) / n * 1e3;
}

void BM_DownloadParameters(benchmark::State& state) {
    runTransfer(state, [](RegisterIo& io, TransferHost& host, TQFile1& doc,
                          const TransferSettings& s) { return DownloadParameters(io, host, doc, s); });
}

void BM_GetParameters(benchmark::State& state) {
    runTransfer(state, [](RegisterIo& io, TransferHost& host, TQFile1& doc,
                          const TransferSettings& s) { return GetParameters(io, host, doc, s); });
}

}  // namespace

BENCHMARK(BM_DownloadParameters)->ArgName("ieee")->Arg(1)->Arg(0)->Iterations(3)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_GetParameters)->ArgName("ieee")->Arg(1)->Arg(0)->Iterations(3)->Unit(benchmark::kMillisecond)->UseRealTime();
