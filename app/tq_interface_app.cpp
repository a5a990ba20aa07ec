#include "app/tq_interface_app.h"

#include <QTimer>
#include <iostream>

#include "app/command_line_print.h"
#include "app/main_frame.h"
#include "app/single_instance.h"
#include "app/splash_screen.h"

CTQ_InterfaceApp::CTQ_InterfaceApp(int& argc, char** argv) : QApplication(argc, argv) {
    setApplicationName(QString::fromLatin1(applicationTitle()));
    setApplicationDisplayName(QString::fromLatin1(applicationTitle()));
    setDesktopFileName(QStringLiteral("tq_interface"));
}

CTQ_InterfaceApp::~CTQ_InterfaceApp() { destroyMainFrame(); }

void CTQ_InterfaceApp::destroyMainFrame() {
    delete frame_;
    frame_ = nullptr;
}

bool CTQ_InterfaceApp::initInstance(const MainWindowFactory& factory, const QString& instanceName) {
    commandLine_ = CommandLine::parse(arguments().mid(1));

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
    if (instance_->anotherIsRunning()) {
        exitCode_ = 0;
        return false;
    }

    auto* splash = new CSplashScreenEx(QStringLiteral("Startup..."), 1000, 13);
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
                  << "usage: tq_interface [--simulate | --port PATH] [FILE.tq | --print FILE | --print-to PRINTER FILE]\n";
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

    splash->setText(QStringLiteral("Startup...\nInit view"));
    frame_->showNormal();
    frame_->update();
    splash->setText(QStringLiteral("Startup..."));
    splash->raise();
    splash->startTimeout();
    return true;
}
