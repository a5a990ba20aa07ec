// --screenshots: File › Print Setup with the printer the report would use.
#include <QPrinter>
#include <QTimer>
#include <memory>

#include "app/main_frame.h"
#include "ui/dialogs/print_setup_dialog.h"
#include "ui/screenshots.h"

void shootPrintSetup(const ScreenshotContext& ctx, ScreenshotNext next) {
    auto printer = std::make_shared<QPrinter>(QPrinter::HighResolution);
    auto* dialog = new PrintSetupDialog(*printer, QStringLiteral("report.pdf"), ctx.frame);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->show();
    QTimer::singleShot(500, dialog, [dialog, printer, ctx, next] {
        dialog->grab().save(ctx.dir + QStringLiteral("/print-setup.png"));
        dialog->close();
        next();
    });
}
