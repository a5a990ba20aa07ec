// --screenshots: the global setup dialog, as the operator and in service mode.
#include <QTimer>

#include "app/connection_manager.h"
#include "app/main_frame.h"
#include "ui/dialogs/global_setup_dialog.h"
#include "ui/screenshots.h"
#include "ui/tq_interface_view.h"

namespace {

void shootDialog(const ScreenshotContext& ctx, ScreenshotNext next, bool serviceMode, const QString& file) {
    GlobalSetupValues values = GlobalSetupValues::fromSetup(ctx.view->setup(), serviceMode);
    values.portName = ctx.view->connection().portName();
    auto* dialog = new CGlobalSetupDlg(values, CGlobalSetupDlg::findPorts(), ctx.frame);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->show();
    QTimer::singleShot(500, dialog, [dialog, ctx, next, file] {
        dialog->grab().save(ctx.dir + QLatin1Char('/') + file);
        dialog->close();
        next();
    });
}

}  // namespace

void shootGlobalSetup(const ScreenshotContext& ctx, ScreenshotNext next) {
    shootDialog(ctx, std::move(next), false, QStringLiteral("global-setup.png"));
}

void shootGlobalSetupService(const ScreenshotContext& ctx, ScreenshotNext next) {
    shootDialog(ctx, std::move(next), true, QStringLiteral("global-setup-service.png"));
}
