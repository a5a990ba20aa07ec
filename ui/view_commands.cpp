// The view's file, log, setup and transfer commands.
#include <QAction>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>

#include "app/command_ids.h"
#include "app/connection_manager.h"
#include "app/main_frame.h"
#include "app/recent_folders.h"
#include "app/transfer_adapters.h"
#include "app/wait_cursor.h"
#include "params/tq_interface_doc.h"
#include "ui/tq_interface_view.h"

namespace {

const QString kFileFilter = QStringLiteral("TQ_Interface Files (*.tq)");

void showOutcome(QWidget* parent, const DocOutcome& outcome) {
    if (outcome.message.empty()) return;
    QString text = QString::fromStdString(outcome.message);
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));  // "\r" separates lines of a box text
    if (outcome.icon == MessageIcon::Stop)
        QMessageBox::critical(parent, QStringLiteral("TQ_Interface"), text);
    else if (outcome.icon == MessageIcon::Exclamation)
        QMessageBox::warning(parent, QStringLiteral("TQ_Interface"), text);
    else
        QMessageBox::information(parent, QStringLiteral("TQ_Interface"), text);
}

}  // namespace

void CTQ_InterfaceView::wireFileCommands() {
    auto on = [this](int id, auto handler) {
        if (QAction* a = frame_->command(id)) connect(a, &QAction::triggered, this, handler);
    };
    auto saveModified = [this] { return this->saveModified(); };
    on(cmd::FileNew, [this, saveModified] {
        if (!saveModified()) return;
        const DocOutcome outcome = document_->OnNewDocument();
        showOutcome(this, outcome);
        initialUpdate();
        onDocumentUpdate();
    });
    on(cmd::FileOpen, [this, saveModified] {
        if (!saveModified()) return;
        const QString path = QFileDialog::getOpenFileName(this, QStringLiteral("Open"),
                                                          inRecentFolder(FileKind::Parameters, QString()), kFileFilter);
        if (!path.isEmpty()) openDocument(path);
    });
    auto saveAs = [this] {
        const QString proposed = QString::fromStdString(
            document_->GetPathName().empty() ? document_->GetTitle() : document_->GetPathName());
        QString path = QFileDialog::getSaveFileName(this, QStringLiteral("Save As"),
                                                    inRecentFolder(FileKind::Parameters, proposed), kFileFilter);
        if (path.isEmpty()) return;
        path = QString::fromStdString(WithDefaultExtension(path.toStdString()));
        rememberFolder(FileKind::Parameters, path);
        const DocOutcome outcome = document_->SaveAs(path.toStdString());
        showOutcome(this, outcome);
        if (outcome) frame_->addRecentFile(path);
        updateTitle();
    };
    on(cmd::FileSave, [this, saveAs] {
        if (document_->GetPathName().empty()) {
            saveAs();
            return;
        }
        const DocOutcome outcome = document_->Save();
        showOutcome(this, outcome);
        if (outcome) frame_->addRecentFile(QString::fromStdString(document_->GetPathName()));
        updateTitle();
    });
    on(cmd::FileSaveAs, saveAs);
    on(cmd::RevertToDefault, [this] {
        showOutcome(this, document_->RevertToDefault());
        onDocumentUpdate();
    });
    on(cmd::DownloadFirmware, [this] { onDownloadFirmware(); });
    wirePrintCommands();
    // A recent file that no longer opens leaves the list.
    connect(frame_, &CMainFrame::recentFileChosen, this, [this, saveModified](const QString& path) {
        if (saveModified() && !openDocument(path)) frame_->removeRecentFile(path);
    });
    connect(frame_, &CMainFrame::fileDropped, this, [this, saveModified](const QString& path) {
        if (path.endsWith(QStringLiteral(".txt"), Qt::CaseInsensitive))
            openLog(path);  // a recorded log opens as a trend
        else if (saveModified())
            openDocument(path);
    });
}

bool CTQ_InterfaceView::saveModified() {
    if (!document_ || !document_->IsModified()) return true;
    const auto answer = QMessageBox::question(
        this, QStringLiteral("TQ_Interface"),
        QStringLiteral("Save changes to %1?").arg(QString::fromStdString(document_->GetTitle())),
        QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
    if (answer == QMessageBox::Cancel) return false;
    if (answer == QMessageBox::No) return true;
    if (!frame_) return false;
    frame_->command(cmd::FileSave)->trigger();
    return !document_->IsModified();
}

bool CTQ_InterfaceView::openDocument(const QString& path) {
    const DocOutcome outcome = document_->OnOpenDocument(path.toStdString());
    showOutcome(this, outcome);
    if (!outcome) return false;
    rememberFolder(FileKind::Parameters, path);
    if (frame_) frame_->addRecentFile(path);
    initialUpdate();
    onDocumentUpdate();
    return true;
}

LogSettings CTQ_InterfaceView::logSettings() const {
    LogSettings s;
    s.sampleRate = setup_.sampleRate;
    s.limitSize = setup_.logLimitSize;
    return s;
}

std::string CTQ_InterfaceView::chooseLogFile(const std::string& proposed) {
    QFileDialog dialog(this, QStringLiteral("Save As"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setNameFilters({QStringLiteral("Logg File (*.txt)"), QStringLiteral("All Files (*.*)")});
    dialog.selectFile(inRecentFolder(FileKind::Logs, QString::fromStdString(proposed) + QStringLiteral(".txt")));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    rememberFolder(FileKind::Logs, dialog.selectedFiles().first());
    return dialog.selectedFiles().first().toStdString();
}

void CTQ_InterfaceView::onLogStart() {
    const std::string path = chooseLogFile(log_->proposedName());
    log_->start(path, connection_->versionText().toStdString(), logSettings());
    updateCommandUi();
}

void CTQ_InterfaceView::onLogStop() {
    log_->stop();
    updateCommandUi();
}

void CTQ_InterfaceView::onLogToggle() {
    log_->toggle([this](const std::string& proposed) { return chooseLogFile(proposed); },
                 connection_->versionText().toStdString(), logSettings());
    updateCommandUi();
}

void CTQ_InterfaceView::onDownloadParameters() { downloadParameters(verifyAfterDownload()); }

void CTQ_InterfaceView::downloadAndVerify() { downloadParameters(true); }

void CTQ_InterfaceView::downloadParameters(bool verify) {
    if (!document_) return;
    WaitCursor wait;
    SerialRegisterIo io(connection_->link());
    ConnectionTransferHost host(*connection_);
    const int result = DownloadParameters(io, host, *document_, TransferSettings{setup_.ieeeFormat, serviceMode_});
    if (result == 0 && connection_->isPortOpen() && verify) verifyDownload();
    updateTitle();
}

void CTQ_InterfaceView::onGetParameters() {
    if (!document_) return;
    WaitCursor wait;
    SerialRegisterIo io(connection_->link());
    ConnectionTransferHost host(*connection_);
    GetParameters(io, host, *document_, TransferSettings{setup_.ieeeFormat, serviceMode_});
    updateTitle();
}
