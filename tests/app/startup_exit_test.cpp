// The executable with files, a second start, simultaneous starts, SIGTERM
// while logging and the window title as the platform shows it.
#include <gtest/gtest.h>

#include <signal.h>

#include <QFileInfo>
#include <QStandardPaths>
#include <QTextStream>

#include "app_process.h"
#include "params/tq_interface_doc.h"
#include "test_support.h"

namespace {

// A parameter file the program opens.
void writeParameterFile(const QString& path) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    CTQ_InterfaceDoc doc;
    doc.OnNewDocument();
    ASSERT_TRUE(static_cast<bool>(doc.SaveAs(path.toStdString())));
}

QStringList linesOf(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return {};
    return QString::fromLatin1(f.readAll()).split(QLatin1Char('\n'));
}

}  // namespace

TEST_F(AppProcessTest, ARelativeFileOpensWhenUserPathIsElsewhere) {
    QTemporaryDir elsewhere;
    {
        QSettings s(settingsFile(), QSettings::IniFormat);
        s.setValue("APP/USER_PATH", elsewhere.path());
    }
    writeParameterFile(QDir(work.path()).filePath("sub/a.tq"));
    QProcess* p = start({"sub/a.tq"});
    const QString expected = QDir(work.path()).filePath("sub/a.tq");
    EXPECT_TRUE(spinUntil([&] { return firstRecentFile() == expected; }, 15000))
        << "recent: " << firstRecentFile().toStdString();
    EXPECT_EQ(p->state(), QProcess::Running);
}

TEST_F(AppProcessTest, ASecondStartWithAFileHandsItToTheRunningInstance) {
    QProcess* first = start({});
    ASSERT_TRUE(spinUntil([&] { return QFile::exists(QDir(userDir()).filePath("tq_setup.ini")); }, 15000));
    QTemporaryDir other;
    writeParameterFile(QDir(other.path()).filePath("b.tq"));
    QProcess* second = start({"b.tq"}, other.path());
    ASSERT_TRUE(second->waitForFinished(15000));
    EXPECT_EQ(second->exitCode(), 0);
    const QString expected = QDir(other.path()).filePath("b.tq");
    EXPECT_TRUE(spinUntil([&] { return firstRecentFile() == expected; }, 15000))
        << "recent: " << firstRecentFile().toStdString();
    EXPECT_EQ(first->state(), QProcess::Running);
}

TEST_F(AppProcessTest, TwoSimultaneousStartsLeaveExactlyOneInstance) {
    for (int trial = 0; trial < 20; ++trial) {
        QProcess* a = start({});
        QProcess* b = start({});
        ASSERT_TRUE(a->waitForStarted(5000));
        ASSERT_TRUE(b->waitForStarted(5000));
        auto running = [&] { return int(a->state() == QProcess::Running) + int(b->state() == QProcess::Running); };
        ASSERT_TRUE(spinUntil([&] { return running() <= 1; }, 15000)) << "trial " << trial << ": both still run";
        QProcess* loser = a->state() == QProcess::Running ? b : a;
        QProcess* winner = loser == a ? b : a;
        loser->waitForFinished(5000);
        EXPECT_EQ(loser->exitCode(), 0) << "trial " << trial;
        // The winner keeps running and answers a later start.
        spinFor(100);
        ASSERT_EQ(winner->state(), QProcess::Running) << "trial " << trial;
        QProcess* probe = start({});
        ASSERT_TRUE(probe->waitForFinished(15000)) << "trial " << trial;
        EXPECT_EQ(winner->state(), QProcess::Running) << "trial " << trial;
        stop(winner);
        EXPECT_EQ(winner->exitStatus(), QProcess::NormalExit);
        processes.clear();
    }
}

// SIGTERM is an orderly exit: the log gets its stop lines and the settings
// are written.
TEST_F(AppProcessTest, SigtermWhileLoggingEndsTheLogAndSavesTheSettings) {
    const QString log = QDir(work.path()).filePath("run.txt");
    QProcess* p = start({"--simulate", "--log", "run.txt"});
    // Header (6 lines) and a few rows from the virtual regulator.
    ASSERT_TRUE(spinUntil([&] { return linesOf(log).size() > 10; }, 20000)) << linesOf(log).size();
    ASSERT_FALSE(QFile::exists(settingsFile()) &&
                 QSettings(settingsFile(), QSettings::IniFormat).contains("Global/SPEED"));
    ::kill(static_cast<pid_t>(p->processId()), SIGTERM);
    ASSERT_TRUE(p->waitForFinished(15000));
    EXPECT_EQ(p->exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(p->exitCode(), 0);

    const QStringList lines = linesOf(log);
    ASSERT_GE(lines.size(), 5);
    // "-----", "STOP LOGG - ...", "-----", "", and the split's empty tail.
    const QString dashes(50, QLatin1Char('-'));
    EXPECT_EQ(lines[lines.size() - 5], dashes);
    EXPECT_TRUE(lines[lines.size() - 4].startsWith("STOP LOGG - ")) << lines[lines.size() - 4].toStdString();
    EXPECT_EQ(lines[lines.size() - 3], dashes);
    EXPECT_EQ(lines[lines.size() - 2], QString());
    QSettings s(settingsFile(), QSettings::IniFormat);
    EXPECT_EQ(s.value("Global/SPEED").toInt(), 115200);
    EXPECT_EQ(s.value("APP/USER_PATH").toString(), userDir());
}

// The platform shows exactly the title the view sets (no application name
// appended). Needs an X server: a private Xvfb and xwininfo.
TEST_F(AppProcessTest, ThePlatformTitleIsExactlyTheViewsTitle) {
    const QString xvfb = QStandardPaths::findExecutable("Xvfb");
    const QString xwininfo = QStandardPaths::findExecutable("xwininfo");
    if (xvfb.isEmpty() || xwininfo.isEmpty()) GTEST_SKIP() << "needs Xvfb and xwininfo";
    int display = 0;
    for (display = 70 + ::getpid() % 100; QFile::exists(QStringLiteral("/tmp/.X%1-lock").arg(display)); ++display) {
    }
    QProcess server;
    server.start(xvfb, {QStringLiteral(":%1").arg(display), "-nolisten", "tcp", "-screen", "0", "1280x1024x24"});
    ASSERT_TRUE(server.waitForStarted(5000));
    const QString socket = QStringLiteral("/tmp/.X11-unix/X%1").arg(display);
    if (!spinUntil([&] { return QFile::exists(socket); }, 10000)) {
        server.kill();
        server.waitForFinished(5000);
        GTEST_SKIP() << "Xvfb did not start";
    }
    auto* p = new QProcess;
    QProcessEnvironment env = environment();
    env.insert("QT_QPA_PLATFORM", "xcb");
    env.insert("DISPLAY", QStringLiteral(":%1").arg(display));
    p->setProcessEnvironment(env);
    p->setWorkingDirectory(work.path());
    p->start(QStringLiteral(TQ_INTERFACE_EXE), {});
    processes.emplace_back(p);

    QString titleLine;
    spinUntil([&] {
        QProcess info;
        info.start(xwininfo, {"-root", "-tree", "-display", QStringLiteral(":%1").arg(display)});
        info.waitForFinished(5000);
        for (const QString& line : QString::fromUtf8(info.readAllStandardOutput()).split('\n'))
            if (line.contains("TQ_Interface 1.1.9a")) titleLine = line;
        return !titleLine.isEmpty();
    }, 20000);
    stop(p);
    server.terminate();
    server.waitForFinished(5000);
    ASSERT_FALSE(titleLine.isEmpty()) << "no main window appeared";
    EXPECT_TRUE(titleLine.contains("\"Untitled - TQ_Interface 1.1.9a\"")) << titleLine.toStdString();
}
