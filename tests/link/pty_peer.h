// Test peers on the far side of a real pseudo-terminal: PtyPeer is the raw
// master end; ScriptedRegulator answers each received command line with the
// reply a script function gives.
#pragma once

#include <atomic>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

class PtyPeer {
public:
    PtyPeer();
    ~PtyPeer();
    PtyPeer(const PtyPeer&) = delete;
    PtyPeer& operator=(const PtyPeer&) = delete;

    bool ok() const { return fd_ >= 0; }
    const std::string& slavePath() const { return slavePath_; }
    int fd() const { return fd_; }

    void write(std::string_view bytes);
    // Everything that arrives until `needle` has been seen (or 5 s passed).
    std::string readUntil(std::string_view needle);
    // Whatever is waiting right now, without blocking.
    std::string readAvailable();
    void closeMaster();

private:
    std::atomic<int> fd_{-1};
    std::string slavePath_;
};

class ScriptedRegulator {
public:
    // Gets each command line without its terminators; returns the bytes to
    // send back ("" for none).
    using Script = std::function<std::string(const std::string& command)>;

    explicit ScriptedRegulator(Script script);
    ~ScriptedRegulator();

    const std::string& slavePath() const { return peer_.slavePath(); }
    PtyPeer& peer() { return peer_; }

    std::string received() const;                 // all bytes received so far
    std::vector<std::string> commands() const;    // command lines received
    bool waitForCommands(std::size_t count);      // up to 5 s
    void vanishOn(std::string command);           // close the master when it arrives

private:
    void serve();

    PtyPeer peer_;
    Script script_;
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::string received_;
    std::vector<std::string> commands_;
    std::string vanishOn_;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

// A runtime-line-friendly record of SerialManager client notifications.
struct Notification {
    int kind;
    int length;
    std::string text;
};

class NotificationLog {
public:
    void add(int kind, int length, const char* text);
    std::vector<Notification> all() const;
    int count(int kind) const;
    // Waits up to 5 s for a notification of `kind` with `text`.
    bool waitFor(int kind, const std::string& text);

private:
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<Notification> items_;
};
