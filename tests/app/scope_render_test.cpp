// The strip chart's picture, pixel by pixel, rendered into an image.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QMenu>
#include <QTimer>
#include <QImageReader>
#include <QMouseEvent>
#include <QPainter>
#include <QTemporaryDir>
#include <cmath>

#include "runtime/channel_table.h"
#include "ui/runtime/scope_drawing.h"
#include "ui/runtime/scope_viewer_ctrl.h"

namespace {

constexpr int kW = 420;
constexpr int kH = 300;

// The page's configuration, one-pixel pens, only `channel` drawn.
ScopeState pageScope(int channel = 0) {
    ScopeState s;
    s.bottom = -99.9;
    s.top = 100.1;
    s.topLabel = QStringLiteral("Max");
    s.bottomLabel = QStringLiteral("Min");
    s.penWidth = 1;
    s.enabled.fill(false);
    s.enabled[channel] = true;
    return s;
}

void fill(ScopeState& s, int channel, double value) {
    for (double& v : s.samples[channel]) v = value;
}

QColor at(const QImage& image, int x, int y) { return image.pixelColor(x, y); }

// Rows of column `x` (inside the plot) that carry `colour`.
std::vector<int> rowsOf(const QImage& image, int x, const QColor& colour, const ScopePlot& plot) {
    std::vector<int> rows;
    for (int y = plot.top + 1; y < plot.bottom; ++y)
        if (at(image, x, y) == colour) rows.push_back(y);
    return rows;
}

int countColour(const QImage& image, const QColor& colour) {
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixelColor(x, y) == colour) ++n;
    return n;
}

}  // namespace

TEST(ScopeRender, ValueAtChannelMinLandsOnTheBottomRowAndBeyondIsPinned) {
    // A value equal to the channel's min scales to -100: the bottom row.
    ChannelTable table;
    table[5].min = 5.0f;
    table[5].max = 25.0f;
    ScopeState s = pageScope(0);
    fill(s, 0, table.scaled(5, 5.0f));
    const QImage image = renderScope(s, {kW, kH});
    const ScopePlot plot = scopePlot(s, kW, kH);
    const QColor red = colorFromRef(s.channelColors[0]);
    const int x = (plot.left + plot.right) / 2;
    EXPECT_EQ(rowsOf(image, x, red, plot), std::vector<int>{plot.bottom - 2});

    // Far below and far above: pinned to the bottom and top rows, never
    // outside the plot.
    fill(s, 0, -500.0);
    EXPECT_EQ(rowsOf(renderScope(s, {kW, kH}), x, red, plot), std::vector<int>{plot.bottom - 2});
    fill(s, 0, 500.0);
    const QImage high = renderScope(s, {kW, kH});
    EXPECT_EQ(rowsOf(high, x, red, plot), std::vector<int>{plot.top + 2});
    EXPECT_EQ(at(high, x, plot.top), colorFromRef(s.grid)) << "the frame stays intact";
    // +100 (a value at the channel's max) sits just below the range's top.
    EXPECT_EQ(scopeRow(s, plot, 100.0), plot.top + 2);
    EXPECT_EQ(scopeRow(s, plot, -100.0), plot.bottom - 2);
}

TEST(ScopeRender, LabelMarginFollowsTheLabelsOrTheRange) {
    ScopeState s;
    EXPECT_EQ(scopeLabelCharacters(s), 8);  // 100 and -100 with 2 decimals
    EXPECT_EQ(scopePlot(s, kW, kH).left, 50);
    s.topLabel = QStringLiteral("Max");
    s.bottomLabel = QStringLiteral("Min");
    EXPECT_EQ(scopeLabelCharacters(s), 5);
    for (double top : {0.5, 100.1, 123456.0}) {
        s.top = top;
        EXPECT_EQ(scopePlot(s, kW, kH).left, 2 + 30) << top;
    }
    ScopeState small;
    small.top = 0.001;
    small.bottom = 0.0;
    small.decimals = 4;
    EXPECT_EQ(scopeLabelCharacters(small), 3 + 4 + 4);  // leading zeros of 0.001

    // The frame's left edge is where the margin says, the inner rectangle's
    // left edge 30 pixels further left.
    ScopeState labelled = pageScope();
    const QImage image = renderScope(labelled, {kW, kH});
    const ScopePlot plot = scopePlot(labelled, kW, kH);
    ASSERT_EQ(plot.left, 32);
    const int y = plot.top + (plot.bottom - plot.top) / 3 + 1;  // away from labels and grid
    EXPECT_EQ(at(image, 32, y), colorFromRef(labelled.grid));
    EXPECT_EQ(at(image, 31, y), colorFromRef(labelled.background));
    EXPECT_EQ(at(image, plot.right, y), colorFromRef(labelled.grid));
    EXPECT_EQ(plot.right, kW - 5);
    EXPECT_EQ(plot.bottom, kH - 25);
}

TEST(ScopeRender, DottedGridHasThreeRowsOfEveryFourthPixel) {
    ScopeState s = pageScope();
    s.enabled.fill(false);
    const QImage image = renderScope(s, {kW, kH});
    const ScopePlot plot = scopePlot(s, kW, kH);
    const QColor grid = colorFromRef(s.grid);
    const QColor bg = colorFromRef(s.background);
    const int mid = (plot.top + plot.bottom) / 2;
    const int q = (plot.bottom - plot.top) / 4;
    for (int row : {mid - q, mid + q}) {  // the middle row has the "0" label at its left only
        for (int x = plot.left + 4; x < plot.right - 4; ++x) {
            const bool dot = (x - plot.left) % 4 == 0;
            ASSERT_EQ(at(image, x, row), dot ? grid : bg) << x << "," << row;
        }
    }
    EXPECT_EQ(at(image, plot.left + 8, mid), grid);
    EXPECT_EQ(at(image, plot.left + 9, mid), bg);
    EXPECT_EQ(at(image, plot.left + 8, mid + 1), bg);
}

TEST(ScopeRender, DisabledChannelLeavesNoTraceButKeepsShifting) {
    ScopeState s = pageScope(3);
    ScopeState always = s;
    s.enabled[3] = false;
    for (int i = 0; i < 150; ++i) {
        ScopeSample sample{};
        sample[3] = (i % 40) * 5.0 - 100.0;
        s.addSample(sample);
        always.addSample(sample);
    }
    const QColor blue = colorFromRef(s.channelColors[3]);
    EXPECT_EQ(countColour(renderScope(s, {kW, kH}), blue), 0);
    s.enabled[3] = true;
    const QImage back = renderScope(s, {kW, kH});
    EXPECT_GT(countColour(back, blue), 300);
    EXPECT_EQ(back, renderScope(always, {kW, kH})) << "the whole trace reappears";
}

TEST(ScopeRender, HundredAndFirstSamplePushesOutTheFirst) {
    ScopeState s = pageScope(0);
    for (int i = 0; i < 101; ++i) {
        ScopeSample sample{};
        sample[0] = i;
        s.addSample(sample);
    }
    EXPECT_EQ(s.samples[0][0], 1.0);
    EXPECT_EQ(s.samples[0][99], 100.0);

    // The oldest sample covers the first step as a level segment; the newest
    // ends at the plot's right edge less one.
    fill(s, 0, -100.0);
    s.samples[0][0] = 100.0;
    const ScopePlot plot = scopePlot(s, kW, kH);
    const QImage image = renderScope(s, {kW, kH});
    const QColor red = colorFromRef(s.channelColors[0]);
    EXPECT_EQ(at(image, plot.left + 2, plot.top + 2), red);
    EXPECT_EQ(at(image, plot.right - 1, plot.bottom - 2), red);
    EXPECT_NE(at(image, plot.right, plot.bottom - 2), red);
}

TEST(ScopeRender, ChannelZeroIsDrawnLastAndPenWidthIsClamped) {
    ScopeState s = pageScope(0);
    s.enabled[18] = true;
    const ScopePlot plot = scopePlot(s, kW, kH);
    const int x = (plot.left + plot.right) / 2;
    EXPECT_EQ(at(renderScope(s, {kW, kH}), x, scopeRow(s, plot, 0.0)), colorFromRef(s.channelColors[0]));

    ScopeState p;
    for (auto [in, stored] : {std::pair{0, 1}, {-3, 1}, {1, 1}, {6, 6}, {10, 10}, {11, 10}, {500, 10}}) {
        p.setPenWidth(in);
        EXPECT_EQ(p.penWidth, stored) << in;
    }
    // A wider pen covers more rows of a level trace.
    ScopeState thick = pageScope(0);
    thick.setPenWidth(5);
    const std::size_t thin = rowsOf(renderScope(pageScope(0), {kW, kH}), x, colorFromRef(s.channelColors[0]), plot).size();
    const std::size_t wide = rowsOf(renderScope(thick, {kW, kH}), x, colorFromRef(s.channelColors[0]), plot).size();
    EXPECT_EQ(thin, 1u);
    EXPECT_GE(wide, 4u);
}

TEST(ScopeRender, EmptyRangeAndNonNumbersDrawAtTheMiddleWithoutBreakingTheTrace) {
    // A channel whose min equals its max scales to the middle line.
    ChannelTable table;
    table[2].min = 7.0f;
    table[2].max = 7.0f;
    EXPECT_EQ(table.scaled(2, 3.0f), 0.0f);

    ScopeState s = pageScope(0);
    fill(s, 0, 0.0);
    s.samples[0][50] = std::nan("");
    const ScopePlot plot = scopePlot(s, kW, kH);
    const QImage image = renderScope(s, {kW, kH});
    const QColor red = colorFromRef(s.channelColors[0]);
    const int row = scopeRow(s, plot, 0.0);
    for (int x = plot.left + 2; x < plot.right - 1; ++x) ASSERT_EQ(at(image, x, row), red) << x;
    EXPECT_EQ(scopeRow(s, plot, std::nan("")), plot.top + (plot.bottom - plot.top) / 2);

    ScopeState flat = pageScope(0);
    flat.top = flat.bottom = 1.0;  // no caller does this; it must not break the picture
    EXPECT_EQ(scopeRow(flat, plot, 5.0), plot.top + (plot.bottom - plot.top) / 2);
    EXPECT_FALSE(renderScope(flat, {kW, kH}).isNull());
    // Too small for a plot: background and labels only.
    EXPECT_FALSE(renderScope(flat, {20, 20}).isNull());
}

TEST(ScopeControl, RepaintsAddsAndForwardsDoubleClicks) {
    CScopeViewerCtrl scope;
    scope.resize(kW, kH);
    scope.show();
    scope.setPenWidth(0);
    EXPECT_EQ(scope.state().penWidth, 1);
    scope.setPenWidth(99);
    EXPECT_EQ(scope.state().penWidth, 10);
    ScopeSample sample{};
    sample[4] = 42.0;
    scope.addSample(sample);
    EXPECT_EQ(scope.state().samples[4][99], 42.0);
    ScopeFlags flags{};
    flags[4] = true;
    scope.setChannelsEnabled(flags);
    EXPECT_EQ(scope.state().enabled, flags);
    EXPECT_EQ(scope.image(), renderScope(scope.state(), {kW, kH}));
    // What the screen shows is the picture.
    EXPECT_EQ(scope.grab().toImage().convertToFormat(QImage::Format_RGB32),
              renderScope(scope.state(), {kW, kH}, scope.devicePixelRatioF()));

    int doubleClicks = 0;
    QObject::connect(&scope, &CScopeViewerCtrl::doubleClicked, [&] { ++doubleClicks; });
    QMouseEvent left(QEvent::MouseButtonDblClick, QPointF(50, 50), scope.mapToGlobal(QPointF(50, 50)),
                     Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&scope, &left);
    QMouseEvent right(QEvent::MouseButtonDblClick, QPointF(50, 50), scope.mapToGlobal(QPointF(50, 50)),
                      Qt::RightButton, Qt::RightButton, Qt::NoModifier);
    QApplication::sendEvent(&scope, &right);
    EXPECT_EQ(doubleClicks, 1);
}

TEST(ScopeControl, SavesItsPictureAsPngAndReportsAFailure) {
    CScopeViewerCtrl scope;
    scope.resize(300, 200);
    ScopeSample sample{};
    sample[0] = 50.0;
    scope.addSample(sample);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("trace.png"));
    QString error;
    ASSERT_TRUE(scope.saveImage(path, &error)) << error.toStdString();
    QImageReader reader(path);
    EXPECT_EQ(reader.format(), "png");
    EXPECT_EQ(reader.read().convertToFormat(QImage::Format_RGB32), scope.image());

    EXPECT_FALSE(scope.saveImage(dir.filePath(QStringLiteral("missing/dir/trace.png")), &error));
    EXPECT_FALSE(error.isEmpty());
}

namespace {

// The painter's own lines: a clip makes the drawing skip the direct path.
QImage renderThroughPainter(const ScopeState& s, QSize size) {
    QImage image(size, QImage::Format_RGB32);
    QPainter p(&image);
    p.setClipRect(QRect(QPoint(0, 0), size));
    drawScope(p, s, size.width(), size.height());
    return image;
}

// Pixels of `colour` in `a` that have no pixel of that colour within
// `reach` pixels in `b`.
int strayPixels(const QImage& a, const QImage& b, const QColor& colour, int reach) {
    int stray = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            if (a.pixelColor(x, y) != colour) continue;
            bool near = false;
            for (int dy = -reach; dy <= reach && !near; ++dy)
                for (int dx = -reach; dx <= reach && !near; ++dx) {
                    const QPoint q(x + dx, y + dy);
                    near = b.rect().contains(q) && b.pixelColor(q) == colour;
                }
            if (!near) ++stray;
        }
    return stray;
}

}  // namespace

TEST(ScopeRender, DirectTracesFollowThePaintersLines) {
    ScopeState s = pageScope(0);
    for (int i = 0; i < kScopeHistory; ++i) s.samples[0][i] = 95.0 * std::sin(0.21 * i);
    const QColor red = colorFromRef(s.channelColors[0]);
    for (int pen : {1, 2, 5}) {
        s.setPenWidth(pen);
        const QImage direct = renderScope(s, {kW, kH});
        const QImage painted = renderThroughPainter(s, {kW, kH});
        const int drawn = countColour(direct, red);
        EXPECT_GT(drawn, 0);
        EXPECT_EQ(strayPixels(direct, painted, red, 1), 0) << "pen " << pen;
        EXPECT_EQ(strayPixels(painted, direct, red, 1), 0) << "pen " << pen;
        // About as much ink either way: the thickness holds on steep segments too.
        EXPECT_NEAR(drawn, countColour(painted, red), countColour(painted, red) / 5) << "pen " << pen;
    }
    // At a scale factor the traces are drawn in device pixels.
    s.setPenWidth(2);
    const QImage scaled = renderScope(s, {kW, kH}, 2.0);
    EXPECT_EQ(scaled.size(), QSize(2 * kW, 2 * kH));
    const ScopePlot plot = scopePlot(s, kW, kH);
    EXPECT_EQ(scaled.pixelColor(2 * (plot.left + 2), 2 * scopeRow(s, plot, s.samples[0][0])), red);
}

TEST(ScopeControl, ContextMenuCopiesThePictureToTheClipboard) {
    CScopeViewerCtrl scope;
    scope.resize(320, 220);
    scope.show();
    ScopeSample sample{};
    sample[0] = -30.0;
    scope.addSample(sample);

    QStringList offered;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        if (!menu) return;
        for (QAction* a : menu->actions()) offered << a->text();
        menu->actions().first()->trigger();
        menu->close();
    });
    poll.start(10);
    QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(30, 30), scope.mapToGlobal(QPoint(30, 30)));
    QApplication::sendEvent(&scope, &event);
    EXPECT_EQ(offered, (QStringList{QStringLiteral("Copy image"), QStringLiteral("Save image…")}));
    EXPECT_EQ(QApplication::clipboard()->image().convertToFormat(QImage::Format_RGB32), scope.image());
}
