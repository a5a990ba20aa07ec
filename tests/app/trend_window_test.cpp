// The Trend window of a recorded log: zoom and pan rules, the drawn spike,
// the cursor row, the step figures, and a replay that drives the panel.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QPainter>
#include <QTemporaryDir>
#include <cmath>

#include "app/main_frame.h"
#include "params/tq_interface_doc.h"
#include "runtime/log_format.h"
#include "ui/status_panel.h"
#include "ui/tq_interface_view.h"
#include "ui/trend/log_replay.h"
#include "ui/trend/trend_canvas.h"
#include "ui/trend/trend_painter.h"
#include "ui/trend/trend_renderer.h"
#include "ui/trend/trend_window.h"

namespace {

// A run in which Sp1 steps from 20 to 30 at 10 s and Tr1 follows with a lag
// of 5 s; T1 counts up by 0.01 a row so that each row is recognisable.
std::string stepRun(int rows, int spikeRow = -1) {
    std::tm start{};
    start.tm_year = 126;
    start.tm_mon = 11;
    start.tm_mday = 8;
    start.tm_hour = 10;
    start.tm_isdst = -1;
    std::string text = logHeader(start, "TQ-REG V0.215 virtual");
    for (int i = 0; i < rows; ++i) {
        RuntimeSample s;
        const double t = i / 20.0;
        s.gTsCnt = i;
        s.fgTr = t < 10 ? 20 : 30;
        s.frTa = t < 10 ? 20 : static_cast<float>(30 - 10 * std::exp(-(t - 10) / 5));
        s.fgTa1 = 10 + i * 0.01f;
        s.fgTc = i == spikeRow ? 100 : 0;
        s.g_error = i >= rows / 2 ? 4 : 0;
        text += logRow(s);
    }
    return text + logFooter(start);
}

class TrendWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        frame = new CMainFrame;
        view = new CTQ_InterfaceView(frame, &document);
        frame->setCentralWidget(view);
        document.OnNewDocument();
        view->initialUpdate();
    }
    void TearDown() override { delete frame; }

    QString write(const std::string& text) {
        const QString path = dir.filePath(QStringLiteral("run.txt"));
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(text.data(), static_cast<qint64>(text.size()));
        return path;
    }

    QTemporaryDir dir;
    CTQ_InterfaceDoc document;
    CMainFrame* frame = nullptr;
    CTQ_InterfaceView* view = nullptr;
};

}  // namespace

TEST(TrendState, ZoomKeepsTheAnchorAndPanStaysOnTheLog) {
    TrendState s;  // no log: a duration of one second
    s.t0 = 0;
    s.t1 = 1;
    s.zoom(0.5, 0.75);
    EXPECT_NEAR(s.t1 - s.t0, 0.5, 1e-12);
    EXPECT_NEAR((0.75 - s.t0) / (s.t1 - s.t0), 0.75, 1e-12);
    s.pan(100);  // far past the end: a tenth of the view stays on the log
    EXPECT_NEAR(s.t0, 1 - 0.05, 1e-12);
    s.pan(-100);
    EXPECT_NEAR(s.t1, 0.05, 1e-12);
    s.zoom(1e-6, 0.5);
    EXPECT_NEAR(s.t1 - s.t0, 0.25, 1e-12);  // never below five samples
}

TEST_F(TrendWindowTest, DrawsTheSpikeReadsTheCursorRowAndMeasuresTheStep) {
    const int rows = 20 * 600, spike = 7777;
    TrendWindow* w = view->openLog(write(stepRun(rows, spike)));
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->log().rowCount(), static_cast<std::size_t>(rows));

    // Only Main, in pure white, at full zoom-out: the spike's column reaches the top.
    TrendState& s = w->canvas()->state();
    for (auto& c : s.channels) c.enabled = false;
    s.channels[0].enabled = true;
    s.channels[0].colour = Qt::white;
    s.background = Qt::black;
    s.grid = Qt::black;
    s.zoomToFit();
    const QImage image = w->canvas()->renderImage(QSize(1000, 400));
    const QRect plot = trendPlotRect(QRect(0, 0, 1000, 400), w->canvas()->fontMetrics().height());
    const int x = trendXOf(plot, s, w->log().seconds(spike));
    bool top = false;
    for (int dx = -1; dx <= 1; ++dx)
        for (int y = plot.top(); y < plot.top() + plot.height() / 10; ++y)
            top |= image.pixelColor(x + dx, y) == QColor(Qt::white);
    EXPECT_TRUE(top) << "the one-row spike is drawn at full zoom-out";

    s.cursor = 12.34;  // between rows 246 (12.30 s) and 247 (12.35 s)
    EXPECT_EQ(trendCursorRow(s), 247u);
    s.cursor = 1e9;
    EXPECT_EQ(trendCursorRow(s), static_cast<std::size_t>(rows - 1));

    w->selectRange(5, 200);
    ASSERT_TRUE(w->stepResult().ok) << w->stepResult().error;
    EXPECT_NEAR(*w->stepResult().figures.riseTime, 5 * std::log(9.0), 0.1);
    EXPECT_TRUE(w->figuresText().contains(QStringLiteral("20.00 -> 30.00")));
    w->close();
}

TEST_F(TrendWindowTest, TheKeptPictureIsTheOneDrawnAnew) {
    TrendWindow* w = view->openLog(write(stepRun(20 * 600, 7777)));
    ASSERT_NE(w, nullptr);
    TrendState s = w->canvas()->state();
    for (auto& c : s.channels) c.enabled = c.column != LogColumn::Count;
    const QFont font = w->canvas()->font();
    TrendRenderer renderer;
    auto draw = [&](auto&& paint) {
        QImage image(900, 420, QImage::Format_RGB32);
        QPainter p(&image);
        p.setFont(font);
        paint(p, image.rect());
        return image;
    };
    QImage last;
    auto same = [&](const char* what) {
        last = draw([&](QPainter& p, const QRect& r) { renderer.paint(p, r, s); });
        EXPECT_TRUE(last == draw([&](QPainter& p, const QRect& r) { paintTrend(p, r, s); })) << what;
    };

    s.zoomToFit();  // 12,000 rows on about 890 columns
    same("zoomed out");
    s.cursor = 123.4;
    same("cursor");
    const QImage atFirstCursor = last;
    s.cursor = 300.0;
    same("cursor moved");
    EXPECT_FALSE(last == atFirstCursor) << "the cursor is drawn over the kept picture";
    s.selection = std::make_pair(100.0, 420.0);
    same("selection");
    EXPECT_EQ(renderer.layerBuilds(), 1) << "neither the cursor nor the selection redraws the traces";
    EXPECT_EQ(renderer.pictureBuilds(), 2);

    s.t0 = 385;  // ten seconds around the spike at 388.85 s: every row joined
    s.t1 = 395;
    s.selection = std::make_pair(387.0, 389.0);
    s.cursor = 388.85;
    same("zoomed in");
    s.channels[0].enabled = false;
    s.penWidth = 3;
    same("a channel hidden, a wider pen");
    s.zoomToFit();
    s.channels[5].colour = Qt::yellow;
    s.background = QColor(20, 20, 60);
    same("zoomed out, wider pen, other colours");
    s.autoScale = false;
    s.selection.reset();
    same("the table's ranges, no selection");
    EXPECT_EQ(renderer.layerBuilds(), 5);
    w->close();
}

TEST_F(TrendWindowTest, ReplayDrivesThePanelToTheLoggedValues) {
    TrendWindow* w = view->openLog(write(stepRun(400)));
    ASSERT_NE(w, nullptr);
    w->selectRange(2.0, 19.0);
    w->startReplay(20);
    ASSERT_TRUE(w->replay()->running());
    // Row 40 (2.0 s) first: T1 = 10 + 40 x 0.01.
    EXPECT_EQ(view->panel()->fieldText(PanelField::T1), QStringLiteral("10.40"));
    w->replay()->tick();  // 125 ms at 20x: 2.5 s later, row 90
    EXPECT_EQ(view->panel()->fieldText(PanelField::T1), QStringLiteral("10.90"));
    for (int i = 0; i < 20 && w->replay()->running(); ++i) w->replay()->tick();
    EXPECT_FALSE(w->replay()->running()) << "the replay ends at the last row";
    // Ended, the panel shows no replayed number as if it were live.
    EXPECT_EQ(view->panel()->fieldText(PanelField::T1), QStringLiteral("--"));
    w->startReplay(1);
    EXPECT_NE(view->panel()->fieldText(PanelField::T1), QStringLiteral("--"));
    w->close();
    EXPECT_EQ(view->panel()->fieldText(PanelField::T1), QStringLiteral("--"));
}

TEST_F(TrendWindowTest, ALogThatDoesNotReadIsRefusedWithAMessage) {
    QTimer::singleShot(0, [] {
        for (QWidget* top : QApplication::topLevelWidgets())
            if (top->inherits("QMessageBox")) top->close();
    });
    EXPECT_EQ(view->openLog(dir.filePath(QStringLiteral("missing.txt"))), nullptr);
}
