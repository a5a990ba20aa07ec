// The view's report commands: File > Print, Print Preview, Print Setup and
// Export PDF. One printer object keeps the operator's choices (printer and
// paper) for the session; it is made on first use (finding printers can take
// a moment). The preview's page count is kept in the settings.
#include <QAction>
#include <QDateTime>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QSettings>
#include <memory>

#include "app/command_ids.h"
#include "app/connection_manager.h"
#include "app/global_setup.h"
#include "app/main_frame.h"
#include "app/tq_interface_app.h"
#include "params/tq_interface_doc.h"
#include "report/report_output.h"
#include "report/report_printer.h"
#include "ui/dialogs/print_preview_pages.h"
#include "ui/dialogs/print_setup_dialog.h"
#include "ui/tq_interface_view.h"

namespace {

class ReportCommands : public QObject {
public:
    explicit ReportCommands(CTQ_InterfaceView* view) : QObject(view), view_(view) {}

    QPrinter& printer() {
        if (!printer_) printer_ = std::make_unique<QPrinter>(QPrinter::HighResolution);
        return *printer_;
    }

    report::ReportInput input() const {
        report::ReportInput in;
        in.parameters = view_->document();
        in.documentTitle = QString::fromStdString(view_->document()->GetTitle());
        in.programVersion = QString::fromLatin1(CTQ_InterfaceApp::versionText());
        in.printedAt = QDateTime::currentDateTime();
        return in;
    }

    void print() {
        QPrinter& p = printer();
        report::PrepareReportJob(p, input().documentTitle);
        QPrintDialog dialog(&p, view_);
        dialog.setMinMax(1, 1);
        dialog.setOption(QAbstractPrintDialog::PrintPageRange, false);
        dialog.setOption(QAbstractPrintDialog::PrintSelection, false);
        dialog.setOption(QAbstractPrintDialog::PrintCurrentPage, false);
        if (dialog.exec() != QDialog::Accepted) return;
        report::PrepareReportJob(p, input().documentTitle);
        if (!report::PrintReportOn(p, input()))
            QMessageBox::warning(view_, QStringLiteral("TQ_Interface"), QStringLiteral("The report could not be printed."));
    }

    void preview() {
        QPrinter& p = printer();
        report::PrepareReportJob(p, input().documentTitle);
        QPrintPreviewDialog dialog(&p, view_);
        connect(&dialog, &QPrintPreviewDialog::paintRequested, this,
                [this](QPrinter* target) { report::PrintReportOn(*target, input()); });
        QSettings settings(QString::fromLatin1(settingsOrganization()), QString::fromLatin1(settingsApplication()));
        showPreviewPages(dialog, loadPreviewPages(settings));
        dialog.exec();
        savePreviewPages(settings, shownPreviewPages(dialog));
    }

    void setup() {
        PrintSetupDialog dialog(printer(), pdfName(), view_);
        dialog.exec();
    }

    QString pdfName() const {
        return report::DefaultReportPdfName(QString::fromStdString(view_->document()->GetPathName()),
                                            QString::fromStdString(view_->document()->GetTitle()));
    }

    void exportPdf() {
        const report::ReportInput in = input();
        const QString proposed = pdfName();
        QString path = QFileDialog::getSaveFileName(view_, QStringLiteral("Export PDF"), proposed,
                                                    QStringLiteral("PDF Files (*.pdf)"));
        if (path.isEmpty()) return;
        if (QFileInfo(path).suffix().isEmpty()) path += QStringLiteral(".pdf");
        // The paper chosen in Print Setup, if any; else A4.
        const QPageLayout page = printer_ ? printer_->pageLayout() : report::DefaultPdfPage();
        QString error;
        if (!report::WriteReportPdf(in, path, page, &error)) {
            QMessageBox::warning(view_, QStringLiteral("TQ_Interface"), error);
            return;
        }
        view_->connection().showMessage(QStringLiteral("Report written to %1").arg(path));
    }

private:
    CTQ_InterfaceView* view_;
    std::unique_ptr<QPrinter> printer_;
};

}  // namespace

void CTQ_InterfaceView::wirePrintCommands() {
    auto* commands = new ReportCommands(this);
    auto on = [this, commands](int id, void (ReportCommands::*handler)()) {
        if (QAction* a = frame_->command(id))
            connect(a, &QAction::triggered, commands, [commands, handler] { (commands->*handler)(); });
    };
    on(cmd::FilePrint, &ReportCommands::print);
    on(cmd::FilePrintPreview, &ReportCommands::preview);
    on(cmd::FilePrintSetup, &ReportCommands::setup);
    on(cmd::FileExportPdf, &ReportCommands::exportPdf);
}
