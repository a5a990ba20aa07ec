// The splash screen stays until the main window is up and its time-out has
// passed, and not a moment longer.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QPointer>

#include "app/splash_screen.h"
#include "test_support.h"

namespace {

bool gone(const QPointer<CSplashScreenEx>& splash) { return !splash || !splash->isVisible(); }

}  // namespace

// A start-up longer than the time-out (it lets events through to draw its
// texts): the splash waits for the main window, then goes at the first pass
// of the event loop.
TEST(SplashScreen, AfterALongStartUpGoesAtTheFirstLoopPassOnceTheWindowIsUp) {
    QPointer<CSplashScreenEx> splash = new CSplashScreenEx(QStringLiteral("Startup..."), 50, 0);
    splash->showSplash();
    spinFor(250);
    EXPECT_FALSE(gone(splash)) << "the main window is not up yet";
    splash->mainWindowShown();
    QCoreApplication::processEvents();
    EXPECT_TRUE(gone(splash));
    delete splash.data();
}

// A quick start-up: the splash stays for its time-out, counted from its show.
TEST(SplashScreen, AfterAQuickStartUpStaysForItsTimeOut) {
    QPointer<CSplashScreenEx> splash = new CSplashScreenEx(QStringLiteral("Startup..."), 400, 0);
    QElapsedTimer clock;
    clock.start();
    splash->showSplash();
    splash->mainWindowShown();
    QCoreApplication::processEvents();
    EXPECT_FALSE(gone(splash));
    ASSERT_TRUE(spinUntil([&] { return gone(splash); }, 5000));
    EXPECT_GE(clock.elapsed(), 350);
    EXPECT_LT(clock.elapsed(), 2000);
    delete splash.data();
}
