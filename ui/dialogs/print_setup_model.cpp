#include "ui/dialogs/print_setup_model.h"

#include <QPrinter>
#include <QPrinterInfo>

namespace {

QList<QPageSize> officeSizes() {
    return {QPageSize(QPageSize::A4), QPageSize(QPageSize::Letter), QPageSize(QPageSize::Legal),
            QPageSize(QPageSize::A3), QPageSize(QPageSize::A5)};
}

}  // namespace

PrintSetupModel::PrintSetupModel()
    : PrintSetupModel(QPrinterInfo::availablePrinterNames(), QPrinterInfo::defaultPrinterName()) {}

PrintSetupModel::PrintSetupModel(QStringList printers, QString defaultPrinter)
    : printers_(std::move(printers)), defaultPrinter_(std::move(defaultPrinter)) {}

QStringList PrintSetupModel::destinations() const {
    return printers_ + QStringList{QStringLiteral("Print to PDF")};
}

QString PrintSetupModel::printerName(int destination) const {
    return destination >= 0 && destination < pdfDestination() ? printers_[destination] : QString();
}

int PrintSetupModel::destinationOf(const QPrinter& printer) const {
    if (printer.outputFormat() == QPrinter::PdfFormat) return pdfDestination();
    const qsizetype named = printers_.indexOf(printer.printerName());
    if (named >= 0) return static_cast<int>(named);
    const qsizetype byDefault = printers_.indexOf(defaultPrinter_);
    return byDefault >= 0 ? static_cast<int>(byDefault) : pdfDestination();
}

QList<QPageSize> PrintSetupModel::paperSizes(int destination) const {
    const QString name = printerName(destination);
    if (!name.isEmpty()) {
        const QList<QPageSize> own = QPrinterInfo::printerInfo(name).supportedPageSizes();
        if (!own.isEmpty()) return own;
    }
    return officeSizes();
}

int PrintSetupModel::paperIndex(int destination, const QPageSize& current) const {
    const QList<QPageSize> sizes = paperSizes(destination);
    auto find = [&sizes](const QPageSize& wanted) {
        for (int i = 0; i < sizes.size(); ++i)
            if (sizes[i].isEquivalentTo(wanted)) return i;
        return -1;
    };
    if (current.isValid()) {
        if (const int i = find(current); i >= 0) return i;
    }
    const QString name = printerName(destination);
    if (!name.isEmpty()) {
        if (const int i = find(QPrinterInfo::printerInfo(name).defaultPageSize()); i >= 0) return i;
    }
    return 0;
}

void PrintSetupModel::apply(int destination, const QPageSize& paper, QPageLayout::Orientation orientation,
                            const QString& pdfFileName, QPrinter& printer) const {
    const QString name = printerName(destination);
    if (name.isEmpty()) {
        // An empty file name would switch the printer back to its native output.
        printer.setOutputFileName(pdfFileName.isEmpty() ? QStringLiteral("report.pdf") : pdfFileName);
        printer.setOutputFormat(QPrinter::PdfFormat);
    } else {
        printer.setOutputFileName(QString());
        printer.setOutputFormat(QPrinter::NativeFormat);
        printer.setPrinterName(name);
    }
    // After the printer: choosing one sets its own default paper.
    printer.setPageSize(paper);
    printer.setPageOrientation(orientation);
}
