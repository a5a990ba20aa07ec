// What File › Print Setup chooses, without the dialog: where the report goes
// (an installed printer, or a PDF file where there is none or by choice) and
// the paper. The choice is applied to the printer the next Print and Print
// Preview use.
#pragma once

#include <QList>
#include <QPageLayout>
#include <QPageSize>
#include <QString>
#include <QStringList>

class QPrinter;

class PrintSetupModel {
public:
    // `printers`: the installed printers' names; `defaultPrinter` one of them
    // or empty. The system's lists by default.
    PrintSetupModel();
    PrintSetupModel(QStringList printers, QString defaultPrinter);

    // The printers, then "Print to PDF", which is always offered.
    QStringList destinations() const;
    int pdfDestination() const { return static_cast<int>(printers_.size()); }
    // Where `printer` prints now: its printer when installed, PDF when it
    // writes a file; else the default printer, or PDF when there is none.
    int destinationOf(const QPrinter& printer) const;

    // The paper sizes a destination takes (a printer's own list, else the
    // usual office sizes); never empty.
    QList<QPageSize> paperSizes(int destination) const;
    // The size to show first: `current` when the destination takes it, else
    // the destination's default, else the first.
    int paperIndex(int destination, const QPageSize& current) const;

    // Sets `printer` to the destination and paper for the next print; a PDF
    // is written to `pdfFileName` unless the print dialog names another file.
    void apply(int destination, const QPageSize& paper, QPageLayout::Orientation orientation,
               const QString& pdfFileName, QPrinter& printer) const;

private:
    QString printerName(int destination) const;

    QStringList printers_;
    QString defaultPrinter_;
};
