// Every way a tuning run can stop, and every refusal, on the board stepped
// in-process: afterwards each of the 97 registers holds exactly what it held.
#include <gtest/gtest.h>

#include <array>
#include <atomic>

#include "stepped_board.h"
#include "tuning/tuning_session.h"

using namespace tuning;
using tuning::test::SteppedBoard;

namespace {

class TuningAborts : public ::testing::Test {
protected:
    TuningAborts() : board(*sim::plantPreset("laser-mount"))
    {
        board.bank().setBits(sim::reg::RegulatorFlags, 6 | 0x100);   // PID in loop mode
        board.bank().setBits(sim::reg::St1, sim::floatBits(25.0f));
        board.bank().setBits(sim::reg::MaxPower, sim::floatBits(80.0f));
        board.advance(4);
        request.maxPower = 30;
        request.linkLossSeconds = 0.3;
        snapshot = registers();
    }
    std::array<std::uint32_t, sim::kRegisterCount> registers()
    {
        std::array<std::uint32_t, sim::kRegisterCount> r{};
        for (int i = 0; i < sim::kRegisterCount; ++i)
            r[i] = board.bank().bits(i);
        return r;
    }
    void expectUnchanged()
    {
        const auto now = registers();
        for (int i = 0; i < sim::kRegisterCount; ++i)
            EXPECT_EQ(now[i], snapshot[i]) << "register " << i;
    }
    TuningOutcome run(const std::atomic<bool>* cancel = nullptr)
    {
        return runTuning(board, board, request, {}, cancel);
    }
    void expectAborted(const TuningOutcome& o, StopReason reason, const std::string& words)
    {
        EXPECT_EQ(o.status, TuningStatus::Aborted);
        EXPECT_EQ(o.reason, reason);
        EXPECT_FALSE(o.ok());
        EXPECT_TRUE(o.changedRegulator);
        EXPECT_NE(o.message.find(words), std::string::npos) << o.message;
        EXPECT_TRUE(o.restored) << o.restoreMessage;
        EXPECT_EQ(o.restoreMessage, "registers restored and verified");
        expectUnchanged();
    }
    void expectRefused(const TuningOutcome& o, const std::string& words)
    {
        EXPECT_EQ(o.status, TuningStatus::Refused);
        EXPECT_FALSE(o.changedRegulator);
        EXPECT_EQ(o.message.rfind("auto-tune refused: ", 0), 0u) << o.message;
        EXPECT_NE(o.message.find(words), std::string::npos) << o.message;
        expectUnchanged();
    }

    SteppedBoard board;
    TuningRequest request;
    std::array<std::uint32_t, sim::kRegisterCount> snapshot{};
};

}  // namespace

TEST_F(TuningAborts, FinishedRunRestoresLoopModeAndEverythingElse)
{
    const TuningOutcome o = run();
    ASSERT_TRUE(o.ok()) << o.message;
    expectUnchanged();
    EXPECT_FALSE(board.model().running());   // it was stopped before: stopped again
}

TEST_F(TuningAborts, Tr1LeavingTheBand)
{
    request.band = 0.1;
    request.setPoint = 22.05;
    expectAborted(run(), StopReason::LeftBand, "left the band");
}

TEST_F(TuningAborts, AlarmLatching)
{
    int n = 0;
    board.onSample = [&](RuntimeSample& s) { if (++n > 300) s.g_error = 0x00000100; };
    expectAborted(run(), StopReason::Alarm, "[Main current overload]");
}

TEST_F(TuningAborts, TimeLimit)
{
    request.timeLimit = 30;
    expectAborted(run(), StopReason::TimeLimit, "time limit of 30 s");
}

TEST_F(TuningAborts, NoOscillationWhenTheOutputLimitCannotReachTheOperatingPoint)
{
    request.maxPower = 5;
    request.setPoint = 30;
    request.timeLimit = 60;
    expectAborted(run(), StopReason::NoOscillation, "output limit may be too small");
}

TEST_F(TuningAborts, LinkLostWhenTheStreamFallsSilent)
{
    board.silenceAfter(400);
    expectAborted(run(), StopReason::LinkLost, "no runtime sample");
}

TEST_F(TuningAborts, CancelledByTheOperator)
{
    std::atomic<bool> cancel{false};
    int n = 0;
    board.onSample = [&](RuntimeSample&) { if (++n == 500) cancel.store(true); };
    expectAborted(run(&cancel), StopReason::Cancelled, "cancelled by the operator");
}

TEST_F(TuningAborts, RegulatorRestarting)
{
    int n = 0;
    board.onSample = [&](RuntimeSample& s) { if (++n > 300) s.gTsCnt = static_cast<std::uint32_t>(n - 300); };
    expectAborted(run(), StopReason::Restarted, "restarted");
}

TEST_F(TuningAborts, IrregularOscillationIsNamed)
{
    int n = 0, next = 0;
    float offset = 0;
    std::uint32_t seed = 7;
    // Tr1 as the host sees it jumps by up to 3 deg C at uneven times, as
    // if the load were knocked about: cycles of every length.
    board.onSample = [&](RuntimeSample& s) {
        if (++n > next) {
            seed = seed * 1103515245u + 12345u;
            next = n + 20 + static_cast<int>((seed >> 16) % 140);
            offset = static_cast<float>((seed >> 8) % 601) / 100.0f - 3.0f;
        }
        s.frTa += offset;
    };
    expectAborted(run(), StopReason::Irregular, "irregular");
}

// A link that closes during the run cannot restore: the outcome says so and
// names the registers.
TEST_F(TuningAborts, LinkClosingDuringTheRunReportsTheRegistersNotRestored)
{
    int n = 0;
    board.onSample = [&](RuntimeSample&) { if (++n == 300) board.close(); };
    const TuningOutcome o = run();
    EXPECT_EQ(o.status, TuningStatus::Aborted);
    EXPECT_EQ(o.reason, StopReason::LinkLost);
    EXPECT_FALSE(o.restored);
    EXPECT_NE(o.restoreMessage.find("registers NOT restored: 0 (St1)"), std::string::npos)
        << o.restoreMessage;
    EXPECT_NE(o.restoreMessage.find("13 (regulator flags)"), std::string::npos);
}

TEST_F(TuningAborts, Refusals)
{
    {
        SCOPED_TRACE("external set point");
        board.bank().setBits(sim::reg::RegulatorFlags, 6 | 0x10);
        snapshot = registers();
        expectRefused(run(), "external set point");
    }
    {
        SCOPED_TRACE("Off without an operating point");
        board.bank().setBits(sim::reg::RegulatorFlags, 0);
        snapshot = registers();
        expectRefused(run(), "mode is Off and no operating point");
        request.setPoint = 25;
        EXPECT_TRUE(run().ok());
        expectUnchanged();
        request.setPoint.reset();
    }
    {
        SCOPED_TRACE("Power mode");
        board.bank().setBits(sim::reg::RegulatorFlags, 1);
        snapshot = registers();
        expectRefused(run(), "Power mode");
    }
    board.bank().setBits(sim::reg::RegulatorFlags, 6);
    snapshot = registers();
    request.maxPower = 90;
    expectRefused(run(), "not within the regulator's \"Max power out\" (80.0 %)");
    request.maxPower = 2;
    expectRefused(run(), "inside the output \"Dead-band\"");
    request.maxPower = 30;
    request.setPoint = 60;
    expectRefused(run(), "outside the band");
    request.setPoint.reset();
    board.onSample = [](RuntimeSample& s) { s.g_error = 0x00020000; };
    expectRefused(run(), "[Temp1 Low]");
    board.onSample = nullptr;
    board.close();
    expectRefused(run(), "no link");
}

// The relay is idle while the load sits at the operating point (here the
// regulator has been holding St1 for a while): the run starts the set point
// a little off and still finds the oscillation; the regulator keeps running.
TEST_F(TuningAborts, LoadAlreadyAtTheOperatingPoint)
{
    board.bank().setBits(sim::reg::RegulatorFlags, 6);
    board.model().start();
    board.advance(90);
    snapshot = registers();
    const TuningOutcome o = run();
    ASSERT_TRUE(o.ok()) << o.message;
    EXPECT_NEAR(o.operatingPoint, 25.0, 1e-6);
    EXPECT_GT(o.figures->ku, 0.0);
    EXPECT_TRUE(board.model().running());
    expectUnchanged();
}
