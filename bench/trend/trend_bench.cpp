// Redrawing a recorded run: 19 channels at 1920 x 1080, fully zoomed out and
// zoomed in to a minute, for one hour (72,000 rows) and 1,000,000 rows, of a
// typical run and of a worst case.
// Goal: every redraw under 16 ms (a 60 Hz frame).
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <unistd.h>

#include "runtime/log_format.h"
#include "runtime/log_reader.h"
#include "runtime/log_series.h"
#include "runtime/trend_decimation.h"
#include "sim/board_model.h"
#include "sim/register_bank.h"
#include "ui/trend/trend_painter.h"
#include "ui/trend/trend_renderer.h"

namespace {

// A run of the virtual regulator whose set point steps between 10 and 25 deg C
// every ten minutes: what a bench log looks like.
RuntimeSample typicalSample(sim::BoardModel& board, sim::RegisterBank& bank, int i) {
    if (i % (20 * 600) == 0) bank.setBits(sim::reg::St1, sim::floatBits((i / (20 * 600)) % 2 ? 10.0f : 25.0f));
    board.step(bank, 0.05);
    const sim::RuntimeRecord& r = board.record();
    RuntimeSample s;
    s.gTsCnt = i;
    s.g_error = r.g_error;
    s.fgTc = r.fgTc; s.fgF1Tc = r.fgF1Tc; s.fgF2Tc = r.fgF2Tc;
    s.fgTa1 = r.fgTa1; s.fgTa2 = r.fgTa2; s.fgTa3 = r.fgTa3; s.fgTa4 = r.fgTa4;
    s.fgTrExt = r.fgTrExt; s.fgTr = r.fgTr; s.frTa = r.frTa; s.frTe = r.frTe;
    s.frTp = r.frTp; s.frTi = r.frTi; s.frTd = r.frTd; s.frTLPr = r.frTLPr;
    s.g_vin = r.g_vin; s.g_curr = r.g_curr;
    return s;
}

// kind 0: the virtual regulator's run; kind 1: every channel oscillating
// faster than a pixel column at full zoom-out (the worst case: each column
// is a full-height span).
std::string logText(int rows, int kind) {
    std::tm start{};
    start.tm_year = 126;
    start.tm_mday = 1;
    std::string text = logHeader(start, "virtual"), row;
    text.reserve(static_cast<std::size_t>(rows) * 170);
    sim::RegisterBank bank;
    bank.setBits(sim::reg::RegulatorFlags, 6 | 0x80);
    bank.setBits(sim::reg::Fan1Mode, 5);
    bank.setBits(sim::reg::Fan2Mode, 2);
    sim::BoardModel board;
    board.boot(bank);
    for (int i = 0; i < rows; ++i) {
        if (kind == 0) {
            appendLogRow(row, typicalSample(board, bank, i));
            text += row;
            continue;
        }
        RuntimeSample s;
        const float t = i / 20.0f;
        s.gTsCnt = i;
        s.g_error = (i / 9000) % 2 ? 4 : 0;
        s.fgTc = 50 * std::sin(t / 50);
        s.fgTa1 = 20 + 3 * std::sin(t / 70);
        s.fgTa2 = 30 + std::sin(t / 3);
        s.fgTa3 = 25;
        s.fgTa4 = 40 + std::cos(t / 90);
        s.frTa = 20 + 2 * std::sin(t / 40);
        s.fgTr = 20;
        s.frTe = s.fgTr - s.frTa;
        s.frTp = 10 * std::sin(t / 20);
        s.frTi = 5 * std::cos(t / 30);
        s.frTd = std::sin(t);
        s.frTLPr = 20;
        s.fgF1Tc = 6 + std::sin(t / 10);
        s.fgF2Tc = 12;
        s.g_vin = 12 + 0.1f * std::sin(t * 3);
        s.g_curr = 3 + std::sin(t / 5);
        appendLogRow(row, s);
        text += row;
    }
    return text;
}

const LogData& logOf(int rows, int kind) {
    static std::map<std::pair<int, int>, LogData> cache;
    auto it = cache.find({rows, kind});
    if (it != cache.end()) return it->second;
    const std::string text = logText(rows, kind);
    LogReadResult r = readLogText(text.data(), text.size());
    return cache.emplace(std::make_pair(rows, kind), std::move(r.data)).first->second;
}

// The state of a redraw: every channel, zoomed out or to one minute in the
// middle, the cursor in the middle.
TrendState stateOf(const benchmark::State& state, const TrendIndex& index) {
    const LogData& log = *index.log();
    TrendState s;
    s.log = &log;
    s.index = &index;
    for (int ch = 0; ch < kGraphChannelCount; ++ch) {
        s.channels[ch].enabled = true;
        s.channels[ch].colour = QColor::fromHsv(ch * 18, 255, 255);
        s.channels[ch].column = logColumnOfChannel(ch);
    }
    s.penWidth = 1;
    s.zoomToFit();
    if (state.range(1)) {  // zoomed in to one minute in the middle
        const double mid = (s.t0 + s.t1) / 2;
        s.t0 = mid - 30;
        s.t1 = mid + 30;
    }
    s.cursor = (s.t0 + s.t1) / 2;
    return s;
}

// Everything drawn anew, as after a change of range.
void BM_TrendRedraw(benchmark::State& state) {
    const LogData& log = logOf(static_cast<int>(state.range(0)), static_cast<int>(state.range(2)));
    const TrendIndex index(log);
    const TrendState s = stateOf(state, index);
    QImage image(1920, 1080, QImage::Format_RGB32);
    for (auto _ : state) {
        QPainter p(&image);
        paintTrend(p, image.rect(), s);
    }
}
BENCHMARK(BM_TrendRedraw)
    ->ArgsProduct({{72000, 1000000}, {0, 1}, {0, 1}})
    ->ArgNames({"rows", "zoomed", "worst"})
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

// The window's redraws through its kept picture: the cursor moving (the
// picture is copied, the cursor drawn over it), and a pan of one pixel
// (the traces drawn anew).
void BM_TrendRedrawKept(benchmark::State& state) {
    const LogData& log = logOf(static_cast<int>(state.range(0)), static_cast<int>(state.range(2)));
    const TrendIndex index(log);
    TrendState s = stateOf(state, index);
    const bool pan = state.range(3);
    QImage image(1920, 1080, QImage::Format_RGB32);
    TrendRenderer renderer;
    {
        QPainter p(&image);
        renderer.paint(p, image.rect(), s);
    }
    const double perPixel = (s.t1 - s.t0) / 1900;
    int i = 0;
    for (auto _ : state) {
        const double step = (++i % 2 ? 1 : -1) * perPixel;
        if (pan) {
            s.t0 += step;
            s.t1 += step;
        } else {
            *s.cursor += step * 7;
        }
        QPainter p(&image);
        renderer.paint(p, image.rect(), s);
    }
}
BENCHMARK(BM_TrendRedrawKept)
    ->ArgsProduct({{1000000}, {0, 1}, {0, 1}, {0, 1}})
    ->ArgNames({"rows", "zoomed", "worst", "pan"})
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

// The decimation alone: 19 channels into 1920 columns, fully zoomed out.
void BM_TrendColumns(benchmark::State& state) {
    const LogData& log = logOf(static_cast<int>(state.range(0)), 0);
    const TrendIndex index(log);
    const double end = log.seconds(log.rowCount() - 1);
    std::vector<LogColumn> columns;
    for (int ch = 0; ch < 17; ++ch) columns.push_back(logColumnOfChannel(ch));
    for (auto _ : state) {
        const auto bounds = index.columnBounds(0, end, 1920);
        benchmark::DoNotOptimize(index.columns(columns, bounds));
    }
}
BENCHMARK(BM_TrendColumns)->Arg(72000)->Arg(1000000)->Unit(benchmark::kMillisecond);

// Opening a log in the window: reading the file, the index the trend is
// drawn from and the series the step figures read. Goal: under 1.5 s for
// 1,000,000 rows.
void BM_TrendOpen(benchmark::State& state) {
    const auto path = std::filesystem::temp_directory_path() /
                      ("tq-bench-trend-" + std::to_string(state.range(0)) + "-" + std::to_string(::getpid()) + ".txt");
    {
        std::ofstream out(path, std::ios::binary);
        out << logText(static_cast<int>(state.range(0)), 0);
    }
    std::size_t indexBytes = 0;
    for (auto _ : state) {
        LogReadResult r = readLogFile(path.string());
        const TrendIndex index(r.data);
        benchmark::DoNotOptimize(stepSeriesOf(r.data));
        indexBytes = index.memoryBytes();
    }
    state.counters["index_MiB"] = indexBytes / 1048576.0;
    std::filesystem::remove(path);
}
BENCHMARK(BM_TrendOpen)->Arg(1000000)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3)->Repetitions(3);

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
