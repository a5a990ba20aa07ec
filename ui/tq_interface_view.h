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
#include "params/register_compare.h"
#include "runtime/runtime_fan_out.h"
#include "runtime/runtime_log.h"
#include "ui/dialogs/firmware_file_chooser.h"

class CFirmwareDownloadDlg;
class CMainFrame;
class CRuntimePage;
class CTQ_InterfaceDoc;
class ConnectionManager;
class QueuedRuntimeSink;
class StatusPanel;
class StatusPanes;
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
    // The graph channel table is the view's from the start, so every save
    // writes its block and every load finds it, with or without the page.
    void resetChannelTable() override;
    RuntimeBlockOwner* runtimeBlockOwner() override;

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
    CRuntimePage* runtimePage() const;
    ChannelTable& channelTable() { return channelTable_; }
    // View > Runtimeview: shows or hides the RuntimeData window.
    void toggleRuntimeView();

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
    void onCompareWithRegulator();
    // Regulator › Auto-tune; the dialog while it is open, else null.
    void onAutotune();
    class AutotuneDialog* autotuneDialog() const { return autotuneDialog_; }
    // Downloads the document and verifies it, whatever Verify after download says.
    void downloadAndVerify();
    // Regulator > Verify after download (remembered in the settings).
    bool verifyAfterDownload() const;
    // Setup › Download firmware: the boot loader's rate, the dialog, then back.
    void onDownloadFirmware();
    // Replaces the firmware dialog's file chooser (tests, screenshots).
    void setFirmwareFileChooser(FirmwareFileChooser chooser) { firmwareChooser_ = std::move(chooser); }
    // The firmware dialog while it is open, else null.
    CFirmwareDownloadDlg* firmwareDialog() const { return firmwareDialog_; }
    bool openDocument(const QString& path);
    // Opens a recorded log in a Trend window; null (after a message) when it
    // cannot be read.
    class TrendWindow* openLog(const QString& path);
    // Asks to save a modified document; false when the operator cancels.
    bool saveModified();
    // Asked before the window closes: with a log recording, whether to stop
    // it and exit; then saveModified(). True stops the log and lets it close.
    bool confirmClose();
    // STOP double-clicked: asks before the reboot (default No).
    void onStopDoubleClicked();
    // Asks before a command that cannot be taken back; the default is No.
    bool askFirst(const QString& question);
    void askAndReboot();
    // Starts a log into `path` without the file dialog (--log FILE).
    bool startLogInto(const QString& path);
    // F6 (+1) and Shift+F6 (-1): the focus to the next or previous pane.
    void focusPane(int step);
    StatusPanes* statusPanes() const { return statusPanes_; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    void wireCommands();
    void wireFileCommands();
    void wireCompareCommands();
    void wireAutotuneCommand();
    void downloadParameters(bool verify);
    void wireHelpCommands();   // ui/view_help.cpp
    RegisterComparison compareWithRegulator();
    void verifyDownload();
    void wirePrintCommands();  // view_print.cpp
    void wireLogViewer();
    void wireRuntime();
    void wireExitAndKeys();
    QWidget* createPage(Page page);
    QWidget* createRuntimePage();
    void wireChannelTable();
    void updateRuntimeCommandUi();
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
    StatusPanes* statusPanes_ = nullptr;
    QWidget* pages_[PageCount] = {};
    std::array<QString, kPanelFieldCount> fieldTexts_;
    ChannelTable channelTable_;
    FirmwareFileChooser firmwareChooser_;
    CFirmwareDownloadDlg* firmwareDialog_ = nullptr;
    class AutotuneDialog* autotuneDialog_ = nullptr;
};
