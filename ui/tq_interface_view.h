// The main form: the live status panel across the top and the tab strip
// with the six pages below. The view owns the global setup, the connection,
// the runtime fan-out and its log for the life of the window.
#pragma once

#include <QWidget>
#include <functional>
#include <memory>

#include "app/global_setup.h"
#include "app/startup_settings.h"
#include "params/document_view.h"
#include "runtime/runtime_fan_out.h"
#include "runtime/runtime_log.h"

class CMainFrame;
class CTQ_InterfaceDoc;
class ConnectionManager;
class QueuedRuntimeSink;
class StatusPanel;
class TabStrip;
class ViewPage;

class CTQ_InterfaceView : public QWidget, public DocumentView {
    Q_OBJECT
public:
    enum Page { BasePage, RuntimePage, AlarmPage, FanPage, SensorPage, RegulatorPage, PageCount };

    // Loads the global setup; `portOverride` replaces PORT for this run only.
    CTQ_InterfaceView(CMainFrame* frame, CTQ_InterfaceDoc* document,
                      const std::string& portOverride = {}, QWidget* parent = nullptr);
    // Closes the port, then writes the global setup back.
    ~CTQ_InterfaceView() override;

    void initialUpdate();
    void updateTitle();
    void updateUnits();
    void markDocumentModified();
    void refreshControls();    // the view's texts into the panel
    void updateCommandUi();    // enables the commands by state
    void updateEditCommands(); // Edit menu: by the focused page control

    // DocumentView
    void onDocumentUpdate() override;
    void onTitleChanged() override { updateTitle(); }

    bool serviceMode() const { return serviceMode_; }
    void setServiceMode(bool on);
    bool celsius() const { return setup_.celsius; }
    void setCelsius(bool on);

    GlobalSetup& setup() { return setup_; }
    ConnectionManager& connection() { return *connection_; }
    RuntimeFanOut& fanOut() { return *fanOut_; }
    RuntimeLog& runtimeLog() { return *log_; }
    StatusPanel* panel() const { return panel_; }
    TabStrip* tabs() const { return tabs_; }
    CTQ_InterfaceDoc* document() const { return document_; }
    CMainFrame* frame() const { return frame_; }
    QWidget* page(Page p) const { return pages_[p]; }

    // Commands.
    void onAbout();
    void onSend();
    void onStop();
    void onGlobalSetup();
    void onLogStart();
    void onLogStop();
    void onLogToggle();
    void onDownloadParameters();
    void onGetParameters();
    bool openDocument(const QString& path);
    // Asks to save a modified document; false when the operator cancels.
    bool saveModified();

protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void wireCommands();
    void wireFileCommands();
    void wireRuntime();
    QWidget* createPage(Page page);
    void forEachPage(const std::function<void(ViewPage&)>& action);
    std::string chooseLogFile(const std::string& proposed);
    LogSettings logSettings() const;

    CMainFrame* frame_;
    CTQ_InterfaceDoc* document_;
    GlobalSetup setup_;
    UserSensorTable userSensors_;
    bool serviceMode_ = false;
    std::unique_ptr<QueuedRuntimeSink> sink_;
    std::unique_ptr<RuntimeLog> log_;
    std::unique_ptr<RuntimeFanOut> fanOut_;
    ConnectionManager* connection_ = nullptr;
    StatusPanel* panel_ = nullptr;
    TabStrip* tabs_ = nullptr;
    QWidget* pages_[PageCount] = {};
    std::array<QString, kPanelFieldCount> fieldTexts_;
};
