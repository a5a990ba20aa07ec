// The tq_interface executable itself: one instance per user, the command line.
#include <gtest/gtest.h>

#include "app_process.h"
#include "test_support.h"

TEST_F(AppProcessTest, SecondStartExitsWhileTheFirstRuns) {
    QProcess* first = start({});
    ASSERT_TRUE(first->waitForStarted(5000));
    // The first instance is up once it created the setup file in its user path.
    ASSERT_TRUE(spinUntil([&] { return QFile::exists(QDir(userDir()).filePath("tq_setup.ini")); }, 15000));
    QProcess* second = start({});
    ASSERT_TRUE(second->waitForFinished(15000));
    EXPECT_EQ(second->exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second->exitCode(), 0);
    EXPECT_EQ(first->state(), QProcess::Running);
    QProcess* third = start({});
    ASSERT_TRUE(third->waitForFinished(15000));
    EXPECT_EQ(first->state(), QProcess::Running);
}

TEST_F(AppProcessTest, PrintSwitchesAreRefusedForNow) {
    QProcess* p = start({"--print", "report.tq"});
    ASSERT_TRUE(p->waitForFinished(15000));
    EXPECT_NE(p->exitCode(), 0);
    EXPECT_TRUE(p->readAllStandardError().contains("printing"));
    EXPECT_FALSE(QFile::exists(QDir(userDir()).filePath("tq_setup.ini"))) << "no window was built";
}

// A settings store without USER_PATH puts "tq_setup.ini" into the user's
// documents, not into the directory the program was started from.
TEST_F(AppProcessTest, AFreshStoreKeepsTheStartDirectoryClean) {
    QProcess* p = start({});
    ASSERT_TRUE(spinUntil([&] { return QFile::exists(QDir(userDir()).filePath("tq_setup.ini")); }, 15000));
    EXPECT_FALSE(QFile::exists(QDir(work.path()).filePath("tq_setup.ini")));
    stop(p);
    QSettings s(settingsFile(), QSettings::IniFormat);
    EXPECT_EQ(s.value("APP/USER_PATH").toString(), userDir());
}
