#include "app/connection_manager.h"

#include <QMetaObject>
#include <algorithm>
#include <chrono>

#include "app/global_setup.h"
#include "app/wait_cursor.h"
#include "link/port_url.h"
#include "runtime/runtime_fan_out.h"

namespace {

QString resultMessage(const char* format, int code) {
    return QString::asprintf(format, code, resultText(code));
}

}  // namespace

ConnectionManager::ConnectionManager(GlobalSetup& setup, RuntimeFanOut& fanOut, QObject* parent)
    : QObject(parent), setup_(setup), fanOut_(fanOut) {
    searchTimer_.setTimerType(Qt::PreciseTimer);
    refreshTimer_.setTimerType(Qt::PreciseTimer);
    sampleTimer_.setTimerType(Qt::PreciseTimer);
    connect(&searchTimer_, &QTimer::timeout, this, &ConnectionManager::onSearchTimer);
    connect(&refreshTimer_, &QTimer::timeout, this, &ConnectionManager::onRefreshTimer);
    connect(&sampleTimer_, &QTimer::timeout, this, &ConnectionManager::onSampleTimer);
    fanOut_.setLinkProbe([this] { return link_.isOpen() && link_.isLinkUp(); });
}

ConnectionManager::~ConnectionManager() {
    generation_++;
    link_.close();  // ends a waiting search at once
    joinSearch();
    link_.setNotify(nullptr);
    fanOut_.setLinkProbe({});
}

std::string ConnectionManager::portName() const {
    return portOverride_.empty() ? setup_.portName : portOverride_;
}

void ConnectionManager::sleepMs(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

QString ConnectionManager::connectionIndicatorText() const {
    static const char* texts[4] = {"CONN: Offline", "CONN: On", "CONN: Valid", "CONN: Online"};
    const int index = (link_.isOpen() ? 1 : 0) + (link_.isLinkUp() ? 2 : 0);
    return QString::fromLatin1(texts[index]);
}

void ConnectionManager::setStatusText(const QString& text) { statusText_ = text; }
void ConnectionManager::setVersionText(const QString& text) { versionText_ = text; }

void ConnectionManager::showMessage(const QString& text) {
    messageText_ = QLatin1Char(' ') + text;
    emit refreshControls();
}

int ConnectionManager::setConnectionMode(int newMode, bool refresh) {
    if (newMode == mode_) return mode_;
    const int oldMode = mode_;
    mode_ = newMode;
    if (oldMode == ModeOnline) {
        link_.autoSendOff();
        fanOut_.clearPanel();
        if (refresh) emit refreshControls();
        refreshTimer_.stop();
        sampleTimer_.stop();
        sleepMs(200);
    }
    switch (newMode) {
    case ModeSearch:
        searchTimer_.start(kSearchPeriodMs);
        refreshTimer_.stop();
        sampleTimer_.stop();
        break;
    case ModeOnline:
        link_.autoSend(setup_.ieeeFormat ? 7 : 6);
        searchTimer_.start(kSearchPeriodMs);
        refreshTimer_.start(kRefreshPeriodMs);
        sampleTimer_.start(sampleTimerPeriod_);
        break;
    default:
        searchTimer_.stop();
        refreshTimer_.stop();
        sampleTimer_.stop();
        break;
    }
    emit modeChanged(newMode);
    return oldMode;
}

void ConnectionManager::setSampleTimerPeriod(int ms) {
    sampleTimerPeriod_ = std::clamp(ms, 125, 64000);
    sampleTimer_.start(sampleTimerPeriod_);
    emit sampleTimerPeriodChanged(sampleTimerPeriod_);
}

void ConnectionManager::onSearchTimer() {
    if (mode_ == ModeSearch || mode_ == ModeOnline) emit flashActivityLamp(500);
    if (mode_ == ModeSearch) startSearch();
    fanOut_.lampPeriodTick();
}

void ConnectionManager::onRefreshTimer() {
    fanOut_.refreshTick();
    emit refreshControls();
}

void ConnectionManager::onSampleTimer() {
    const int missed = fanOut_.sampleTick();
    if (missed > 3 && mode_ == ModeOnline) {
        versionText_ = QStringLiteral("--");
        setConnectionMode(ModeSearch, true);
        statusText_ = QStringLiteral("error - no regulator found");
        fanOut_.resetMissedSampleTicks();
        // A port that went away says why (a server that closed the connection).
        const std::string lost = link_.lostReason();
        if (!lost.empty()) showMessage(QString::fromStdString(lost));
        emit refreshControls();
    }
}

void ConnectionManager::joinSearch() {
    if (searchThread_.joinable()) searchThread_.join();
}

// One search step on a helper thread: stop a stream that may still run,
// then ask for the version. A port that went away by itself (a device that
// vanished, a server that closed the connection) is opened again first, so
// a returning regulator is found.
void ConnectionManager::startSearch() {
    if (searchInFlight_) return;  // ticks that fall due meanwhile merge into one
    const bool open = link_.isOpen();
    if (open && !link_.isLinkUp()) return;
    if (!open && !connected_) return;
    const std::string port = portName();
    if (!open && isNetworkPortName(port)) {
        // Each look is a connection to the server: not every tick.
        const auto now = std::chrono::steady_clock::now();
        if (now < nextNetworkAttempt_) return;
        nextNetworkAttempt_ = now + std::chrono::milliseconds(kNetworkRetryMs);
    }
    joinSearch();
    searchInFlight_ = true;
    const unsigned generation = generation_;
    const auto baud = static_cast<std::uint32_t>(setup_.baudRate);
    searchThread_ = std::thread([this, generation, open, port, baud] {
        bool reopened = false;
        int result = Ok;
        std::string version;
        if (!open) {
            result = link_.open(port, baud);
            reopened = result == Ok;
            if (reopened) sleepMs(100);
        }
        if (result == Ok && generation == generation_) {
            link_.autoSendOff();
            sleepMs(150);
            link_.autoSendOff();
            sleepMs(150);
            result = link_.getVersion(version);
        }
        const QString text = QString::fromStdString(version);
        QMetaObject::invokeMethod(
            this, [this, generation, reopened, result, text] { finishSearch(generation, reopened, result, text); },
            Qt::QueuedConnection);
        searchInFlight_ = false;  // the thread ends here; joining it no longer waits
    });
}

void ConnectionManager::finishSearch(unsigned generation, bool reopened, int result, const QString& version) {
    if (generation != generation_) {
        // Disconnected meanwhile: a port this search opened must not stay open.
        if (reopened && !connected_) link_.close();
        return;
    }
    if (reopened) emit portStateChanged();
    if (result != Ok || mode_ != ModeSearch || !link_.isOpen()) return;
    versionText_ = version;
    emit refreshControls();
    setConnectionMode(ModeOnline, true);
    showMessage(QStringLiteral("Connected to regulator"));
}

void ConnectionManager::connectPort() {
    WaitCursor wait;
    generation_++;
    if (searchInFlight_) {
        link_.close();  // a search still reopening a vanished port ends at once
        joinSearch();
    }
    mode_ = ModeSearch;
    const int result = link_.open(portName(), static_cast<std::uint32_t>(setup_.baudRate));
    sleepMs(100);
    if (result == Ok && link_.isOpen()) {
        connected_ = true;
        restoreRuntimeNotify();
        // The port is open; "Connected to regulator" waits for an answer.
        showMessage(QStringLiteral("Port %1 open - searching for the regulator...")
                        .arg(QString::fromStdString(portName())));
        searchTimer_.start(kSearchPeriodMs);
    } else {
        versionText_ = QStringLiteral("<error>");
        showMessage(withOpenErrorDetail(
            resultMessage("Error when trying to open the serial port - error %d [%s]", result)));
    }
    emit portStateChanged();
}

void ConnectionManager::disconnectPort() {
    setConnectionMode(ModeSearch, true);
    searchTimer_.stop();
    refreshTimer_.stop();
    sampleTimer_.stop();
    connected_ = false;
    generation_++;
    link_.close();
    versionText_ = QStringLiteral("<unkown>");
    showMessage(QStringLiteral("Disconnected from regulator"));
    emit portStateChanged();
}

void ConnectionManager::getVersion() {
    WaitCursor wait;
    const int old = setConnectionMode(ModeSuspended, true);
    std::string version;
    if (link_.getVersion(version) == Ok) {
        versionText_ = QString::fromStdString(version);
        showMessage(versionText_);
    } else {
        versionText_ = QStringLiteral("<no respons>");
        emit refreshControls();
        emit exclamation(QStringLiteral(
            "Can not connect to regulator board\rPlease check connection cable and power, or "
            "Firmware version 0.2xx"));
    }
    setConnectionMode(old, true);
    showMessage(QStringLiteral("Get version = ") + versionText_);
}

void ConnectionManager::restoreRuntimeNotify() {
    link_.setNotify([this](int kind, int /*length*/, const char* text) {
        if (kind == RuntimeFanOut::kRuntimeLineKind && fanOut_.decode(text)) samplesReceived_.fetch_add(1);
    });
}

int ConnectionManager::runSuspended(const std::function<int()>& operation) {
    const int old = setConnectionMode(ModeSuspended, true);
    const int result = operation();
    setConnectionMode(old, true);
    return result;
}

// The command's message on success; on failure the same message followed by
// " error - error %d [%s]" with the result code and its text.
int ConnectionManager::reportResult(const char* message, int result) {
    const QString text = QString::fromLatin1(message);
    showMessage(result == Ok ? text : text + resultMessage(" error - error %d [%s]", result));
    return result;
}

int ConnectionManager::stopRegulator() {
    return reportResult("Stop regulator", runSuspended([this] { return link_.stop(); }));
}

int ConnectionManager::saveToFlash() {
    return reportResult("Save regulator parameters to FLASH", runSuspended([this] { return link_.saveToFlash(); }));
}

int ConnectionManager::readFromFlash() {
    return reportResult("Load regulator parameters from FLASH", runSuspended([this] { return link_.reboot(); }));
}

int ConnectionManager::flashToDefault() {
    return reportResult("Set regulator FLASH to default", runSuspended([this] { return link_.flashToDefault(); }));
}

int ConnectionManager::rebootRegulator() {
    return reportResult("Reboot regulator", runSuspended([this] { return link_.reboot(); }));
}

void ConnectionManager::clearStatus() {
    if (link_.isOpen()) {
        runSuspended([this] {
            int a = 0, b = 0;
            link_.getStatus(true, a, b);
            return Ok;
        });
    }
    fanOut_.clearAlarms();
}

void ConnectionManager::applyPortSettings(const std::function<void()>& copyBack) {
    const bool wasOpen = link_.isOpen();
    int old = mode_;
    if (wasOpen) old = setConnectionMode(ModeSuspended, true);
    generation_++;
    if (wasOpen || searchInFlight_) {
        // A search still running could open the old port again after this
        // close: end it first, then close what it may have opened.
        link_.close();
        joinSearch();
        link_.close();
    }
    copyBack();
    bool reopenFailed = false;
    if (wasOpen) {
        reopenFailed = link_.open(portName(), static_cast<std::uint32_t>(setup_.baudRate)) != Ok;
        // A port that did not open is searched for like a vanished one,
        // rather than declared online with nothing behind it.
        setConnectionMode(reopenFailed ? static_cast<int>(ModeSearch) : old, true);
    }
    emit portStateChanged();
    const QString status = QString::asprintf("Port %s at %d, status = %s", portName().c_str(), setup_.baudRate,
                                             link_.isOpen() ? "open" : "closed");
    showMessage(reopenFailed ? withOpenErrorDetail(status) : status);
}

QString ConnectionManager::withOpenErrorDetail(const QString& message) const {
    const std::string detail = link_.openErrorDetail();
    // The second line starts with a blank too, so both lines align.
    return detail.empty() ? message : message + QStringLiteral("\n ") + QString::fromStdString(detail);
}
