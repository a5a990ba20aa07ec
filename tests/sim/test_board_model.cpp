// The live model without a port: the regulator modes, the fans and the
// alarm bits, stepped sample by sample.
#include <gtest/gtest.h>

#include <cmath>

#include "sim/board_model.h"
#include "sim/fault_plan.h"
#include "sim/line_splitter.h"
#include "sim/register_bank.h"
#include "sim/runtime_record.h"
#include "sim/steinhart_hart.h"

namespace {

using namespace sim;

constexpr double kTs = 0.05;

struct Bench {
    RegisterBank bank;
    BoardModel model;

    Bench() { model.boot(bank); }
    void set(int r, float v) { bank.setBits(r, floatBits(v)); }
    void setWord(int r, std::uint32_t v) { bank.setBits(r, v); }
    void run(double seconds)
    {
        for (int i = 0; i < static_cast<int>(seconds / kTs); ++i) {
            model.step(bank, kTs);
            const RuntimeRecord& r = model.record();
            ASSERT_TRUE(std::isfinite(r.fgTa1) && std::isfinite(r.fgTc) && std::isfinite(r.frTi));
        }
    }
    const RuntimeRecord& rec() const { return model.record(); }
};

TEST(BoardModel, OffModeStaysAtRoomTemperatureWithoutOutput)
{
    Bench b;
    b.model.start();
    b.run(60);
    EXPECT_EQ(b.rec().fgTc, 0.0f);
    EXPECT_EQ(b.rec().g_curr, 0.0f);
    EXPECT_NEAR(b.rec().fgTa1, 22.0f, 0.6f);
    EXPECT_EQ(b.rec().g_error, 0u);
}

TEST(BoardModel, PidCoolsThePlateToItsSetPointAndHoldsIt)
{
    Bench b;
    b.setWord(reg::RegulatorFlags, 6);  // PID
    b.setWord(reg::Fan1Mode, 1);        // always on
    b.set(reg::St1, 10.0f);
    b.model.start();
    b.run(1.0);
    EXPECT_EQ(b.rec().fgTc, 0.0f) << "no output during the start-up delay";
    EXPECT_EQ(b.rec().g_error & 1u, 1u);
    b.run(5.0);
    EXPECT_LT(b.rec().fgTc, 0.0f) << "cooling";
    EXPECT_EQ(b.rec().g_pwm_mode, 2);
    EXPECT_GT(b.rec().g_curr, 0.5f);
    b.run(600);
    EXPECT_NEAR(b.rec().fgTa1, 10.0f, 0.3f);
    EXPECT_NEAR(b.rec().frTa, b.rec().fgTa1, 1e-6f);
    EXPECT_GT(b.rec().fgTa3, b.rec().fgTa2) << "the heat sink runs warmer than the room";
    EXPECT_NEAR(b.rec().fgF1Tc, 48.0f, 1e-3f);
    EXPECT_NEAR(b.rec().F1_curr, 1.2f, 1e-3f);
    EXPECT_EQ(b.rec().g_error, 0u);
}

TEST(BoardModel, StopHoldsTheOutputAtZero)
{
    Bench b;
    b.setWord(reg::RegulatorFlags, 6);
    b.set(reg::St1, 40.0f);
    b.model.start();
    b.run(10);
    EXPECT_GT(b.rec().fgTc, 0.0f) << "heating";
    b.model.stop();
    b.run(0.1);
    EXPECT_EQ(b.rec().fgTc, 0.0f);
    EXPECT_EQ(b.rec().fgtFLAG & 1u, 0u);
}

TEST(BoardModel, PowerModeDrivesStOneAsPercentWithinMaxPower)
{
    Bench b;
    b.setWord(reg::RegulatorFlags, 1);
    b.set(reg::St1, 60.0f);
    b.set(reg::MaxPower, 50.0f);
    b.model.start();
    b.run(4);
    EXPECT_EQ(b.rec().fgTc, 50.0f);
}

TEST(BoardModel, AutostartBitStartsTheRegulatorAtBoot)
{
    Bench b;
    b.setWord(reg::RegulatorFlags, 0x80 | 6);
    b.model.boot(b.bank);
    EXPECT_TRUE(b.model.running());
    b.setWord(reg::RegulatorFlags, 6);
    b.model.boot(b.bank);
    EXPECT_FALSE(b.model.running());
}

TEST(BoardModel, LoopModeAlternatesTheSetPoints)
{
    Bench b;
    b.setWord(reg::RegulatorFlags, 0x100 | 6);
    b.setWord(reg::LoopHighCount, 20);
    b.setWord(reg::LoopLowCount, 10);
    b.model.start();
    int low = 0, high = 0;
    for (int i = 0; i < 300; ++i) {
        b.model.step(b.bank, kTs);
        if (b.rec().fgTr == 8.0f)
            ++low;
        else if (b.rec().fgTr == 20.0f)
            ++high;
    }
    EXPECT_EQ(low, 100);
    EXPECT_EQ(high, 200);
}

TEST(BoardModel, FanAlgoStepsWithTheHeatSink)
{
    Bench b;
    b.setWord(reg::Fan1Mode, 5);
    b.set(reg::Fan1Mode + 1, 10.0f);  // set point well below the room: high speed
    b.run(5);
    EXPECT_NEAR(b.rec().fgF1Tc, 48.0f, 1e-3f);
    // Set point 20: the sink (about 22 C) is below 20 + dead-band - high
    // hysteresis (26), so the fan drops to low speed, but above 20.
    b.set(reg::Fan1Mode + 1, 20.0f);
    b.run(5);
    EXPECT_NEAR(b.rec().fgF1Tc, 12.0f, 1e-3f);
    b.set(reg::Fan1Mode + 1, 30.0f);
    b.run(5);
    EXPECT_EQ(b.rec().fgF1Tc, 0.0f);
}

TEST(BoardModel, ElectricalAlarmsNeedTheirEnableBit)
{
    Bench b;
    b.run(4);
    b.set(reg::VInUnder, 12.5f);  // supply 12.2 V
    b.run(0.1);
    EXPECT_EQ(b.rec().g_error, 0x20u);
    b.setWord(reg::AlarmEnable1, 351 & ~2u);
    b.run(0.1);
    EXPECT_EQ(b.rec().g_error, 0u);
    b.setWord(reg::AlarmEnable1, 351 | 0x80);  // fan 1 under-current, fan off
    b.run(0.1);
    EXPECT_EQ(b.rec().g_error, 0x20u | 0x800u);
}

TEST(BoardModel, AnyRegisterContentKeepsTheModelFinite)
{
    unsigned seed = 12345;
    for (int round = 0; round < 20; ++round) {
        Bench b;
        for (int r = 0; r < kRegisterCount; ++r) {
            seed = seed * 1103515245u + 12345u;
            const std::uint32_t hi = seed >> 16;
            seed = seed * 1103515245u + 12345u;
            b.setWord(r, hi << 16 | (seed >> 16));
        }
        b.setWord(reg::RegulatorFlags, static_cast<std::uint32_t>(round % 8) | 0x80);
        b.model.start();
        b.run(20);
        const RuntimeRecord& r = b.rec();
        EXPECT_TRUE(std::isfinite(r.fgTa2) && std::isfinite(r.g_vin) && std::isfinite(r.fgF1Tc))
            << "round " << round;
        EXPECT_LE(std::fabs(r.fgTc), 100.0f);
        EXPECT_FALSE(formatRuntimeLine(r, 6).empty());
    }
}

TEST(BoardModel, RuntimeLinesHaveTheirFieldCounts)
{
    Bench b;
    b.run(1);
    const std::string six = formatRuntimeLine(b.rec(), 6);
    const std::string seven = formatRuntimeLine(b.rec(), 7);
    auto count = [](const std::string& s) {
        int spaces = 0;
        for (char c : s)
            spaces += c == ' ';
        return spaces;
    };
    EXPECT_EQ(six.substr(0, 3), "[6 ");
    EXPECT_EQ(six.back(), ']');
    EXPECT_EQ(count(six), 22);
    EXPECT_EQ(seven.substr(0, 3), "[7 ");
    EXPECT_EQ(seven.back(), ']');
    EXPECT_EQ(count(seven), 25);
}

TEST(SteinhartHart, PresetPointsRoundTrip)
{
    const SteinhartHart k =
        steinhartHartCoefficients(253.15f, 29875.8f, 298.15f, 3057.7f, 333.15f, 759.4f);
    EXPECT_NEAR(k.a, 1.3969e-3, 1e-6);
    EXPECT_NEAR(k.b, 2.3783e-4, 1e-7);
    EXPECT_NEAR(k.c, 9.373e-8, 1e-9);
    EXPECT_NEAR(steinhartHartTemperature(k, 3057.7f), 298.15f, 0.05f);
    EXPECT_NEAR(steinhartHartResistance(k, 298.15f), 3057.7f, 5.0f);
    const SteinhartHart flat = steinhartHartCoefficients(253.15f, 1000, 298.15f, 500, 333.15f, 1000);
    EXPECT_EQ(flat.a, 0.0f);
    EXPECT_EQ(flat.b, 0.0f);
    EXPECT_EQ(flat.c, 0.0f);
}

TEST(LineSplitter, CutsAtEitherTerminatorAndDropsControlAndHighBytes)
{
    LineSplitter s;
    std::vector<std::string> lines;
    const std::string in = "$V\r$B\r\ni\n\r\r\n$R\x01\x80" "1?\r" + std::string(1100, 'x') + "\r";
    s.feed(in.data(), in.size(), lines);
    ASSERT_EQ(lines.size(), 5u);
    EXPECT_EQ(lines[0], "$V");
    EXPECT_EQ(lines[1], "$B");
    EXPECT_EQ(lines[2], "i");
    EXPECT_EQ(lines[3], "$R1?");
    EXPECT_EQ(lines[4].size(), LineSplitter::kMaxLine);
}

TEST(FaultPlan, CountsRunOutAndRegisterFaultsStay)
{
    FaultPlan plan;
    plan.set(Fault::NoEcho, 2);
    EXPECT_TRUE(plan.take(Fault::NoEcho));
    EXPECT_TRUE(plan.take(Fault::NoEcho));
    EXPECT_FALSE(plan.take(Fault::NoEcho));
    plan.set(Fault::Garbage, -1);
    for (int i = 0; i < 5; ++i)
        EXPECT_TRUE(plan.take(Fault::Garbage));
    plan.atRegister(7, Fault::LateReply);
    plan.atRegister(8, Fault::Vanish);
    EXPECT_EQ(plan.forRegister(7), Fault::LateReply);
    EXPECT_EQ(plan.forRegister(7), Fault::LateReply);
    EXPECT_EQ(plan.forRegister(8), Fault::Vanish);
    EXPECT_EQ(plan.forRegister(8), Fault::None) << "a device vanishes once";
    EXPECT_EQ(registerOfCommand("$RN45=3F800000"), 45);
    EXPECT_EQ(registerOfCommand("$R12?"), 12);
    EXPECT_EQ(registerOfCommand("$RW"), -1);
    plan.clear();
    EXPECT_FALSE(plan.active(Fault::Garbage));
}

}  // namespace
