// The report on a paint device, and as a PDF file. QtGui only: the window,
// the command-line print and tqctl share it.
#pragma once

#include <QPageLayout>
#include <QPainter>
#include <QString>

#include "report/parameter_report.h"

namespace report {

// The printable area is the painter's device, from its top-left corner.
void PaintReport(QPainter& painter, const ReportInput& input);

// The name Export PDF offers: the document's file with ".pdf" for its
// extension, in the same folder; for a new document its title ("Untitled.pdf").
QString DefaultReportPdfName(const QString& documentPath, const QString& documentTitle);

// A4 portrait, no device margins (the report keeps its own).
QPageLayout DefaultPdfPage();

// Writes a one-page PDF; the file appears only when it is complete.
// On failure `error` says why and no file is left behind.
bool WriteReportPdf(const ReportInput& input, const QString& path, const QPageLayout& page, QString* error);

}  // namespace report
