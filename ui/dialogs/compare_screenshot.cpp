// Screenshot step: the compare dialog after three values of the document
// were changed away from what the regulator holds.
#include <QTimer>

#include "app/connection_manager.h"
#include "app/main_frame.h"
#include "app/transfer_adapters.h"
#include "params/tq_interface_doc.h"
#include "ui/dialogs/compare_dialog.h"
#include "ui/screenshots.h"
#include "ui/tq_interface_view.h"

void shootCompareDialog(const ScreenshotContext& ctx, ScreenshotNext next) {
    CTQ_InterfaceView* view = ctx.view;
    CTQ_InterfaceDoc* doc = view->document();
    if (!doc || !view->connection().isPortOpen()) {
        next();
        return;
    }
    const ParameterSet saved = *doc;
    doc->kP = 25.0f;
    doc->deadBand = 4.5f;
    doc->fan1HighVoltage = 24.0f;
    SerialRegisterIo io(view->connection().link());
    ConnectionTransferHost host(view->connection());
    const CompareModel model(CompareWithRegulator(
        io, host, *doc, TransferSettings{view->setup().ieeeFormat, view->serviceMode()}));
    static_cast<ParameterSet&>(*doc) = saved;

    auto* dialog = new CompareDialog(model, ctx.frame);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->show();
    QTimer::singleShot(500, dialog, [dialog, ctx, next] {
        dialog->grab().save(ctx.dir + QStringLiteral("/compare-dialog.png"));
        dialog->close();
        next();
    });
}
