// The tq_interface executable as a child process on Qt's offscreen platform,
// with a private settings directory, home and instance name.
#pragma once

#include <gtest/gtest.h>

#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>
#include <memory>
#include <vector>

class AppProcessTest : public ::testing::Test {
protected:
    QProcess* start(const QStringList& args, const QString& workingDir = QString()) {
        auto* p = new QProcess;
        p->setProcessEnvironment(environment());
        p->setWorkingDirectory(workingDir.isEmpty() ? work.path() : workingDir);
        p->start(QStringLiteral(TQ_INTERFACE_EXE), args);
        processes.emplace_back(p);
        return p;
    }
    QProcessEnvironment environment() const {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("QT_QPA_PLATFORM", "offscreen");
        env.insert("XDG_CONFIG_HOME", config.path());
        env.insert("HOME", home.path());
        env.insert("CUPS_SERVER", work.filePath("no-cups.sock"));  // never a real printer
        env.insert("TQ_INTERFACE_INSTANCE", instanceName());
        return env;
    }
    QString instanceName() const { return QStringLiteral("TQ_INTERFACE_APPTEST%1").arg(::getpid()); }
    // The default user path of the child: "TQ_Interface" in its documents.
    QString userDir() const { return QDir(home.path()).filePath(QStringLiteral("Documents/TQ_Interface")); }
    QString settingsFile() const { return QDir(config.path()).filePath(QStringLiteral("Norvane/TQ_Interface.conf")); }
    // The first recent file the child saved, or empty.
    QString firstRecentFile() const {
        QSettings s(settingsFile(), QSettings::IniFormat);
        return s.value(QStringLiteral("Recent File List/File1")).toString();
    }
    void stop(QProcess* p) {
        if (p->state() == QProcess::NotRunning) return;
        p->terminate();
        if (!p->waitForFinished(10000)) p->kill();
        p->waitForFinished(5000);
    }
    void TearDown() override {
        for (auto& p : processes) stop(p.get());
    }

    QTemporaryDir config, work, home;
    std::vector<std::unique_ptr<QProcess>> processes;
};
