#include "report/report_printer.h"

#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>

#include "report/report_output.h"

namespace report {

void PrepareReportJob(QPrinter& printer, const QString& documentTitle) {
    printer.setDocName(documentTitle + QStringLiteral(" - TQ_Interface"));
    printer.setPrintRange(QPrinter::PageRange);
    printer.setFromTo(1, 1);
}

bool PrintReportOn(QPrinter& printer, const ReportInput& input) {
    QPainter painter;
    if (!painter.begin(&printer)) return false;
    PaintReport(painter, input);
    return painter.end();
}

bool PrintReportToPrinter(const QString& printerName, const ReportInput& input, QString* error) {
    auto fail = [&](const QString& why) {
        if (error) *error = why;
        return false;
    };
    const QPrinterInfo info =
        printerName.isEmpty() ? QPrinterInfo::defaultPrinter() : QPrinterInfo::printerInfo(printerName);
    if (info.isNull()) {
        if (!printerName.isEmpty())
            return fail(QStringLiteral("There is no printer named \"%1\".").arg(printerName));
        return fail(QStringLiteral("No default printer is set up."));
    }
    QPrinter printer(info, QPrinter::HighResolution);
    PrepareReportJob(printer, input.documentTitle);
    if (!PrintReportOn(printer, input))
        return fail(QStringLiteral("The report could not be sent to the printer \"%1\".").arg(info.printerName()));
    return true;
}

}  // namespace report
