// The Telnet framing and the RFC 2217 client session, without a socket:
// bytes in, data, events and answers out.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "link/port_url.h"
#include "link/rfc2217_session.h"
#include "link/telnet_codec.h"

namespace {

using namespace telnet;

std::string bytes(std::initializer_list<int> list) {
    std::string out;
    for (int b : list)
        out.push_back(static_cast<char>(b));
    return out;
}

struct Decoded {
    std::string data;
    std::vector<Event> events;
};

// Feeds `input` one byte at a time and whole; both must agree.
Decoded decodeBothWays(const std::string& input) {
    Decoded whole, split;
    Decoder a, b;
    a.feed(reinterpret_cast<const std::uint8_t*>(input.data()), input.size(), whole.data, whole.events);
    for (char c : input) {
        const auto byte = static_cast<std::uint8_t>(c);
        b.feed(&byte, 1, split.data, split.events);
    }
    EXPECT_EQ(whole.data, split.data);
    EXPECT_EQ(whole.events, split.events);
    return whole;
}

TEST(TelnetDecoder, SeparatesDataFromCommandsWhereverTheReadsSplit) {
    const std::string input = "ab" + bytes({kIac, kIac}) + "c" + bytes({kIac, kDo, 44}) + "\r\n" +
                              bytes({kIac, kSb, 44, 101, 0, kIac, kIac, 0, 0, kIac, kSe}) +
                              bytes({kIac, 241}) + "d";
    const Decoded d = decodeBothWays(input);
    EXPECT_EQ(d.data, "ab\xFF" "c\r\nd");
    ASSERT_EQ(d.events.size(), 3u);
    EXPECT_EQ(d.events[0].type, Event::Type::Negotiation);
    EXPECT_EQ(d.events[0].verb, kDo);
    EXPECT_EQ(d.events[0].option, 44);
    EXPECT_EQ(d.events[1].type, Event::Type::Subnegotiation);
    EXPECT_EQ(d.events[1].payload, bytes({101, 0, 0xFF, 0, 0}));
    EXPECT_EQ(d.events[2].type, Event::Type::Command);
    EXPECT_EQ(d.events[2].verb, 241);
}

TEST(TelnetDecoder, BrokenAndOverlongSubnegotiationsEndWithoutEatingData) {
    // IAC WILL inside a sub-negotiation ends it and is read as a command.
    Decoded d = decodeBothWays(bytes({kIac, kSb, 44, 1, 2, kIac, kWill, 3}) + "xy");
    EXPECT_EQ(d.data, "xy");
    ASSERT_EQ(d.events.size(), 2u);
    EXPECT_EQ(d.events[0].payload, bytes({1, 2}));
    EXPECT_EQ(d.events[1].verb, kWill);

    std::string longSub = bytes({kIac, kSb, 44}) + std::string(Decoder::kMaxPayload + 50, 'p') +
                          bytes({kIac, kSe}) + "z";
    d = decodeBothWays(longSub);
    EXPECT_EQ(d.data, "z");
    ASSERT_EQ(d.events.size(), 1u);
    EXPECT_TRUE(d.events[0].truncated);
    EXPECT_EQ(d.events[0].payload.size(), Decoder::kMaxPayload);
}

TEST(TelnetEncoder, DoublesIacAndPadsCarriageReturnOnlyOutsideBinary) {
    const std::string data = "$R1=\xFF\r";
    EXPECT_EQ(encodeData(data.data(), data.size(), true), "$R1=\xFF\xFF\r");
    EXPECT_EQ(encodeData(data.data(), data.size(), false), std::string("$R1=\xFF\xFF\r\0", 8));
    EXPECT_EQ(subnegotiation(44, bytes({1, 0, 0, 0xFF, 0xFF})),
              bytes({kIac, kSb, 44, 1, 0, 0, kIac, kIac, kIac, kIac, kIac, kSe}));
    // What is encoded decodes to the same data and nothing else.
    std::string all;
    for (int i = 0; i < 256; ++i)
        all.push_back(static_cast<char>(i));
    const std::string wire = encodeData(all.data(), all.size(), true);
    const Decoded d = decodeBothWays(wire);
    EXPECT_EQ(d.data, all);
    EXPECT_TRUE(d.events.empty());
}

// A server as ser2net in front of a pseudo-terminal answers: the options
// first, then every setting except DTR and RTS.
class ComPortSession : public ::testing::Test {
protected:
    ComPortSession() : session(rfc2217::LineRequest{19200, 8, 0, 1}) {}
    void serverSends(const std::string& input) {
        session.receive(reinterpret_cast<const std::uint8_t*>(input.data()), input.size(), data, answers);
    }
    static std::string ack(int command, const std::string& value) {
        return subnegotiation(kOptionComPort, std::string(1, static_cast<char>(command + 100)) + value);
    }
    rfc2217::ClientSession session;
    std::string data;
    std::string answers;
};

TEST_F(ComPortSession, NegotiatesThenSendsTheSettingsAndIsReadyOnTheirAnswers) {
    const std::string opening = session.start();
    EXPECT_NE(opening.find(negotiation(kWill, kOptionComPort)), std::string::npos);
    EXPECT_NE(opening.find(negotiation(kDo, kOptionBinary)), std::string::npos);
    EXPECT_EQ(session.phase(), rfc2217::ClientSession::Phase::Negotiating);

    // ser2net's greeting: SGA both ways, WILL ECHO (refused), BINARY, COM-PORT.
    serverSends(bytes({kIac, kWill, 3, kIac, kDo, 3, kIac, kWill, 1, kIac, kDont, 1, kIac, kDo, 0,
                       kIac, kWill, 0, kIac, kDo, 44}) + "late");
    EXPECT_EQ(data, "late");
    EXPECT_EQ(session.phase(), rfc2217::ClientSession::Phase::Configuring);
    EXPECT_TRUE(session.binaryOut());
    // Only the refusal of the echo, then the settings: nothing already agreed is repeated.
    const std::string expected =
        negotiation(kDont, kOptionEcho) +
        subnegotiation(kOptionComPort, bytes({1}) + rfc2217::baudPayload(19200)) +
        subnegotiation(kOptionComPort, bytes({2, 8})) + subnegotiation(kOptionComPort, bytes({3, 1})) +
        subnegotiation(kOptionComPort, bytes({4, 1})) + subnegotiation(kOptionComPort, bytes({5, 1})) +
        subnegotiation(kOptionComPort, bytes({5, 9})) + subnegotiation(kOptionComPort, bytes({5, 12})) +
        subnegotiation(kOptionComPort, bytes({12, 3}));
    EXPECT_EQ(answers, expected);

    answers.clear();
    serverSends(ack(12, bytes({3})) + ack(1, rfc2217::baudPayload(19200)) + ack(2, bytes({8})) +
                ack(3, bytes({1})));
    EXPECT_EQ(session.phase(), rfc2217::ClientSession::Phase::Configuring);
    serverSends(ack(4, bytes({1})) + ack(5, bytes({1})) + ack(0, ""));
    EXPECT_EQ(session.phase(), rfc2217::ClientSession::Phase::Ready);
    // Its signature asked for, ours is sent; DTR and RTS stay unanswered.
    EXPECT_EQ(answers, subnegotiation(kOptionComPort, std::string(1, '\0') + rfc2217::kSignatureText));
    EXPECT_EQ(session.unanswered(), (std::vector<std::string>{"SET-CONTROL DTR off", "SET-CONTROL RTS off"}));
    EXPECT_EQ(session.encode("\xFF\r", 2), "\xFF\xFF\r");
}

TEST_F(ComPortSession, RefusalsFailTheSessionWithTheirReason) {
    session.start();
    serverSends(bytes({kIac, kDo, 44}));
    serverSends(ack(1, rfc2217::baudPayload(9600)));
    EXPECT_EQ(session.phase(), rfc2217::ClientSession::Phase::Failed);
    EXPECT_EQ(session.failure(), "the server refused the bit rate 19200 (it answered 9600)");

    rfc2217::ClientSession parity(rfc2217::LineRequest{115200, 8, 2, 1});
    parity.start();
    std::string ignored;
    const std::string input = bytes({kIac, kDo, 44}) + ack(3, bytes({1}));
    parity.receive(reinterpret_cast<const std::uint8_t*>(input.data()), input.size(), ignored, ignored);
    EXPECT_EQ(parity.failure(), "the server refused the parity even (it answered none)");

    rfc2217::ClientSession refused(rfc2217::LineRequest{});
    refused.start();
    const std::string dont = bytes({kIac, kDont, 44});
    refused.receive(reinterpret_cast<const std::uint8_t*>(dont.data()), dont.size(), ignored, ignored);
    EXPECT_EQ(refused.phase(), rfc2217::ClientSession::Phase::Failed);
    EXPECT_NE(refused.failure().find("refuses the COM-PORT option"), std::string::npos);
}

TEST(PortUrl, BothFormsAndTheirMistakes) {
    std::optional<PortUrl> url = parsePortUrl("rfc2217://192.168.1.5:4001");
    ASSERT_TRUE(url);
    EXPECT_EQ(url->kind, PortUrl::Kind::Rfc2217);
    EXPECT_EQ(url->host, "192.168.1.5");
    EXPECT_EQ(url->port, 4001);
    url = parsePortUrl("SOCKET://[::1]:23/");
    ASSERT_TRUE(url);
    EXPECT_EQ(url->kind, PortUrl::Kind::RawSocket);
    EXPECT_EQ(url->host, "::1");
    EXPECT_TRUE(portRateIsFixed("socket://box:2000"));
    EXPECT_FALSE(portRateIsFixed("rfc2217://box:2000"));
    EXPECT_FALSE(portRateIsFixed("/dev/ttyUSB0"));
    EXPECT_TRUE(isNetworkPortName("rfc2217://"));
    EXPECT_FALSE(isNetworkPortName("/dev/rfc2217"));

    std::string why;
    EXPECT_FALSE(parsePortUrl("rfc2217://box", &why));
    EXPECT_EQ(why, "rfc2217://box: no port number (the form is rfc2217://HOST:PORT)");
    EXPECT_FALSE(parsePortUrl("socket://box:70000", &why));
    EXPECT_EQ(why, "socket://box:70000: '70000' is not a TCP port number (1 to 65535; the form is "
                   "socket://HOST:PORT)");
    EXPECT_FALSE(parsePortUrl("rfc2217://:4000", &why));
    EXPECT_NE(why.find("no host"), std::string::npos);
    EXPECT_FALSE(parsePortUrl("rfc2217://a b:4000", &why));
    EXPECT_FALSE(parsePortUrl("rfc2217://[::1:4000", &why));
}

}  // namespace
