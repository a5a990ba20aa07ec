// The view's guards around exit and the STOP double-click, the status text's
// double-click, the pane keys and the status-bar panes.
#include <QAction>
#include <QMessageBox>
#include <iostream>

#include "app/command_ids.h"
#include "app/connection_manager.h"
#include "app/main_frame.h"
#include "ui/pane_focus.h"
#include "ui/status_panel.h"
#include "ui/status_panes.h"
#include "ui/tab_strip.h"
#include "ui/tq_interface_view.h"

namespace {
const QString kTitle = QStringLiteral("TQ_Interface");
const QString kRebootQuestion =
    QStringLiteral("Reboot the regulator? It starts again with the parameters in its FLASH.");
}  // namespace

void CTQ_InterfaceView::wireExitAndKeys() {
    connect(panel_->stopButton(), &DoubleClickButton::doubleClicked, this,
            &CTQ_InterfaceView::onStopDoubleClicked);
    // The alarm latches are reset whether or not the port is open; "$SC"
    // goes out only with the port open.
    connect(panel_->statusLabel(), &DoubleClickLabel::doubleClicked, this, [this] { connection_->clearStatus(); });
    if (!frame_) return;
    frame_->setCloseGuard([this] { return confirmClose(); });
    if (QAction* next = frame_->command(cmd::NextPane))
        connect(next, &QAction::triggered, this, [this] { focusPane(+1); });
    if (QAction* previous = frame_->command(cmd::PrevPane))
        connect(previous, &QAction::triggered, this, [this] { focusPane(-1); });
    connect(frame_, &CMainFrame::openRequested, this, [this](const QString& path) {
        if (saveModified()) openDocument(path);
    });
    statusPanes_ = new StatusPanes(frame_, connection_, log_.get(), this);
}

bool CTQ_InterfaceView::confirmClose() {
    if (log_->isOpen()) {
        const auto answer = QMessageBox::question(
            this, kTitle, QStringLiteral("A log file is being recorded. Stop the log and exit?"),
            QMessageBox::Yes | QMessageBox::No, QMessageBox::No);
        if (answer != QMessageBox::Yes) return false;
    }
    if (!saveModified()) return false;
    if (log_->isOpen()) {
        log_->stop();
        updateCommandUi();
    }
    return true;
}

// The first click's Stop has run already; a reboot starts a regulator whose
// FLASH has Autostart set again, so it is asked for.
void CTQ_InterfaceView::onStopDoubleClicked() {
    if (!connection_->isPortOpen()) return;
    askAndReboot();
}

void CTQ_InterfaceView::askAndReboot() {
    if (askFirst(kRebootQuestion)) connection_->rebootRegulator();
}

bool CTQ_InterfaceView::askFirst(const QString& question) {
    return QMessageBox::question(this, kTitle, question, QMessageBox::Yes | QMessageBox::No, QMessageBox::No) ==
           QMessageBox::Yes;
}

bool CTQ_InterfaceView::startLogInto(const QString& path) {
    const bool open = log_->start(path.toStdString(), connection_->versionText().toStdString(), logSettings());
    if (!open) std::cerr << "tq_interface: cannot create the log file " << path.toStdString() << '\n';
    updateCommandUi();
    return open;
}

void CTQ_InterfaceView::focusPane(int step) {
    QWidget* current = tabs_->page(tabs_->currentIndex());
    moveFocusToPane({panel_, tabs_->bar(), current}, step);
}
