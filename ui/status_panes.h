// Keeps the status-bar panes beside the connection indicator up to date: the
// regulator's state ("Searching…", "Online 20.0 Hz", "Lost") and the running
// log (file name, rows written, elapsed time).
#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

#include "app/status_pane_texts.h"

class CMainFrame;
class ConnectionManager;
class RuntimeLog;

class StatusPanes : public QObject {
    Q_OBJECT
public:
    static constexpr int kPeriodMs = 250;

    StatusPanes(CMainFrame* frame, ConnectionManager* connection, RuntimeLog* log, QObject* parent = nullptr);
    void refresh();
    // The owner's parts go away before this object: no more refreshes.
    void detach();

private:
    CMainFrame* frame_;
    ConnectionManager* connection_;
    RuntimeLog* log_;
    LinkActivity activity_;
    QElapsedTimer clock_;
    bool logOpen_ = false;
    int logFileCount_ = 0;
    qint64 logStartMs_ = 0;
    QTimer timer_;
};
