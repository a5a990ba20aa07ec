// The main window: menus, tool bar and status bar around the form view.
// Fixed size (no sizing border, no maximise box); the view sets the title.
#pragma once

#include <QHash>
#include <QMainWindow>
#include <functional>
#include <memory>

#include "app/lock_indicators.h"
#include "app/recent_file_list.h"

class QAction;
class QLabel;
class QMenu;
class QSettings;
class QToolBar;

// Regulator > Verify after download, on unless switched off.
inline constexpr char kVerifyAfterDownloadKey[] = "Settings/VERIFY_AFTER_DOWNLOAD";

class CMainFrame : public QMainWindow {
    Q_OBJECT
public:
    explicit CMainFrame(QWidget* parent = nullptr);
    ~CMainFrame() override;

    QAction* command(int id) const { return commands_.value(id); }
    RecentFileList& recentFiles() { return recent_; }
    void addRecentFile(const QString& path);
    void removeRecentFile(const QString& path);

    void setConnectionText(const QString& text);
    QString connectionText() const;
    // The panes beside the connection indicator: the regulator's state at a
    // glance ("Searching…", "Online 20.0 Hz", "Lost") and the running log.
    void setLinkStateText(const QString& text);
    QString linkStateText() const;
    void setLogText(const QString& text);
    QString logText() const;
    QString idleText() const;
    // Resizes the window to fit its central widget exactly and fixes the size.
    void fitToView();
    // Called whenever menus open and on a short timer, to enable commands.
    void setCommandUpdater(std::function<void()> updater) { updater_ = std::move(updater); }
    void updateCommands();
    // Asked before the window closes (Exit, the close button); false keeps it open.
    void setCloseGuard(std::function<bool()> guard) { closeGuard_ = std::move(guard); }
    // Where the lock panes read the keyboard's lock indicators (the platform's
    // reader by default); null leaves the panes blank. Reads at once.
    void setLockIndicatorReader(std::unique_ptr<LockIndicatorReader> reader);
    // The text of the Caps (0), Num (1) or Scroll (2) Lock pane: "CAP", "NUM"
    // or "SCRL" while that lock is on, empty while it is off or unknown.
    QString lockPaneText(int index) const;

public slots:
    void bringToFront();
    // A file handed over by a later start: comes to the front and asks the
    // view to open it (as File > Open does).
    void openFromShell(const QString& path);

signals:
    void fileDropped(const QString& path);
    void openRequested(const QString& path);
    void recentFileChosen(const QString& path);

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QAction* makeCommand(int id);
    void buildMenus();
    void buildToolBar();
    void buildStatusBar();
    void rememberVerifyAfterDownload(QSettings& settings);
    void rebuildRecentMenu();
    void readLockIndicators();

    QHash<int, QAction*> commands_;
    QMenu* fileMenu_ = nullptr;
    QAction* recentAnchor_ = nullptr;  // separator before the recent files
    QList<QAction*> recentActions_;
    QToolBar* toolBar_ = nullptr;
    QLabel* idleLabel_ = nullptr;
    QLabel* connectionLabel_ = nullptr;
    QLabel* linkStateLabel_ = nullptr;
    QLabel* logLabel_ = nullptr;
    QLabel* lockLabels_[3] = {};
    std::unique_ptr<LockIndicatorReader> lockReader_;
    RecentFileList recent_;
    std::function<void()> updater_;
    std::function<bool()> closeGuard_;
};
