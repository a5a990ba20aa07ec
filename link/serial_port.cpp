#include "link/serial_port.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <system_error>

#include <fcntl.h>
#include <poll.h>
#include <pthread.h>
#include <sched.h>
#include <sys/eventfd.h>
#include <sys/file.h>
#include <unistd.h>

#include "link/line_settings.h"
#include "link/open_error.h"

namespace {

// How often the ring indicator is looked at while modem events are watched:
// Linux offers no wait for it that could share the worker's poll.
constexpr auto kModemCheckPeriod = std::chrono::milliseconds(250);

void raiseWorkerPriority() {
    sched_param param{};
    param.sched_priority = 10;
    // Without the privilege the worker simply keeps normal priority.
    pthread_setschedparam(pthread_self(), SCHED_FIFO, &param);
}

}  // namespace

SerialPort::SerialPort() { wakeFd_ = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC); }

SerialPort::~SerialPort() {
    close();
    if (worker_.joinable()) {
        // Only reachable when the port was closed from inside a notification.
        if (worker_.get_id() == std::this_thread::get_id())
            worker_.detach();
        else
            worker_.join();
    }
    if (transport_)
        transport_->close();
    if (wakeFd_ >= 0)
        ::close(wakeFd_);
}

void SerialPort::setNotify(Notify fn) { notify_ = std::move(fn); }

std::string SerialPort::portName() const {
    std::lock_guard<std::mutex> lock(nameMutex_);
    return portName_;
}

std::string SerialPort::lostReason() const {
    std::lock_guard<std::mutex> lock(nameMutex_);
    return lostReason_;
}

std::string SerialPort::lastOpenError() const {
    std::lock_guard<std::mutex> lock(nameMutex_);
    return openError_;
}

int SerialPort::failOpen(int status, std::string detail) {
    std::lock_guard<std::mutex> lock(nameMutex_);
    openError_ = std::move(detail);
    return status;
}

void SerialPort::wake() {
    const std::uint64_t one = 1;
    // A full counter still wakes the worker, so a failed write is harmless.
    [[maybe_unused]] ssize_t n = ::write(wakeFd_, &one, sizeof one);
}

void SerialPort::joinWorker() {
    if (!worker_.joinable())
        return;
    stopRequested_.store(true, std::memory_order_release);
    wake();
    worker_.join();
}

int SerialPort::open(const char* name, std::uint32_t baud, int parity, int dataBits,
                     bool watchModemEvents) {
    if (std::this_thread::get_id() == workerId_.load())
        return failOpen(OpenDeviceFailed, "the port cannot be opened again from its own worker");
    std::lock_guard<std::mutex> lock(lifecycle_);
    cancelOpen_.store(false, std::memory_order_release);
    running_.store(false);
    joinWorker();
    if (transport_) {
        std::lock_guard<std::mutex> io(ioMutex_);
        transport_->close();
        transport_.reset();
    }
    {
        std::lock_guard<std::mutex> nameLock(nameMutex_);
        lostReason_.clear();
    }
    if (name == nullptr || *name == '\0')
        return failOpen(OpenNoName, "No port name given");
    if (wakeFd_ < 0)
        return failOpen(OpenNoEvents, describeOpenFailure(name, portDevicePath(name),
                                                          "no wake-up event for the worker"));

    std::unique_ptr<Transport> transport = makeTransport(name);
    transport->setCancelFlag(&cancelOpen_);
    std::string detail;
    if (const int status = transport->open(name, baud, parity, dataBits, detail); status != 0)
        return failOpen(status, detail);

    {
        std::lock_guard<std::mutex> nameLock(nameMutex_);
        portName_ = transport->name();
        openError_.clear();
    }
    baudRate_.store(baud);
    parity_ = parity;
    watchModemEvents_ = watchModemEvents;
    modemLinesReadable_ = watchModemEvents && transport->readModemLines(lastModemLines_);
    {
        std::lock_guard<std::mutex> io(ioMutex_);
        directWrite_ = transport->writesFromAnyThread();
        transport_ = std::move(transport);
    }
    lineLength_ = 0;
    rxLength_ = 0;
    rxPos_ = 0;
    writePending_.store(false);
    startWrite_.store(false);
    resumeRead_.store(false);
    stopRequested_.store(false);
    std::uint64_t drained = 0;
    [[maybe_unused]] ssize_t n = ::read(wakeFd_, &drained, sizeof drained);
    // Running from here on, so a transaction right after open() is accepted.
    running_.store(true, std::memory_order_release);
    try {
        worker_ = std::thread(&SerialPort::run, this);
    } catch (const std::system_error&) {
        running_.store(false);
        const std::string shown = transport_->name();
        transport_->close();
        transport_.reset();
        return failOpen(OpenNoEvents, describeOpenFailure(name, shown, "the worker thread did not start"));
    }
    return OpenOk;
}

void SerialPort::close() {
    if (std::this_thread::get_id() == workerId_.load()) {
        // From inside a notification: the worker ends after it returns and is
        // joined by the next open(), close() or the destructor.
        running_.store(false);
        stopRequested_.store(true, std::memory_order_release);
        return;
    }
    // An open() still connecting on another thread gives up now.
    cancelOpen_.store(true, std::memory_order_release);
    std::lock_guard<std::mutex> lock(lifecycle_);
    drainPendingWrite();
    running_.store(false);
    joinWorker();
}

void SerialPort::drainPendingWrite() {
    // A block handed over just before the close (the stream-off command of a
    // disconnect) must still reach the line: wait for its wire time plus a
    // margin, never longer than half a second.
    if (!worker_.joinable())
        return;
    const std::uint32_t rate = baudRate_.load();
    const std::uint32_t baud = rate > 0 ? rate : 9600;
    const auto wire = std::chrono::microseconds(10'000'000ull * static_cast<unsigned>(txLength_.load()) / baud);
    const auto deadline = std::chrono::steady_clock::now() +
                          std::min<std::chrono::microseconds>(wire + std::chrono::milliseconds(100),
                                                              std::chrono::milliseconds(500));
    while (writePending_.load(std::memory_order_acquire) && running_.load(std::memory_order_acquire) &&
           std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::microseconds(200));
    // The driver may still hold the block's bytes: a pseudo-terminal drops
    // what its peer has not read yet when the slave side closes. Give the
    // far side a moment to take a block written just now.
    const auto written = std::chrono::steady_clock::time_point(
        std::chrono::steady_clock::duration(lastWriteDone_.load(std::memory_order_acquire)));
    const auto settled = written + wire + std::chrono::milliseconds(20);
    if (settled > std::chrono::steady_clock::now() && settled < deadline + std::chrono::milliseconds(20))
        std::this_thread::sleep_until(settled);
}

void SerialPort::send(const char* data, int length) {
    if (data == nullptr || length < 0 || length >= kTxCapacity || !isRunning())
        return;
    bool idle = false;
    if (!writePending_.compare_exchange_strong(idle, true, std::memory_order_acq_rel))
        return;   // the previous block is still being written
    long taken = 0;
    {
        std::lock_guard<std::mutex> io(ioMutex_);
        if (directWrite_ && running_.load(std::memory_order_acquire) && transport_)
            taken = std::max(0L, transport_->write(data, static_cast<std::size_t>(length)));
    }
    if (taken >= length) {
        lastWriteDone_.store(std::chrono::steady_clock::now().time_since_epoch().count(),
                             std::memory_order_release);
        writePending_.store(false, std::memory_order_release);
        if (notify_)
            notify_(*this, WriteDone);
        return;
    }
    // The rest (or a failure, which the worker meets again and reports).
    std::memcpy(txBuffer_, data + taken, static_cast<std::size_t>(length - taken));
    txLength_.store(static_cast<int>(length - taken));
    startWrite_.store(true, std::memory_order_release);
    wake();
}

void SerialPort::releaseLine() {
    resumeRead_.store(true, std::memory_order_release);
    if (std::this_thread::get_id() != workerId_.load())
        wake();
}

bool SerialPort::feedLine(unsigned char byte) {
    // Printable characters only: control characters (line feed included)
    // and bytes 0x80..0xFF are dropped.
    if (static_cast<signed char>(byte) >= 0x20)
        line_[lineLength_++] = static_cast<char>(byte);
    return lineLength_ >= kMaxLineLength || byte == '\r';
}

void SerialPort::run() {
    workerId_.store(std::this_thread::get_id());
    raiseWorkerPriority();
    auto notify = [this](int code) {
        if (notify_)
            notify_(*this, code);
        else if (code == LineReceived)
            resumeRead_.store(true);   // nobody listens: keep reading
    };
    notify(PortOpened);

    bool readArmed = true;
    bool writing = false;
    int txOffset = 0;
    auto nextModemCheck = std::chrono::steady_clock::now() + kModemCheckPeriod;

    while (!stopRequested_.load(std::memory_order_acquire)) {
        // Received bytes first, then the start of a read, then writes.
        if (!readArmed && resumeRead_.exchange(false, std::memory_order_acq_rel)) {
            lineLength_ = 0;
            readArmed = true;
        }
        if (readArmed && rxPos_ < rxLength_) {
            bool complete = false;
            while (rxPos_ < rxLength_ && !complete)
                complete = feedLine(rxChunk_[rxPos_++]);
            if (complete) {
                readArmed = false;
                line_[lineLength_] = '\0';
                notify(LineReceived);
                continue;
            }
        }
        if (!writing && startWrite_.exchange(false, std::memory_order_acq_rel)) {
            writing = true;
            txOffset = 0;
        }
        if (writing) {
            long n = 0;
            {
                std::lock_guard<std::mutex> io(ioMutex_);
                n = transport_->write(txBuffer_ + txOffset, static_cast<std::size_t>(txLength_ - txOffset));
            }
            if (n > 0)
                txOffset += static_cast<int>(n);
            else if (n < 0)
                break;
            if (txOffset >= txLength_) {
                writing = false;
                lastWriteDone_.store(std::chrono::steady_clock::now().time_since_epoch().count(),
                                     std::memory_order_release);
                writePending_.store(false, std::memory_order_release);
                notify(WriteDone);
                continue;
            }
        }

        pollfd fds[2] = {{wakeFd_, POLLIN, 0}, {-1, 0, 0}};
        const short events = static_cast<short>(
            (readArmed && rxPos_ >= rxLength_ ? POLLIN : 0) |
            (writing || transport_->wantsWrite() ? POLLOUT : 0));
        if (events != 0) {
            fds[1].fd = transport_->fd();
            fds[1].events = events;
        }
        int waitMs = -1;
        if (modemLinesReadable_) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                nextModemCheck - std::chrono::steady_clock::now());
            waitMs = left.count() > 0 ? static_cast<int>(left.count()) : 0;
        }
        const int ready = ::poll(fds, 2, waitMs);
        if (ready < 0) {
            if (errno == EINTR)
                continue;
            break;
        }
        if (fds[0].revents & POLLIN) {
            std::uint64_t count = 0;
            [[maybe_unused]] ssize_t n = ::read(wakeFd_, &count, sizeof count);
        }
        if (fds[1].fd >= 0 && fds[1].revents != 0) {
            if (fds[1].revents & POLLIN) {
                long n = 0;
                {
                    std::lock_guard<std::mutex> io(ioMutex_);
                    n = transport_->read(rxChunk_, sizeof rxChunk_);
                }
                if (n > 0) {
                    rxLength_ = static_cast<int>(n);
                    rxPos_ = 0;
                } else if (n < 0) {
                    break;   // hang-up, I/O error, connection closed: the port is gone
                }
            } else if ((fds[1].revents & POLLOUT) && !writing) {
                std::lock_guard<std::mutex> io(ioMutex_);
                if (!transport_->flush())
                    break;
            } else if (fds[1].revents & (POLLHUP | POLLERR | POLLNVAL)) {
                if ((fds[1].revents & POLLOUT) == 0 || !writing)
                    break;
            }
        }
        if (modemLinesReadable_ && std::chrono::steady_clock::now() >= nextModemCheck) {
            nextModemCheck = std::chrono::steady_clock::now() + kModemCheckPeriod;
            int lines = 0;
            bool readable = false;
            {
                std::lock_guard<std::mutex> io(ioMutex_);
                readable = transport_->readModemLines(lines);
            }
            if (readable) {
                if (ringIndicatorOn(lines) && !ringIndicatorOn(lastModemLines_))
                    notify(Ring);
                lastModemLines_ = lines;
            }
        }
    }

    std::unique_lock<std::mutex> io(ioMutex_);
    if (!stopRequested_.load(std::memory_order_acquire)) {
        std::string reason = transport_->goneReason();
        if (reason.empty())
            reason = transport_->name() + ": the port stopped working";
        std::lock_guard<std::mutex> nameLock(nameMutex_);
        lostReason_ = std::move(reason);
    }
    running_.store(false, std::memory_order_release);
    transport_->close();
    io.unlock();
    writePending_.store(false, std::memory_order_release);
    notify(PortClosed);
    workerId_.store(std::thread::id{});
}

std::string portDevicePath(std::string_view name) {
    if (name.empty())
        return {};
    if (name.find('/') != std::string_view::npos)
        return std::string(name);
    if (name.size() > 3 && (name.substr(0, 3) == "COM" || name.substr(0, 3) == "com")) {
        unsigned number = 0;
        bool digits = true;
        for (char c : name.substr(3)) {
            if (c < '0' || c > '9' || number > 100000) {
                digits = false;
                break;
            }
            number = number * 10 + static_cast<unsigned>(c - '0');
        }
        if (digits && number >= 1)
            return "/dev/ttyS" + std::to_string(number - 1);
    }
    return "/dev/" + std::string(name);
}
