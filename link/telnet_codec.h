// Telnet (RFC 854/855) framing: splits received bytes into data and
// protocol events, and builds the bytes of data and commands to send. Pure:
// no sockets, no clock; the state carries over from one call to the next so
// a command split across two reads is still understood.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace telnet {

inline constexpr std::uint8_t kIac = 255;
inline constexpr std::uint8_t kDont = 254;
inline constexpr std::uint8_t kDo = 253;
inline constexpr std::uint8_t kWont = 252;
inline constexpr std::uint8_t kWill = 251;
inline constexpr std::uint8_t kSb = 250;
inline constexpr std::uint8_t kSe = 240;

// Options this link knows by name.
inline constexpr std::uint8_t kOptionBinary = 0;
inline constexpr std::uint8_t kOptionEcho = 1;
inline constexpr std::uint8_t kOptionSuppressGoAhead = 3;
inline constexpr std::uint8_t kOptionComPort = 44;   // RFC 2217

struct Event {
    enum class Type {
        Negotiation,      // IAC WILL/WONT/DO/DONT option: `verb`, `option`
        Subnegotiation,   // IAC SB option payload IAC SE: `option`, `payload` (unescaped)
        Command,          // IAC and any other byte (NOP, GA, data mark...): `verb`
    };
    Type type = Type::Command;
    std::uint8_t verb = 0;
    std::uint8_t option = 0;
    std::string payload;
    bool truncated = false;   // the payload was longer than kMaxPayload and was cut

    bool operator==(const Event&) const = default;
};

class Decoder {
public:
    // Payloads beyond this are cut (the rest is skipped up to IAC SE).
    static constexpr std::size_t kMaxPayload = 512;

    // Appends the data bytes to `data` and the protocol events to `events`.
    // IAC IAC is one data byte 0xFF, in data and in payloads. Inside a
    // sub-negotiation, IAC followed by anything but IAC or SE ends it and
    // that byte is read as the command after IAC.
    void feed(const std::uint8_t* bytes, std::size_t length, std::string& data,
              std::vector<Event>& events);
    void reset() { *this = Decoder(); }
    // True between the bytes of a command (nothing pending when false).
    bool inCommand() const { return state_ != State::Data; }

private:
    enum class State { Data, Iac, Option, SbOption, SbData, SbIac };
    void afterIac(std::uint8_t byte, std::string& data, std::vector<Event>& events);

    State state_ = State::Data;
    std::uint8_t verb_ = 0;
    Event sub_;
};

// Data to send: 0xFF doubled; without the binary option a carriage return
// is followed by NUL (RFC 854), which the line end makes no different.
std::string encodeData(const char* data, std::size_t length, bool binary);
// IAC verb option.
std::string negotiation(std::uint8_t verb, std::uint8_t option);
// IAC SB option payload IAC SE, with 0xFF in the payload doubled.
std::string subnegotiation(std::uint8_t option, const std::string& payload);

// "DO COM-PORT-OPTION", "WILL 5": for debug messages.
std::string describeNegotiation(std::uint8_t verb, std::uint8_t option);

}  // namespace telnet
