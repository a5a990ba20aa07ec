#include "app/main_frame.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLayout>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QSettings>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>
#include <algorithm>
#include <utility>

#include "app/command_ids.h"
#include "app/frame_commands.h"
#include "app/global_setup.h"
#include "app/toolbar_icons.h"

namespace {

QString promptOf(const FrameCommand& c) { return QString::fromUtf8(c.prompt).section('\n', 0, 0); }
QString tipOf(const FrameCommand& c) { return QString::fromUtf8(c.prompt).section('\n', 1, 1); }

QList<QKeySequence> extraShortcuts(int id) {
    switch (id) {
    case cmd::EditUndo: return {QKeySequence(Qt::ALT | Qt::Key_Backspace)};
    case cmd::EditCut: return {QKeySequence(Qt::SHIFT | Qt::Key_Delete)};
    case cmd::EditCopy: return {QKeySequence(Qt::CTRL | Qt::Key_Insert)};
    case cmd::EditPaste: return {QKeySequence(Qt::SHIFT | Qt::Key_Insert)};
    case cmd::HelpTopics: return {QKeySequence(Qt::Key_F1)};
    case cmd::ToolHelp: return {QKeySequence(Qt::SHIFT | Qt::Key_F1)};
    default: return {};
    }
}

}  // namespace

CMainFrame::CMainFrame(QWidget* parent)
    : QMainWindow(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                              Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                              Qt::WindowCloseButtonHint) {
    setWindowTitle(QStringLiteral("TQ_Interface"));
    setAcceptDrops(true);
    for (const FrameCommand& c : frameCommands()) makeCommand(c.id);
    // Ctrl+Enter presses the status panel's SEND button.
    QAction* send = new QAction(this);
    send->setShortcuts({QKeySequence(Qt::CTRL | Qt::Key_Return), QKeySequence(Qt::CTRL | Qt::Key_Enter)});
    send->setShortcutContext(Qt::WindowShortcut);
    addAction(send);
    commands_.insert(cmd::PanelSend, send);
    // F6 and Shift+F6 move the focus to the next and the previous pane.
    for (const auto& [id, key] : {std::pair{int(cmd::NextPane), QKeySequence(Qt::Key_F6)},
                                  std::pair{int(cmd::PrevPane), QKeySequence(Qt::SHIFT | Qt::Key_F6)}}) {
        auto* pane = new QAction(this);
        pane->setShortcut(key);
        pane->setShortcutContext(Qt::WindowShortcut);
        addAction(pane);
        commands_.insert(id, pane);
    }

    QSettings settings(settingsOrganization(), settingsApplication());
    recent_.load(settings);

    buildMenus();
    buildToolBar();
    buildStatusBar();
    rememberVerifyAfterDownload(settings);
    setLockIndicatorReader(makePlatformLockReader());

    auto* poll = new QTimer(this);
    connect(poll, &QTimer::timeout, this, &CMainFrame::updateCommands);
    poll->start(200);
    qApp->installEventFilter(this);
}

CMainFrame::~CMainFrame() {
    // The view calls back into the frame while it is torn down (it clears the
    // hooks below); it goes first, while this is still a whole CMainFrame and
    // not a half-destroyed QWidget that deletes its children.
    delete takeCentralWidget();
    updater_ = nullptr;
    closeGuard_ = nullptr;
    qApp->removeEventFilter(this);
    QSettings settings(settingsOrganization(), settingsApplication());
    recent_.save(settings);
}

void CMainFrame::rememberVerifyAfterDownload(QSettings& settings) {
    QAction* verify = commands_.value(cmd::VerifyAfterDownload);
    verify->setCheckable(true);
    verify->setChecked(settings.value(QLatin1String(kVerifyAfterDownloadKey), true).toBool());
    connect(verify, &QAction::toggled, this, [](bool on) {
        QSettings(settingsOrganization(), settingsApplication()).setValue(QLatin1String(kVerifyAfterDownloadKey), on);
    });
}

QAction* CMainFrame::makeCommand(int id) {
    const FrameCommand* c = findFrameCommand(id);
    QString label = QString::fromUtf8(c->label);
    QString accel = label.section('\t', 1, 1);
    label = label.section('\t', 0, 0);
    auto* a = new QAction(label.isEmpty() ? tipOf(*c) : label, this);
    a->setStatusTip(promptOf(*c));
    a->setToolTip(tipOf(*c));
    QList<QKeySequence> keys;
    if (!accel.isEmpty()) keys << QKeySequence(accel);
    keys << extraShortcuts(id);
    if (!keys.isEmpty()) a->setShortcuts(keys);
    a->setData(id);
    commands_.insert(id, a);
    return a;
}

void CMainFrame::buildMenus() {
    for (const MenuLayout& m : menuLayout()) {
        QMenu* menu = menuBar()->addMenu(QString::fromUtf8(m.title));
        connect(menu, &QMenu::aboutToShow, this, &CMainFrame::updateCommands);
        for (int id : m.items) {
            if (id == 0) {
                menu->addSeparator();
            } else if (id == -1) {
                fileMenu_ = menu;
                recentAnchor_ = menu->addSeparator();
                recentAnchor_->setVisible(false);
            } else {
                menu->addAction(commands_.value(id));
            }
        }
    }
    rebuildRecentMenu();
}

void CMainFrame::buildToolBar() {
    toolBar_ = addToolBar(QStringLiteral("Standard"));
    toolBar_->setObjectName(QStringLiteral("standardToolBar"));
    toolBar_->setIconSize(QSize(16, 16));
    toolBar_->setAllowedAreas(Qt::AllToolBarAreas);
    for (int id : toolBarLayout()) {
        if (id == 0) {
            toolBar_->addSeparator();
            continue;
        }
        QAction* a = commands_.value(id);
        a->setIcon(toolBarIcon(id, style()));
        toolBar_->addAction(a);
    }
    QAction* showToolBar = commands_.value(cmd::ViewToolbar);
    showToolBar->setCheckable(true);
    showToolBar->setChecked(true);
    connect(showToolBar, &QAction::toggled, this, [this](bool on) {
        toolBar_->setVisible(on);
        fitToView();
    });
}

void CMainFrame::buildStatusBar() {
    statusBar()->setSizeGripEnabled(false);
    idleLabel_ = new QLabel(idleText());
    // The message pane holds the longest command prompt whole: a prompt
    // shows over it while the mouse is on a menu item or tool button.
    int longest = idleLabel_->fontMetrics().horizontalAdvance(idleText());
    for (QAction* a : std::as_const(commands_))
        longest = std::max(longest, idleLabel_->fontMetrics().horizontalAdvance(a->statusTip()));
    idleLabel_->setMinimumWidth(longest + 8);
    statusBar()->addWidget(idleLabel_, 1);
    logLabel_ = new QLabel;
    logLabel_->setObjectName(QStringLiteral("logPane"));
    logLabel_->setVisible(false);
    logLabel_->setContentsMargins(4, 0, 8, 0);
    statusBar()->addPermanentWidget(logLabel_);
    linkStateLabel_ = new QLabel;
    linkStateLabel_->setObjectName(QStringLiteral("linkStatePane"));
    linkStateLabel_->setVisible(false);
    linkStateLabel_->setContentsMargins(4, 0, 8, 0);
    linkStateLabel_->setMinimumWidth(linkStateLabel_->fontMetrics().horizontalAdvance(
                                         QStringLiteral("Online 100.0 Hz")) + 12);
    statusBar()->addPermanentWidget(linkStateLabel_);
    connectionLabel_ = new QLabel(QStringLiteral("Connection status here"));
    connectionLabel_->setObjectName(QStringLiteral("connectionPane"));
    statusBar()->addPermanentWidget(connectionLabel_);
    for (int i = 0; i < 3; ++i) {
        lockLabels_[i] = new QLabel;
        lockLabels_[i]->setObjectName(QStringLiteral("lockPane%1").arg(i));
        lockLabels_[i]->setContentsMargins(2, 0, 4, 0);
        lockLabels_[i]->setMinimumWidth(lockLabels_[i]->fontMetrics().horizontalAdvance(QStringLiteral("SCRL")) + 6);
        statusBar()->addPermanentWidget(lockLabels_[i]);
    }
    QAction* showStatus = commands_.value(cmd::ViewStatusBar);
    showStatus->setCheckable(true);
    showStatus->setChecked(true);
    connect(showStatus, &QAction::toggled, this, [this](bool on) {
        statusBar()->setVisible(on);
        fitToView();
    });
}

void CMainFrame::rebuildRecentMenu() {
    if (!fileMenu_) return;
    for (QAction* a : recentActions_) {
        fileMenu_->removeAction(a);
        a->deleteLater();
    }
    recentActions_.clear();
    const QStringList& files = recent_.files();
    QAction* before = nullptr;
    // The entries go between the anchor separator and the next one.
    const QList<QAction*> all = fileMenu_->actions();
    const int anchor = all.indexOf(recentAnchor_);
    if (anchor >= 0 && anchor + 1 < all.size()) before = all[anchor + 1];
    for (int i = 0; i < files.size(); ++i) {
        auto* a = new QAction(QStringLiteral("&%1 %2").arg(i + 1).arg(
            RecentFileList::displayName(files[i], QDir::currentPath())), this);
        a->setStatusTip(QStringLiteral("Open this document"));
        a->setData(cmd::FileMru1 + i);
        const QString path = files[i];
        connect(a, &QAction::triggered, this, [this, path] { emit recentFileChosen(path); });
        fileMenu_->insertAction(before, a);
        recentActions_ << a;
    }
    recentAnchor_->setVisible(!files.isEmpty());
}

void CMainFrame::addRecentFile(const QString& path) {
    recent_.add(path);
    rebuildRecentMenu();
    QSettings settings(settingsOrganization(), settingsApplication());
    recent_.save(settings);
}

void CMainFrame::removeRecentFile(const QString& path) {
    recent_.remove(path);
    rebuildRecentMenu();
    QSettings settings(settingsOrganization(), settingsApplication());
    recent_.save(settings);
}

void CMainFrame::closeEvent(QCloseEvent* event) {
    if (closeGuard_ && !closeGuard_()) {
        event->ignore();
        return;
    }
    QMainWindow::closeEvent(event);
}

void CMainFrame::setConnectionText(const QString& text) { connectionLabel_->setText(text); }
QString CMainFrame::connectionText() const { return connectionLabel_->text(); }

// An empty pane takes no room in the status bar.
void CMainFrame::setLinkStateText(const QString& text) {
    if (text == linkStateLabel_->text()) return;
    linkStateLabel_->setText(text);
    linkStateLabel_->setVisible(!text.isEmpty());
}
QString CMainFrame::linkStateText() const { return linkStateLabel_->text(); }

void CMainFrame::setLogText(const QString& text) {
    if (text == logLabel_->text()) return;
    logLabel_->setText(text);
    logLabel_->setVisible(!text.isEmpty());
}
QString CMainFrame::logText() const { return logLabel_->text(); }
QString CMainFrame::idleText() const {
    return QStringLiteral("Idle, waiting for user. For Help, press F1");
}

// The frame's layout keeps the window at exactly the size the form needs.
void CMainFrame::fitToView() {
    layout()->setSizeConstraint(QLayout::SetFixedSize);
    layout()->invalidate();
    layout()->activate();
}

void CMainFrame::updateCommands() {
    if (updater_) updater_();
}

void CMainFrame::bringToFront() {
    if (isMinimized()) showNormal();
    show();
    raise();
    activateWindow();
}

void CMainFrame::openFromShell(const QString& path) {
    bringToFront();
    // Queued: the request arrives inside a socket notification, the opening
    // may ask questions in modal boxes.
    QMetaObject::invokeMethod(this, [this, path] { emit openRequested(path); }, Qt::QueuedConnection);
}

void CMainFrame::dragEnterEvent(QDragEnterEvent* event) {
    if (event->mimeData()->hasUrls()) event->acceptProposedAction();
}

void CMainFrame::dropEvent(QDropEvent* event) {
    const QList<QUrl> urls = event->mimeData()->urls();
    if (!urls.isEmpty() && urls.first().isLocalFile()) {
        event->acceptProposedAction();
        emit fileDropped(urls.first().toLocalFile());
    }
}

void CMainFrame::setLockIndicatorReader(std::unique_ptr<LockIndicatorReader> reader) {
    lockReader_ = std::move(reader);
    const QString tip = lockReader_ ? QString()
                                    : QStringLiteral("The lock keys cannot be read on this display");
    for (QLabel* pane : lockLabels_) pane->setToolTip(tip);
    readLockIndicators();
}

QString CMainFrame::lockPaneText(int index) const { return lockLabels_[index]->text(); }

// A pane shows its name while the lock is on; it stays blank while the lock
// is off and whenever the state cannot be read, rather than guess.
void CMainFrame::readLockIndicators() {
    const std::optional<LockStates> states = lockReader_ ? lockReader_->read() : std::nullopt;
    const bool on[3] = {states && states->caps, states && states->num, states && states->scroll};
    const char* names[3] = {"CAP", "NUM", "SCRL"};
    for (int i = 0; i < 3; ++i) lockLabels_[i]->setText(on[i] ? QString::fromLatin1(names[i]) : QString());
}

// The lock panes are read again whenever a lock may have changed: on the
// lock keys (a lock goes off on the key's release) and when the program
// comes back from another window.
bool CMainFrame::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
    case QEvent::KeyPress:
    case QEvent::KeyRelease: {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_CapsLock || key == Qt::Key_NumLock || key == Qt::Key_ScrollLock) readLockIndicators();
        break;
    }
    case QEvent::ApplicationStateChange:
        if (static_cast<QApplicationStateChangeEvent*>(event)->applicationState() == Qt::ApplicationActive)
            readLockIndicators();
        break;
    case QEvent::WindowActivate:
        if (watched == this) readLockIndicators();
        break;
    default:
        break;
    }
    return QMainWindow::eventFilter(watched, event);
}
