// The tq_interface executable itself: one instance per user, the command line.
#include <gtest/gtest.h>

#include "app_process.h"
#include "params/tq_interface_doc.h"
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

TEST_F(AppProcessTest, PrintSwitchesNameTheFailureAndOpenNoWindow) {
    // No printer is set up on the test machines: each run ends with its reason.
    CTQ_InterfaceDoc document;
    document.OnNewDocument();
    ASSERT_TRUE(document.SaveAs(work.filePath("report.tq").toStdString()));

    QProcess* missing = start({"--print", "absent.tq"});
    ASSERT_TRUE(missing->waitForFinished(15000));
    EXPECT_NE(missing->exitCode(), 0);
    const QByteArray why = missing->readAllStandardError();
    EXPECT_TRUE(why.contains("Unable to open \"") && why.contains("absent.tq\"")) << why.constData();

    QProcess* named = start({"--print-to", "no-such-printer", "report.tq"});
    ASSERT_TRUE(named->waitForFinished(15000));
    EXPECT_NE(named->exitCode(), 0);
    EXPECT_TRUE(named->readAllStandardError().contains("There is no printer named \"no-such-printer\"."));

    QProcess* fallback = start({"--print", "report.tq"});
    ASSERT_TRUE(fallback->waitForFinished(15000));
    EXPECT_NE(fallback->exitCode(), 0);
    EXPECT_TRUE(fallback->readAllStandardError().contains("No default printer is set up."));
    EXPECT_FALSE(QFile::exists(QDir(userDir()).filePath("tq_setup.ini"))) << "no window was built";
}

TEST_F(AppProcessTest, PrintSwitchesNeedNoDisplay) {
    CTQ_InterfaceDoc document;
    document.OnNewDocument();
    ASSERT_TRUE(document.SaveAs(work.filePath("report.tq").toStdString()));
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"}) env.remove(name);
    env.insert("XDG_CONFIG_HOME", config.path());
    env.insert("CUPS_SERVER", work.filePath("no-cups.sock"));
    p.setProcessEnvironment(env);
    p.setWorkingDirectory(work.path());
    p.start(QStringLiteral(TQ_INTERFACE_EXE), {"--print-to", "bench-printer", "report.tq"});
    ASSERT_TRUE(p.waitForFinished(15000));
    EXPECT_EQ(p.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(p.exitCode(), 1);
    EXPECT_TRUE(p.readAllStandardError().contains("There is no printer named \"bench-printer\"."));
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
