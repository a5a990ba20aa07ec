// Regulator › Auto-tune: the dialog over the view's connection and document.
#include <QAction>

#include "app/command_ids.h"
#include "app/connection_manager.h"
#include "app/main_frame.h"
#include "params/tq_interface_doc.h"
#include "ui/dialogs/autotune_dialog.h"
#include "ui/tq_interface_view.h"

void CTQ_InterfaceView::wireAutotuneCommand() {
    if (QAction* a = frame_->command(cmd::Autotune))
        connect(a, &QAction::triggered, this, [this] { onAutotune(); });
}

void CTQ_InterfaceView::onAutotune() {
    if (!document_ || !connection_->isPortOpen()) return;
    AutotuneDialog dialog(*connection_, *document_, setup_.celsius, [this] { markDocumentModified(); onDocumentUpdate(); },
                          [this] { downloadAndVerify(); }, this);
    autotuneDialog_ = &dialog;
    dialog.exec();
    autotuneDialog_ = nullptr;
}
