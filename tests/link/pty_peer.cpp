#include "pty_peer.h"

#include <cerrno>
#include <chrono>
#include <cstdlib>

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

namespace {
constexpr auto kPatience = std::chrono::seconds(5);
}

PtyPeer::PtyPeer() {
    const int fd = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return;
    char name[128] = {};
    if (grantpt(fd) != 0 || unlockpt(fd) != 0 || ptsname_r(fd, name, sizeof name) != 0) {
        ::close(fd);
        return;
    }
    slavePath_ = name;
    fd_.store(fd);
}

PtyPeer::~PtyPeer() { closeMaster(); }

void PtyPeer::closeMaster() {
    const int fd = fd_.exchange(-1);
    if (fd >= 0)
        ::close(fd);
}

void PtyPeer::write(std::string_view bytes) {
    std::size_t done = 0;
    while (fd_.load() >= 0 && done < bytes.size()) {
        const ssize_t n = ::write(fd_.load(), bytes.data() + done, bytes.size() - done);
        if (n > 0) {
            done += static_cast<std::size_t>(n);
        } else if (n < 0 && errno == EAGAIN) {
            pollfd p{fd_.load(), POLLOUT, 0};
            ::poll(&p, 1, 100);
        } else if (n < 0 && errno != EINTR) {
            return;
        }
    }
}

std::string PtyPeer::readAvailable() {
    std::string out;
    char buffer[4096];
    for (;;) {
        const int fd = fd_.load();
        const ssize_t n = fd >= 0 ? ::read(fd, buffer, sizeof buffer) : -1;
        if (n <= 0)
            return out;
        out.append(buffer, static_cast<std::size_t>(n));
    }
}

std::string PtyPeer::readUntil(std::string_view needle) {
    std::string out;
    const auto deadline = std::chrono::steady_clock::now() + kPatience;
    while (out.find(needle) == std::string::npos && std::chrono::steady_clock::now() < deadline) {
        pollfd p{fd_.load(), POLLIN, 0};
        if (::poll(&p, 1, 50) > 0 && (p.revents & POLLIN))
            out += readAvailable();
        else if (p.revents & POLLHUP)
            ::usleep(10000);   // nobody holds the slave side at the moment
    }
    return out;
}

ScriptedRegulator::ScriptedRegulator(Script script)
    : script_(std::move(script)), thread_([this] { serve(); }) {}

ScriptedRegulator::~ScriptedRegulator() {
    stop_.store(true);
    thread_.join();
}

void ScriptedRegulator::serve() {
    std::string pending;
    while (!stop_.load()) {
        const int fd = peer_.fd();
        if (fd < 0)
            return;
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, 20) <= 0)
            continue;
        if (!(p.revents & POLLIN)) {
            ::usleep(5000);
            continue;
        }
        const std::string bytes = peer_.readAvailable();
        bool vanish = false;
        std::vector<std::string> lines;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            received_ += bytes;
            for (char c : bytes) {
                if (c != '\r' && c != '\n') {
                    pending += c;
                } else if (!pending.empty()) {
                    commands_.push_back(pending);
                    lines.push_back(pending);
                    if (!vanishOn_.empty() && pending == vanishOn_)
                        vanish = true;
                    pending.clear();
                }
            }
        }
        changed_.notify_all();
        if (vanish) {
            peer_.closeMaster();
            return;
        }
        for (const std::string& line : lines)
            peer_.write(script_(line));
    }
}

std::string ScriptedRegulator::received() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return received_;
}

std::vector<std::string> ScriptedRegulator::commands() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return commands_;
}

bool ScriptedRegulator::waitForCommands(std::size_t count) {
    std::unique_lock<std::mutex> lock(mutex_);
    return changed_.wait_for(lock, kPatience, [&] { return commands_.size() >= count; });
}

void ScriptedRegulator::vanishOn(std::string command) {
    std::lock_guard<std::mutex> lock(mutex_);
    vanishOn_ = std::move(command);
}

void NotificationLog::add(int kind, int length, const char* text) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        items_.push_back({kind, length, text});
    }
    changed_.notify_all();
}

std::vector<Notification> NotificationLog::all() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return items_;
}

int NotificationLog::count(int kind) const {
    std::lock_guard<std::mutex> lock(mutex_);
    int n = 0;
    for (const Notification& item : items_)
        n += item.kind == kind ? 1 : 0;
    return n;
}

bool NotificationLog::waitFor(int kind, const std::string& text) {
    std::unique_lock<std::mutex> lock(mutex_);
    return changed_.wait_for(lock, kPatience, [&] {
        for (const Notification& n : items_)
            if (n.kind == kind && n.text == text)
                return true;
        return false;
    });
}
