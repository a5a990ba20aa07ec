// The connection to the regulator: opens and closes the link, runs the
// connection mode with its three timers (activity and search, display
// refresh, lost-regulator detection) and the one-shot regulator commands.
//
// Commands run on the UI thread and block. The periodic search, which runs
// without any action of the operator, queries the version on a helper
// thread (the link serialises transactions) so the window stays responsive
// while no regulator answers; its result comes back as a queued call.
#pragma once

#include <QObject>
#include <QString>
#include <QTimer>
#include <atomic>
#include <chrono>
#include <functional>
#include <thread>

#include "link/serial_manager.h"

struct GlobalSetup;
class RuntimeFanOut;

class ConnectionManager : public QObject {
    Q_OBJECT
public:
    enum Mode : int { ModeSearch = 0, ModeOnline = 1, ModeTransfer = 2, ModeSuspended = 3, ModeFirmware = 4 };
    static constexpr int kSearchPeriodMs = 500;
    static constexpr int kRefreshPeriodMs = 125;
    // A port on the network is looked for by a connection attempt, at most
    // this often while it is away (a device node is looked for every tick).
    static constexpr int kNetworkRetryMs = 2000;

    // `fanOut` receives the runtime lines once connected and holds the
    // gates the timers drive.
    ConnectionManager(GlobalSetup& setup, RuntimeFanOut& fanOut, QObject* parent = nullptr);
    ~ConnectionManager() override;

    SerialManager& link() { return link_; }

    int mode() const { return mode_; }
    int setConnectionMode(int newMode, bool refresh);
    int sampleTimerPeriod() const { return sampleTimerPeriod_; }
    void setSampleTimerPeriod(int ms);
    // The port name of this run when it differs from the saved PORT (--simulate).
    void setPortOverride(const std::string& port) { portOverride_ = port; }
    std::string portName() const;

    bool isPortOpen() const { return link_.isOpen(); }
    // Between Connect and Disconnect, also while a vanished device is being
    // opened again by the search.
    bool isConnected() const { return connected_; }
    bool isLinkUp() const { return link_.isLinkUp(); }
    QString connectionIndicatorText() const;

    // Panel texts owned by the connection.
    const QString& versionText() const { return versionText_; }
    const QString& statusText() const { return statusText_; }
    const QString& messageText() const { return messageText_; }
    void setStatusText(const QString& text);
    void setVersionText(const QString& text);
    void showMessage(const QString& text);
    void setMessageText(const QString& text) { messageText_ = text; }  // as is, no leading blank

    // Commands of the Regulator menu, the tool bar and the status panel.
    void connectPort();
    void disconnectPort();
    void getVersion();
    // Each returns the protocol result; the message says "<message> error -
    // error %d [%s]" when the command failed.
    int stopRegulator();
    int saveToFlash();
    int readFromFlash();
    int flashToDefault();
    int rebootRegulator();
    // Sends "$SC" when the port is open; the alarm latches are reset in any case.
    void clearStatus();
    int startRegulator() { return link_.start(); }
    // Runs `operation` with the link suspended, then restores the mode.
    int runSuspended(const std::function<int()>& operation);
    // Hands the runtime lines to the view's decoder again after an operation
    // that took them for itself (the auto-tune).
    void restoreRuntimeNotify();
    // After the global setup dialog's OK: closes an open port, runs
    // `copyBack` (the new settings into the setup), opens the port again at
    // the new name and rate and restores the previous mode; then shows
    // "Port %s at %d, status = %s".
    void applyPortSettings(const std::function<void()>& copyBack);

    bool searchInFlight() const { return searchInFlight_.load(); }
    // Valid runtime samples received since the program started.
    std::uint64_t samplesReceived() const { return samplesReceived_.load(); }

signals:
    void refreshControls();          // panel texts changed: redraw the bound fields
    void flashActivityLamp(int ms);
    void modeChanged(int mode);
    void portStateChanged();         // command enabling may change
    void sampleTimerPeriodChanged(int ms);
    void exclamation(const QString& text);  // a modal warning for the operator

private:
    void onSearchTimer();
    void onRefreshTimer();
    void onSampleTimer();
    void startSearch();
    void finishSearch(unsigned generation, bool reopened, int result, const QString& version);
    void joinSearch();
    // `message`, then on a second line why the last open failed.
    QString withOpenErrorDetail(const QString& message) const;
    static void sleepMs(int ms);
    int reportResult(const char* message, int result);

    GlobalSetup& setup_;
    RuntimeFanOut& fanOut_;
    SerialManager link_;
    std::string portOverride_;
    int mode_ = ModeSearch;
    int sampleTimerPeriod_ = 125;
    QTimer searchTimer_;   // timer 1
    QTimer refreshTimer_;  // timer 2
    QTimer sampleTimer_;   // timer 4
    QString versionText_ = QStringLiteral("<unkown>");
    QString statusText_ = QStringLiteral("--");
    QString messageText_ = QStringLiteral(" Ready");
    bool connected_ = false;   // between Connect and Disconnect
    std::thread searchThread_;
    std::atomic<bool> searchInFlight_{false};
    std::atomic<unsigned> generation_{0};
    std::atomic<std::uint64_t> samplesReceived_{0};
    std::chrono::steady_clock::time_point nextNetworkAttempt_{};
};
