// The view's help: Help > Help Topics and F1 open the manual at the page of
// the tab shown; Shift+F1 and the tool bar's Help button enter What's This
// mode. The What's This texts of the window are set here too.
#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QKeyEvent>
#include <QWhatsThis>

#include "app/command_ids.h"
#include "app/main_frame.h"
#include "ui/help/help_window.h"
#include "ui/help/window_help_texts.h"
#include "ui/status_panel.h"
#include "ui/tab_strip.h"
#include "ui/tq_interface_view.h"

namespace {

// Shift+F1 in a dialog: the frame's shortcut does not reach a modal dialog.
class DialogWhatsThisKey : public QObject {
public:
    using QObject::QObject;
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::KeyPress && !QWhatsThis::inWhatsThisMode()) {
            const auto* key = static_cast<QKeyEvent*>(event);
            if (key->key() == Qt::Key_F1 && key->modifiers() == Qt::ShiftModifier &&
                qobject_cast<QDialog*>(QApplication::activeModalWidget()) && watched->isWidgetType()) {
                QWhatsThis::enterWhatsThisMode();
                return true;
            }
        }
        return false;
    }
};

}  // namespace

void CTQ_InterfaceView::wireHelpCommands() {
    qApp->installEventFilter(new DialogWhatsThisKey(this));
    describeStatusPanel(*panel_);
    describeTabBar(*tabs_->bar());
    if (!frame_) return;
    describeFrameCommands(*frame_);
    if (QAction* a = frame_->command(cmd::HelpTopics))
        connect(a, &QAction::triggered, this, [this] {
            auto* help = findChild<HelpWindow*>(QString(), Qt::FindDirectChildrenOnly);
            if (!help) help = new HelpWindow(this);
            const int tab = tabs_->currentIndex();
            help->showPage(Manual::pageForTab(tab >= 0 ? tabs_->bar()->tabText(tab) : QString()));
            help->show();
            help->raise();
            help->activateWindow();
        });
    if (QAction* a = frame_->command(cmd::ToolHelp))
        connect(a, &QAction::triggered, this, [] { QWhatsThis::enterWhatsThisMode(); });
}
