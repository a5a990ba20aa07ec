// --screenshots: the help window at the manual's first steps.
#include <QAction>
#include <QTimer>

#include "app/command_ids.h"
#include "app/main_frame.h"
#include "ui/help/help_window.h"
#include "ui/screenshots.h"
#include "ui/tq_interface_view.h"

void shootHelpWindow(const ScreenshotContext& ctx, ScreenshotNext next) {
    ctx.frame->command(cmd::HelpTopics)->trigger();
    auto* help = ctx.view->findChild<HelpWindow*>();
    if (!help) {
        next();
        return;
    }
    help->showPage(QStringLiteral("getting-started.md"));
    QTimer::singleShot(500, help, [help, ctx, next] {
        help->grab().save(ctx.dir + QStringLiteral("/help-window.png"));
        help->hide();
        next();
    });
}
