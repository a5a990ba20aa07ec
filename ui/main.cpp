// tq_interface: the application's entry point. Builds the document, the
// main frame and the form view for the command line; with --simulate the
// virtual regulator runs in-process and its pseudo-terminal is the port.
#include <QDir>
#include <QMessageBox>
#include <QTimer>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <memory>

#include "app/command_line_print.h"
#include "app/connection_manager.h"
#include "app/main_frame.h"
#include "app/tq_interface_app.h"
#include "params/tq_interface_doc.h"
#include "project_version.h"
#include "sim/virtual_regulator.h"
#include "ui/screenshots.h"
#include "ui/tq_interface_view.h"


int main(int argc, char** argv) {
    // Before the application object: no display is needed to ask.
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--version") == 0) {
            std::printf("tq_interface %s\n", kProjectVersion);
            return 0;
        }
    }
    PreparePrintRun(argc, argv);
    CTQ_InterfaceApp app(argc, argv);
    std::unique_ptr<sim::VirtualRegulator> regulator;
    std::unique_ptr<CTQ_InterfaceDoc> document;
    CTQ_InterfaceView* view = nullptr;

    auto factory = [&](const CommandLine& cl) -> CMainFrame* {
        std::string port = cl.port.toStdString();
        if (cl.simulate) {
            sim::SimOptions options;
            options.demo = true;   // a running regulator cooling toward its set point
            options.speed = cl.simSpeed;
            std::vector<std::string> params;
            for (const QString& p : cl.plantParams) params.push_back(p.toStdString());
            if (const std::string why = sim::plantFromOptions(cl.plant.toStdString(), params, options.plant);
                !why.empty()) {
                std::cerr << "tq_interface: " << why << '\n';
                return nullptr;
            }
            regulator = std::make_unique<sim::VirtualRegulator>(options);
            std::string error;
            if (!regulator->start(&error)) {
                std::cerr << "tq_interface: the virtual regulator did not start: " << error << '\n';
                return nullptr;
            }
            port = regulator->slavePath();
        }
        document = std::make_unique<CTQ_InterfaceDoc>();
        auto* frame = new CMainFrame;
        view = new CTQ_InterfaceView(frame, document.get(), port);
        frame->setCentralWidget(view);
        if (cl.action == CommandLine::Action::OpenFile) {
            const DocOutcome outcome = document->OnOpenDocument(cl.fileName.toStdString());
            if (!outcome) {
                QMessageBox::warning(nullptr, QStringLiteral("TQ_Interface"),
                                     QString::fromStdString(outcome.message));
                delete frame;
                view = nullptr;
                return nullptr;
            }
            frame->addRecentFile(cl.fileName);
        } else {
            document->OnNewDocument();
        }
        view->initialUpdate();
        view->onDocumentUpdate();
        if (cl.simulate || !cl.port.isEmpty())
            QTimer::singleShot(0, view, [v = view] { v->connection().connectPort(); });
        if (!cl.logFile.isEmpty())
            QTimer::singleShot(0, view, [v = view, path = cl.logFile] { v->startLogInto(path); });
        return frame;
    };

    // TQ_INTERFACE_INSTANCE names a separate instance (tests run beside a real one).
    if (!app.initInstance(factory, qEnvironmentVariable("TQ_INTERFACE_INSTANCE"))) return app.exitCode();
    if (!app.commandLine().screenshotDir.isEmpty())
        takeScreenshots(app.mainFrame(), view, app.commandLine().screenshotDir);
    const int rc = app.exec();
    app.destroyMainFrame();
    document.reset();
    regulator.reset();
    return rc;
}
