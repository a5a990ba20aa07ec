#include "ui/screenshots.h"

#include <QCoreApplication>
#include <QDir>
#include <QTimer>
#include <memory>
#include <vector>

#include "app/main_frame.h"
#include "ui/about_box.h"
#include "ui/tq_interface_view.h"

namespace {

// The order in which the pictures are taken.
const std::vector<ScreenshotStep>& steps() {
    static const std::vector<ScreenshotStep> list = {
        setRuntimeScales,
        shootMainWindow,
        shootAboutBox,
        shootCompareDialog,
        shootRuntimePage,
        shootRuntimeWindow,
        shootGlobalSetup,
        shootGlobalSetupService,
        shootFirmwareDialog,
        shootTrend,
        shootHelpWindow,
        shootParameterPages,
        shootCalibrationEditor,
        shootPrintSetup,
        shootAutotune,
    };
    return list;
}

void runStep(std::shared_ptr<ScreenshotContext> ctx, size_t index) {
    if (index >= steps().size()) {
        QCoreApplication::quit();
        return;
    }
    steps()[index](*ctx, [ctx, index] {
        QTimer::singleShot(0, ctx->frame, [ctx, index] { runStep(ctx, index + 1); });
    });
}

}  // namespace

// The main window once it has been online for a few seconds.
void shootMainWindow(const ScreenshotContext& ctx, ScreenshotNext next) {
    QTimer::singleShot(4000, ctx.frame, [ctx, next] {
        ctx.frame->grab().save(ctx.dir + QStringLiteral("/main-window.png"));
        next();
    });
}

void shootAboutBox(const ScreenshotContext& ctx, ScreenshotNext next) {
    auto* about = new CAboutDlg(ctx.view->serviceMode(), ctx.frame);
    about->setAttribute(Qt::WA_DeleteOnClose);
    about->show();
    QTimer::singleShot(500, about, [about, ctx, next] {
        about->grab().save(ctx.dir + QStringLiteral("/about-box.png"));
        about->close();
        next();
    });
}

void takeScreenshots(CMainFrame* frame, CTQ_InterfaceView* view, const QString& dir) {
    QDir().mkpath(dir);
    auto ctx = std::make_shared<ScreenshotContext>(ScreenshotContext{frame, view, dir});
    runStep(ctx, 0);
}
