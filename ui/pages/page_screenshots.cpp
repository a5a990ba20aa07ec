// Screenshot steps of the parameter pages and the calibration editor.
#include <QTimer>
#include <memory>
#include <vector>

#include "app/main_frame.h"
#include "params/tq_interface_doc.h"
#include "ui/dialogs/calibration_editor_dialog.h"
#include "ui/screenshots.h"
#include "ui/tab_strip.h"
#include "ui/tq_interface_view.h"

namespace {

struct PageShot {
    CTQ_InterfaceView::Page page;
    bool serviceMode;
    const char* file;
};

const PageShot kShots[] = {
    {CTQ_InterfaceView::BasePage, false, "page-base.png"},
    {CTQ_InterfaceView::AlarmPage, false, "page-alarm.png"},
    {CTQ_InterfaceView::AlarmPage, true, "page-alarm-service.png"},
    {CTQ_InterfaceView::FanPage, false, "page-fan.png"},
    {CTQ_InterfaceView::SensorPage, false, "page-sensor.png"},
    {CTQ_InterfaceView::RegulatorPage, false, "page-regulator.png"},
    {CTQ_InterfaceView::RegulatorPage, true, "page-regulator-service.png"},
};

void shootPage(const ScreenshotContext& ctx, std::size_t index, bool serviceBefore, ScreenshotNext next) {
    if (index >= std::size(kShots)) {
        ctx.view->setServiceMode(serviceBefore);
        ctx.view->updateTitle();
        ctx.view->tabs()->setCurrentIndex(CTQ_InterfaceView::BasePage);
        next();
        return;
    }
    const PageShot& shot = kShots[index];
    ctx.view->setServiceMode(shot.serviceMode);
    ctx.view->updateTitle();
    ctx.view->tabs()->setCurrentIndex(shot.page);
    QTimer::singleShot(300, ctx.frame, [ctx, index, serviceBefore, next] {
        ctx.frame->grab().save(ctx.dir + QLatin1Char('/') + QString::fromLatin1(kShots[index].file));
        shootPage(ctx, index + 1, serviceBefore, next);
    });
}

}  // namespace

void shootParameterPages(const ScreenshotContext& ctx, ScreenshotNext next) {
    shootPage(ctx, 0, ctx.view->serviceMode(), next);
}

// The editor on sensor 1's "TC-NTC-1" record.
void shootCalibrationEditor(const ScreenshotContext& ctx, ScreenshotNext next) {
    const CTQ_InterfaceDoc* doc = ctx.view->document();
    const SensorCalibrationEx record = doc ? doc->sensor1.records[1] : SensorCalibrationEx{};
    auto* dialog = new CCalibrationEditorDlg(CalibrationEditsFrom(record), ctx.frame);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->show();
    QTimer::singleShot(300, dialog, [dialog, ctx, next] {
        dialog->grab().save(ctx.dir + QStringLiteral("/calibration-editor.png"));
        dialog->close();
        next();
    });
}
