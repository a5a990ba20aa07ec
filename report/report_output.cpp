#include "report/report_output.h"

#include <QPdfWriter>
#include <QSaveFile>

namespace report {

void PaintReport(QPainter& painter, const ReportInput& input) {
    QPaintDevice* device = painter.device();
    PageLayout layout(painter, QRectF(0, 0, device->width(), device->height()));
    PrintReport(layout, input);
}

QPageLayout DefaultPdfPage() {
    return QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(0, 0, 0, 0));
}

bool WriteReportPdf(const ReportInput& input, const QString& path, const QPageLayout& page, QString* error) {
    auto fail = [&](const QString& why) {
        if (error) *error = why;
        return false;
    };
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return fail(QStringLiteral("Unable to write \"%1\": %2.").arg(path, file.errorString()));
    {
        QPdfWriter writer(&file);
        writer.setResolution(1200);
        QPageLayout layout = page;
        layout.setMargins(QMarginsF(0, 0, 0, 0));
        layout.setMinimumMargins(QMarginsF(0, 0, 0, 0));
        writer.setPageLayout(layout);
        writer.setTitle(input.documentTitle + QStringLiteral(" - TQ_Interface"));
        writer.setCreator(input.programVersion);
        QPainter painter;
        if (!painter.begin(&writer)) {
            file.cancelWriting();
            return fail(QStringLiteral("Unable to write \"%1\": the PDF could not be started.").arg(path));
        }
        PaintReport(painter, input);
        painter.end();
    }
    if (!file.commit())
        return fail(QStringLiteral("Unable to write \"%1\": %2.").arg(path, file.errorString()));
    return true;
}

}  // namespace report
