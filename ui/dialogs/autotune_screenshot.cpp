// --screenshots: Regulator › Auto-tune as it opens, with the document's
// operating point and the default limits.
#include <QTimer>

#include "app/connection_manager.h"
#include "app/main_frame.h"
#include "params/tq_interface_doc.h"
#include "ui/dialogs/autotune_dialog.h"
#include "ui/screenshots.h"
#include "ui/tq_interface_view.h"

void shootAutotune(const ScreenshotContext& ctx, ScreenshotNext next) {
    static ParameterSet document;
    document = static_cast<const ParameterSet&>(*ctx.view->document());   // a copy: the picture changes nothing
    auto* dialog = new AutotuneDialog(ctx.view->connection(), document, ctx.view->celsius(), {}, {}, ctx.frame);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->show();
    QTimer::singleShot(500, dialog, [dialog, ctx, next] {
        dialog->grab().save(ctx.dir + QStringLiteral("/autotune.png"));
        dialog->close();
        next();
    });
}
