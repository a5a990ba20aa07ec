#include "link/telnet_codec.h"

namespace telnet {

void Decoder::afterIac(std::uint8_t byte, std::string& data, std::vector<Event>& events) {
    switch (byte) {
    case kIac:
        data.push_back(static_cast<char>(kIac));
        state_ = State::Data;
        break;
    case kWill:
    case kWont:
    case kDo:
    case kDont:
        verb_ = byte;
        state_ = State::Option;
        break;
    case kSb:
        sub_ = Event{Event::Type::Subnegotiation, kSb, 0, {}, false};
        state_ = State::SbOption;
        break;
    default:
        events.push_back(Event{Event::Type::Command, byte, 0, {}, false});
        state_ = State::Data;
        break;
    }
}

void Decoder::feed(const std::uint8_t* bytes, std::size_t length, std::string& data,
                   std::vector<Event>& events) {
    for (std::size_t i = 0; i < length; ++i) {
        const std::uint8_t byte = bytes[i];
        switch (state_) {
        case State::Data:
            if (byte == kIac)
                state_ = State::Iac;
            else
                data.push_back(static_cast<char>(byte));
            break;
        case State::Iac:
            afterIac(byte, data, events);
            break;
        case State::Option:
            events.push_back(Event{Event::Type::Negotiation, verb_, byte, {}, false});
            state_ = State::Data;
            break;
        case State::SbOption:
            sub_.option = byte;
            state_ = State::SbData;
            break;
        case State::SbData:
            if (byte == kIac) {
                state_ = State::SbIac;
            } else if (sub_.payload.size() < kMaxPayload) {
                sub_.payload.push_back(static_cast<char>(byte));
            } else {
                sub_.truncated = true;
            }
            break;
        case State::SbIac:
            if (byte == kIac) {
                if (sub_.payload.size() < kMaxPayload)
                    sub_.payload.push_back(static_cast<char>(kIac));
                else
                    sub_.truncated = true;
                state_ = State::SbData;
            } else {
                events.push_back(std::move(sub_));
                sub_ = Event{};
                if (byte == kSe)
                    state_ = State::Data;
                else
                    afterIac(byte, data, events);
            }
            break;
        }
    }
}

std::string encodeData(const char* data, std::size_t length, bool binary) {
    std::string out;
    out.reserve(length + 8);
    for (std::size_t i = 0; i < length; ++i) {
        const char c = data[i];
        out.push_back(c);
        if (static_cast<std::uint8_t>(c) == kIac)
            out.push_back(c);
        else if (c == '\r' && !binary)
            out.push_back('\0');
    }
    return out;
}

std::string negotiation(std::uint8_t verb, std::uint8_t option) {
    return {static_cast<char>(kIac), static_cast<char>(verb), static_cast<char>(option)};
}

std::string subnegotiation(std::uint8_t option, const std::string& payload) {
    std::string out = {static_cast<char>(kIac), static_cast<char>(kSb), static_cast<char>(option)};
    for (char c : payload) {
        out.push_back(c);
        if (static_cast<std::uint8_t>(c) == kIac)
            out.push_back(c);
    }
    out.push_back(static_cast<char>(kIac));
    out.push_back(static_cast<char>(kSe));
    return out;
}

std::string describeNegotiation(std::uint8_t verb, std::uint8_t option) {
    const char* verbText = verb == kWill ? "WILL" : verb == kWont ? "WONT" : verb == kDo ? "DO"
                         : verb == kDont ? "DONT" : "?";
    std::string optionText;
    switch (option) {
    case kOptionBinary: optionText = "BINARY"; break;
    case kOptionEcho: optionText = "ECHO"; break;
    case kOptionSuppressGoAhead: optionText = "SUPPRESS-GO-AHEAD"; break;
    case kOptionComPort: optionText = "COM-PORT-OPTION"; break;
    default: optionText = std::to_string(option); break;
    }
    return std::string(verbText) + " " + optionText;
}

}  // namespace telnet
