// Bytes as the regulator would send them, through a pseudo-terminal into the
// real port engine: line assembly, the classification into echo, data,
// runtime and unexpected lines during a transaction, the reply parser of
// that transaction, and the runtime fan-out of the runtime lines.
#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <unistd.h>

#include <array>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <mutex>
#include <string>
#include <thread>

#include "link/serial_manager.h"
#include "runtime/runtime_fan_out.h"
#include "runtime/runtime_sink.h"

namespace {

class NullSink : public RuntimeSink {
public:
    void panelText(PanelField, const std::string&) override {}
    void statusText(const std::string&) override {}
    void versionText(const std::string&) override {}
    void lampFlash(PanelLamp, int) override {}
    void graphValues(const GraphValues&) override {}
};

// One open link for the whole run: opening a port per input would measure
// the open, not the parsing.
struct Link {
    int master = -1;
    SerialManager manager;
    NullSink sink;
    RuntimeFanOut fanOut{sink};
    std::mutex mutex;
    std::condition_variable changed;
    std::string lastUnexpected;

    Link() {
        master = posix_openpt(O_RDWR | O_NOCTTY);
        if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0)
            __builtin_trap();
        manager.setNotify([this](int kind, int length, const char* text) {
            if (length < 0 || (kind != SerialManager::kNotifyStatus &&
                               static_cast<int>(std::char_traits<char>::length(text)) != length))
                __builtin_trap();   // a line's length is its text's
            if (kind == SerialManager::kNotifyRuntimeLine) {
                fanOut.refreshTick();
                fanOut.onNotify(kind, length, text);
            } else if (kind == SerialManager::kNotifyUnexpectedLine) {
                std::lock_guard<std::mutex> lock(mutex);
                lastUnexpected.assign(text, static_cast<std::size_t>(length));
                changed.notify_all();
            }
        });
        manager.setTimeout(5.0);
        if (manager.open(ptsname(master), 115200) != Ok)
            __builtin_trap();
    }

    void write(const std::string& bytes) { write(bytes.data(), bytes.size()); }
    void write(const void* data, std::size_t size) {
        const char* p = static_cast<const char*>(data);
        while (size > 0) {
            const ssize_t n = ::write(master, p, size);
            if (n < 0)
                __builtin_trap();
            p += n;
            size -= static_cast<std::size_t>(n);
        }
    }
    // Waits for the command the transaction sends, so that its echo is
    // armed before any input arrives.
    void awaitCommand() {
        pollfd pfd{master, POLLIN, 0};
        char buffer[256];
        if (poll(&pfd, 1, 2000) > 0)
            (void)::read(master, buffer, sizeof buffer);
    }
    void awaitUnexpected(const std::string& marker) {
        std::unique_lock<std::mutex> lock(mutex);
        if (!changed.wait_for(lock, std::chrono::seconds(10),
                              [&] { return lastUnexpected == marker; }))
            __builtin_trap();   // the line was lost
    }
};

// The transaction the input answers, chosen by its first byte; the echo of
// each is what `echo` sends when the input did not.
int runTransaction(SerialManager& m, int which) {
    switch (which % 5) {
    case 0: {
        std::string version;
        return m.getVersion(version);
    }
    case 1: {
        int a = 0, b = 0;
        return m.getStatus(false, a, b);
    }
    case 2: {
        float value = 0;
        return m.readRegisterFloat(3, value);
    }
    case 3: {
        std::uint32_t address = 0;
        std::array<std::uint32_t, 8> words{};
        return m.readData(address, words);
    }
    default: {
        std::uint32_t id = 0;
        bool locked = false;
        char r1 = 0, r2 = 0;
        return m.identify(id, locked, r1, r2);
    }
    }
}

constexpr const char* kEchoes[] = {"$V", "$S", "$R3?", "d01", "i"};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static Link link;
    static unsigned serial = 0;
    if (size == 0)
        return 0;
    const int which = data[0];
    int result = -1;
    std::thread transaction([&] { result = runTransaction(link.manager, which); });
    link.awaitCommand();
    link.write(data + 1, size - 1);
    // End a partial line, then answer whatever the transaction still waits
    // for: its echo and enough data lines. What it no longer needs arrives
    // as unexpected lines, the marker last.
    std::string answer = std::string("\r") + kEchoes[which % 5] + "\r";
    for (int i = 0; i < SerialManager::kReplySlots; ++i)
        answer += "0\r";
    const std::string marker = "#end " + std::to_string(++serial);
    answer += marker + "\r";
    link.write(answer);
    transaction.join();
    if (result == TimeoutEcho || result == TimeoutData || result == PortInvalid)
        __builtin_trap();   // every transaction was answered
    link.awaitUnexpected(marker);
    return 0;
}
