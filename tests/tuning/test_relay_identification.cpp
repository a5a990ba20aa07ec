#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "synthetic_loop.h"
#include "tuning/relay_identification.h"
#include "tuning/tuning_rules.h"

using namespace tuning;
using tuning::test::SyntheticLoop;

namespace {

std::vector<RelayPoint> pointsOf(const std::vector<RuntimeSample>& samples, double ts)
{
    std::vector<RelayPoint> points;
    for (const RuntimeSample& s : samples)
        points.push_back({(s.gTsCnt - samples.front().gTsCnt) * ts, s.frTe, s.fgTc});
    return points;
}

UltimateFigures identify(const SyntheticLoop& loop, double seconds = 400)
{
    std::vector<RelayCycle> cycles = relayCycles(pointsOf(loop.run(seconds), loop.ts));
    EXPECT_GE(cycles.size(), 5u);
    cycles.erase(cycles.begin(), cycles.begin() + 2);   // the approach
    IdentificationResult r = identifyUltimate(cycles);
    EXPECT_TRUE(r.figures) << r.error;
    return r.figures.value_or(UltimateFigures{});
}

}  // namespace

// The three-level relay's describing function against the first harmonic
// of the relay's actual output for a sine input, computed numerically.
TEST(RelayDescribingFunction, MatchesTheFirstHarmonicOfTheRelayOutput)
{
    const double d = 30, a = 1.0;
    for (auto [on, off] : {std::pair{0.3, 0.1}, std::pair{0.5, -0.5}, std::pair{0.2, 0.2}}) {
        const int n = 20000;
        double re = 0, im = 0;
        int level = 0;
        for (int pass = 0; pass < 2; ++pass) {   // the first pass sets the relay's state
            re = im = 0;
            for (int i = 0; i < n; ++i) {
                const double th = 2 * std::numbers::pi * i / n;
                const double e = a * std::sin(th);
                if (e >= on) level = 1;
                else if (e <= -on) level = -1;
                else if (std::fabs(e) <= off) level = 0;
                else if (off < 0 && level == 0) level = e > 0 ? 1 : -1;
                re += level * d * std::sin(th);
                im += level * d * std::cos(th);
            }
        }
        // u1 = b1 sin + a1 cos; N = (b1 + j a1) / a
        const double b1 = 2.0 * re / n, a1 = 2.0 * im / n;
        const DescribingFunction df = relayDescribingFunction(d, a, on, off);
        EXPECT_NEAR(df.re, b1 / a, 0.01 * std::fabs(b1 / a)) << on << " " << off;
        EXPECT_NEAR(df.im, a1 / a, 0.02 * (std::fabs(a1 / a) + 0.1)) << on << " " << off;
        EXPECT_LE(df.im, 0.0);
    }
}

// The describing function reads a square wave as a sine: on a load with
// dead time it finds the period somewhat long and the gain somewhat low,
// both on the safe side for the rules.
TEST(RelayIdentification, FindsTheUltimatePointOfADeadTimeLoad)
{
    SyntheticLoop loop;
    const UltimateFigures f = identify(loop);
    EXPECT_GE(f.tu, loop.ultimatePeriod());
    EXPECT_LE(f.tu, 1.15 * loop.ultimatePeriod());
    EXPECT_LE(f.ku, loop.ultimateGain());
    EXPECT_GE(f.ku, 0.75 * loop.ultimateGain());
    EXPECT_NEAR(f.outputAmplitude, 60.0, 0.01);
    EXPECT_LT(f.periodSpread, 0.02);
    EXPECT_NEAR(f.asymmetry, 1.0, 0.05);
}

// A wide hysteresis moves the oscillation to a lower frequency; the
// corrected gain stays near the true one where |N| alone falls short.
TEST(RelayIdentification, HysteresisCorrectionKeepsTheGainNearTheUltimateGain)
{
    SyntheticLoop loop;
    loop.hysteresis = 0.5;
    const UltimateFigures f = identify(loop);
    const double ku = loop.ultimateGain();
    EXPECT_GT(f.phaseLead, 15.0);
    EXPECT_GT(f.ku, f.kuUncorrected);
    EXPECT_LT(f.ku, ku);
    EXPECT_NEAR(f.ku, 4 * f.outputAmplitude
                          / (std::numbers::pi * std::sqrt(f.amplitude * f.amplitude - 0.25)),
                0.05 * f.ku);
}

TEST(RelayIdentification, NoisyErrorStillGivesTheUltimatePoint)
{
    SyntheticLoop loop;
    loop.hysteresis = 0.15;
    const UltimateFigures clean = identify(loop);
    loop.noise = 0.03;
    const UltimateFigures f = identify(loop);
    EXPECT_NEAR(f.tu, clean.tu, 0.10 * clean.tu);
    EXPECT_NEAR(f.ku, clean.ku, 0.15 * clean.ku);
    EXPECT_LT(f.periodSpread, 0.1);
}

// Heating stronger than cooling and a steady loss: the half periods differ,
// the mean period and the averaged levels still give the ultimate point.
TEST(RelayIdentification, AsymmetricHeatingAndCooling)
{
    SyntheticLoop loop;
    loop.heat = 60;
    loop.cool = 30;
    loop.disturbance = 8;
    const UltimateFigures f = identify(loop);
    EXPECT_GT(std::fabs(f.asymmetry - 1.0), 0.2);
    EXPECT_NEAR(f.outputAmplitude, 45.0, 0.01);
    EXPECT_GE(f.tu, loop.ultimatePeriod());
    EXPECT_LE(f.tu, 1.35 * loop.ultimatePeriod());
    EXPECT_LE(f.ku, loop.ultimateGain());
    EXPECT_GE(f.ku, 0.6 * loop.ultimateGain());
}

// A relay without hysteresis chatters in the noise as the error crosses 0;
// only a crossing after the error has swung past the noise starts a cycle.
TEST(RelayIdentification, ChatterAtTheCrossingStartsOneCycle)
{
    SyntheticLoop loop;
    loop.hysteresis = 0.0;
    loop.noise = 0.02;
    const std::vector<RelayPoint> points = pointsOf(loop.run(200), loop.ts);
    const std::vector<RelayCycle> chattering = relayCycles(points);
    std::vector<RelayCycle> cycles = relayCycles(points, 0.06);
    EXPECT_GT(chattering.size(), cycles.size());
    ASSERT_GE(cycles.size(), 5u);
    cycles.erase(cycles.begin(), cycles.begin() + 2);
    const IdentificationResult r = identifyUltimate(cycles);
    ASSERT_TRUE(r.figures) << r.error;
    EXPECT_LT(r.figures->periodSpread, 0.05);
    EXPECT_GE(r.figures->tu, 0.9 * loop.ultimatePeriod());
    EXPECT_LE(r.figures->tu, 1.15 * loop.ultimatePeriod());
}

TEST(RelayIdentification, NoiseSwampingTheHysteresisIsRefusedByName)
{
    SyntheticLoop loop;
    loop.hysteresis = 0.02;
    loop.noise = 0.5;
    std::vector<RelayCycle> cycles = relayCycles(pointsOf(loop.run(300), loop.ts));
    ASSERT_GE(cycles.size(), 2u);
    const IdentificationResult r = identifyUltimate(cycles);
    EXPECT_FALSE(r.figures);
    EXPECT_NE(r.error.find("irregular"), std::string::npos) << r.error;
}

TEST(RelayIdentification, TooFewCyclesOrNoSwitchingIsRefused)
{
    EXPECT_FALSE(identifyUltimate({}).figures);
    std::vector<RelayPoint> flat;
    for (int i = 0; i < 1000; ++i) flat.push_back({i * 0.05, 0.01, 0.0});
    EXPECT_TRUE(relayCycles(flat).empty());
}

TEST(TuningRules, BoardFormFromTheUltimatePoint)
{
    UltimateFigures f;
    f.ku = 44.0;
    f.tu = 63.0;
    const PidConstants normal = pidConstants(f, TuningRule::Normal, 0.05);
    EXPECT_DOUBLE_EQ(normal.kP, 20.0);
    EXPECT_DOUBLE_EQ(normal.kI, 20.0 / (2.2 * 63.0));
    EXPECT_DOUBLE_EQ(normal.kD, 20.0 * 10.0);
    const PidConstants gentle = pidConstants(f, TuningRule::Gentle, 0.05);
    EXPECT_LT(gentle.kP, normal.kP);
    EXPECT_LT(gentle.kI, normal.kI);
    // Heating and cooling gains of 2 halve what the PID itself must give.
    const PidConstants halved = pidConstants(f, TuningRule::Normal, 0.05, 2.0);
    EXPECT_DOUBLE_EQ(halved.kP, 10.0);
    // A derivative time under two samples is dropped.
    f.tu = 0.5;
    EXPECT_EQ(pidConstants(f, TuningRule::Normal, 0.05).kD, 0.0);
    EXPECT_EQ(ruleFromName("gentle"), TuningRule::Gentle);
    EXPECT_FALSE(ruleFromName("wild"));
}
