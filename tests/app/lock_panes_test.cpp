// The status bar's Caps, Num and Scroll Lock panes: read from the window
// system, never guessed from the keys the program happens to see.
#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <memory>

#include "app/lock_indicators.h"
#include "app/main_frame.h"

namespace {

// Reports whatever the test sets, as the keyboard of another window would.
class FakeLockReader : public LockIndicatorReader {
public:
    explicit FakeLockReader(std::shared_ptr<std::optional<LockStates>> states) : states_(std::move(states)) {}
    std::optional<LockStates> read() override { return *states_; }

private:
    std::shared_ptr<std::optional<LockStates>> states_;
};

QStringList panes(const CMainFrame& frame) {
    return {frame.lockPaneText(0), frame.lockPaneText(1), frame.lockPaneText(2)};
}

}  // namespace

TEST(LockPanes, BlankUnlessReadAndReadAgainOnActivationAndTheLockKeys) {
    CMainFrame frame;  // offscreen: the indicators cannot be read
    EXPECT_EQ(panes(frame), QStringList({"", "", ""}));

    // Caps Lock was on before the program started.
    auto states = std::make_shared<std::optional<LockStates>>(LockStates{true, false, false});
    frame.setLockIndicatorReader(std::make_unique<FakeLockReader>(states));
    EXPECT_EQ(panes(frame), QStringList({"CAP", "", ""}));

    // Changed in another window: shown when the program is active again.
    *states = LockStates{false, true, true};
    QApplicationStateChangeEvent inactive(Qt::ApplicationInactive);
    QApplication::sendEvent(qApp, &inactive);
    EXPECT_EQ(panes(frame), QStringList({"CAP", "", ""})) << "read on activation, not on leaving";
    QApplicationStateChangeEvent active(Qt::ApplicationActive);
    QApplication::sendEvent(qApp, &active);
    EXPECT_EQ(panes(frame), QStringList({"", "NUM", "SCRL"}));

    *states = LockStates{true, true, false};
    QEvent activate(QEvent::WindowActivate);
    QApplication::sendEvent(&frame, &activate);
    EXPECT_EQ(panes(frame), QStringList({"CAP", "NUM", ""}));

    // A lock key pressed here: the state as the window system then holds
    // it (a lock goes off on the key's release), whatever it was before.
    *states = LockStates{true, false, false};
    QKeyEvent numPress(QEvent::KeyPress, Qt::Key_NumLock, Qt::NoModifier);
    QApplication::sendEvent(&frame, &numPress);
    EXPECT_EQ(panes(frame), QStringList({"CAP", "", ""}));
    *states = LockStates{false, false, false};
    QKeyEvent capsRelease(QEvent::KeyRelease, Qt::Key_CapsLock, Qt::NoModifier);
    QApplication::sendEvent(&frame, &capsRelease);
    EXPECT_EQ(panes(frame), QStringList({"", "", ""}));

    // A read that fails leaves the panes blank rather than stale.
    *states = LockStates{true, true, true};
    QApplication::sendEvent(qApp, &active);
    ASSERT_EQ(panes(frame), QStringList({"CAP", "NUM", "SCRL"}));
    states->reset();
    QApplication::sendEvent(qApp, &active);
    EXPECT_EQ(panes(frame), QStringList({"", "", ""}));
}
