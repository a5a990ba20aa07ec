// Reading "tq_setup.ini"-style files with many names: the cost per line must
// not grow with the number of names already read.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <unistd.h>

#include "app/ini_file.h"

namespace {

void BM_IniReadNames(benchmark::State& state) {
    const int names = static_cast<int>(state.range(0));
    const std::string path = "/tmp/tq-ini-bench-" + std::to_string(getpid()) + ".ini";
    {
        std::ofstream out(path);
        out << "[Sensor0]\n";
        for (int i = 0; i < names; ++i)
            out << "Name" << i << '=' << i << '\n';
    }
    for (auto _ : state) {
        IniFile ini(path);
        benchmark::DoNotOptimize(ini.readFile());
        benchmark::DoNotOptimize(ini.getValue("Sensor0", "Name0"));
    }
    std::remove(path.c_str());
    state.SetItemsProcessed(state.iterations() * names);
}
BENCHMARK(BM_IniReadNames)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
