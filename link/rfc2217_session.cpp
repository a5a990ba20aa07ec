#include "link/rfc2217_session.h"

#include <algorithm>

namespace rfc2217 {

using namespace telnet;

namespace {

// Options this side performs, and options it lets the server perform.
bool acceptLocal(std::uint8_t option) {
    return option == kOptionBinary || option == kOptionSuppressGoAhead || option == kOptionComPort;
}
bool acceptRemote(std::uint8_t option) {
    // Not ECHO: the regulator echoes itself; a server echo would double it.
    return option == kOptionBinary || option == kOptionSuppressGoAhead;
}

std::uint8_t parityCode(int parity) {
    return parity == 1 ? kParityOdd : parity == 2 ? kParityEven : kParityNone;
}

const char* settingName(std::uint8_t command) {
    switch (command) {
    case kSetBaudRate: return "bit rate";
    case kSetDataSize: return "data size";
    case kSetParity: return "parity";
    case kSetStopSize: return "stop bits";
    default: return "setting";
    }
}

std::string valueText(std::uint8_t command, const std::string& value) {
    if (command == kSetBaudRate && value.size() == 4) {
        std::uint32_t baud = 0;
        for (char c : value)
            baud = baud << 8 | static_cast<std::uint8_t>(c);
        return std::to_string(baud);
    }
    if (value.size() != 1)
        return "a value of " + std::to_string(value.size()) + " bytes";
    const unsigned v = static_cast<std::uint8_t>(value[0]);
    if (command == kSetParity) {
        static const char* names[] = {"(asked)", "none", "odd", "even", "mark", "space"};
        return v < 6 ? names[v] : std::to_string(v);
    }
    if (command == kSetStopSize)
        return v == 1 ? "1" : v == 2 ? "2" : v == 3 ? "1.5" : std::to_string(v);
    return std::to_string(v);
}

}  // namespace

std::string baudPayload(std::uint32_t baud) {
    return {static_cast<char>(baud >> 24), static_cast<char>(baud >> 16),
            static_cast<char>(baud >> 8), static_cast<char>(baud)};
}

ClientSession::ClientSession(LineRequest request) : request_(request) {
    us_.fill(State::No);
    him_.fill(State::No);
}

std::string ClientSession::start() {
    std::string out;
    for (std::uint8_t option : {kOptionComPort, kOptionBinary, kOptionSuppressGoAhead}) {
        us_[option] = State::WantYes;
        out += negotiation(kWill, option);
    }
    for (std::uint8_t option : {kOptionBinary, kOptionSuppressGoAhead}) {
        him_[option] = State::WantYes;
        out += negotiation(kDo, option);
    }
    return out;
}

void ClientSession::fail(std::string why) {
    if (phase_ == Phase::Failed)
        return;
    phase_ = Phase::Failed;
    failure_ = std::move(why);
}

void ClientSession::receive(const std::uint8_t* bytes, std::size_t length, std::string& data,
                            std::string& toSend) {
    std::vector<Event> events;
    decoder_.feed(bytes, length, data, events);
    for (const Event& e : events) {
        switch (e.type) {
        case Event::Type::Negotiation:
            onNegotiation(e.verb, e.option, toSend);
            break;
        case Event::Type::Subnegotiation:
            if (e.option == kOptionComPort)
                onComPort(e.payload, toSend);
            else
                note("sub-negotiation of option " + std::to_string(e.option) + " ignored");
            break;
        case Event::Type::Command:
            break;   // NOP, GA, data mark...: nothing to do
        }
    }
}

void ClientSession::onNegotiation(std::uint8_t verb, std::uint8_t option, std::string& toSend) {
    const std::string asked = describeNegotiation(verb, option);
    switch (verb) {
    case kDo:
        if (!acceptLocal(option)) {
            note("server asked " + asked + ": refused");
            toSend += negotiation(kWont, option);
        } else if (us_[option] == State::No) {
            us_[option] = State::Yes;
            toSend += negotiation(kWill, option);
        } else {
            us_[option] = State::Yes;
        }
        if (option == kOptionComPort && phase_ == Phase::Negotiating)
            sendSettings(toSend);
        break;
    case kDont:
        if (us_[option] == State::Yes)
            toSend += negotiation(kWont, option);
        if (us_[option] != State::No && option == kOptionComPort)
            fail("the server refuses the COM-PORT option of RFC 2217 (a plain TCP port is "
                 "reached as socket://)");
        else if (us_[option] != State::No)
            note("server answered " + asked);
        us_[option] = State::No;
        break;
    case kWill:
        if (!acceptRemote(option)) {
            note("server offered " + asked + ": refused");
            toSend += negotiation(kDont, option);
        } else if (him_[option] == State::No) {
            him_[option] = State::Yes;
            toSend += negotiation(kDo, option);
        } else {
            him_[option] = State::Yes;
        }
        break;
    case kWont:
        if (him_[option] == State::Yes)
            toSend += negotiation(kDont, option);
        if (him_[option] != State::No)
            note("server answered " + asked);
        him_[option] = State::No;
        break;
    default:
        break;
    }
}

void ClientSession::sendSettings(std::string& toSend) {
    phase_ = Phase::Configuring;
    toSend += subnegotiation(kOptionComPort, std::string(1, static_cast<char>(kSetBaudRate)) +
                                                 baudPayload(request_.baud));
    toSend += subnegotiation(kOptionComPort, {static_cast<char>(kSetDataSize),
                                              static_cast<char>(request_.dataBits)});
    toSend += subnegotiation(kOptionComPort, {static_cast<char>(kSetParity),
                                              static_cast<char>(parityCode(request_.parity))});
    toSend += subnegotiation(kOptionComPort, {static_cast<char>(kSetStopSize),
                                              static_cast<char>(request_.stopBits == 2 ? 2 : 1)});
    optional_ = {{kSetControl, kControlNoFlowControl, "SET-CONTROL no flow control", false},
                 {kSetControl, kControlDtrOff, "SET-CONTROL DTR off", false},
                 {kSetControl, kControlRtsOff, "SET-CONTROL RTS off", false},
                 {kPurgeData, kPurgeBoth, "PURGE-DATA", false}};
    for (const Optional& o : optional_)
        toSend += subnegotiation(kOptionComPort, {static_cast<char>(o.command), static_cast<char>(o.value)});
}

void ClientSession::checkRequired(std::uint8_t command, const std::string& value) {
    std::string asked;
    switch (command) {
    case kSetBaudRate: asked = baudPayload(request_.baud); break;
    case kSetDataSize: asked = std::string(1, static_cast<char>(request_.dataBits)); break;
    case kSetParity: asked = std::string(1, static_cast<char>(parityCode(request_.parity))); break;
    default: asked = std::string(1, static_cast<char>(request_.stopBits == 2 ? 2 : 1)); break;
    }
    if (requiredAnswered_[command] || phase_ != Phase::Configuring) {
        if (value != asked)
            note(std::string("server changed the ") + settingName(command) + " to " + valueText(command, value));
        return;
    }
    requiredAnswered_[command] = true;
    if (value != asked) {
        fail(std::string("the server refused the ") + settingName(command) + " " +
             valueText(command, asked) + " (it answered " + valueText(command, value) + ")");
        return;
    }
    if (std::all_of(requiredAnswered_.begin() + 1, requiredAnswered_.end(), [](bool b) { return b; }))
        phase_ = Phase::Ready;
}

void ClientSession::onComPort(const std::string& payload, std::string& toSend) {
    if (payload.empty()) {
        note("empty COM-PORT sub-negotiation ignored");
        return;
    }
    const auto code = static_cast<std::uint8_t>(payload[0]);
    const std::string value = payload.substr(1);
    if (code < kServerOffset) {
        note("COM-PORT command " + std::to_string(code) + " from the server ignored");
        return;
    }
    const std::uint8_t command = code - kServerOffset;
    switch (command) {
    case kSignature:
        if (value.empty())   // the server asks for ours
            toSend += subnegotiation(kOptionComPort, std::string(1, static_cast<char>(kSignature)) + kSignatureText);
        else
            note("server signature: " + value);
        break;
    case kSetBaudRate:
    case kSetDataSize:
    case kSetParity:
    case kSetStopSize:
        checkRequired(command, value);
        break;
    case kSetControl:
    case kPurgeData: {
        const std::uint8_t v = value.size() == 1 ? static_cast<std::uint8_t>(value[0]) : 0;
        bool matched = false;
        for (Optional& o : optional_) {
            if (o.command == command && !o.answered && o.value == v) {
                o.answered = true;
                matched = true;
                break;
            }
        }
        if (!matched)
            note((command == kPurgeData ? "PURGE-DATA" : "SET-CONTROL") + std::string(" answered with ") +
                 valueText(command, value));
        break;
    }
    case kFlowControlSuspend:
    case kFlowControlResume:
        note(command == kFlowControlSuspend ? "server asked to suspend sending (ignored)"
                                            : "server lets sending resume");
        break;
    default:
        break;   // line and modem state notifications, mask answers
    }
}

std::vector<std::string> ClientSession::unanswered() const {
    std::vector<std::string> out;
    for (const Optional& o : optional_)
        if (!o.answered)
            out.emplace_back(o.name);
    return out;
}

std::vector<std::string> ClientSession::takeNotes() {
    std::vector<std::string> out;
    out.swap(notes_);
    return out;
}

std::string ClientSession::encode(const char* data, std::size_t length) const {
    return telnet::encodeData(data, length, binaryOut());
}

}  // namespace rfc2217
