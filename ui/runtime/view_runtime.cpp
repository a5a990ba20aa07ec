// The view's side of the runtime graph: the channel table it owns for the
// document, the Runtime page it creates, and the hand-over of the graph
// values from the serial worker to the page.
#include <QAction>

#include "app/command_ids.h"
#include "app/connection_manager.h"
#include "app/main_frame.h"
#include "app/queued_runtime_sink.h"
#include "ui/runtime/runtime_page.h"
#include "ui/tq_interface_view.h"

CRuntimePage* CTQ_InterfaceView::runtimePage() const {
    return qobject_cast<CRuntimePage*>(pages_[RuntimePage]);
}

RuntimeBlockOwner* CTQ_InterfaceView::runtimeBlockOwner() { return &channelTable_; }

void CTQ_InterfaceView::resetChannelTable() {
    if (CRuntimePage* page = runtimePage())
        page->resetChannelTable();  // reports the change, which reaches the fan-out
    else {
        channelTable_.reset();
        fanOut_->setChannelTable(channelTable_);
    }
}

void CTQ_InterfaceView::wireChannelTable() {
    channelTable_.setOnBlockLoaded([this] {
        fanOut_->setChannelTable(channelTable_);
        if (CRuntimePage* page = runtimePage()) page->runtimeBlockLoaded();
    });
    fanOut_->setChannelTable(channelTable_);
}

QWidget* CTQ_InterfaceView::createRuntimePage() {
    auto* page = new CRuntimePage(channelTable_);
    page->applyGlobalSetup(setup_);
    page->setIntervalLabel(connection_->sampleTimerPeriod());
    // Graph values come from the serial worker thread: queued to the page.
    connect(sink_.get(), &QueuedRuntimeSink::graphValuesReady, page, &CRuntimePage::addSample,
            Qt::QueuedConnection);
    connect(page, &CRuntimePage::sampleIntervalRequested, connection_, &ConnectionManager::setSampleTimerPeriod);
    connect(connection_, &ConnectionManager::sampleTimerPeriodChanged, page, &CRuntimePage::setIntervalLabel);
    connect(page, &CRuntimePage::documentModified, this, &CTQ_InterfaceView::markDocumentModified);
    connect(page, &CRuntimePage::channelTableChanged, this,
            [this] { fanOut_->setChannelTable(channelTable_); });
    return page;
}

void CTQ_InterfaceView::toggleRuntimeView() {
    if (CRuntimePage* page = runtimePage()) page->toggleRuntimeView();
    updateRuntimeCommandUi();
}

// "Runtimeview" carries a check mark while the window is visible and is
// disabled while there is no page.
void CTQ_InterfaceView::updateRuntimeCommandUi() {
    if (!frame_) return;
    QAction* action = frame_->command(cmd::ViewRuntime);
    if (!action) return;
    CRuntimePage* page = runtimePage();
    action->setCheckable(true);
    action->setEnabled(page != nullptr);
    action->setChecked(page && page->runtimeViewVisible());
}
