#include "report/report_output.h"

#include <QDir>
#include <QFileInfo>
#include <QPdfWriter>
#include <QSaveFile>

namespace report {

void PaintReport(QPainter& painter, const ReportInput& input) {
    QPaintDevice* device = painter.device();
    PageLayout layout(painter, QRectF(0, 0, device->width(), device->height()));
    PrintReport(layout, input);
}

QString DefaultReportPdfName(const QString& documentPath, const QString& documentTitle) {
    if (documentPath.isEmpty()) {
        QString name = documentTitle.isEmpty() ? QStringLiteral("Untitled") : documentTitle;
        if (name.endsWith(QLatin1String(".tq"), Qt::CaseInsensitive)) name.chop(3);
        return name + QStringLiteral(".pdf");
    }
    const QFileInfo file(documentPath);
    const QString base = file.suffix().compare(QLatin1String("tq"), Qt::CaseInsensitive) == 0
                             ? file.completeBaseName()
                             : file.fileName();
    return file.dir().filePath(base + QStringLiteral(".pdf"));
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
