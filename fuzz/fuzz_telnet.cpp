// The Telnet decoder and the RFC 2217 session on arbitrary bytes from a
// server: never a crash, and the data bytes passed on are exactly the bytes
// outside the protocol's commands, as an independent decode finds them,
// however the input is split into reads.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "link/rfc2217_session.h"
#include "link/telnet_codec.h"

namespace {

constexpr std::uint8_t IAC = 255, SB = 250, SE = 240, WILL = 251, DONT = 254;

// The data bytes by a second reading of the rules: IAC IAC is 0xFF; IAC
// WILL/WONT/DO/DONT takes one more byte; IAC SB takes the option and the
// payload up to IAC SE (IAC IAC inside it is payload; IAC and another byte
// ends it there, and that IAC starts a command again); IAC and any other
// byte is a two-byte command. An incomplete command at the end gives nothing.
std::string referenceData(const std::uint8_t* b, std::size_t n) {
    std::string data;
    std::size_t i = 0;
    while (i < n) {
        if (b[i] != IAC) {
            data.push_back(static_cast<char>(b[i++]));
            continue;
        }
        if (i + 1 >= n)
            break;
        const std::uint8_t next = b[i + 1];
        if (next == IAC) {
            data.push_back(static_cast<char>(IAC));
            i += 2;
        } else if (next >= WILL && next <= DONT) {
            i += 3;
        } else if (next == SB) {
            std::size_t j = i + 3;   // past the option byte
            bool resumed = false;
            while (j < n) {
                if (b[j] != IAC) {
                    ++j;
                } else if (j + 1 >= n) {
                    j = n;
                } else if (b[j + 1] == IAC) {
                    j += 2;
                } else if (b[j + 1] == SE) {
                    j += 2;
                    resumed = true;
                    break;
                } else {
                    resumed = true;   // that IAC begins the next command
                    break;
                }
            }
            if (!resumed)
                break;
            i = j;
        } else {
            i += 2;
        }
    }
    return data;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string expected = referenceData(data, size);

    // Whole, and split into reads at two places chosen by the input.
    const std::size_t cutA = size == 0 ? 0 : data[0] % (size + 1);
    const std::size_t cutB = size == 0 ? 0 : cutA + (data[size - 1] % (size - cutA + 1));
    telnet::Decoder whole, split;
    std::string wholeData, splitData;
    std::vector<telnet::Event> wholeEvents, splitEvents;
    whole.feed(data, size, wholeData, wholeEvents);
    split.feed(data, cutA, splitData, splitEvents);
    split.feed(data + cutA, cutB - cutA, splitData, splitEvents);
    split.feed(data + cutB, size - cutB, splitData, splitEvents);
    if (wholeData != expected || splitData != expected || wholeEvents != splitEvents)
        __builtin_trap();
    for (const telnet::Event& e : wholeEvents)
        if (e.payload.size() > telnet::Decoder::kMaxPayload)
            __builtin_trap();

    // The session passes the same data on, whatever it answers.
    rfc2217::ClientSession session(rfc2217::LineRequest{});
    std::string sessionData, answers = session.start();
    session.receive(data, size, sessionData, answers);
    if (sessionData != expected)
        __builtin_trap();

    // What the link sends decodes to itself and nothing else.
    const std::string wire = telnet::encodeData(expected.data(), expected.size(), true);
    telnet::Decoder back;
    std::string again;
    std::vector<telnet::Event> none;
    back.feed(reinterpret_cast<const std::uint8_t*>(wire.data()), wire.size(), again, none);
    if (again != expected || !none.empty())
        __builtin_trap();
    return 0;
}
