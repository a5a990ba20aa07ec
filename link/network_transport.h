// A serial port on the network (port_url.h): a TCP connection made without
// blocking beyond a time-out, with TCP_NODELAY and keep-alive; for
// rfc2217:// the Telnet negotiation and the line settings of
// rfc2217_session.h run inside open(), for socket:// the bytes pass as
// they are.
#pragma once

#include <chrono>
#include <memory>
#include <optional>

#include "link/port_url.h"
#include "link/rfc2217_session.h"
#include "link/transport.h"

class NetworkTransport : public Transport {
public:
    static constexpr std::chrono::milliseconds kConnectTimeout{3000};
    // For the server's agreement and its answers to the four settings.
    static constexpr std::chrono::milliseconds kNegotiationTimeout{3000};
    // For answers to settings the link can do without (a server in front of
    // a pseudo-terminal never answers SET-CONTROL).
    static constexpr std::chrono::milliseconds kOptionalAnswerWait{200};

    ~NetworkTransport() override { close(); }
    int open(std::string_view name, std::uint32_t baud, int parity, int dataBits,
             std::string& error) override;
    void close() override;
    std::string name() const override { return url_ ? url_->text : std::string(); }
    int fd() const override { return fd_; }
    long read(unsigned char* buffer, std::size_t size) override;
    long write(const char* data, std::size_t length) override;
    bool wantsWrite() const override { return sent_ < outgoing_.size(); }
    bool flush() override;
    std::string goneReason() const override { return goneReason_; }

private:
    using Clock = std::chrono::steady_clock;
    int connectTo(std::string& error);
    int negotiate(std::string& error);
    // Receives once (waiting until `deadline`); false when the peer is gone
    // (goneReason_ says why). Data bytes go to `data`.
    bool receiveOnce(Clock::time_point deadline, std::string& data);
    void markGone(int error);
    std::string where() const;   // "127.0.0.1 port 4000"

    int fd_ = -1;
    std::optional<PortUrl> url_;
    std::unique_ptr<rfc2217::ClientSession> session_;
    std::string outgoing_;       // bytes for the wire, from sent_ on
    std::size_t sent_ = 0;
    std::string goneReason_;
    std::string peerText_;       // printable text the server sent during open
};
