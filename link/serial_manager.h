// SerialManager: the one link object. It owns the SerialPort engine, turns
// its notifications into client notifications and carries the regulator
// command protocol: one transaction at a time (send a command, wait for its
// echo and its data lines within one time-out), result codes 0..9.
//
// Threads: transactions may be run from any thread; they are serialised by
// an internal mutex. close() may be called from any thread, also while
// another thread waits in a transaction: that wait then ends at once with
// PortInvalid. The client notification runs on the worker thread; it must
// not wait for a thread that may be calling close() (close joins the worker).
#pragma once

#include <array>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

#include "link/serial_port.h"

// Result codes of every protocol and port operation.
enum LinkResult : int {
    Ok = 0,
    PortInvalid = 1,      // "Serial port invalid"
    InvalidPointer = 2,   // "Invalid pointer"
    TimeoutEcho = 3,      // "Timeout - echo msg"
    TimeoutData = 4,      // "Timeout - data msg"
    TimeoutBusy = 5,      // "Timeout - port busy"
    CmdOpenError = 6,     // "Cmd open error"
    CmdBufferEmpty = 7,   // "Cmd buffer empty"
    InvalidCount = 8,     // "Invalid count"
    NoMatch = 9,          // "No match"
};

// The text of a result code; "Unkown error" for any other value.
const char* resultText(int code);
// Copies the text into buffer (always NUL-terminated when size > 0).
void resultText(int code, char* buffer, std::size_t size);

class SerialManager {
public:
    // Kinds of client notification.
    static constexpr int kNotifyStatus = 0;          // "MGR::Connected!" / "MGR::Disonnected!"
    static constexpr int kNotifyRuntimeLine = 1;     // a line beginning with "["
    static constexpr int kNotifyUnexpectedLine = 3;  // a line nobody waits for

    static constexpr int kReplySlots = 10;           // data lines 1..10
    static constexpr int kSlotCapacity = 1024;

    // context, kind, length, text. Kind 0 lengths count the terminating NUL
    // ("MGR::Connected!" 16, "MGR::Disonnected!" 18); line lengths do not.
    using ClientNotifyFn = void (*)(void* context, int kind, int length, const char* text);
    using ClientNotify = std::function<void(int kind, int length, const char* text)>;

    SerialManager();
    ~SerialManager();
    SerialManager(const SerialManager&) = delete;
    SerialManager& operator=(const SerialManager&) = delete;

    // May be called at any time, also while the port is open. Stays in force
    // across close and re-open. A null function removes the client.
    void setNotify(void* context, ClientNotifyFn fn);
    void setNotify(ClientNotify fn);

    // Port: open returns 0 or CmdOpenError; close returns 0.
    int open(const std::string& portName, std::uint32_t baud);
    // Why the last open failed, naming the port and the system's reason
    // ("/dev/ttyUSB0: Device or resource busy"); empty after a success.
    std::string openErrorDetail() const;
    // Why the open port went away by itself ("/dev/ttyUSB0: the device hung
    // up", "rfc2217://box:4000: connection closed by box port 4000");
    // cleared by open, never set by close.
    std::string lostReason() const;
    int close();
    bool isOpen() const;
    bool isLinkUp() const { return linkUp_.load(std::memory_order_acquire); }

    // Seconds for the whole transaction; 0 or below disables time-outs
    // (a wait then still ends when the port closes). Default 2.0.
    void setTimeout(double seconds) { timeoutSeconds_.store(seconds); }
    double timeout() const { return timeoutSeconds_.load(); }

    // One transaction: sends `command` (terminators included, cut to 1023
    // characters), waits for a line containing the command up to its first
    // control character, then for `dataLines` (1..10) data lines.
    int transact(const char* command, bool expectData, int dataLines, bool expectEcho);
    int transact(const std::string& command, bool expectData, int dataLines, bool expectEcho);

    // Data line `index` (1..10) as stored by the last transaction that
    // reached it; empty for an index out of range.
    std::string replySlot(int index) const;

    // Running firmware.
    int getVersion(std::string& text);               // "$V\r"
    int reboot();                                    // "$BC\r"
    int start();                                     // "$W\r"
    int stop();                                      // "$Q\r"
    int saveToFlash();                               // "$RW\r"
    int flashToDefault();                            // "$RC\r"
    int getStatus(bool clear, int& a, int& b);       // "$SC\r" / "$S\r"
    int autoSend(int format);                        // "$A%d\r"
    int autoSendOff();                               // "$A\r"

    // Registers.
    int writeRegisterFloat(int reg, float value);                   // "$R%d=%G\r"
    int writeRegisterHex(int reg, std::uint32_t bits);              // "$RN%d=%08X\r"
    int writeRegister(int reg, float value, bool hex);
    int writeRegisterInt(int reg, int value);                       // "$R%d=%d\r"
    int writeRegisterUnsigned(int reg, std::uint32_t value);        // "$R%d=%u\r"
    int readRegisterFloat(int reg, float& out);                     // "$R%d?\r"
    int readRegisterHex(int reg, std::uint32_t& out);               // "$RN%d?\r"
    int readRegister(int reg, float& out, bool hex);
    int readRegisterInt(int reg, int& out);                         // "$R%d?\r"
    int readRegisterUnsigned(int reg, std::uint32_t& out);          // "$R%d?\r"

    // Boot loader (its lines end with line feed then carriage return).
    int enterBootLoader();                                          // "$B\r\n", 4 data lines
    int identify(std::uint32_t& id, bool& locked, char& rev1, char& rev2);  // "i\n\r"
    int setAddress(std::uint32_t addr);                             // "a%06X\n\r"
    // count 0..16; an odd final byte is sent as a word padded with 0xFF.
    int writeData(const std::uint8_t* bytes, int count, bool swap, std::uint32_t& reply);
    int readData(std::uint32_t& address, std::array<std::uint32_t, 8>& words);  // "d01\n\r"
    int runUserProgram();                                           // "g\n\r"

    // Command texts, exposed so tests and tools can check the exact bytes.
    static std::string registerWriteFloatCommand(int reg, float value);
    static std::string registerWriteHexCommand(int reg, std::uint32_t bits);
    static std::string setAddressCommand(std::uint32_t addr);
    // Empty when count is out of range or bytes is null with count > 0.
    static std::string writeDataCommand(const std::uint8_t* bytes, int count, bool swap);

private:
    using Replies = std::array<std::string, kReplySlots + 1>;   // index 0 unused
    // The transaction; on success with data, `replies` (when given) gets a
    // copy of the reply slots before another transaction can replace them.
    int run(const char* command, bool expectData, int dataLines, bool expectEcho,
            Replies* replies);
    // A transaction that expects its echo and data; line = data line 1.
    int query(const std::string& command, int dataLines, std::string& line,
              Replies* replies = nullptr);
    void onPortEvent(SerialPort& port, int code);
    void classifyLine(const char* line, int length);
    void notifyClient(int kind, int length, const char* text);
    // Waits until pred() or the port stops or the deadline passes.
    template <class Pred>
    bool waitFor(std::unique_lock<std::mutex>& lock, Pred pred, bool hasDeadline,
                 std::chrono::steady_clock::time_point deadline, bool& portGone);

    std::unique_ptr<SerialPort> port_;
    std::atomic<bool> linkUp_{false};
    std::atomic<double> timeoutSeconds_{2.0};
    // The client function; the worker copies the pointer under the lock and
    // calls it outside, so setNotify never waits for a running call.
    std::mutex clientMutex_;
    std::shared_ptr<const ClientNotify> client_;

    std::mutex transactionMutex_;        // one transaction at a time

    // Transaction state, shared with the worker's line classification.
    mutable std::mutex stateMutex_;
    std::condition_variable stateChanged_;
    std::string echoText_;
    std::atomic<bool> echoSeen_{false};
    std::atomic<bool> dataComplete_{false};
    bool echoEnds_ = true;   // guarded by stateMutex_: the transaction waits for the echo only
    std::atomic<int> expectedLines_{0};
    std::atomic<int> storedLines_{0};
    Replies replySlots_;
};
