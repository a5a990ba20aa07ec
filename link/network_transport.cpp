#include "link/network_transport.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include "link/link_debug.h"
#include "link/open_error.h"
#include "link/serial_port.h"

namespace {

constexpr int kKeepIdleSeconds = 10;
constexpr int kKeepIntervalSeconds = 3;
constexpr int kKeepCount = 3;
constexpr std::size_t kPeerTextLimit = 120;
constexpr std::chrono::milliseconds kCloseFlushWait{200};
// Waits are cut into slices this long so that a cancel is seen promptly.
constexpr int kWaitSliceMs = 50;

int remainingMs(std::chrono::steady_clock::time_point deadline) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    return left.count() > 0 ? static_cast<int>(left.count()) : 0;
}

void setOption(int fd, int level, int name, int value) {
    setsockopt(fd, level, name, &value, sizeof value);
}

// Acknowledge at once what came in. A server that does not set TCP_NODELAY
// holds each further small write until the previous one is acknowledged; a
// delayed acknowledgement (up to 40 ms) would then stall every reply that
// reaches it byte by byte from a serial line. Linux clears the flag again
// on its own, so it is set after every receive.
void acknowledgeAtOnce(int fd) { setOption(fd, IPPROTO_TCP, TCP_QUICKACK, 1); }

}  // namespace

std::string NetworkTransport::where() const {
    if (!url_)
        return {};
    const bool v6 = url_->host.find(':') != std::string::npos;
    return (v6 ? "[" + url_->host + "]" : url_->host) + " port " + std::to_string(url_->port);
}

void NetworkTransport::markGone(int error) {
    if (error == 0)
        goneReason_ = "connection closed by " + where();
    else if (error == ECONNRESET || error == EPIPE)
        goneReason_ = "connection reset by " + where();
    else if (error == ETIMEDOUT)
        goneReason_ = "connection to " + where() + " timed out (the server stopped answering)";
    else
        goneReason_ = "connection to " + where() + " lost: " + systemErrorText(error);
    if (url_)
        goneReason_ = url_->text + ": " + goneReason_;
}

int NetworkTransport::open(std::string_view name, std::uint32_t baud, int parity, int dataBits,
                           std::string& error) {
    close();
    std::string why;
    url_ = parsePortUrl(name, &why);
    if (!url_) {
        error = why;
        return SerialPort::OpenDeviceFailed;
    }
    goneReason_.clear();
    peerText_.clear();
    outgoing_.clear();
    sent_ = 0;
    if (const int status = connectTo(error); status != 0)
        return status;
    if (url_->setsLine()) {
        rfc2217::LineRequest request;
        request.baud = baud;
        request.parity = parity;
        request.dataBits = dataBits;
        session_ = std::make_unique<rfc2217::ClientSession>(request);
        if (const int status = negotiate(error); status != 0) {
            close();
            return status;
        }
    } else {
        linkDebug(url_->text + ": plain TCP, the line settings are the server's (" +
                  std::to_string(baud) + " baud asked)");
    }
    return 0;
}

int NetworkTransport::connectTo(std::string& error) {
    const std::string prefix = url_->text + ": ";
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_NUMERICSERV;
    addrinfo* found = nullptr;
    const std::string service = std::to_string(url_->port);
    const int lookup = getaddrinfo(url_->host.c_str(), service.c_str(), &hints, &found);
    if (lookup != 0 || found == nullptr) {
        const bool unknown = lookup == EAI_NONAME || lookup == EAI_FAIL || lookup == EAI_NODATA ||
                             lookup == EAI_AGAIN || lookup == 0;
        error = prefix + (unknown ? "unknown host " + url_->host + " (" +
                                        (lookup == 0 ? std::string("no address") : gai_strerror(lookup)) + ")"
                                  : "cannot look up " + url_->host + ": " + gai_strerror(lookup));
        if (found != nullptr)
            freeaddrinfo(found);
        return SerialPort::OpenDeviceFailed;
    }
    const auto deadline = Clock::now() + kConnectTimeout;
    int lastError = 0;
    bool timedOut = false;
    for (addrinfo* a = found; a != nullptr && fd_ < 0; a = a->ai_next) {
        const int fd = ::socket(a->ai_family, a->ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC, a->ai_protocol);
        if (fd < 0) {
            lastError = errno;
            continue;
        }
        int result = ::connect(fd, a->ai_addr, a->ai_addrlen);
        if (result != 0 && errno == EINPROGRESS) {
            pollfd p{fd, POLLOUT, 0};
            int ready;
            do {
                ready = ::poll(&p, 1, std::min(remainingMs(deadline), kWaitSliceMs));
            } while ((ready < 0 && errno == EINTR) ||
                     (ready == 0 && remainingMs(deadline) > 0 && !cancelled()));
            if (ready == 0 && cancelled()) {
                ::close(fd);
                freeaddrinfo(found);
                error = prefix + "the connection attempt was cancelled";
                return SerialPort::OpenDeviceFailed;
            }
            if (ready == 0) {
                timedOut = true;
                ::close(fd);
                break;   // the time-out covers all addresses
            }
            int soError = 0;
            socklen_t len = sizeof soError;
            getsockopt(fd, SOL_SOCKET, SO_ERROR, &soError, &len);
            result = soError == 0 ? 0 : -1;
            errno = soError;
        }
        if (result != 0) {
            lastError = errno;
            ::close(fd);
            continue;
        }
        fd_ = fd;
    }
    freeaddrinfo(found);
    if (fd_ < 0) {
        if (timedOut)
            error = prefix + "no answer from " + where() + " within " +
                    std::to_string(kConnectTimeout.count() / 1000) + " s (connection timed out)";
        else if (lastError == ECONNREFUSED)
            error = prefix + "connection refused by " + where() + " (is the server running?)";
        else
            error = prefix + "cannot connect to " + where() + ": " + systemErrorText(lastError);
        return SerialPort::OpenDeviceFailed;
    }
    setOption(fd_, IPPROTO_TCP, TCP_NODELAY, 1);
    acknowledgeAtOnce(fd_);
    setOption(fd_, SOL_SOCKET, SO_KEEPALIVE, 1);
    setOption(fd_, IPPROTO_TCP, TCP_KEEPIDLE, kKeepIdleSeconds);
    setOption(fd_, IPPROTO_TCP, TCP_KEEPINTVL, kKeepIntervalSeconds);
    setOption(fd_, IPPROTO_TCP, TCP_KEEPCNT, kKeepCount);
    return 0;
}

bool NetworkTransport::receiveOnce(Clock::time_point deadline, std::string& data) {
    if (wantsWrite() && !flush())
        return false;
    pollfd p{fd_, static_cast<short>(POLLIN | (wantsWrite() ? POLLOUT : 0)), 0};
    int ready;
    do {
        ready = ::poll(&p, 1, std::min(remainingMs(deadline), kWaitSliceMs));
    } while (ready < 0 && errno == EINTR);
    if (ready <= 0 || (p.revents & (POLLIN | POLLHUP | POLLERR)) == 0)
        return true;   // nothing yet (the caller checks the deadline)
    unsigned char raw[4096];
    const ssize_t n = ::recv(fd_, raw, sizeof raw, 0);
    acknowledgeAtOnce(fd_);
    if (n < 0 && (errno == EAGAIN || errno == EINTR))
        return true;
    if (n <= 0) {
        markGone(n == 0 ? 0 : errno);
        return false;
    }
    if (session_) {
        std::string answers;
        session_->receive(raw, static_cast<std::size_t>(n), data, answers);
        outgoing_ += answers;
        for (const std::string& note : session_->takeNotes())
            linkDebug(url_->text + ": " + note);
    } else {
        data.append(reinterpret_cast<const char*>(raw), static_cast<std::size_t>(n));
    }
    return true;
}

int NetworkTransport::negotiate(std::string& error) {
    const std::string prefix = url_->text + ": ";
    outgoing_ += session_->start();
    const auto deadline = Clock::now() + kNegotiationTimeout;
    std::string data;
    using Phase = rfc2217::ClientSession::Phase;
    const auto keepPeerText = [this, &data] {
        // What a server says before it hangs up tells why (a busy port...).
        for (char c : data)
            if (peerText_.size() < kPeerTextLimit && static_cast<unsigned char>(c) >= 0x20 &&
                static_cast<unsigned char>(c) < 0x7F)
                peerText_ += c;
        data.clear();
    };
    while (session_->phase() == Phase::Negotiating || session_->phase() == Phase::Configuring) {
        if (cancelled()) {
            error = prefix + "the connection attempt was cancelled";
            return SerialPort::OpenDeviceFailed;
        }
        if (Clock::now() >= deadline) {
            error = prefix + (session_->phase() == Phase::Negotiating
                                  ? "no answer to the COM-PORT option of RFC 2217 from " + where() +
                                        " within " + std::to_string(kNegotiationTimeout.count() / 1000) +
                                        " s (is the server set up for rfc2217? a plain TCP port is "
                                        "reached as socket://)"
                                  : "the server did not confirm the line settings within " +
                                        std::to_string(kNegotiationTimeout.count() / 1000) + " s");
            return SerialPort::OpenSettingsFailed;
        }
        const bool alive = receiveOnce(deadline, data);
        keepPeerText();
        if (!alive) {
            error = goneReason_ + " during the Telnet negotiation" +
                    (peerText_.empty() ? std::string() : " (it said: \"" + peerText_ + "\")");
            return SerialPort::OpenDeviceFailed;
        }
    }
    if (session_->phase() == Phase::Failed) {
        error = prefix + session_->failure();
        return SerialPort::OpenSettingsFailed;
    }
    // Settings the link can do without: wait briefly, then go on.
    const auto optionalDeadline = std::min(deadline, Clock::now() + kOptionalAnswerWait);
    while (!session_->unanswered().empty() && Clock::now() < optionalDeadline) {
        if (!receiveOnce(optionalDeadline, data)) {
            error = goneReason_ + " during the Telnet negotiation";
            return SerialPort::OpenDeviceFailed;
        }
        data.clear();
    }
    for (const std::string& name : session_->unanswered())
        linkDebug(prefix + name + " not answered by the server; going on without it");
    // Bytes from before the settings took are not the regulator's lines.
    if (wantsWrite() && !flush()) {
        error = goneReason_;
        return SerialPort::OpenDeviceFailed;
    }
    return 0;
}

void NetworkTransport::close() {
    if (fd_ >= 0) {
        // What the link handed over last (a stream-off command) still goes out.
        const auto deadline = Clock::now() + kCloseFlushWait;
        while (wantsWrite() && flush() && wantsWrite() && Clock::now() < deadline) {
            pollfd p{fd_, POLLOUT, 0};
            ::poll(&p, 1, remainingMs(deadline));
        }
        ::close(fd_);
    }
    fd_ = -1;
    session_.reset();
    outgoing_.clear();
    sent_ = 0;
}

long NetworkTransport::read(unsigned char* buffer, std::size_t size) {
    unsigned char raw[4096];
    const ssize_t n = ::recv(fd_, raw, std::min(size, sizeof raw), MSG_DONTWAIT);
    acknowledgeAtOnce(fd_);
    if (n < 0 && (errno == EAGAIN || errno == EINTR))
        return 0;
    if (n <= 0) {
        markGone(n == 0 ? 0 : errno);
        return -1;
    }
    if (!session_) {
        std::memcpy(buffer, raw, static_cast<std::size_t>(n));
        return static_cast<long>(n);
    }
    std::string data;
    std::string answers;
    session_->receive(raw, static_cast<std::size_t>(n), data, answers);
    for (const std::string& note : session_->takeNotes())
        linkDebug(url_->text + ": " + note);
    if (!answers.empty()) {
        outgoing_ += answers;
        if (!flush())
            return -1;
    }
    // Decoding never makes more bytes than it was given.
    std::memcpy(buffer, data.data(), data.size());
    return static_cast<long>(data.size());
}

long NetworkTransport::write(const char* data, std::size_t length) {
    if (wantsWrite()) {
        if (!flush())
            return -1;
        if (wantsWrite())
            return 0;
    }
    outgoing_.clear();
    sent_ = 0;
    if (session_)
        outgoing_ = session_->encode(data, length);
    else
        outgoing_.assign(data, length);
    if (!flush())
        return -1;
    return static_cast<long>(length);
}

bool NetworkTransport::flush() {
    while (sent_ < outgoing_.size()) {
        const ssize_t n = ::send(fd_, outgoing_.data() + sent_, outgoing_.size() - sent_,
                                 MSG_NOSIGNAL | MSG_DONTWAIT);
        if (n > 0) {
            sent_ += static_cast<std::size_t>(n);
            continue;
        }
        if (n < 0 && (errno == EAGAIN || errno == EINTR))
            return true;
        markGone(n < 0 ? errno : 0);
        return false;
    }
    outgoing_.clear();
    sent_ = 0;
    return true;
}
