#include "app/command_line_print.h"

#include <QDateTime>
#include <cstring>

#include "app/tq_interface_app.h"
#include "params/tq_interface_doc.h"
#include "report/report_printer.h"

CommandLinePrintResult PrintFromCommandLine(const CommandLine& commandLine) {
    CTQ_InterfaceDoc document;
    const DocOutcome opened = document.OnOpenDocument(commandLine.fileName.toStdString());
    if (!opened) return {1, QString::fromStdString(opened.message)};

    report::ReportInput input;
    input.parameters = &document;
    input.documentTitle = QString::fromStdString(document.GetTitle());
    input.programVersion = QString::fromLatin1(CTQ_InterfaceApp::versionText());
    input.printedAt = QDateTime::currentDateTime();
    const QString printer =
        commandLine.action == CommandLine::Action::PrintTo ? commandLine.printerName : QString();
    QString error;
    if (!report::PrintReportToPrinter(printer, input, &error)) return {1, error};
    return {};
}

void PreparePrintRun(int argc, char** argv) {
    bool print = false;
    for (int i = 1; i < argc; ++i)
        print = print || std::strcmp(argv[i], "--print") == 0 || std::strcmp(argv[i], "--print-to") == 0;
    if (print && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
}
