// The client side of RFC 2217 (Telnet COM-PORT-OPTION) over the Telnet
// framing of telnet_codec.h: the option negotiation (accept what this link
// needs, refuse the rest), the line settings sent once the server agreed to
// the COM-PORT option, and the server's answers checked against them. Pure:
// bytes in, data and bytes to send out; the transport owns socket and clock.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "link/telnet_codec.h"

namespace rfc2217 {

// Client-to-server command codes; the server answers with code + 100.
inline constexpr std::uint8_t kSignature = 0;
inline constexpr std::uint8_t kSetBaudRate = 1;
inline constexpr std::uint8_t kSetDataSize = 2;
inline constexpr std::uint8_t kSetParity = 3;
inline constexpr std::uint8_t kSetStopSize = 4;
inline constexpr std::uint8_t kSetControl = 5;
inline constexpr std::uint8_t kNotifyLineState = 6;
inline constexpr std::uint8_t kNotifyModemState = 7;
inline constexpr std::uint8_t kFlowControlSuspend = 8;
inline constexpr std::uint8_t kFlowControlResume = 9;
inline constexpr std::uint8_t kSetLineStateMask = 10;
inline constexpr std::uint8_t kSetModemStateMask = 11;
inline constexpr std::uint8_t kPurgeData = 12;
inline constexpr std::uint8_t kServerOffset = 100;

// SET-CONTROL values used here.
inline constexpr std::uint8_t kControlNoFlowControl = 1;
inline constexpr std::uint8_t kControlDtrOff = 9;
inline constexpr std::uint8_t kControlRtsOff = 12;
// SET-PARITY values.
inline constexpr std::uint8_t kParityNone = 1;
inline constexpr std::uint8_t kParityOdd = 2;
inline constexpr std::uint8_t kParityEven = 3;
// PURGE-DATA: both buffers of the server's port.
inline constexpr std::uint8_t kPurgeBoth = 3;

inline constexpr char kSignatureText[] = "TQ_Interface";

// What the link asks of the server's port.
struct LineRequest {
    std::uint32_t baud = 115200;
    int dataBits = 8;   // 5..8
    int parity = 0;     // 0 none, 1 odd, 2 even
    int stopBits = 1;   // 1 or 2
};

class ClientSession {
public:
    enum class Phase {
        Negotiating,   // waiting for the server to agree to the COM-PORT option
        Configuring,   // settings sent, waiting for the rate, size, parity and stop bits
        Ready,         // those four acknowledged as asked
        Failed,        // refused: failure() says what
    };

    explicit ClientSession(LineRequest request);

    // The bytes that open the negotiation.
    std::string start();
    // Received bytes: data bytes go to `data`, answers to send to `toSend`.
    void receive(const std::uint8_t* bytes, std::size_t length, std::string& data, std::string& toSend);
    // Data for the wire (0xFF doubled; CR NUL unless binary was agreed).
    std::string encode(const char* data, std::size_t length) const;

    Phase phase() const { return phase_; }
    const std::string& failure() const { return failure_; }
    // Settings the link can do without (flow control, DTR, RTS, purge) that
    // the server has not answered yet: "SET-CONTROL DTR off", ...
    std::vector<std::string> unanswered() const;
    // Debug notes gathered since the last call (options asked and refused,
    // notifications, settings answered differently).
    std::vector<std::string> takeNotes();
    bool binaryOut() const { return us_[telnet::kOptionBinary] == State::Yes; }

private:
    enum class State : std::uint8_t { No, Yes, WantYes };
    struct Optional {
        std::uint8_t command;
        std::uint8_t value;
        const char* name;
        bool answered;
    };

    void onNegotiation(std::uint8_t verb, std::uint8_t option, std::string& toSend);
    void onComPort(const std::string& payload, std::string& toSend);
    void sendSettings(std::string& toSend);
    void checkRequired(std::uint8_t command, const std::string& value);
    void fail(std::string why);
    void note(std::string text) { notes_.push_back(std::move(text)); }

    LineRequest request_;
    telnet::Decoder decoder_;
    Phase phase_ = Phase::Negotiating;
    std::string failure_;
    std::array<State, 256> us_{};    // options this side performs (WILL)
    std::array<State, 256> him_{};   // options the server performs (DO)
    std::array<bool, 5> requiredAnswered_{};   // index = command code 1..4
    std::vector<Optional> optional_;
    std::vector<std::string> notes_;
};

// The payloads of the four required settings, as the link sends them.
std::string baudPayload(std::uint32_t baud);

}  // namespace rfc2217
