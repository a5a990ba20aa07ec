// Fault injection: each mode as a receiver sees it.
#include <unistd.h>

#include "sim_fixture.h"

namespace simtest {
namespace {

using Lines = std::vector<std::string>;
using sim::Fault;


class Faults : public SimFixture {
protected:
    std::uint32_t counterOf(const std::string& line)
    {
        const auto v = runtimeValues(line, '7');
        EXPECT_EQ(v.size(), 25u) << line;
        return v.empty() ? 0 : hexValue(v[0]);
    }
};

TEST_F(Faults, NoEchoSwallowsTheCommandsItCounts)
{
    sim_->setFault(Fault::NoEcho, 1);
    EXPECT_EQ(client_.transact("$R0=30\r$V\r"), (Lines{"$V", kVersion}));
    EXPECT_EQ(sim_->registerBits(0), 0x41A00000u);  // 20.0: the write was lost
    sim_->setFault(Fault::NoEcho, 3);
    EXPECT_EQ(client_.transact("$V\r$V\r$V\r$R0?\r"), (Lines{"$R0?", "20"}));

    sim_->setFault(Fault::NoEcho);  // until cleared
    sim_->clearReceived();
    client_.write("$V\r");
    // Wait (with a safety limit) until the command has been swallowed.
    for (int i = 0; i < 800 && sim_->receivedCommands().empty(); ++i)
        ::usleep(10 * 1000);
    ASSERT_EQ(sim_->receivedCommands(), (Lines{"$V"}));
    sim_->clearFaults();
    EXPECT_EQ(client_.transact("$V\r"), (Lines{"$V", kVersion}));
}

TEST_F(Faults, EchoWithoutData)
{
    sim_->setFault(Fault::EchoWithoutData, 1);
    EXPECT_EQ(client_.transact("$V\r$V\r"), (Lines{"$V", "$V", kVersion}));
}

TEST_F(Faults, LateReplyComesAfterLaterCommands)
{
    sim_->setFault(Fault::LateReply, 1);
    client_.write("$V\r$R0?\r");
    EXPECT_EQ(client_.readLine(), "$V");
    EXPECT_EQ(client_.readLine(), "$R0?");
    EXPECT_EQ(client_.readLine(), "20");
    EXPECT_EQ(client_.readLine(), kVersion);  // three seconds later
}

TEST_F(Faults, GarbageIsOnlyControlAndHighBytes)
{
    sim_->setFault(Fault::Garbage, 2);
    EXPECT_EQ(client_.transact("$V\r$R0?\r"), (Lines{"$V", kVersion, "$R0?", "20"}));
    int high = 0;
    for (unsigned char c : client_.rawBytes())
        high += c >= 0x80;
    EXPECT_GT(high, 0);
    // No line breaks are added: exactly one CR per line.
    int crs = 0;
    for (char c : client_.rawBytes())
        crs += c == '\r';
    EXPECT_EQ(crs, 6);  // four lines above plus the closing "$R43?" pair
}

TEST_F(Faults, OverlongLineComesBeforeTheReply)
{
    sim_->setFault(Fault::OverlongLine, 1);
    const Lines lines = client_.transact("$V\r");
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0].size(), 1100u);
    EXPECT_EQ(lines[1], "$V");
    EXPECT_EQ(lines[2], kVersion);
}

TEST_F(Faults, StreamStopsForItsCountOfLines)
{
    client_.write("$A7\r");
    const auto before = client_.readRuntimeLine();
    ASSERT_TRUE(before);
    sim_->setFault(Fault::StreamStops, 10);
    // Lines already on their way may still come; then ten samples are missing.
    std::uint32_t last = counterOf(*before);
    bool gap = false;
    for (int i = 0; i < 20 && !gap; ++i) {
        const auto line = client_.readRuntimeLine();
        ASSERT_TRUE(line);
        const std::uint32_t c = counterOf(*line);
        gap = c - last > 10;
        last = c;
    }
    EXPECT_TRUE(gap);
}

TEST_F(Faults, StreamStopsUntilCleared)
{
    client_.write("$A7\r");
    ASSERT_TRUE(client_.readRuntimeLine());
    sim_->setFault(Fault::StreamStops);
    client_.write("$V\r");
    client_.readUntil([](const std::string& l) { return l == kVersion; });
    EXPECT_TRUE(sim_->streaming());  // still on, but silent
    client_.write("$R0?\r");
    EXPECT_EQ(client_.readLine(), "$R0?");  // no runtime line in between
    EXPECT_EQ(client_.readLine(), "20");
    sim_->clearFaults();
    EXPECT_TRUE(client_.readRuntimeLine());
}

TEST_F(Faults, StreamInReplyPutsARuntimeLineBetweenEchoAndData)
{
    sim_->setFault(Fault::StreamInReply, 1);
    // transact() skips runtime lines, so look at the bytes in their order.
    EXPECT_EQ(client_.transact("$V\r"), (Lines{"$V", kVersion}));
    const std::string& raw = client_.rawBytes();
    const std::size_t echo = raw.find("$V\r\n");
    const std::size_t record = raw.find("\r\n[7 ", echo);
    const std::size_t version = raw.find(kVersion, echo);
    ASSERT_NE(echo, std::string::npos);
    ASSERT_NE(record, std::string::npos);
    EXPECT_LT(record, version);
}

TEST_F(Faults, StopsReadingBacksUpTheClientsWrites)
{
    sim_->setFault(Fault::StopsReading);
    ::usleep(100 * 1000);  // let the sim take the master out of its poll
    const std::size_t limit = 4 << 20;
    const std::size_t taken = client_.writeUntilBlocked('x', limit);
    EXPECT_LT(taken, limit);
    sim_->clearFaults();
    client_.write("\r$V\r");
    client_.readUntil([](const std::string& l) { return l == "$V"; });
    EXPECT_EQ(client_.readReplyLine(), kVersion);
}

TEST_F(Faults, StatusNumbersCanBeSet)
{
    sim_->setStatusNumbers(12, 7);
    EXPECT_EQ(client_.transact("$SC\r$S\r"), (Lines{"$SC", "12,7", "$S", "0,0"}));
}

TEST_F(Faults, WrongWriteReplyAnswersAnotherAddress)
{
    client_.write("$B\r\n");
    for (int i = 0; i < 5; ++i)
        client_.readReplyLine();
    sim_->setFault(Fault::WrongWriteReply, 1);
    client_.write("a000300\n\rp1234\n\rp5678\n\r");
    EXPECT_EQ(client_.readLine(), "a000300");
    EXPECT_EQ(client_.readLine(), "000300");
    EXPECT_EQ(client_.readLine(), "p1234");
    EXPECT_EQ(client_.readLine(), "000302");  // wrong: the write was at 000300
    EXPECT_EQ(client_.readLine(), "p5678");
    EXPECT_EQ(client_.readLine(), "000302");  // right again
}

TEST_F(Faults, FaultBoundToARegister)
{
    sim_->failAtRegister(45, Fault::NoEcho);
    EXPECT_EQ(client_.transact("$R44?\r$R45?\r$RN45?\r$R46?\r"),
              (Lines{"$R44?", "0", "$R46?", "10"}));
    sim_->clearFaults();
    EXPECT_EQ(client_.transact("$R45?\r"), (Lines{"$R45?", "30"}));
}

TEST_F(Faults, VanishAtARegisterHangsUpMidTransaction)
{
    sim_->failAtRegister(12, Fault::Vanish);
    EXPECT_EQ(client_.transact("$R11?\r"), (Lines{"$R11?", "1"}));
    client_.write("$R12?\r");
    EXPECT_FALSE(client_.readLine());
    EXPECT_TRUE(client_.hungUp());
    const auto log = sim_->receivedCommands();
    ASSERT_FALSE(log.empty());
    EXPECT_EQ(log.back(), "$R12?");
}

}  // namespace
}  // namespace simtest
