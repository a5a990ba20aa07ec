// The Runtime page and the RuntimeData window for --screenshots, after the
// virtual regulator has been online long enough for the traces to settle.
#include <QTimer>

#include "app/main_frame.h"
#include "ui/runtime/runtime_page.h"
#include "ui/runtime/runtime_view.h"
#include "ui/screenshots.h"
#include "ui/tab_strip.h"
#include "ui/tq_interface_view.h"

namespace {
constexpr int kSettleMs = 6000;  // on top of the earlier steps: about 10 s online
}

// Before the regulator is online: the temperature channels on a bench scale
// (5 .. 25 deg C), as a saved configuration would bring them, so that the
// approach of Tr1 to Sp1 fills the chart.
void setRuntimeScales(const ScreenshotContext& ctx, ScreenshotNext next) {
    if (CRuntimePage* page = ctx.view->runtimePage()) {
        ChannelTable& table = ctx.view->channelTable();
        for (int channel : {5, 6}) {  // Tr1, Sp1
            table[channel].min = 5.0f;
            table[channel].max = 25.0f;
        }
        page->runtimeBlockLoaded();
    }
    next();
}

void shootRuntimePage(const ScreenshotContext& ctx, ScreenshotNext next) {
    ctx.view->tabs()->setCurrentIndex(CTQ_InterfaceView::RuntimePage);
    QTimer::singleShot(kSettleMs, ctx.frame, [ctx, next] {
        ctx.frame->grab().save(ctx.dir + QStringLiteral("/runtime-page.png"));
        next();
    });
}

void shootRuntimeWindow(const ScreenshotContext& ctx, ScreenshotNext next) {
    CRuntimePage* page = ctx.view->runtimePage();
    if (!page) {
        next();
        return;
    }
    page->showRuntimeView();
    QTimer::singleShot(1500, ctx.frame, [ctx, page, next] {
        page->runtimeView()->grab().save(ctx.dir + QStringLiteral("/runtime-window.png"));
        page->runtimeView()->hide();
        next();
    });
}
