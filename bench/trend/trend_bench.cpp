// Redrawing a recorded run: 19 channels at 1920 px, fully zoomed out and
// zoomed in to a minute, for one hour (72,000 rows) and 1,000,000 rows.
// Goal: every redraw under 16 ms (a 60 Hz frame).
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <cmath>
#include <map>
#include <string>

#include "runtime/log_format.h"
#include "runtime/log_reader.h"
#include "runtime/trend_decimation.h"
#include "ui/trend/trend_painter.h"

namespace {

const LogData& logOf(int rows) {
    static std::map<int, LogData> cache;
    auto it = cache.find(rows);
    if (it != cache.end()) return it->second;
    std::tm start{};
    start.tm_year = 126;
    start.tm_mday = 1;
    std::string text = logHeader(start, "virtual"), row;
    text.reserve(static_cast<std::size_t>(rows) * 170);
    for (int i = 0; i < rows; ++i) {
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
    LogReadResult r = readLogText(text.data(), text.size());
    return cache.emplace(rows, std::move(r.data)).first->second;
}

void BM_TrendRedraw(benchmark::State& state) {
    const LogData& log = logOf(static_cast<int>(state.range(0)));
    const TrendIndex index(log);
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
    QImage image(1920, 1080, QImage::Format_RGB32);
    for (auto _ : state) {
        QPainter p(&image);
        paintTrend(p, image.rect(), s);
    }
}
BENCHMARK(BM_TrendRedraw)
    ->ArgsProduct({{72000, 1000000}, {0, 1}})
    ->ArgNames({"rows", "zoomed"})
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

// The decimation alone: 19 channels into 1920 columns, fully zoomed out.
void BM_TrendColumns(benchmark::State& state) {
    const LogData& log = logOf(static_cast<int>(state.range(0)));
    const TrendIndex index(log);
    const double end = log.seconds(log.rowCount() - 1);
    for (auto _ : state) {
        const auto bounds = index.columnBounds(0, end, 1920);
        for (int ch = 0; ch < 17; ++ch) benchmark::DoNotOptimize(index.columns(logColumnOfChannel(ch), bounds));
    }
}
BENCHMARK(BM_TrendColumns)->Arg(72000)->Arg(1000000)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
