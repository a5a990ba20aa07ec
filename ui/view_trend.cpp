// The view's log viewer: File > Open log... and ".txt" files dropped on the
// window open a Trend window; its replay goes through the view's fan-out.
#include <QAction>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QStatusBar>

#include "app/command_ids.h"
#include "app/connection_manager.h"
#include "app/main_frame.h"
#include "app/recent_folders.h"
#include "app/wait_cursor.h"
#include "runtime/log_reader.h"
#include "ui/tq_interface_view.h"
#include "ui/trend/trend_window.h"

void CTQ_InterfaceView::wireLogViewer() {
    if (QAction* a = frame_->command(cmd::FileOpenLog))
        connect(a, &QAction::triggered, this, [this] {
            const QString path = QFileDialog::getOpenFileName(this, QStringLiteral("Open log"),
                                                              inRecentFolder(FileKind::Logs, QString()),
                                                              QStringLiteral("Logg File (*.txt);;All Files (*)"));
            if (!path.isEmpty()) openLog(path);
        });
}

TrendWindow* CTQ_InterfaceView::openLog(const QString& path) {
    LogReadResult result;
    {
        WaitCursor wait;
        result = readLogFile(path.toStdString());
    }
    if (!result.ok) {
        QMessageBox::warning(this, QStringLiteral("TQ_Interface"),
                             QStringLiteral("Unable to open the log \"%1\": %2.")
                                 .arg(path, QString::fromStdString(result.error)));
        return nullptr;
    }
    rememberFolder(FileKind::Logs, path);
    ReplayTarget target;
    target.canStart = [this](QString* why) {
        if (!connection_->isPortOpen()) return true;
        *why = QStringLiteral("Disconnect from the regulator before a replay: during a replay the panel "
                              "and the chart show the log, not the regulator.");
        return false;
    };
    target.feed = [this](const RuntimeSample& sample) {
        fanOut_->refreshTick();
        fanOut_->sampleTick();
        fanOut_->replay(sample);
        refreshControls();
    };
    target.stateChanged = [this](bool running, const QString& text) {
        // A stopped replay leaves no numbers that look live on the panel.
        if (!running && !connection_->isPortOpen()) {
            fanOut_->clearPanel();
            refreshControls();
        }
        if (!frame_) return;
        if (running) frame_->statusBar()->showMessage(text);
        else frame_->statusBar()->clearMessage();
    };
    // The Runtime page's channels: which are drawn and their ranges.
    auto* window = new TrendWindow(path, std::move(result.data), setup_, channelTable_, std::move(target), this);
    window->show();
    return window;
}
