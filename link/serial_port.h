// SerialPort: the engine that owns one serial port. One worker thread per
// open port performs every read and write, assembles received bytes into
// text lines and reports lines, open/close and write completion to its owner
// through a notification function (called on the worker thread).
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>

#include "link/transport.h"

class SerialPort {
public:
    // Notification codes passed to the notification function.
    enum Event : int {
        PortOpened = 0,       // worker started, before its first wait
        PortClosed = 1,       // worker left its loop and closed the port
        WriteDone = 2,        // a block has been handed to the driver
        LineReceived = 3,     // currentLine() holds a complete line
        Ring = 4,             // ring indicator on
        CarrierDetected = 5,  // never raised with the settings used
        CarrierLost = 6,      // never raised with the settings used
    };

    // Internal status codes of open() (0 = success); combined by the caller
    // into one "Cmd open error".
    enum OpenStatus : int {
        OpenOk = 0,
        OpenEventMaskFailed = 1,
        OpenTimeoutsFailed = 2,
        OpenSettingsFailed = 4,
        OpenDeviceFailed = 8,
        OpenNoName = 16,
        OpenNoEvents = 32,
        OpenQueueFailed = 64,
    };

    static constexpr int kLineCapacity = 1024;     // line buffer incl. NUL
    static constexpr int kMaxLineLength = 1023;    // longer lines are cut
    static constexpr int kTxCapacity = 1024;       // blocks must be shorter

    using Notify = std::function<void(SerialPort& port, int code)>;

    SerialPort();
    ~SerialPort();
    SerialPort(const SerialPort&) = delete;
    SerialPort& operator=(const SerialPort&) = delete;

    // Set before open(); the function runs on the worker thread.
    void setNotify(Notify fn);
    void setOwner(void* owner) { owner_ = owner; }
    void* owner() const { return owner_; }

    // Opens the port with 8N1-style raw settings at `baud` and starts the
    // worker. The name is a device (a path, or a name resolved by
    // portDevicePath) or a network port (rfc2217://HOST:PORT,
    // socket://HOST:PORT; see port_url.h). parity: 0 none, 1 odd, 2 even.
    // Returns an OpenStatus combination, 0 on success.
    int open(const char* name, std::uint32_t baud, int parity = 0, int dataBits = 8,
             bool watchModemEvents = true);
    // Stops and joins the worker; the worker reports PortClosed on its way
    // out. Safe from any thread, including from inside a notification.
    void close();

    // Sends one block: a device takes it at once on the calling thread (no
    // hand-over to the worker, one wake-up less per command); what it does
    // not take, and every block for a network port, goes to the worker.
    // Dropped silently while a write is pending, when the port is not
    // running, when data is null or when length is 1024 or more.
    void send(const char* data, int length);

    bool isRunning() const { return running_.load(std::memory_order_acquire); }
    bool isWritePending() const { return writePending_.load(std::memory_order_acquire); }

    // Valid inside the LineReceived notification.
    const char* currentLine() const { return line_; }
    int currentLineLength() const { return lineLength_; }
    // Must follow every LineReceived: reading resumes only after it.
    void releaseLine();

    // Name and rate of the last successful open().
    std::string portName() const;
    // Why the last open() failed, naming the port ("/dev/ttyUSB0: Permission
    // denied (...)"); empty after a successful one.
    std::string lastOpenError() const;
    std::uint32_t baudRate() const { return baudRate_.load(); }
    // Why the worker ended by itself (the device hung up, the server closed
    // the connection); cleared by open(), never set by a close() of the owner.
    std::string lostReason() const;

private:
    void run();
    void wake();
    bool feedLine(unsigned char byte);   // true when a line is complete
    void joinWorker();
    void drainPendingWrite();
    int failOpen(int status, std::string detail);

    // Flags shared between the caller and the worker.
    std::atomic<bool> running_{false};
    std::atomic<bool> writePending_{false};
    std::atomic<bool> stopRequested_{false};
    std::atomic<bool> cancelOpen_{false};     // close() ends an open() that waits
    std::atomic<bool> startWrite_{false};
    std::atomic<bool> resumeRead_{false};
    std::atomic<std::uint32_t> baudRate_{0};
    std::atomic<std::int64_t> lastWriteDone_{0};   // steady clock ticks of the last completed block

    bool watchModemEvents_ = false;
    int parity_ = 0;
    std::string portName_;
    std::string openError_;              // guarded by nameMutex_
    std::string lostReason_;             // guarded by nameMutex_
    std::unique_ptr<Transport> transport_;
    // Held for every call of the running transport: the worker's reads and
    // writes and a send()'s direct write exclude each other and the close.
    std::mutex ioMutex_;
    bool directWrite_ = false;           // set by open() before the worker starts
    int wakeFd_ = -1;                    // eventfd: stop, start write, resume read
    std::thread worker_;
    std::atomic<std::thread::id> workerId_{};
    std::mutex lifecycle_;               // serialises open() and close()
    mutable std::mutex nameMutex_;

    // Worker-only state (line assembly, receive chunk, modem lines).
    char line_[kLineCapacity] = {};
    int lineLength_ = 0;
    unsigned char rxChunk_[4096] = {};
    int rxLength_ = 0;
    int rxPos_ = 0;
    int lastModemLines_ = 0;
    bool modemLinesReadable_ = false;

    // Filled by send() while no write is pending, read by the worker.
    char txBuffer_[kTxCapacity] = {};
    std::atomic<int> txLength_{0};     // also read by close() for the wire time

    Notify notify_;
    void* owner_ = nullptr;
};

// Maps a configured port name onto a device path: a name with "/" (a path,
// or a network URL) is kept whole, "COMn" is "/dev/ttyS(n-1)", any other
// name is looked up under /dev.
std::string portDevicePath(std::string_view name);
