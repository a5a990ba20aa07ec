// The pages of the view's tab strip.
#include <QAction>
#include <QApplication>
#include <QPointer>

#include "app/command_ids.h"
#include "app/main_frame.h"
#include "app/queued_runtime_sink.h"
#include "params/tq_interface_doc.h"
#include "ui/pages/alarm_page.h"
#include "ui/pages/base_page.h"
#include "ui/pages/fan_page.h"
#include "ui/pages/regulator_page.h"
#include "ui/pages/sensor_page.h"
#include "ui/placeholder_page.h"
#include "ui/tq_interface_view.h"
#include "ui/view_page.h"

QWidget* CTQ_InterfaceView::createPage(Page page) {
    static const char* const titles[PageCount] = {"Base", "Runtime", "Alarm", "Fan", "Sensor", "Regulator"};
    auto modified = [this] { markDocumentModified(); };
    ParameterSet* params = document_;
    if (!params) return new PlaceholderPage(QString::fromLatin1(titles[page]));
    switch (page) {
    case RuntimePage:
        return createRuntimePage();
    case BasePage:
        return new CBasePage(params, modified);
    case AlarmPage: {
        auto* alarm = new CAlarmPage(params, modified);
        // The alarm decoding on the serial worker reaches the lamps queued.
        connect(sink_.get(), &QueuedRuntimeSink::alarmPageLampsFlashed, alarm, &CAlarmPage::flashLampBits,
                Qt::QueuedConnection);
        sink_->setHasAlarmPage(true);
        return alarm;
    }
    case FanPage:
        return new CFanPage(params, modified);
    case SensorPage: {
        auto* sensor = new CSensorPage(params, modified);
        if (frame_) {
            connect(frame_->command(cmd::EditCopy), &QAction::triggered, sensor, &CSensorPage::copy);
            connect(frame_->command(cmd::EditPaste), &QAction::triggered, sensor, &CSensorPage::paste);
            // Copy and Paste follow the focus at once, not at the next poll;
            // the actions are the context, so nothing runs once they are gone.
            QAction* copy = frame_->command(cmd::EditCopy);
            QPointer<QAction> paste = frame_->command(cmd::EditPaste);
            QPointer<CSensorPage> records = sensor;
            connect(qApp, &QApplication::focusChanged, copy, [copy, paste, records] {
                const bool act = records && records->canCopy();
                copy->setEnabled(act);
                if (paste) paste->setEnabled(act);
            });
        }
        return sensor;
    }
    case RegulatorPage:
        return new CRegulatorPage(params, modified);
    default:
        return new PlaceholderPage(QString::fromLatin1(titles[page]));
    }
}

void CTQ_InterfaceView::forEachPage(const std::function<void(ViewPage&)>& action) {
    for (QWidget* page : pages_)
        if (auto* p = dynamic_cast<ViewPage*>(page)) action(*p);
}

// Edit commands: Copy and Paste act on the Sensor page while one of its
// record lists has the focus; Undo and Cut have nothing to act on.
void CTQ_InterfaceView::updateEditCommands() {
    if (!frame_) return;
    auto* sensor = dynamic_cast<CSensorPage*>(pages_[SensorPage]);
    frame_->command(cmd::EditUndo)->setEnabled(false);
    frame_->command(cmd::EditCut)->setEnabled(false);
    frame_->command(cmd::EditCopy)->setEnabled(sensor && sensor->canCopy());
    frame_->command(cmd::EditPaste)->setEnabled(sensor && sensor->canPaste());
}
