#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>

#include <gtest/gtest.h>

#include "recording_sink.h"
#include "runtime/runtime_fan_out.h"
#include "runtime/runtime_log.h"
#include "sample_lines.h"

using testlines::decimalLine;
using testlines::distinctSample;
using testlines::ieeeLine;

namespace {

std::string field(const RecordingSink& sink, PanelField f)
{
    const auto it = sink.panel.find(f);
    return it == sink.panel.end() ? std::string("<none>") : it->second;
}

RuntimeSample withError(std::uint32_t word)
{
    RuntimeSample s = distinctSample();
    s.g_error = word;
    return s;
}

}  // namespace

TEST(RuntimeFanOut, FirstValidSampleRunsTheWholeFanOutInOrder)
{
    RecordingSink sink;
    RuntimeFanOut fanOut(sink);
    fanOut.sampleTick();
    ASSERT_TRUE(fanOut.decode(ieeeLine(withError(0x00000008)).c_str()));
    const std::vector<std::string> order = {"rx-lamp", "graph", "alarm-lamp", "alarm", "status"};
    ASSERT_GE(sink.calls.size(), order.size() + 12);
    EXPECT_EQ(std::vector<std::string>(sink.calls.begin(), sink.calls.begin() + 5), order);
    EXPECT_EQ(sink.lamps[0], std::make_pair(PanelLamp::Receive, 250));
    EXPECT_EQ(sink.lamps[1], std::make_pair(PanelLamp::Alarm, 500));
    EXPECT_EQ(sink.statuses.back(), "00000008 [Regulator overload]\n");
    EXPECT_EQ(sink.alarms.back(), "00000008 [Regulator overload]");
    EXPECT_EQ(field(sink, PanelField::Main), "25");
    EXPECT_EQ(field(sink, PanelField::Fan1), "6");   // 6.5 rounds to even
    EXPECT_EQ(field(sink, PanelField::Fan2), "7");
    EXPECT_EQ(field(sink, PanelField::MainCurrent), "3.50");
    EXPECT_EQ(field(sink, PanelField::Uext), "2.5");
    EXPECT_EQ(field(sink, PanelField::Uin), "24.2");  // 24.25 is exact: ties to even
    EXPECT_EQ(field(sink, PanelField::T1), "21.12");
    EXPECT_EQ(field(sink, PanelField::T2), "-3.50");
    EXPECT_EQ(field(sink, PanelField::T4), "33.75");
    EXPECT_EQ(field(sink, PanelField::Sp1), "20.00");
    EXPECT_EQ(field(sink, PanelField::Tr1), "21.00");
    EXPECT_EQ(field(sink, PanelField::Fan1Current), "<none>");  // not in service mode
    EXPECT_TRUE(sink.versions.empty());
    EXPECT_FALSE(fanOut.refreshDue());
    EXPECT_EQ(fanOut.missedSampleTicks(), 0);
}

TEST(RuntimeFanOut, FanCurrentsOnlyInServiceMode)
{
    RecordingSink sink;
    RuntimeFanOut fanOut(sink);
    fanOut.setServiceMode(true);
    ASSERT_TRUE(fanOut.decode(ieeeLine(distinctSample()).c_str()));
    EXPECT_EQ(field(sink, PanelField::Fan1Current), "0.75");
    EXPECT_EQ(field(sink, PanelField::Fan2Current), "0.88");
}

TEST(RuntimeFanOut, FahrenheitDisplayOfTemperatures)
{
    RecordingSink sink;
    RuntimeFanOut fanOut(sink);
    fanOut.setCelsius(false);
    RuntimeSample s = distinctSample();
    // The ice point of a calibration reads exactly 0 and is 32 °F like any other.
    const std::pair<float, const char*> cases[] = {{25.0f, "77.00"}, {-40.0f, "-40.00"},
                                                   {0.0f, "32.00"}};
    for (const auto& [celsius, shown] : cases) {
        s.fgTa1 = celsius;
        fanOut.refreshTick();
        ASSERT_TRUE(fanOut.decode(ieeeLine(s).c_str()));
        EXPECT_EQ(field(sink, PanelField::T1), shown) << celsius;
    }
    // The sample itself stays in Celsius.
    EXPECT_EQ(fanOut.sample().fgTa1, 0.0f);
    fanOut.setCelsius(true);
    s.fgTa1 = 25.0f;
    fanOut.refreshTick();
    ASSERT_TRUE(fanOut.decode(ieeeLine(s).c_str()));
    EXPECT_EQ(field(sink, PanelField::T1), "25.00");
}

TEST(RuntimeFanOut, AlarmLampIgnoresStartupDelay)
{
    RecordingSink sink;
    RuntimeFanOut fanOut(sink);
    ASSERT_TRUE(fanOut.decode(ieeeLine(withError(1)).c_str()));
    EXPECT_EQ(sink.lampCount(PanelLamp::Alarm), 0);
    fanOut.refreshTick();
    ASSERT_TRUE(fanOut.decode(ieeeLine(withError(2)).c_str()));
    EXPECT_EQ(sink.lampCount(PanelLamp::Alarm), 1);
}

TEST(RuntimeFanOut, MalformedLineClearsThePanelOnly)
{
    RecordingSink sink;
    RuntimeFanOut fanOut(sink);
    std::string line = ieeeLine(distinctSample());
    line[1] = '5';
    fanOut.sampleTick();
    EXPECT_FALSE(fanOut.decode(line.c_str()));
    EXPECT_EQ(sink.statuses, std::vector<std::string>({"--", "error - runtime data invalid"}));
    EXPECT_EQ(sink.panel.size(), 12u);
    for (const auto& [f, text] : sink.panel) EXPECT_EQ(text, "--") << panelFieldName(f);
    EXPECT_TRUE(sink.lamps.empty());
    EXPECT_TRUE(sink.graphs.empty());
    EXPECT_TRUE(fanOut.refreshDue());  // the gate waits for a valid sample
    EXPECT_EQ(fanOut.missedSampleTicks(), 1);
}

TEST(RuntimeFanOut, OnlyRuntimeLineNotificationsAreDecoded)
{
    RecordingSink sink;
    RuntimeFanOut fanOut(sink);
    const std::string line = ieeeLine(distinctSample());
    fanOut.onNotify(3, static_cast<int>(line.size()), line.c_str());
    fanOut.onNotify(0, 16, "MGR::Connected!");
    EXPECT_TRUE(sink.calls.empty());
    fanOut.onNotify(1, static_cast<int>(line.size()), line.c_str());
    EXPECT_EQ(fanOut.sample(), distinctSample());
}

TEST(RuntimeFanOut, PanelFollowsOneSamplePerRefreshTick)
{
    // 20 samples a second against the 125 ms refresh, driven on a
    // simulated clock: every sample is logged, the panel moves once a tick.
    const auto path = std::filesystem::temp_directory_path() / "tq_fanout_gate_test.txt";
    RuntimeLog log;
    ASSERT_TRUE(log.start(path.string(), "<unkown>", LogSettings{}));
    RecordingSink sink;
    RuntimeFanOut fanOut(sink, &log);
    RuntimeSample s = distinctSample();
    int ticks = 0;
    int samples = 0;
    for (int ms = 0; ms <= 2000; ms += 25) {
        if (ms % 125 == 0 && ms > 0) {
            fanOut.refreshTick();
            ++ticks;
        }
        if (ms % 50 == 0) {
            s.gTsCnt = static_cast<std::uint32_t>(samples++);
            ASSERT_TRUE(fanOut.decode(ieeeLine(s).c_str()));
        }
    }
    log.close();
    // The gate starts set: the first sample plus one per tick (each tick is
    // followed by a sample before the next tick).
    EXPECT_EQ(static_cast<int>(sink.statuses.size()), ticks + 1);
    EXPECT_EQ(log.rowCount(), samples);
    std::ifstream in(path);
    const std::string content((std::istreambuf_iterator<char>(in)), {});
    std::filesystem::remove(path);
    EXPECT_NE(content.find("\n00000040\t0008\t"), std::string::npos);
}

TEST(RuntimeFanOut, ReceiveLampOncePerLampPeriod)
{
    RecordingSink sink;
    RuntimeFanOut fanOut(sink);
    const std::string line = ieeeLine(distinctSample());
    for (int i = 0; i < 5; ++i) fanOut.decode(line.c_str());
    EXPECT_EQ(sink.lampCount(PanelLamp::Receive), 1);
    fanOut.lampPeriodTick();
    fanOut.decode(line.c_str());
    EXPECT_EQ(sink.lampCount(PanelLamp::Receive), 2);
}

TEST(RuntimeFanOut, GraphPacedBySampleTicksAndScaledByChannelRange)
{
    RecordingSink sink;
    RuntimeFanOut fanOut(sink);
    ChannelTable table;
    table[0].min = 0.0f;  // Main 0..50
    table[0].max = 50.0f;
    table[1].min = 10.0f;  // T1 10..21.125: the value is the maximum
    table[1].max = 21.125f;
    table[2].min = -3.5f;  // T2 at its minimum
    table[2].max = 10.0f;
    table[3].min = 0.0f;  // T3 40 beyond 0..20
    table[3].max = 20.0f;
    table[4].min = 50.0f;  // T4 33.75 below 50..60
    table[4].max = 60.0f;
    table[5].min = 5.0f;  // Tr1: no range
    table[5].max = 5.0f;
    fanOut.setChannelTable(table);

    ASSERT_TRUE(fanOut.decode(ieeeLine(distinctSample()).c_str()));
    EXPECT_TRUE(sink.graphs.empty());  // no sample tick yet

    fanOut.sampleTick();
    fanOut.refreshTick();
    ASSERT_TRUE(fanOut.decode(ieeeLine(distinctSample()).c_str()));
    ASSERT_EQ(sink.graphs.size(), 1u);
    const GraphValues& g = sink.graphs[0];
    EXPECT_FLOAT_EQ(g[0], 0.0f);     // 25 in 0..50
    EXPECT_EQ(g[1], 100.0f);
    EXPECT_EQ(g[2], -100.0f);
    EXPECT_EQ(g[3], 100.0f);
    EXPECT_EQ(g[4], -100.0f);
    EXPECT_EQ(g[5], 0.0f);
    EXPECT_FLOAT_EQ(g[6], 20.0f);    // Sp1 20 in the default -100..100
    EXPECT_FLOAT_EQ(g[12], -1.0f);   // e
    EXPECT_NEAR(g[17], 0.75f, 1e-4);  // F1_curr, single precision
}

TEST(RuntimeFanOut, GraphNeverGetsNotANumber)
{
    RecordingSink sink;
    RuntimeFanOut fanOut(sink);
    ChannelTable table;
    table[0].min = table[0].max = 25.0f;  // value equal to the one point
    fanOut.setChannelTable(table);
    RuntimeSample s = distinctSample();
    s.fgTa1 = std::nanf("");
    s.fgTa2 = INFINITY;
    fanOut.sampleTick();
    ASSERT_TRUE(fanOut.decode(ieeeLine(s).c_str()));
    ASSERT_EQ(sink.graphs.size(), 1u);
    for (float v : sink.graphs[0]) {
        EXPECT_FALSE(std::isnan(v));
        EXPECT_LE(std::fabs(v), 100.0f);
    }
    EXPECT_EQ(sink.graphs[0][0], 0.0f);
    EXPECT_EQ(sink.graphs[0][2], 100.0f);
}

TEST(RuntimeFanOut, VersionUnknownWhenLinkDown)
{
    RecordingSink sink;
    RuntimeFanOut fanOut(sink);
    bool up = true;
    fanOut.setLinkProbe([&up] { return up; });
    const std::string line = ieeeLine(distinctSample());
    ASSERT_TRUE(fanOut.decode(line.c_str()));
    EXPECT_TRUE(sink.versions.empty());
    up = false;
    fanOut.refreshTick();
    ASSERT_TRUE(fanOut.decode(line.c_str()));
    EXPECT_EQ(sink.versions, std::vector<std::string>({"<unkown>"}));
    EXPECT_EQ(sink.calls.back(), "version");
}

TEST(RuntimeFanOut, AlarmPageGateOnlyWithAPage)
{
    RecordingSink sink;
    RuntimeFanOut fanOut(sink);
    const std::string line = ieeeLine(withError(0x00080000));
    ASSERT_TRUE(fanOut.decode(line.c_str()));
    EXPECT_FALSE(fanOut.alarmPageGate());
    EXPECT_EQ(sink.statuses.back(), "00080000 [Temp1 missing]\n");

    sink.alarmPage = true;
    for (int i = 0; i < 3; ++i) {
        fanOut.refreshTick();
        ASSERT_TRUE(fanOut.decode(line.c_str()));
    }
    ASSERT_EQ(sink.pageLamps.size(), 1u);  // once per 500 ms period
    EXPECT_TRUE(sink.pageLamps[0][static_cast<int>(AlarmLamp::T1High)]);
    EXPECT_TRUE(sink.pageLamps[0][static_cast<int>(AlarmLamp::T1Low)]);
    fanOut.lampPeriodTick();
    fanOut.refreshTick();
    ASSERT_TRUE(fanOut.decode(line.c_str()));
    EXPECT_EQ(sink.pageLamps.size(), 2u);
}

TEST(RuntimeFanOut, ClearAlarmsResetsTheLatch)
{
    RecordingSink sink;
    RuntimeFanOut fanOut(sink);
    ASSERT_TRUE(fanOut.decode(ieeeLine(withError(0x00010000)).c_str()));
    fanOut.clearAlarms();
    EXPECT_EQ(fanOut.alarmLatch().high(), 0u);
    fanOut.refreshTick();
    ASSERT_TRUE(fanOut.decode(ieeeLine(withError(1)).c_str()));
    EXPECT_EQ(sink.statuses.back(), "00000001 [Startup delay]\n");
}

TEST(RuntimeFanOut, DecimalLinesWorkWhateverFormatCameFirst)
{
    RecordingSink sink;
    RuntimeFanOut fanOut(sink);
    EXPECT_TRUE(fanOut.decode(decimalLine(distinctSample()).c_str()));
    EXPECT_TRUE(fanOut.decode(ieeeLine(distinctSample()).c_str()));
    EXPECT_TRUE(fanOut.decode(decimalLine(distinctSample()).c_str()));
    EXPECT_EQ(fanOut.sample().F1_curr, 0.75f);
}
