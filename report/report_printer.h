// The report on a printer: the one page of a print job or a preview, and
// the print job sent to a printer by name.
#pragma once

#include <QString>

#include "report/parameter_report.h"

class QPrinter;

namespace report {

// Fixes the job to its one page.
void PrepareReportJob(QPrinter& printer, const QString& documentTitle);

// Paints the report as the printer's one page; false when the printer
// cannot be started.
bool PrintReportOn(QPrinter& printer, const ReportInput& input);

// Prints to the named printer, or the default one when the name is empty.
// On failure `error` holds a message for the operator.
bool PrintReportToPrinter(const QString& printerName, const ReportInput& input, QString* error);

}  // namespace report
