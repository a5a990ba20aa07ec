#include <gtest/gtest.h>

#include <clocale>

#include "synthetic_loop.h"
#include "tuning/relay_experiment.h"

using namespace tuning;
using tuning::test::SyntheticLoop;

namespace {

ExperimentConfig configFor(const SyntheticLoop& loop)
{
    ExperimentConfig c;
    c.operatingPoint = loop.operatingPoint;
    c.ts = loop.ts;
    c.timeLimit = 400;
    return c;
}

RelayExperiment runThrough(const std::vector<RuntimeSample>& samples, ExperimentConfig config)
{
    RelayExperiment e(config);
    for (const RuntimeSample& s : samples)
        if (e.feed(s) != ExperimentState::Running)
            break;
    return e;
}

}  // namespace

TEST(RelayExperiment, FinishesAfterWarmUpAndMeasuredCyclesWithProgress)
{
    SyntheticLoop loop;
    const ExperimentConfig config = configFor(loop);
    RelayExperiment e(config);
    std::vector<std::string> progress;
    for (const RuntimeSample& s : loop.run(400)) {
        const int before = e.progress().cycle;
        if (e.feed(s) != ExperimentState::Running)
            break;
        if (e.progress().cycle != before)
            progress.push_back(progressText(e.progress()));
    }
    ASSERT_EQ(e.state(), ExperimentState::Finished) << e.message();
    ASSERT_TRUE(e.figures());
    EXPECT_EQ(e.figures()->cycles, 5u);
    EXPECT_EQ(e.cycles().size(), 7u);
    ASSERT_EQ(progress.size(), 4u);   // cycles 1..4; the fifth ends the run
    EXPECT_EQ(progress[2].rfind("cycle 3 of 5, period ", 0), 0u) << progress[2];
    EXPECT_NE(progress[2].find(" s, amplitude "), std::string::npos);
    EXPECT_NE(progress[2].find(" \xC2\xB0" "C"), std::string::npos);
    // Within ten periods of the oscillation.
    EXPECT_LT(e.progress().seconds, 10 * e.figures()->tu);
}

TEST(RelayExperiment, StopsWhenTr1LeavesTheBand)
{
    SyntheticLoop loop;
    ExperimentConfig config = configFor(loop);
    config.band = 0.3;   // the oscillation is wider
    const RelayExperiment e = runThrough(loop.run(400), config);
    EXPECT_EQ(e.state(), ExperimentState::Failed);
    EXPECT_EQ(e.reason(), StopReason::LeftBand);
    EXPECT_NE(e.message().find("left the band of \xC2\xB1" "0.3"), std::string::npos) << e.message();
}

// The start-up delay and "Regulator overload" (a relay sits at its limit
// by design) go on; the first real alarm stops the run.
TEST(RelayExperiment, StopsOnAnAlarmButNotOnTheStartupDelayOrTheOverload)
{
    SyntheticLoop loop;
    std::vector<RuntimeSample> samples = loop.run(400);
    for (std::size_t i = 0; i < samples.size(); ++i)
        samples[i].g_error = i < 100 ? 0x1u : i < 800 ? 0x8u : i >= 900 ? 0x00010008u : 0u;
    const RelayExperiment e = runThrough(samples, configFor(loop));
    EXPECT_EQ(e.reason(), StopReason::Alarm);
    EXPECT_NE(e.message().find("[Temp1 High]"), std::string::npos) << e.message();
    EXPECT_GT(e.progress().seconds, 44.0);
}

TEST(RelayExperiment, NoOscillationWithinTheTimeLimitNamesTheLikelyCause)
{
    SyntheticLoop loop;
    loop.heat = loop.cool = 0;   // an output limit too small to switch
    ExperimentConfig config = configFor(loop);
    config.timeLimit = 60;
    const RelayExperiment e = runThrough(loop.run(100), config);
    EXPECT_EQ(e.reason(), StopReason::NoOscillation);
    EXPECT_NE(e.message().find("output limit"), std::string::npos) << e.message();
}

// A load that stops following the output (a heat sink running away) ends
// the run long before the time limit, naming the side the output is stuck on.
TEST(RelayExperiment, OutputStuckOnOneSideEndsTheRun)
{
    SyntheticLoop loop;
    std::vector<RuntimeSample> samples = loop.run(400);
    for (std::size_t i = 1500; i < samples.size(); ++i) {
        samples[i].fgTc = static_cast<float>(-loop.cool);
        samples[i].frTe = -0.5f;
    }
    const RelayExperiment e = runThrough(samples, configFor(loop));
    EXPECT_EQ(e.reason(), StopReason::Stalled);
    EXPECT_NE(e.message().find("has cooled at its limit"), std::string::npos) << e.message();
    EXPECT_LT(e.progress().seconds, 200.0);
}

TEST(RelayExperiment, TimeLimitAfterSomeCycles)
{
    SyntheticLoop loop;
    ExperimentConfig config = configFor(loop);
    config.timeLimit = 70;
    const RelayExperiment e = runThrough(loop.run(400), config);
    EXPECT_EQ(e.reason(), StopReason::TimeLimit);
    EXPECT_NE(e.message().find("time limit of 70 s"), std::string::npos) << e.message();
}

TEST(RelayExperiment, ARestartedRegulatorEndsTheRun)
{
    SyntheticLoop loop;
    std::vector<RuntimeSample> samples = loop.run(100);
    for (std::size_t i = 500; i < samples.size(); ++i)
        samples[i].gTsCnt = static_cast<std::uint32_t>(i - 500);
    const RelayExperiment e = runThrough(samples, configFor(loop));
    EXPECT_EQ(e.reason(), StopReason::Restarted);
}

TEST(RelayExperiment, AbortFromOutsideKeepsTheFirstReason)
{
    RelayExperiment e(ExperimentConfig{});
    e.abort(StopReason::LinkLost, "link lost");
    e.abort(StopReason::Cancelled, "cancelled");
    EXPECT_EQ(e.reason(), StopReason::LinkLost);
    RuntimeSample s;
    EXPECT_EQ(e.feed(s), ExperimentState::Failed);
}

TEST(RelayExperiment, ProgressReadsTheSameUnderADecimalCommaLocale)
{
    ExperimentProgress p;
    p.cycle = 3;
    p.cycles = 5;
    p.period = 42.0;
    p.amplitude = 0.8;
    p.warmingUp = false;
    const std::string before = std::setlocale(LC_NUMERIC, nullptr);
    const bool switched = std::setlocale(LC_NUMERIC, "de_DE.UTF-8") != nullptr;
    const std::string shown = progressText(p);
    std::setlocale(LC_NUMERIC, before.c_str());
    if (!switched)
        GTEST_SKIP() << "de_DE.UTF-8 not installed";
    EXPECT_EQ(shown, "cycle 3 of 5, period 42.0 s, amplitude 0.80 \xC2\xB0" "C");
}
