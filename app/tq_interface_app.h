// The application object: single instance, splash, settings root and the
// document template that builds the main window from the command line.
#pragma once

#include <QApplication>
#include <QPointer>
#include <QIcon>
#include <functional>

#include "app/command_line.h"

class CMainFrame;
class SingleInstance;
class CSplashScreenEx;
class TerminationSignals;

// Builds the document, the frame and the view for the command line; returns
// null when the command cannot be carried out.
using MainWindowFactory = std::function<CMainFrame*(const CommandLine& commandLine)>;

class CTQ_InterfaceApp : public QApplication {
    Q_OBJECT
public:
    CTQ_InterfaceApp(int& argc, char** argv);
    ~CTQ_InterfaceApp() override;

    static const char* applicationTitle() { return "TQ_Interface"; }
    static const char* versionText() { return "TQ_Interface 1.1.9a"; }
    // The window icon: the program picture.
    static QIcon programIcon();

    // True when the main window is up; false ends the process (exitCode()).
    bool initInstance(const MainWindowFactory& factory,
                      const QString& instanceName = QString());
    int exitCode() const { return exitCode_; }
    CMainFrame* mainFrame() const { return frame_; }
    // Destroys the main window (and with it the view) before the document goes.
    void destroyMainFrame();
    const CommandLine& commandLine() const { return commandLine_; }

private:
    void exitWhenRunning();

    QPointer<CSplashScreenEx> splash_;  // until its time-out ends it
    SingleInstance* instance_ = nullptr;
    TerminationSignals* signals_ = nullptr;
    CMainFrame* frame_ = nullptr;
    CommandLine commandLine_;
    int exitCode_ = 0;
};
