// The byte transport under the serial engine: a local serial device or a
// port on the network. The engine's worker polls fd() and calls read and
// write; open and close run on the caller's thread while no worker runs.
// The engine serialises every call of a running transport (one mutex), and
// a transport that says writesFromAnyThread() also takes a write from the
// thread that sends, while the worker waits for input.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

class Transport {
public:
    virtual ~Transport() = default;

    // Opens the port with the line settings; 0, or a SerialPort::OpenStatus
    // code with `error` naming the port and the reason.
    virtual int open(std::string_view name, std::uint32_t baud, int parity, int dataBits,
                     std::string& error) = 0;
    // Bounded: what is still queued for the wire gets a short moment.
    virtual void close() = 0;
    // The name shown for the open port (device path or URL).
    virtual std::string name() const = 0;
    // Descriptor to poll for input and output; -1 when closed.
    virtual int fd() const = 0;

    // Data bytes into `buffer`: their count; 0 when none are there now (or
    // only protocol bytes came); -1 when the port is gone (see goneReason).
    virtual long read(unsigned char* buffer, std::size_t size) = 0;
    // Takes data to send: the count taken; 0 when it cannot take any now
    // (poll for output); -1 when the port is gone.
    virtual long write(const char* data, std::size_t length) = 0;
    // True when write() may run on another thread than read() (the engine
    // still never runs two calls at once): a device, whose driver queues.
    virtual bool writesFromAnyThread() const { return false; }
    // Bytes already taken that still wait for the wire (poll for output,
    // then flush); false for a device, which queues in its driver.
    virtual bool wantsWrite() const { return false; }
    // Passes waiting bytes on; false when the port is gone.
    virtual bool flush() { return true; }
    // Modem lines (TIOCM_* bits); false when the port has none to read.
    virtual bool readModemLines(int& lines) {
        (void)lines;
        return false;
    }
    // Why read, write or flush found the port gone ("connection closed by
    // 127.0.0.1 port 4000"); empty when not known.
    virtual std::string goneReason() const { return {}; }

    // A flag another thread sets to end an open() that waits (for a server
    // that does not answer); open() then fails at once.
    void setCancelFlag(const std::atomic<bool>* cancel) { cancel_ = cancel; }

protected:
    bool cancelled() const { return cancel_ != nullptr && cancel_->load(std::memory_order_acquire); }

private:
    const std::atomic<bool>* cancel_ = nullptr;
};

// The transport for a port name: network URLs get the network transport,
// everything else the local serial device.
std::unique_ptr<Transport> makeTransport(std::string_view name);
