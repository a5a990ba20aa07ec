// SerialManager: port lifecycle, client notifications, the transaction and
// the classification of received lines. The command operations are in
// regulator_commands.cpp and boot_loader_commands.cpp.
#include "link/serial_manager.h"

#include <algorithm>
#include <cstring>
#include <iterator>

namespace {

constexpr const char* kResultTexts[] = {
    "No error",           "Serial port invalid", "Invalid pointer", "Timeout - echo msg",
    "Timeout - data msg", "Timeout - port busy", "Cmd open error",  "Cmd buffer empty",
    "Invalid count",      "No match",
};
constexpr int kMaxCommandLength = 1023;

constexpr char kConnectedText[] = "MGR::Connected!";
constexpr char kDisconnectedText[] = "MGR::Disonnected!";

}  // namespace

const char* resultText(int code) {
    if (code < 0 || code >= static_cast<int>(std::size(kResultTexts)))
        return "Unkown error";
    return kResultTexts[code];
}

void resultText(int code, char* buffer, std::size_t size) {
    if (buffer == nullptr || size == 0)
        return;
    const char* text = resultText(code);
    const std::size_t n = std::min(size - 1, std::strlen(text));
    std::memcpy(buffer, text, n);
    buffer[n] = '\0';
}

SerialManager::SerialManager() : port_(std::make_unique<SerialPort>()) {
    port_->setOwner(this);
    port_->setNotify([this](SerialPort& port, int code) { onPortEvent(port, code); });
}

SerialManager::~SerialManager() {
    if (port_)
        port_->close();
}

void SerialManager::setNotify(void* context, ClientNotifyFn fn) {
    if (fn == nullptr) {
        setNotify(ClientNotify{});
        return;
    }
    setNotify([context, fn](int kind, int length, const char* text) {
        fn(context, kind, length, text);
    });
}

void SerialManager::setNotify(ClientNotify fn) {
    std::shared_ptr<const ClientNotify> next;
    if (fn)
        next = std::make_shared<const ClientNotify>(std::move(fn));
    std::lock_guard<std::mutex> lock(clientMutex_);
    client_.swap(next);
    // The previous function is released after the lock, outside any call of it
    // that the worker may still be making with its own reference.
}

int SerialManager::open(const std::string& portName, std::uint32_t baud) {
    if (!port_)
        return PortInvalid;
    return port_->open(portName.c_str(), baud, 0, 8, true) == 0 ? Ok : CmdOpenError;
}

std::string SerialManager::openErrorDetail() const {
    return port_ ? port_->lastOpenError() : std::string();
}

std::string SerialManager::lostReason() const {
    return port_ ? port_->lostReason() : std::string();
}

int SerialManager::close() {
    if (!port_)
        return PortInvalid;
    port_->close();
    return Ok;
}

bool SerialManager::isOpen() const { return port_ && port_->isRunning(); }

void SerialManager::notifyClient(int kind, int length, const char* text) {
    std::shared_ptr<const ClientNotify> client;
    {
        std::lock_guard<std::mutex> lock(clientMutex_);
        client = client_;
    }
    if (client)
        (*client)(kind, length, text);
}

void SerialManager::onPortEvent(SerialPort& port, int code) {
    switch (code) {
    case SerialPort::PortOpened:
        linkUp_.store(true, std::memory_order_release);
        notifyClient(kNotifyStatus, sizeof kConnectedText, kConnectedText);
        break;
    case SerialPort::PortClosed:
        linkUp_.store(false, std::memory_order_release);
        { std::lock_guard<std::mutex> lock(stateMutex_); }
        stateChanged_.notify_all();   // a waiting transaction ends now
        notifyClient(kNotifyStatus, sizeof kDisconnectedText, kDisconnectedText);
        break;
    case SerialPort::WriteDone:
        { std::lock_guard<std::mutex> lock(stateMutex_); }
        stateChanged_.notify_all();
        break;
    case SerialPort::LineReceived:
        classifyLine(port.currentLine(), port.currentLineLength());
        port.releaseLine();
        break;
    default:
        break;   // Ring and carrier changes are not used
    }
}

void SerialManager::classifyLine(const char* line, int length) {
    if (length <= 0)
        return;
    if (line[0] == '[') {
        // Runtime lines never count as echo or data.
        notifyClient(kNotifyRuntimeLine, length, line);
        return;
    }
    bool changed = false;
    bool wake = false;   // only when what the caller waits for is complete
    {
        std::lock_guard<std::mutex> lock(stateMutex_);
        if (!echoSeen_.load() && std::strstr(line, echoText_.c_str()) != nullptr) {
            echoSeen_.store(true);
            changed = true;
            wake = echoEnds_;
        } else if (echoSeen_.load() && !dataComplete_.load() &&
                   storedLines_.load() < expectedLines_.load()) {
            const int slot = storedLines_.load() + 1;
            replySlots_[static_cast<std::size_t>(slot)].assign(
                line, static_cast<std::size_t>(std::min(length, kMaxCommandLength)));
            storedLines_.store(slot);
            if (slot >= expectedLines_.load()) {
                dataComplete_.store(true);
                wake = true;
            }
            changed = true;
        }
    }
    if (wake)
        stateChanged_.notify_all();
    if (!changed)
        notifyClient(kNotifyUnexpectedLine, length, line);
}

std::string SerialManager::replySlot(int index) const {
    if (index < 1 || index > kReplySlots)
        return {};
    std::lock_guard<std::mutex> lock(stateMutex_);
    return replySlots_[static_cast<std::size_t>(index)];
}

template <class Pred>
bool SerialManager::waitFor(std::unique_lock<std::mutex>& lock, Pred pred, bool hasDeadline,
                            std::chrono::steady_clock::time_point deadline, bool& portGone) {
    while (!pred()) {
        if (!port_->isRunning()) {
            portGone = true;
            return false;
        }
        if (!hasDeadline) {
            stateChanged_.wait(lock);
        } else if (stateChanged_.wait_until(lock, deadline) == std::cv_status::timeout) {
            return pred();
        }
    }
    return true;
}

int SerialManager::transact(const std::string& command, bool expectData, int dataLines,
                            bool expectEcho) {
    return transact(command.c_str(), expectData, dataLines, expectEcho);
}

int SerialManager::transact(const char* command, bool expectData, int dataLines,
                            bool expectEcho) {
    return run(command, expectData, dataLines, expectEcho, nullptr);
}

int SerialManager::query(const std::string& command, int dataLines, std::string& line,
                         Replies* replies) {
    Replies local;
    Replies& copy = replies != nullptr ? *replies : local;
    const int result = run(command.c_str(), true, dataLines, true, &copy);
    if (result == Ok)
        line = copy[1];
    return result;
}

int SerialManager::run(const char* command, bool expectData, int dataLines, bool expectEcho,
                       Replies* replies) {
    if (!port_)
        return PortInvalid;
    if (command == nullptr)
        return InvalidPointer;
    const int length = static_cast<int>(strnlen(command, kMaxCommandLength));
    if (length == 0)
        return CmdBufferEmpty;
    if (dataLines < 1 || dataLines > kReplySlots)
        return InvalidCount;

    std::lock_guard<std::mutex> oneAtATime(transactionMutex_);
    if (!port_->isRunning())
        return PortInvalid;

    // One budget for the whole transaction, on the monotonic clock.
    const double seconds = timeout();
    const bool hasDeadline = seconds > 0;
    const auto deadline =
        std::chrono::steady_clock::now() +
        std::chrono::duration_cast<std::chrono::steady_clock::duration>(
            std::chrono::duration<double>(hasDeadline ? seconds : 0));
    bool portGone = false;

    std::unique_lock<std::mutex> lock(stateMutex_);
    if (!waitFor(lock, [this] { return !port_->isWritePending(); }, hasDeadline, deadline,
                 portGone))
        return portGone ? PortInvalid : TimeoutBusy;

    // The echo to look for: the command up to its first control character.
    echoText_.assign(command, static_cast<std::size_t>(length));
    for (std::size_t i = 0; i < echoText_.size(); ++i) {
        if (static_cast<signed char>(echoText_[i]) < 0x20) {
            echoText_.resize(i);
            break;
        }
    }
    echoSeen_.store(false);
    dataComplete_.store(false);
    echoEnds_ = !expectData;
    expectedLines_.store(dataLines);
    storedLines_.store(0);
    lock.unlock();

    port_->send(command, length);
    if (!expectEcho)
        return Ok;

    lock.lock();
    // One wait to the end of the reply: the echo does not wake a caller
    // that waits for data too.
    if (!expectData) {
        if (!waitFor(lock, [this] { return echoSeen_.load(); }, hasDeadline, deadline, portGone))
            return portGone ? PortInvalid : TimeoutEcho;
        return Ok;
    }
    if (!waitFor(lock, [this] { return dataComplete_.load(); }, hasDeadline, deadline, portGone))
        return portGone ? PortInvalid : (echoSeen_.load() ? TimeoutData : TimeoutEcho);
    if (replies != nullptr)
        *replies = replySlots_;
    return Ok;
}
