// The keyboard of the main window (tab keys, F6 panes, the tab strip's focus
// mark), the status-bar panes, the title and the window icon.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QImage>
#include <QKeyEvent>
#include <QPushButton>
#include <QTemporaryDir>

#include "app/command_ids.h"
#include "app/connection_manager.h"
#include "app/main_frame.h"
#include "app/status_pane_texts.h"
#include "app/tq_interface_app.h"
#include "params/tq_interface_doc.h"
#include "sim/virtual_regulator.h"
#include "test_support.h"
#include "ui/pane_focus.h"
#include "ui/status_panel.h"
#include "ui/tab_strip.h"
#include "ui/tq_interface_view.h"

namespace {

class WindowKeys : public ::testing::Test {
protected:
    void SetUp() override {
        previousDir = QDir::currentPath();
        QDir::setCurrent(workDir.path());
        frame = new CMainFrame;
        view = new CTQ_InterfaceView(frame, &document);
        frame->setCentralWidget(view);
        document.OnNewDocument();
        view->initialUpdate();
        frame->show();
        QApplication::setActiveWindow(frame);
        spinUntil([&] { return frame->isActiveWindow(); }, 2000);
    }
    void TearDown() override {
        delete frame;
        QDir::setCurrent(previousDir);
    }
    void press(QWidget* target, int key, Qt::KeyboardModifiers modifiers) {
        QKeyEvent event(QEvent::KeyPress, key, modifiers);
        QApplication::sendEvent(target, &event);
    }

    QTemporaryDir workDir;
    QString previousDir;
    CTQ_InterfaceDoc document;
    CMainFrame* frame = nullptr;
    CTQ_InterfaceView* view = nullptr;
};

}  // namespace

TEST_F(WindowKeys, CtrlTabAndCtrlPageKeysSwitchTabsFromAnywhereInTheWindow) {
    TabStrip* tabs = view->tabs();
    QWidget* inPanel = view->panel()->stopButton();
    ASSERT_EQ(tabs->currentIndex(), 0);
    press(inPanel, Qt::Key_Tab, Qt::ControlModifier);
    EXPECT_EQ(tabs->currentIndex(), 1);
    press(tabs->bar(), Qt::Key_PageDown, Qt::ControlModifier);
    EXPECT_EQ(tabs->currentIndex(), 2);
    press(view, Qt::Key_PageUp, Qt::ControlModifier);
    EXPECT_EQ(tabs->currentIndex(), 1);
    // Shift+Tab arrives as Backtab on a real keyboard, as Tab with Shift from others.
    press(inPanel, Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(tabs->currentIndex(), 0);
    press(inPanel, Qt::Key_Tab, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(tabs->currentIndex(), tabs->count() - 1) << "wraps around";
    press(inPanel, Qt::Key_Tab, Qt::ControlModifier);
    EXPECT_EQ(tabs->currentIndex(), 0) << "wraps around";
    EXPECT_TRUE(tabs->page(0)->isVisible());
    EXPECT_FALSE(tabs->page(tabs->count() - 1)->isVisible());

    tabs->setTabEnabled(1, false);
    press(inPanel, Qt::Key_Tab, Qt::ControlModifier);
    EXPECT_EQ(tabs->currentIndex(), 2) << "a disabled tab is passed over";
    tabs->setTabEnabled(1, true);

    press(inPanel, Qt::Key_Tab, Qt::NoModifier);  // plain keys are not tab keys
    press(inPanel, Qt::Key_PageDown, Qt::NoModifier);
    press(inPanel, Qt::Key_PageDown, Qt::ControlModifier | Qt::AltModifier);
    EXPECT_EQ(tabs->currentIndex(), 2);
}

TEST_F(WindowKeys, TheTabStripDrawsAFocusMarkWhileItHasTheFocus) {
    ColouredTabBar* bar = view->tabs()->bar();
    bar->clearFocus();
    ASSERT_TRUE(spinUntil([&] { return !bar->hasFocus(); }, 2000));
    const QImage without = bar->grab().toImage();
    bar->setFocus(Qt::TabFocusReason);
    ASSERT_TRUE(spinUntil([&] { return bar->hasFocus(); }, 2000));
    const QImage with = bar->grab().toImage();
    ASSERT_EQ(with.size(), without.size());
    // The mark runs along the selected tab's text area.
    const QRect mark = bar->focusMarkRect();
    const qreal dpr = with.devicePixelRatio();
    int changed = 0;
    for (int x = mark.left(); x <= mark.right(); ++x) {
        const QPoint top(int(x * dpr), int(mark.top() * dpr));
        if (with.pixel(top) != without.pixel(top)) ++changed;
    }
    EXPECT_GT(changed, mark.width() / 4) << "dotted line along the top of the mark";
}

TEST_F(WindowKeys, F6AndShiftF6WalkThroughThePanes) {
    QAction* next = frame->command(cmd::NextPane);
    QAction* previous = frame->command(cmd::PrevPane);
    ASSERT_NE(next, nullptr);
    ASSERT_NE(previous, nullptr);
    EXPECT_EQ(next->shortcut(), QKeySequence(Qt::Key_F6));
    EXPECT_EQ(previous->shortcut(), QKeySequence(Qt::SHIFT | Qt::Key_F6));
    const std::vector<QWidget*> panes = {view->panel(), view->tabs()->bar(), view->tabs()->page(0)};
    auto paneOfFocus = [&] { return paneHolding(panes, QApplication::focusWidget()); };
    // Pages without an entry field are passed over like the panel below.
    const int page = firstFocusableIn(view->tabs()->page(0)) ? 2 : 1;

    // Port closed: STOP and SEND are disabled, the panel takes no focus.
    ASSERT_EQ(firstFocusableIn(view->panel()), nullptr);
    view->tabs()->bar()->setFocus();
    ASSERT_TRUE(spinUntil([&] { return paneOfFocus() == 1; }, 2000));
    next->trigger();
    EXPECT_EQ(paneOfFocus(), page);
    next->trigger();
    EXPECT_EQ(paneOfFocus(), 1) << "the panel is passed over";
    previous->trigger();
    EXPECT_EQ(paneOfFocus(), page);

    // Port open: the panel's buttons take the focus.
    sim::VirtualRegulator regulator;
    ASSERT_TRUE(regulator.start());
    view->connection().setPortOverride(regulator.slavePath());
    view->connection().connectPort();
    ASSERT_TRUE(spinUntil([&] { return view->panel()->stopButton()->isEnabled(); }, 3000));
    view->tabs()->bar()->setFocus();
    ASSERT_TRUE(spinUntil([&] { return paneOfFocus() == 1; }, 2000));
    previous->trigger();
    EXPECT_EQ(paneOfFocus(), 0);
    previous->trigger();
    EXPECT_EQ(paneOfFocus(), page) << "wraps around";
    next->trigger();
    EXPECT_EQ(paneOfFocus(), 0);
    next->trigger();
    EXPECT_EQ(paneOfFocus(), 1);
    view->connection().disconnectPort();
}

TEST_F(WindowKeys, TitleIsExactlyTheRuleAndTheWindowHasTheProgramIcon) {
    EXPECT_EQ(frame->windowTitle(), "Untitled - TQ_Interface 1.1.9a");
    EXPECT_FALSE(CTQ_InterfaceApp::programIcon().isNull());
    EXPECT_FALSE(CTQ_InterfaceApp::programIcon().pixmap(32, 32).isNull());
}

TEST(StatusPaneTexts, LinkStateAndRate) {
    LinkActivity a;
    using L = LinkActivity::Link;
    a.update(false, L::Searching, 0, 0);
    EXPECT_EQ(a.text(), QString());
    a.update(true, L::Searching, 0, 100);
    EXPECT_EQ(a.text(), QStringLiteral("Searching\u2026"));
    // Twenty samples a second for four seconds.
    std::uint64_t samples = 0;
    for (std::int64_t t = 1000; t <= 5000; t += 250) {
        a.update(true, L::Online, samples, t);
        samples += 5;
    }
    EXPECT_EQ(a.text(), QStringLiteral("Online 20.0 Hz"));
    a.update(true, L::Busy, samples, 5250);  // a command holds the link
    EXPECT_EQ(a.text(), QStringLiteral("Online 20.0 Hz"));
    a.update(true, L::Searching, samples, 5500);
    EXPECT_EQ(a.text(), QStringLiteral("Lost"));
    a.update(true, L::Searching, samples, 6000);
    EXPECT_EQ(a.text(), QStringLiteral("Lost")) << "until found again";
    a.update(true, L::Online, samples, 6250);
    EXPECT_EQ(a.text(), QStringLiteral("Online 0.0 Hz")) << "a new online period measures afresh";
    a.update(false, L::Searching, samples, 6500);
    EXPECT_EQ(a.text(), QString());
    a.update(true, L::Searching, samples, 6750);
    EXPECT_EQ(a.text(), QStringLiteral("Searching\u2026")) << "a closed port forgets the loss";

    EXPECT_EQ(logPaneText(false, "/data/run.txt", 10, 1000), QString());
    EXPECT_EQ(logPaneText(true, "/data/LoggFile001.txt", 1234, 3725'400),
              QStringLiteral("LoggFile001.txt: 1234 rows, 01:02:05"));
    const QString shortened = logPaneText(true, "/d/bench_run_cooling_profile_2026_12_08.txt", 5, 0);
    EXPECT_EQ(shortened, QStringLiteral("bench_run_co\u2026_2026_12_08.txt: 5 rows, 00:00:00"));
}

TEST(StatusPanes, ShowTheRegulatorOnlineWithItsRateAndTheRunningLog) {
    QTemporaryDir dir;
    const QString previous = QDir::currentPath();
    QDir::setCurrent(dir.path());
    sim::SimOptions options;
    options.demo = true;
    sim::VirtualRegulator regulator(options);
    ASSERT_TRUE(regulator.start());
    CTQ_InterfaceDoc document;
    auto* frame = new CMainFrame;
    auto* view = new CTQ_InterfaceView(frame, &document, regulator.slavePath());
    frame->setCentralWidget(view);
    document.OnNewDocument();
    view->initialUpdate();
    EXPECT_EQ(frame->linkStateText(), QString()) << "port closed";
    view->connection().connectPort();
    EXPECT_TRUE(spinUntil([&] { return frame->linkStateText().startsWith("Searching") ||
                                       frame->linkStateText().startsWith("Online"); }, 3000));
    // The virtual regulator streams about twenty samples a second.
    EXPECT_TRUE(spinUntil([&] {
        const QString t = frame->linkStateText();
        if (!t.startsWith("Online ") || !t.endsWith(" Hz")) return false;
        const double hz = t.mid(7, t.size() - 10).toDouble();
        return hz > 10.0 && hz < 30.0;
    }, 10000)) << frame->linkStateText().toStdString();

    EXPECT_EQ(frame->logText(), QString());
    ASSERT_TRUE(view->startLogInto(QDir(dir.path()).filePath("panes.txt")));
    EXPECT_TRUE(spinUntil([&] { return frame->logText().startsWith("panes.txt: ") &&
                                       !frame->logText().startsWith("panes.txt: 0 rows"); }, 5000))
        << frame->logText().toStdString();
    view->onLogStop();
    EXPECT_TRUE(spinUntil([&] { return frame->logText().isEmpty(); }, 2000));

    regulator.setFault(sim::Fault::StreamStops);
    EXPECT_TRUE(spinUntil([&] { return frame->linkStateText() == "Lost"; }, 5000))
        << frame->linkStateText().toStdString();
    delete frame;
    QDir::setCurrent(previous);
}
