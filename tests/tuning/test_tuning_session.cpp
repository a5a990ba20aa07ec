// Tuning runs against the in-process virtual regulator: the one end-to-end
// tuning on the fast load, every way a run can stop, and the refusals. After
// each, every register of the regulator holds exactly what it held before.
#include <gtest/gtest.h>

#include <array>
#include <atomic>
#include <bit>
#include <cstdio>
#include <thread>

#include "link/serial_manager.h"
#include "params/register_io_serial.h"
#include "sim/virtual_regulator.h"
#include "tuning/serial_tuning_link.h"
#include "tuning/tuning_session.h"

using namespace tuning;

namespace {

constexpr int kRegisters = 97;
constexpr double kSpeed = 8.0;   // regulator seconds per real second

class TuningSession : public ::testing::Test {
protected:
    void SetUpFor(const std::string& plant, std::uint32_t flags = 6, float st1 = 25.0f)
    {
        sim::SimOptions options;
        options.plant = *sim::plantPreset(plant);
        options.speed = kSpeed;
        regulator_ = std::make_unique<sim::VirtualRegulator>(options);
        ASSERT_TRUE(regulator_->start());
        regulator_->setRegisterBits(13, flags);
        regulator_->setRegisterBits(0, std::bit_cast<std::uint32_t>(st1));
        ASSERT_EQ(link_.open(regulator_->slavePath(), 115200), Ok);
        before_ = registers();
    }
    void TearDown() override
    {
        link_.close();
        if (regulator_)
            regulator_->stop();
    }
    std::array<std::uint32_t, kRegisters> registers() const
    {
        std::array<std::uint32_t, kRegisters> r{};
        for (int i = 0; i < kRegisters; ++i)
            r[i] = regulator_->registerBits(i);
        return r;
    }
    void expectRegistersAsBefore()
    {
        const auto now = registers();
        for (int i = 0; i < kRegisters; ++i)
            EXPECT_EQ(now[i], before_[i]) << "register " << i;
        for (const std::string& c : regulator_->receivedCommands())
            EXPECT_NE(c, "$RW") << "saved to FLASH";
    }
    TuningOutcome run(const TuningRequest& request, const std::atomic<bool>* cancel = nullptr)
    {
        SerialRegisterIo io(link_);
        SerialTuningLink tl(link_);
        return runTuning(io, tl, request, {}, cancel);
    }

    std::unique_ptr<sim::VirtualRegulator> regulator_;
    SerialManager link_;
    std::array<std::uint32_t, kRegisters> before_{};
};

}  // namespace

TEST_F(TuningSession, TunesTheLaserMountAndRestoresEveryRegister)
{
    SetUpFor("laser-mount");
    TuningRequest request;
    request.maxPower = 30;
    std::vector<std::string> shown;
    SerialRegisterIo io(link_);
    SerialTuningLink tl(link_);
    const TuningOutcome o = runTuning(io, tl, request, [&](const ExperimentProgress& p) {
        shown.push_back(progressText(p));
    });
    ASSERT_TRUE(o.ok()) << o.message << " / " << o.restoreMessage;
    ASSERT_TRUE(o.figures);
    std::printf("Ku %.2f Tu %.2f a %.3f d %.1f lead %.1f asym %.2f time %.0f s -> kP %.3f kI %.4f kD %.3f\n",
                o.figures->ku, o.figures->tu, o.figures->amplitude, o.figures->outputAmplitude,
                o.figures->phaseLead, o.figures->asymmetry, o.experimentSeconds, o.proposed.kP,
                o.proposed.kI, o.proposed.kD);
    EXPECT_GT(o.figures->ku, 0);
    EXPECT_GT(o.figures->tu, 1.0);
    EXPECT_LT(o.figures->tu, 60.0);
    EXPECT_NEAR(o.figures->outputAmplitude, 30.0, 0.5);
    EXPECT_GT(o.proposed.kP, 0);
    EXPECT_GT(o.proposed.kI, 0);
    EXPECT_EQ(o.restoreMessage, "registers restored and verified");
    EXPECT_FALSE(shown.empty());
    expectRegistersAsBefore();
}

// The stream falls silent while the registers still answer: the run stops
// for the lost link and everything is written back over the serial link.
TEST_F(TuningSession, SilentStreamStopsTheRunAndRestoresOverTheLink)
{
    SetUpFor("laser-mount", 4 | 0x100, 24.0f);
    TuningRequest request;
    request.maxPower = 30;
    request.linkLossSeconds = 0.5;
    std::thread silence([&] {
        std::this_thread::sleep_for(std::chrono::seconds(2));
        regulator_->setFault(sim::Fault::StreamStops);
    });
    const TuningOutcome o = run(request);
    silence.join();
    regulator_->clearFaults();
    EXPECT_EQ(o.status, TuningStatus::Aborted);
    EXPECT_EQ(o.reason, StopReason::LinkLost) << o.message;
    EXPECT_TRUE(o.restored) << o.restoreMessage;
    expectRegistersAsBefore();
}
