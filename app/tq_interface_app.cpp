#include "app/tq_interface_app.h"

#include <QDir>
#include <QThread>
#include <QTimer>
#include <iostream>

#include "app/command_line_print.h"
#include "app/main_frame.h"
#include "app/single_instance.h"
#include "app/splash_screen.h"
#include "app/termination_signals.h"

CTQ_InterfaceApp::CTQ_InterfaceApp(int& argc, char** argv) : QApplication(argc, argv) {
    // No application display name: the platform would append it to the
    // window title, which the view sets in full.
    setApplicationName(QString::fromLatin1(applicationTitle()));
    setDesktopFileName(QStringLiteral("tq_interface"));
    setWindowIcon(programIcon());
}

// exit() does nothing before the event loop runs (the splash screen and the
// screenshots process events earlier), so the request waits for the loop.
void CTQ_InterfaceApp::exitWhenRunning() {
    if (QThread::currentThread()->loopLevel() > 0)
        QCoreApplication::exit(0);
    else
        QTimer::singleShot(20, this, &CTQ_InterfaceApp::exitWhenRunning);
}

QIcon CTQ_InterfaceApp::programIcon() { return QIcon(QStringLiteral(":/tq_interface.png")); }

// A splash whose time-out had not run yet (an exit within its first second)
// goes with the application.
CTQ_InterfaceApp::~CTQ_InterfaceApp() {
    destroyMainFrame();
    delete splash_;
}

void CTQ_InterfaceApp::destroyMainFrame() {
    delete frame_;
    frame_ = nullptr;
}

bool CTQ_InterfaceApp::initInstance(const MainWindowFactory& factory, const QString& instanceName) {
    // Files on the command line are relative to the start directory; the
    // working directory becomes USER_PATH before they are opened.
    commandLine_ = CommandLine::parse(arguments().mid(1), QDir::currentPath());

    // Printing from the command line (the desktop's print verbs) opens no
    // window, so it runs even while another instance is up.
    if (commandLine_.action == CommandLine::Action::Print ||
        commandLine_.action == CommandLine::Action::PrintTo) {
        const CommandLinePrintResult printed = PrintFromCommandLine(commandLine_);
        if (!printed.error.isEmpty())
            std::cerr << "tq_interface: " << printed.error.toStdString() << '\n';
        exitCode_ = printed.exitCode;
        return false;
    }

    instance_ = new SingleInstance(instanceName.isEmpty() ? SingleInstance::defaultName() : instanceName, this);
    const bool passFile = commandLine_.action == CommandLine::Action::OpenFile;
    if (instance_->anotherIsRunning(passFile ? commandLine_.fileName : QString())) {
        exitCode_ = 0;
        return false;
    }

    // SIGTERM, Ctrl+C and a closed terminal end the event loop without
    // questions (one that arrives while the window is built waits for the
    // loop); the frame's destruction then stops the log with its stop lines,
    // closes the port and saves the settings.
    signals_ = new TerminationSignals(this);
    connect(signals_, &TerminationSignals::terminationRequested, this, &CTQ_InterfaceApp::exitWhenRunning);

    auto* splash = new CSplashScreenEx(QStringLiteral("Startup..."), 1000, 13);
    splash_ = splash;
    splash->showSplash();

    // The settings root: QSettings("Norvane", "TQ_Interface").
    setOrganizationName(QStringLiteral("Norvane"));
    splash->setText(QStringLiteral("Startup...\nLoad settings"));
    splash->setText(QStringLiteral("Startup...\nCreate view"));
    if (!factory) {
        exitCode_ = 1;
        splash->hideSplash();
        return false;
    }
    splash->setText(QStringLiteral("Startup...\nAdd template"));
    splash->setText(QStringLiteral("Startup...\nEnable parts"));
    // The ".tq" type is registered with the desktop by the installed
    // desktop entry and shared-mime-info package.
    splash->setText(QStringLiteral("Startup...\nRegistry parts"));
    splash->setText(QStringLiteral("Startup...\nParse commands"));
    if (commandLine_.action == CommandLine::Action::Invalid) {
        std::cerr << "tq_interface: " << commandLine_.error.toStdString() << '\n'
                  << "usage: tq_interface [--simulate | --port PATH] [--log FILE] [FILE.tq | --print FILE | --print-to PRINTER FILE]\n"
                  << "       tq_interface --version\n";
        exitCode_ = 2;
        splash->hideSplash();
        return false;
    }
    frame_ = factory(commandLine_);
    if (!frame_) {
        exitCode_ = 1;
        splash->hideSplash();
        return false;
    }
    connect(instance_, &SingleInstance::raiseRequested, frame_, &CMainFrame::bringToFront);
    connect(instance_, &SingleInstance::openRequested, frame_, &CMainFrame::openFromShell);

    splash->setText(QStringLiteral("Startup...\nInit view"));
    frame_->showNormal();
    frame_->update();
    splash->setText(QStringLiteral("Startup..."));
    splash->raise();
    splash->mainWindowShown();
    return true;
}
