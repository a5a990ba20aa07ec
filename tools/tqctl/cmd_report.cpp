// report FILE.tq -o OUT.pdf: the one-page parameter report as a PDF, drawn
// by the window's own report code on Qt's offscreen platform (no display).
#include <QGuiApplication>
#include <cstdio>
#include <string>

#include "command.h"
#include "params/tq_interface_doc.h"
#include "report/report_output.h"
#include "runtime/log_format.h"
#include "table_view.h"

namespace tqctl {
namespace {


// Qt's notes about the session (runtime directory, platform) are not for the
// operator; only real failures reach the error stream.
void quietMessages(QtMsgType type, const QMessageLogContext&, const QString& message) {
    if (type == QtCriticalMsg || type == QtFatalMsg)
        std::fprintf(stderr, "%s\n", message.toLocal8Bit().constData());
}

int runReport(Context& ctx, const std::vector<std::string>& args);

const Command kReport{"report", "report FILE.tq -o OUT.pdf",
                      "write the one-page parameter report of a parameter file as PDF", runReport};

int runReport(Context&, const std::vector<std::string>& args) {
    std::string input;
    std::string output;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "-o" || a == "--output") {
            if (i + 1 >= args.size() || args[i + 1].empty())
                return usageError(kReport, a + " needs a file name");
            output = args[++i];
        } else if (!a.empty() && a[0] == '-') {
            return usageError(kReport, "unknown option " + a);
        } else if (input.empty()) {
            input = a;
        } else {
            return usageError(kReport, "unexpected argument " + a);
        }
    }
    if (input.empty())
        return usageError(kReport, "no file name given");
    if (output.empty())
        return usageError(kReport, "no output file given (-o OUT.pdf)");

    CTQ_InterfaceDoc doc;
    TableView view;
    doc.AddView(&view);
    const DocOutcome opened = doc.OnOpenDocument(input);
    if (!opened) {
        std::fprintf(stderr, "%s\n", opened.message.c_str());
        return kExitFileError;
    }

    // Fonts and painting need a GUI application; the offscreen platform
    // draws without a display.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qInstallMessageHandler(quietMessages);
    static int argc = 1;
    static char name[] = "tqctl";
    static char* argv[] = {name, nullptr};
    QGuiApplication app(argc, argv);

    report::ReportInput report;
    report.parameters = &doc;
    report.documentTitle = QString::fromStdString(doc.GetTitle());
    report.programVersion = QString::fromLatin1(kLogSoftwareVersion);
    report.printedAt = QDateTime::currentDateTime();
    QString error;
    if (!report::WriteReportPdf(report, QString::fromStdString(output), report::DefaultPdfPage(), &error)) {
        std::fprintf(stderr, "%s\n", error.toStdString().c_str());
        return kExitFileError;
    }
    std::printf("%s written\n", output.c_str());
    return 0;
}

const Registrar kRegisterReport{kReport};

}  // namespace
}  // namespace tqctl
