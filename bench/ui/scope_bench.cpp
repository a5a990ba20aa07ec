// Repaint of the strip charts into an image: the Runtime page's chart at its
// on-screen size and the RuntimeData chart at 1920 x 1080, 19 channels of
// 100 samples with pen 2. Goals: 1 ms and 3 ms (8 repaints a second then
// cost under 1 % of a core).
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <cmath>

#include "runtime/channel_table.h"
#include "ui/runtime/runtime_page.h"
#include "ui/runtime/scope_drawing.h"
#include "ui/runtime/scope_viewer_ctrl.h"

namespace {

QSize pageScopeSize() {
    // The page laid out at the size the tab strip gives it at the default font.
    static const QSize size = [] {
        ChannelTable table;
        CRuntimePage page(table);
        page.resize(760, 330);
        page.show();
        QCoreApplication::processEvents();
        return page.scope()->size();
    }();
    return size;
}

ScopeState busyScope() {
    ScopeState s;
    s.bottom = -99.9;
    s.top = 100.1;
    s.topLabel = QStringLiteral("Max");
    s.bottomLabel = QStringLiteral("Min");
    s.xAxisLabel = QStringLiteral("0.125 sec/sample");
    s.setPenWidth(2);
    for (int i = 0; i < kScopeHistory; ++i) {
        ScopeSample sample;
        for (int c = 0; c < kScopeChannels; ++c) sample[c] = 95.0 * std::sin(0.07 * i + c);
        s.addSample(sample);
    }
    return s;
}

void repaint(benchmark::State& st, QSize size) {
    const ScopeState scope = busyScope();
    QImage image(size, QImage::Format_RGB32);
    for (auto _ : st) {
        QPainter p(&image);
        drawScope(p, scope, size.width(), size.height());
        p.end();
        benchmark::DoNotOptimize(image.constBits());
    }
    st.counters["width"] = size.width();
    st.counters["height"] = size.height();
}

void BM_PageScopeRepaint(benchmark::State& st) { repaint(st, pageScopeSize()); }
void BM_RuntimeDataScopeRepaint1080p(benchmark::State& st) { repaint(st, QSize(1920, 1080)); }

BENCHMARK(BM_PageScopeRepaint)->Unit(benchmark::kMillisecond)->Repetitions(9)->ReportAggregatesOnly(true);
BENCHMARK(BM_RuntimeDataScopeRepaint1080p)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(9)
    ->ReportAggregatesOnly(true);

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
