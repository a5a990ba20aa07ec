#include "ui/tq_interface_view.h"

#include <QAction>
#include <QCoreApplication>
#include <QFileInfo>
#include <QMessageBox>
#include <QSettings>
#include <QVBoxLayout>

#include "app/command_ids.h"
#include "app/connection_manager.h"
#include "app/main_frame.h"
#include "app/queued_runtime_sink.h"
#include "app/tq_interface_app.h"
#include "params/tq_interface_doc.h"
#include "ui/about_box.h"
#include "ui/lamp_widget.h"
#include "ui/view_page.h"
#include "ui/status_panel.h"
#include "ui/status_panes.h"
#include "ui/tab_strip.h"

namespace {

std::string programName() {
    const QString path = QCoreApplication::applicationFilePath();
    return path.isEmpty() ? std::string("tq_interface") : QFileInfo(path).completeBaseName().toStdString();
}

}  // namespace

CTQ_InterfaceView::CTQ_InterfaceView(CMainFrame* frame, CTQ_InterfaceDoc* document,
                                     const std::string& portOverride, QWidget* parent)
    : QWidget(parent), frame_(frame), document_(document) {
    qRegisterMetaType<GraphValues>("GraphValues");
    fieldTexts_.fill(QStringLiteral("--"));
    sink_ = std::make_unique<QueuedRuntimeSink>();
    log_ = std::make_unique<RuntimeLog>([this](const std::string& text) {
        const QString message = QString::fromStdString(text);
        QMetaObject::invokeMethod(this, [this, message] { connection_->showMessage(message); },
                                  Qt::QueuedConnection);
    });
    fanOut_ = std::make_unique<RuntimeFanOut>(*sink_, log_.get());

    {
        QSettings settings(QString::fromLatin1(settingsOrganization()),
                           QString::fromLatin1(settingsApplication()));
        loadStartupSettings(settings, setup_, userSensors_, programName());
    }
    fanOut_->setCelsius(setup_.celsius);

    connection_ = new ConnectionManager(setup_, *fanOut_, this);
    connection_->setPortOverride(portOverride);

    panel_ = new StatusPanel(this);
    tabs_ = new TabStrip(this);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(4);
    layout->addWidget(panel_);
    layout->addWidget(tabs_, 1);

    wireRuntime();
    wireChannelTable();
    wireHelpCommands();
    if (frame_) {
        wireCommands();
        wireFileCommands();
        wireCompareCommands();
        wireAutotuneCommand();
        wireLogViewer();
        frame_->setCommandUpdater([this] { updateCommandUi(); });
    }
    wireExitAndKeys();
    if (document_) document_->AddView(this);
    refreshControls();
}

CTQ_InterfaceView::~CTQ_InterfaceView() {
    if (frame_) {
        frame_->setCommandUpdater({});
        frame_->setCloseGuard({});
    }
    if (document_) document_->RemoveView(this);
    if (statusPanes_) statusPanes_->detach();
    delete connection_;  // closes the port
    connection_ = nullptr;
    // Every orderly exit (the window closed, SIGTERM, Ctrl+C) ends the log
    // with its stop lines.
    if (log_->isOpen()) log_->stop();
    QSettings settings(QString::fromLatin1(settingsOrganization()),
                       QString::fromLatin1(settingsApplication()));
    setup_.save(settings);
}

void CTQ_InterfaceView::wireRuntime() {
    QueuedRuntimeSink* sink = sink_.get();
    // Texts from the serial worker thread arrive queued; a clear made on the
    // UI thread (leaving the online mode) takes effect at once, so the texts
    // that follow it ("error - no regulator found") are not overwritten later.
    connect(sink, &QueuedRuntimeSink::panelTextChanged, this,
            [this](int field, const QString& text) { fieldTexts_[field] = text; }, Qt::AutoConnection);
    connect(sink, &QueuedRuntimeSink::statusTextChanged, this,
            [this](const QString& text) { connection_->setStatusText(text); }, Qt::AutoConnection);
    connect(sink, &QueuedRuntimeSink::versionTextChanged, this,
            [this](const QString& text) { connection_->setVersionText(text); }, Qt::AutoConnection);
    connect(sink, &QueuedRuntimeSink::lampFlashed, this, [this](int lamp, int ms) {
        (lamp == static_cast<int>(PanelLamp::Receive) ? panel_->lampY() : panel_->lampR())->flash(ms);
    }, Qt::QueuedConnection);
    connect(connection_, &ConnectionManager::flashActivityLamp, panel_->lampG(), &LampWidget::flash);
    connect(connection_, &ConnectionManager::refreshControls, this, &CTQ_InterfaceView::refreshControls);
    connect(connection_, &ConnectionManager::portStateChanged, this, &CTQ_InterfaceView::updateCommandUi);
    connect(connection_, &ConnectionManager::modeChanged, this, &CTQ_InterfaceView::updateCommandUi);
    connect(connection_, &ConnectionManager::exclamation, this, [this](const QString& text) {
        QString shown = text;  // "\r" separates the lines of a message box text
        QMessageBox::warning(this, QStringLiteral("TQ_Interface"), shown.replace(QLatin1Char('\r'), QLatin1Char('\n')));
    });
    connect(panel_->sendButton(), &QPushButton::clicked, this, &CTQ_InterfaceView::onSend);
    connect(panel_->stopButton(), &QPushButton::clicked, this, &CTQ_InterfaceView::onStop);
}

void CTQ_InterfaceView::wireCommands() {
    auto on = [this](int id, auto handler) {
        if (QAction* a = frame_->command(id)) connect(a, &QAction::triggered, this, handler);
    };
    ConnectionManager* c = connection_;
    on(cmd::Connect, [c] { c->connectPort(); });
    on(cmd::ToolConnect, [c] { c->connectPort(); });
    on(cmd::Disconnect, [c] { c->disconnectPort(); });
    on(cmd::ToolDisconnect, [c] { c->disconnectPort(); });
    on(cmd::ToolGetVersion, [c] { c->getVersion(); });
    on(cmd::Stop, [this] { onStop(); });
    on(cmd::SaveToFlash, [c] { c->saveToFlash(); });
    // These three replace what the regulator holds: asked first.
    on(cmd::ReadFromFlash, [this, c] {
        if (askFirst(QStringLiteral("Read the parameters from the regulator's FLASH? The parameters it runs "
                                    "with now are replaced by them.")))
            c->readFromFlash();
    });
    on(cmd::FlashToDefault, [this, c] {
        if (askFirst(QStringLiteral("Set the regulator's FLASH to default? The parameters saved in its FLASH "
                                    "are lost.")))
            c->flashToDefault();
    });
    on(cmd::RebootRegulator, [this] { askAndReboot(); });
    on(cmd::DownloadParameters, [this] { onDownloadParameters(); });
    on(cmd::ToolSendParameters, [this] { onDownloadParameters(); });
    on(cmd::GetParameters, [this] { onGetParameters(); });
    on(cmd::ToolGetParameters, [this] { onGetParameters(); });
    on(cmd::GlobalSetup, [this] { onGlobalSetup(); });
    on(cmd::ToolGlobalSetup, [this] { onGlobalSetup(); });
    on(cmd::LogStart, [this] { onLogStart(); });
    on(cmd::LogStop, [this] { onLogStop(); });
    on(cmd::ToolLogToggle, [this] { onLogToggle(); });
    on(cmd::AppAbout, [this] { onAbout(); });
    on(cmd::PanelSend, [this] { if (connection_->isPortOpen()) onSend(); });
    on(cmd::AppExit, [this] { frame_->close(); });
    on(cmd::ViewRuntime, [this] { toggleRuntimeView(); });
}

void CTQ_InterfaceView::initialUpdate() {
    connection_->setMessageText(QStringLiteral("Status..."));
    panel_->lampG()->configure(LampWidget::Green, LampWidget::Unlit, LampWidget::Round);
    panel_->lampY()->configure(LampWidget::Yellow, LampWidget::Unlit, LampWidget::Round);
    if (!pages_[BasePage]) {
        const char* titles[PageCount] = {"Base", "Runtime", "Alarm", "Fan", "Sensor", "Regulator"};
        for (int i = 0; i < PageCount; ++i) {
            pages_[i] = createPage(static_cast<Page>(i));
            tabs_->addTab(QString::fromLatin1(titles[i]), pages_[i]);
        }
        forEachPage([this](ViewPage& p) {
            p.setCelsius(setup_.celsius);
            p.setServiceMode(serviceMode_);
            p.applyGlobalSetup(setup_);   // the stored graph colours and pen width
        });
    }
    tabs_->bar()->setColours(0xFFFFFF, 0x646464, 0xC80000, 0xFF0000, true);
    tabs_->setCurrentIndex(0);
    updateTitle();
    updateUnits();
    if (frame_) frame_->fitToView();
    updateCommandUi();
}

void CTQ_InterfaceView::onDocumentUpdate() {
    if (!document_) return;
    if (frame_) frame_->fitToView();
    updateTitle();
    updateUnits();
    forEachPage([](ViewPage& p) { p.refreshFromDocument(); });
    tabs_->update();
}

void CTQ_InterfaceView::updateTitle() {
    if (!frame_ || !document_) return;
    QString title = QString::fromStdString(document_->GetTitle()) + QStringLiteral(" - ") +
                    QString::fromLatin1(CTQ_InterfaceApp::versionText());
    if (serviceMode_) title += QStringLiteral(" SERVICE MODE");
    if (document_->IsModified()) title += QStringLiteral(" *");
    frame_->setWindowTitle(title);
}

void CTQ_InterfaceView::updateUnits() {
    panel_->setTemperatureUnit(setup_.celsius ? QStringLiteral("°C") : QStringLiteral("°F"));
    refreshControls();
}

void CTQ_InterfaceView::markDocumentModified() {
    if (!document_) return;
    document_->SetModifiedFlag(true);
    updateTitle();
}

void CTQ_InterfaceView::setServiceMode(bool on) {
    serviceMode_ = on;
    fanOut_->setServiceMode(on);
    panel_->setServiceMode(on);
    forEachPage([on](ViewPage& p) { p.setServiceMode(on); });
    update();
}

void CTQ_InterfaceView::setCelsius(bool on) {
    setup_.celsius = on;
    fanOut_->setCelsius(on);
    forEachPage([on](ViewPage& p) { p.setCelsius(on); });
    updateUnits();
}

void CTQ_InterfaceView::refreshControls() {
    panel_->setVersionText(connection_->versionText());
    QString status = connection_->statusText();
    while (status.endsWith(QLatin1Char('\n'))) status.chop(1);
    panel_->setStatusText(status);
    panel_->setMessageText(connection_->messageText());
    for (int i = 0; i < kPanelFieldCount; ++i) panel_->setFieldText(static_cast<PanelField>(i), fieldTexts_[i]);
    if (frame_) frame_->setConnectionText(connection_->connectionIndicatorText());
}

void CTQ_InterfaceView::updateCommandUi() {
    const bool open = connection_->isPortOpen();
    if (frame_) {
        auto enable = [this](int id, bool on) {
            if (QAction* a = frame_->command(id)) a->setEnabled(on);
        };
        enable(cmd::Connect, !open);
        enable(cmd::ToolConnect, !open);
        // Disconnect also ends the search's attempts to open a vanished device again.
        const bool connected = open || connection_->isConnected();
        enable(cmd::Disconnect, connected);
        enable(cmd::ToolDisconnect, connected);
        for (int id : {cmd::ToolGetVersion, cmd::ToolSendParameters,
                       cmd::ToolGetParameters, cmd::Stop, cmd::DownloadParameters, cmd::GetParameters,
                       cmd::CompareWithRegulator, cmd::Autotune,
                       cmd::SaveToFlash, cmd::ReadFromFlash, cmd::FlashToDefault, cmd::RebootRegulator,
                       cmd::PanelSend})
            enable(id, open);
        enable(cmd::LogStart, !log_->isOpen());
        enable(cmd::LogStop, log_->isOpen());
        frame_->setConnectionText(connection_->connectionIndicatorText());
        updateEditCommands();
    }
    panel_->sendButton()->setEnabled(open);
    panel_->stopButton()->setEnabled(open);
    updateRuntimeCommandUi();
}

void CTQ_InterfaceView::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    updateUnits();
}

void CTQ_InterfaceView::onAbout() {
    CAboutDlg about(serviceMode_, this);
    about.exec();
    setServiceMode(about.serviceMode());
    updateTitle();  // the title follows the flag at once, not at the next document change
}

void CTQ_InterfaceView::onStop() {
    if (document_) document_->regulatorFlags &= ~0x80u;
    connection_->stopRegulator();
}

void CTQ_InterfaceView::onSend() {
    onDownloadParameters();
    if (document_) document_->regulatorFlags |= 0x80u;
    connection_->startRegulator();
}
