// The runtime stream: start and stop, both line formats, the status word.
#include <cmath>
#include <cstring>

#include "sim_fixture.h"

namespace simtest {
namespace {

class RuntimeStream : public SimFixture {};

TEST_F(RuntimeStream, Format7CarriesTwentyFiveHexadecimalValues)
{
    client_.write("$A7\r");
    EXPECT_EQ(client_.readLine(), "$A7");
    EXPECT_TRUE(sim_->streaming());
    for (int i = 0; i < 3; ++i) {
        const auto line = client_.readRuntimeLine();
        ASSERT_TRUE(line);
        const auto v = runtimeValues(*line, '7');
        ASSERT_EQ(v.size(), 25u) << *line;
        for (int k = 4; k < 23; ++k)
            EXPECT_EQ(v[k].size(), 8u) << "value " << k + 1 << " of " << *line;
        EXPECT_NEAR(hexFloat(v[7]), 22.0f, 3.0f);   // T1 near room temperature
        EXPECT_NEAR(hexFloat(v[12]), 20.0f, 1e-6);  // set point St1
        EXPECT_NEAR(hexFloat(v[19]), 12.2f, 0.3f);  // input voltage
    }
}

TEST_F(RuntimeStream, Format6CarriesTwentyTwoValues)
{
    client_.write("$A6\r");
    EXPECT_EQ(client_.readLine(), "$A6");
    const auto line = client_.readRuntimeLine();
    ASSERT_TRUE(line);
    const auto v = runtimeValues(*line, '6');
    ASSERT_EQ(v.size(), 22u) << *line;
    EXPECT_NE(v[4].find('.'), std::string::npos);  // decimal reals from field 5 on
    EXPECT_NEAR(std::stod(v[12]), 20.0, 1e-6);     // St1
}

TEST_F(RuntimeStream, SampleCounterCountsUpOnePerLine)
{
    // The counter counts samples: a loaded machine may make the board skip a
    // line now and then, so steps of one must dominate and none may go back.
    client_.write("$A7\r");
    std::vector<unsigned long> counts;
    for (int i = 0; i < 8; ++i) {
        const auto line = client_.readRuntimeLine();
        ASSERT_TRUE(line);
        counts.push_back(hexValue(runtimeValues(*line, '7')[0]));
    }
    int stepsOfOne = 0;
    for (std::size_t i = 1; i < counts.size(); ++i) {
        EXPECT_GT(counts[i], counts[i - 1]);
        stepsOfOne += counts[i] == counts[i - 1] + 1;
    }
    EXPECT_GE(stepsOfOne, 4);
}

TEST_F(RuntimeStream, StopEndsTheStreamAtItsEcho)
{
    client_.write("$A7\r");
    ASSERT_TRUE(client_.readRuntimeLine());
    client_.write("$A\r$V\r");
    client_.readUntil([](const std::string& l) { return l == "$A"; });
    EXPECT_FALSE(sim_->streaming());
    // All output leaves in order, so nothing streamed after the echo of
    // "$A" can come before the version.
    EXPECT_EQ(client_.readLine(), "$V");
    EXPECT_EQ(client_.readLine(), "TQ-REG V0.215 virtual");
}

TEST_F(RuntimeStream, RebootStopsTheStream)
{
    client_.write("$A7\r");
    ASSERT_TRUE(client_.readRuntimeLine());
    client_.write("$BC\r$V\r");
    client_.readUntil([](const std::string& l) { return l == "$BC"; });
    EXPECT_EQ(client_.readLine(), "REBOOT");
    EXPECT_EQ(client_.readLine(), "$V");
    EXPECT_FALSE(sim_->streaming());
}

TEST_F(RuntimeStream, StatusWordShowsStartupDelayThenFollowsEnabledLimits)
{
    client_.write("$A7\r");
    auto status = [&](std::uint32_t* counter = nullptr) {
        const auto v = runtimeValues(client_.readRuntimeLine().value_or(""), '7');
        EXPECT_EQ(v.size(), 25u);
        if (v.size() != 25u)
            return 0u;
        if (counter)
            *counter = hexValue(v[0]);
        return hexValue(v[1]);
    };
    std::uint32_t counter = 0;
    const std::uint32_t first = status(&counter);
    if (counter < 50) {
        EXPECT_EQ(first & 1u, 1u);  // start-up delay first
    }
    // Three seconds of samples later the delay is over.
    while (counter < 62)
        ASSERT_EQ(status(&counter) & ~1u, 0u);
    EXPECT_EQ(status(), 0u);

    // Input over-voltage limit below the supply: bit 4 while enabled.
    client_.write("$R53=10\r");
    client_.readUntil([](const std::string& l) { return l == "$R53=10"; });
    EXPECT_EQ(status(), 0x10u);
    client_.write("$R91=0\r");  // all electrical enables off
    client_.readUntil([](const std::string& l) { return l == "$R91=0"; });
    EXPECT_EQ(status(), 0u);
    // T1 low limit above the room: bit 17 (enabled by default).
    client_.write("$R72=30\r");
    client_.readUntil([](const std::string& l) { return l == "$R72=30"; });
    EXPECT_EQ(status(), 0x20000u);
    // A sensor without a model is reported missing (sensor 3: bit 27).
    client_.write("$R72=-40\r$R57=0\r");
    client_.readUntil([](const std::string& l) { return l == "$R57=0"; });
    EXPECT_EQ(status(), 0x08000000u);
}

TEST_F(RuntimeStream, StartStreamingOptionStreamsFromTheFirstSample)
{
    client_.close();
    sim_->stop();
    sim::SimOptions options;
    options.startStreaming = true;
    options.streamFormat = 6;
    startSim(options);
    const auto line = client_.readRuntimeLine();
    ASSERT_TRUE(line);
    EXPECT_EQ(runtimeValues(*line, '6').size(), 22u) << *line;
}

TEST_F(RuntimeStream, DemoOptionRegulatesFromTheStart)
{
    client_.close();
    sim_->stop();
    sim::SimOptions options;
    options.demo = true;
    options.startStreaming = true;
    startSim(options);
    const auto v = runtimeValues(client_.readRuntimeLine().value_or(""), '7');
    ASSERT_EQ(v.size(), 25u);
    EXPECT_EQ(hexValue(v[3]) & 1u, 1u);          // running
    EXPECT_EQ(hexFloat(v[12]), 10.0f);           // set point
    EXPECT_EQ(query("$R13?"), "134");            // PID with Autostart
    EXPECT_EQ(query("$BC"), "REBOOT");           // kept in FLASH
    EXPECT_EQ(query("$R0?"), "10");
}

}  // namespace
}  // namespace simtest
