#include "pty_client.h"

#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

namespace simtest {

bool PtyClient::open(const std::string& path)
{
    close();
    fd_ = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd_ < 0)
        return false;
    termios tio{};
    if (tcgetattr(fd_, &tio) == 0) {
        cfmakeraw(&tio);
        tcsetattr(fd_, TCSANOW, &tio);
    }
    hungUp_ = false;
    pending_.clear();
    return true;
}

void PtyClient::close()
{
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
}

void PtyClient::lockExclusive()
{
    if (fd_ >= 0)
        ::ioctl(fd_, TIOCEXCL);
}

void PtyClient::write(const std::string& bytes)
{
    std::size_t done = 0;
    while (fd_ >= 0 && done < bytes.size()) {
        const ssize_t n = ::write(fd_, bytes.data() + done, bytes.size() - done);
        if (n > 0) {
            done += static_cast<std::size_t>(n);
        } else if (n < 0 && errno == EAGAIN) {
            pollfd p{fd_, POLLOUT, 0};
            ::poll(&p, 1, 100);
        } else if (n < 0 && errno != EINTR) {
            return;
        }
    }
}

std::size_t PtyClient::writeUntilBlocked(char filler, std::size_t limit)
{
    const std::string block(256, filler);
    std::size_t total = 0;
    while (fd_ >= 0 && total < limit) {
        const ssize_t n = ::write(fd_, block.data(), block.size());
        if (n <= 0)
            break;
        total += static_cast<std::size_t>(n);
    }
    return total;
}

bool PtyClient::fill(int safetyMs)
{
    if (fd_ < 0 || hungUp_)
        return false;
    pollfd p{fd_, POLLIN, 0};
    if (::poll(&p, 1, safetyMs) <= 0)
        return false;
    char buffer[4096];
    const ssize_t n = ::read(fd_, buffer, sizeof buffer);
    if (n <= 0) {
        if (n < 0 && (errno == EAGAIN || errno == EINTR))
            return true;
        hungUp_ = true;
        return false;
    }
    raw_.append(buffer, static_cast<std::size_t>(n));
    for (ssize_t i = 0; i < n; ++i) {
        const unsigned char c = static_cast<unsigned char>(buffer[i]);
        if (c == '\r' || (c >= 0x20 && c < 0x80))
            pending_.push_back(static_cast<char>(c));
    }
    return true;
}

std::optional<std::string> PtyClient::readLine(int safetyMs)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(safetyMs);
    for (;;) {
        const std::size_t cr = pending_.find('\r');
        if (cr != std::string::npos) {
            std::string line = pending_.substr(0, cr);
            pending_.erase(0, cr + 1);
            if (line.empty())
                continue;
            return line;
        }
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                              deadline - std::chrono::steady_clock::now())
                              .count();
        if (left <= 0 || !fill(static_cast<int>(left)))
            return std::nullopt;
    }
}

std::optional<std::string> PtyClient::readReplyLine(int safetyMs)
{
    for (;;) {
        auto line = readLine(safetyMs);
        if (!line || (*line)[0] != '[')
            return line;
    }
}

std::optional<std::string> PtyClient::readRuntimeLine(int safetyMs)
{
    for (;;) {
        auto line = readLine(safetyMs);
        if (!line || (*line)[0] == '[')
            return line;
    }
}

std::vector<std::string> PtyClient::readUntil(const std::function<bool(const std::string&)>& pred,
                                              int safetyMs)
{
    std::vector<std::string> lines;
    while (auto line = readLine(safetyMs)) {
        lines.push_back(*line);
        if (pred(*line))
            break;
    }
    return lines;
}

std::vector<std::string> PtyClient::transact(const std::string& command)
{
    // "$R43?" is a harmless read whose echo closes the reply.
    write(command + "$R43?\r");
    std::vector<std::string> lines;
    while (auto line = readReplyLine()) {
        if (*line == "$R43?") {
            readReplyLine();  // its data line
            break;
        }
        lines.push_back(*line);
    }
    return lines;
}

std::vector<std::string> runtimeValues(const std::string& line, char formatDigit)
{
    std::vector<std::string> values;
    if (line.size() < 4 || line[0] != '[' || line[1] != formatDigit || line[2] != ' '
        || line.back() != ']')
        return {};
    std::size_t pos = 3;
    const std::size_t end = line.size() - 1;
    while (pos < end) {
        const std::size_t space = line.find(' ', pos);
        const std::size_t stop = space == std::string::npos || space > end ? end : space;
        if (stop == pos)
            return {};  // two separators in a row
        values.push_back(line.substr(pos, stop - pos));
        pos = stop + 1;
        if (stop == end)
            break;
    }
    return values;
}

std::uint32_t hexValue(const std::string& text)
{
    return static_cast<std::uint32_t>(std::strtoul(text.c_str(), nullptr, 16));
}

float hexFloat(const std::string& text)
{
    const std::uint32_t bits = hexValue(text);
    float f;
    std::memcpy(&f, &bits, sizeof f);
    return f;
}

}  // namespace simtest
