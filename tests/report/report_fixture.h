// Helpers of the report tests: a report written to PDF and read back with
// pdftotext -layout, and the same report laid out on an image with the
// layout service's list of what it drew.
#pragma once

#include <QImage>
#include <QString>
#include <QStringList>
#include <memory>
#include <optional>

#include "params/tq_interface_doc.h"
#include "report/page_layout.h"
#include "report/parameter_report.h"

namespace testing_report {

inline const char kVersion[] = "TQ_Interface 1.1.9a";

report::ReportInput inputFor(const ParameterSet& parameters, const QString& title = QStringLiteral("Untitled"));

// Runs a program and returns its standard output; empty optional when it
// could not run or failed.
std::optional<QString> run(const QString& program, const QStringList& args);

// The text of a PDF file as pdftotext -layout gives it.
std::optional<QString> pdfText(const QString& pdfPath);
// The page count pdfinfo reports; -1 when unknown.
int pdfPages(const QString& pdfPath);

// Lines with every run of blanks made one blank and no trailing blank.
QStringList squeezedLines(const QString& text);
// True when `parts` occur in `text` in this order.
bool inOrder(const QString& text, const QStringList& parts);

// The report laid out on an A4 image at `dpi`.
struct Rendered {
    QImage image;
    std::unique_ptr<QPainter> painter;
    std::unique_ptr<report::PageLayout> layout;
    // The texts drawn inside the box, in drawing order.
    QStringList texts() const;
    // Index of the first item with this exact text, -1 if none.
    int find(const QString& text) const;
};
std::unique_ptr<Rendered> renderOnImage(const report::ReportInput& input, double dpi = 150);

// The lines a section printed below its heading (up to the next bold item).
QStringList sectionLines(const report::PageLayout& layout, const QString& heading);

}  // namespace testing_report
