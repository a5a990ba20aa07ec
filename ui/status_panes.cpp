#include "ui/status_panes.h"

#include "app/connection_manager.h"
#include "app/main_frame.h"
#include "runtime/runtime_log.h"

StatusPanes::StatusPanes(CMainFrame* frame, ConnectionManager* connection, RuntimeLog* log, QObject* parent)
    : QObject(parent), frame_(frame), connection_(connection), log_(log) {
    clock_.start();
    connect(&timer_, &QTimer::timeout, this, &StatusPanes::refresh);
    timer_.start(kPeriodMs);
    refresh();
}

void StatusPanes::detach() {
    timer_.stop();
    frame_ = nullptr;
    connection_ = nullptr;
    log_ = nullptr;
}

void StatusPanes::refresh() {
    if (!frame_ || !connection_ || !log_) return;
    const qint64 now = clock_.elapsed();
    const int mode = connection_->mode();
    const auto link = mode == ConnectionManager::ModeOnline   ? LinkActivity::Link::Online
                      : mode == ConnectionManager::ModeSearch ? LinkActivity::Link::Searching
                                                              : LinkActivity::Link::Busy;
    activity_.update(connection_->isPortOpen(), link, connection_->samplesReceived(), now);
    frame_->setLinkStateText(activity_.text());

    const bool open = log_->isOpen();
    if (open && (!logOpen_ || log_->fileCount() != logFileCount_)) logStartMs_ = now;
    logOpen_ = open;
    logFileCount_ = log_->fileCount();
    frame_->setLogText(logPaneText(open, QString::fromStdString(log_->path()), log_->rowCount(),
                                   now - logStartMs_));
}
