// The port itself: the symlink, clients that come and go, the device
// vanishing and reappearing, pacing and latency.
#include <sys/stat.h>
#include <unistd.h>

#include "sim_fixture.h"

namespace simtest {
namespace {

using Lines = std::vector<std::string>;


std::string uniqueLink(const char* name)
{
    return "/tmp/tq-sim-test-" + std::to_string(::getpid()) + "-" + name;
}

bool exists(const std::string& path)
{
    struct stat st{};
    return ::lstat(path.c_str(), &st) == 0;
}

TEST(PortLifecycle, SymlinkReplacesAStaleOneAndGoesAwayOnStop)
{
    const std::string link = uniqueLink("stale");
    ASSERT_EQ(::symlink("/nonexistent/ttyX", link.c_str()), 0);
    sim::SimOptions options;
    options.linkPath = link;
    sim::VirtualRegulator regulator(options);
    ASSERT_TRUE(regulator.start());
    EXPECT_EQ(regulator.slavePath(), link);
    PtyClient client(link);
    ASSERT_TRUE(client.isOpen());
    EXPECT_EQ(client.transact("$V\r"), (Lines{"$V", kVersion}));
    client.close();
    regulator.stop();
    EXPECT_FALSE(exists(link));
}

TEST(PortLifecycle, WithoutLinkTheSlaveNameIsThePort)
{
    sim::VirtualRegulator regulator;
    ASSERT_TRUE(regulator.start());
    EXPECT_EQ(regulator.slavePath().rfind("/dev/pts/", 0), 0u) << regulator.slavePath();
}

TEST(PortLifecycle, ClientReopensTheStreamingPortRepeatedly)
{
    sim::SimOptions options;
    options.startStreaming = true;
    sim::VirtualRegulator regulator(options);
    ASSERT_TRUE(regulator.start());
    for (int round = 0; round < 5; ++round) {
        PtyClient client(regulator.slavePath());
        ASSERT_TRUE(client.isOpen()) << "round " << round;
        // The first line after opening is a whole line, not a stale tail.
        const auto first = client.readLine();
        ASSERT_TRUE(first);
        EXPECT_EQ(runtimeValues(*first, '7').size(), 25u) << *first;
        client.write("$V\r");
        client.readUntil([](const std::string& l) { return l == "$V"; });
        EXPECT_EQ(client.readReplyLine(), kVersion);
    }
    regulator.stop();
}

TEST(PortLifecycle, ExclusiveClientCanReopenThroughTheLink)
{
    // A serial engine locks its port with TIOCEXCL; a pseudo-terminal keeps
    // that lock after the close, which would refuse the next open.
    const std::string link = uniqueLink("exclusive");
    sim::SimOptions options;
    options.linkPath = link;
    sim::VirtualRegulator regulator(options);
    ASSERT_TRUE(regulator.start());
    PtyClient client;
    for (int round = 0; round < 3; ++round) {
        // The sim notices the close on its own, a moment later: retry the
        // open for a while (a safety limit, not a timing requirement).
        bool opened = client.open(link);
        for (int i = 0; i < 300 && !opened; ++i) {
            ::usleep(10 * 1000);
            opened = client.open(link);
        }
        ASSERT_TRUE(opened) << "round " << round;
        client.lockExclusive();
        EXPECT_EQ(client.transact("$V\r"), (Lines{"$V", kVersion}));
        client.close();
    }
    regulator.stop();
}

TEST(PortLifecycle, NothingIsSentWhileNoClientListens)
{
    sim::VirtualRegulator regulator;
    ASSERT_TRUE(regulator.start());
    {
        PtyClient client(regulator.slavePath());
        client.write("$A7\r");
        ASSERT_EQ(client.readLine(), "$A7");
    }
    // The stream runs on with nobody listening; a new client then starts
    // with a fresh line.
    ::usleep(300 * 1000);
    PtyClient client(regulator.slavePath());
    client.write("$A\r");
    const auto lines = client.readUntil([](const std::string& l) { return l == "$A"; });
    ASSERT_FALSE(lines.empty());
    for (const auto& line : lines)
        EXPECT_TRUE(line == "$A" || runtimeValues(line, '7').size() == 25u) << line;
}

TEST(PortLifecycle, VanishHangsUpAndReappearServesOnTheSameLink)
{
    const std::string link = uniqueLink("vanish");
    sim::SimOptions options;
    options.linkPath = link;
    sim::VirtualRegulator regulator(options);
    ASSERT_TRUE(regulator.start());
    PtyClient client(link);
    EXPECT_EQ(client.transact("$V\r"), (Lines{"$V", kVersion}));

    regulator.vanish();
    EXPECT_FALSE(client.readLine());
    EXPECT_TRUE(client.hungUp());
    EXPECT_FALSE(exists(link));
    client.close();

    std::string error;
    ASSERT_TRUE(regulator.reappear(&error)) << error;
    EXPECT_TRUE(exists(link));
    ASSERT_TRUE(client.open(link));
    EXPECT_EQ(client.transact("$V\r"), (Lines{"$V", kVersion}));
    regulator.stop();
}

TEST(PortLifecycle, VanishFaultAtTheNextCommand)
{
    sim::VirtualRegulator regulator;
    ASSERT_TRUE(regulator.start());
    PtyClient client(regulator.slavePath());
    regulator.setFault(sim::Fault::Vanish);
    client.write("$V\r");
    EXPECT_FALSE(client.readLine());
    EXPECT_TRUE(client.hungUp());
}

TEST(PortLifecycle, PacingAtLowBaudThinsTheStream)
{
    // 9600 baud carries about four format-7 lines per second: the board
    // skips the samples its transmitter cannot take.
    sim::SimOptions options;
    options.baud = 9600;
    options.startStreaming = true;
    sim::VirtualRegulator regulator(options);
    ASSERT_TRUE(regulator.start());
    PtyClient client(regulator.slavePath());
    std::uint32_t last = 0;
    int gaps = 0;
    for (int i = 0; i < 4; ++i) {
        const auto line = client.readRuntimeLine();
        ASSERT_TRUE(line);
        const auto v = runtimeValues(*line, '7');
        ASSERT_EQ(v.size(), 25u) << *line;
        const std::uint32_t c = hexValue(v[0]);
        if (i > 0 && c - last > 1)
            ++gaps;
        last = c;
    }
    EXPECT_EQ(gaps, 3);
}

TEST(PortLifecycle, ReplyLatencyLetsTheStreamOvertakeReplies)
{
    sim::SimOptions options;
    options.replyLatencyMs = 400;
    options.startStreaming = true;
    sim::VirtualRegulator regulator(options);
    ASSERT_TRUE(regulator.start());
    PtyClient client(regulator.slavePath());
    ASSERT_TRUE(client.readRuntimeLine());
    client.write("$V\r");
    const auto lines = client.readUntil([](const std::string& l) { return l == "$V"; });
    // 400 ms at 20 lines per second: several runtime lines come first.
    EXPECT_GE(lines.size(), 4u);
    EXPECT_EQ(client.readReplyLine(), kVersion);
}

}  // namespace
}  // namespace simtest
