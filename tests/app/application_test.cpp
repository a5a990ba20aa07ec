// The tq_interface executable itself: one instance per user, the command line.
#include <gtest/gtest.h>

#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include "params/tq_interface_doc.h"
#include "test_support.h"

namespace {

class ApplicationTest : public ::testing::Test {
protected:
    QProcess* start(const QStringList& args) {
        auto* p = new QProcess;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("QT_QPA_PLATFORM", "offscreen");
        env.insert("XDG_CONFIG_HOME", config.path());
        env.insert("CUPS_SERVER", work.filePath("no-cups.sock"));  // never a real printer
        env.insert("TQ_INTERFACE_INSTANCE", QStringLiteral("TQ_INTERFACE_APPTEST%1").arg(::getpid()));
        p->setProcessEnvironment(env);
        p->setWorkingDirectory(work.path());
        p->start(QStringLiteral(TQ_INTERFACE_EXE), args);
        processes.emplace_back(p);
        return p;
    }
    void TearDown() override {
        for (auto& p : processes) {
            if (p->state() != QProcess::NotRunning) {
                p->terminate();
                if (!p->waitForFinished(5000)) p->kill();
                p->waitForFinished(5000);
            }
        }
    }
    QTemporaryDir config, work;
    std::vector<std::unique_ptr<QProcess>> processes;
};

}  // namespace

TEST_F(ApplicationTest, SecondStartExitsWhileTheFirstRuns) {
    QProcess* first = start({});
    ASSERT_TRUE(first->waitForStarted(5000));
    // The first instance is up once it created the setup file in its directory.
    ASSERT_TRUE(spinUntil([&] { return QFile::exists(work.filePath("tq_setup.ini")); }, 15000));
    spinFor(300);
    QProcess* second = start({});
    ASSERT_TRUE(second->waitForFinished(15000));
    EXPECT_EQ(second->exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second->exitCode(), 0);
    EXPECT_EQ(first->state(), QProcess::Running);
    QProcess* third = start({});
    ASSERT_TRUE(third->waitForFinished(15000));
    EXPECT_EQ(first->state(), QProcess::Running);
}

TEST_F(ApplicationTest, PrintSwitchesNameTheFailureAndOpenNoWindow) {
    // No printer is set up on the test machines: each run ends with its reason.
    CTQ_InterfaceDoc document;
    document.OnNewDocument();
    ASSERT_TRUE(document.SaveAs(work.filePath("report.tq").toStdString()));

    QProcess* missing = start({"--print", "absent.tq"});
    ASSERT_TRUE(missing->waitForFinished(15000));
    EXPECT_NE(missing->exitCode(), 0);
    EXPECT_TRUE(missing->readAllStandardError().contains("Unable to open \"absent.tq\""));

    QProcess* named = start({"--print-to", "no-such-printer", "report.tq"});
    ASSERT_TRUE(named->waitForFinished(15000));
    EXPECT_NE(named->exitCode(), 0);
    EXPECT_TRUE(named->readAllStandardError().contains("There is no printer named \"no-such-printer\"."));

    QProcess* fallback = start({"--print", "report.tq"});
    ASSERT_TRUE(fallback->waitForFinished(15000));
    EXPECT_NE(fallback->exitCode(), 0);
    EXPECT_TRUE(fallback->readAllStandardError().contains("No default printer is set up."));
    EXPECT_FALSE(QFile::exists(work.filePath("tq_setup.ini"))) << "no window was built";
}

TEST_F(ApplicationTest, PrintSwitchesNeedNoDisplay) {
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
