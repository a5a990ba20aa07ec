// The compare against the virtual regulator over its pseudo-terminal.
#include <gtest/gtest.h>

#include <bit>

#include "fake_register_io.h"
#include "params/register_compare.h"
#include "params/register_io_serial.h"
#include "params/tq_file.h"
#include "sim_link.h"

namespace {


class CompareEndToEnd : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(sim.error(), "");
        sim.link().setTimeout(1.0);
    }
    int download(bool ieee) { return DownloadParameters(io, host, doc, {ieee, false}); }
    RegisterComparison compare(bool ieee) {
        sim.sim().clearReceived();
        return CompareWithRegulator(io, host, doc, {ieee, false});
    }

    SimLink sim;
    SerialRegisterIo io{sim.link()};
    FakeTransferHost host;
    TQFile1 doc;
};

}  // namespace

TEST_F(CompareEndToEnd, CleanDownloadThenChangeBehindTheProgramsBack) {
    doc.decay = 0.1f;
    doc.kD = 0.3f;
    doc.sensor2.select = kPt100;
    for (bool ieee : {true, false}) {
        SCOPED_TRACE(ieee ? "IEEE" : "decimal");
        ASSERT_EQ(download(ieee), 0);
        const RegisterComparison clean = compare(ieee);
        EXPECT_EQ(clean.result, 0);
        EXPECT_TRUE(clean.differences.empty());
        for (const std::string& c : sim.commands("$R"))
            EXPECT_EQ(c.find('='), std::string::npos) << "the compare only reads: " << c;
        EXPECT_FALSE(sim.commands(ieee ? "$RN12?" : "$R12?").empty());

        sim.sim().setRegisterBits(7, std::bit_cast<std::uint32_t>(4.5f));   // deadBand
        sim.sim().setRegisterBits(92, 3);                                     // alarmEnable2
        const RegisterComparison changed = compare(ieee);
        EXPECT_EQ(changed.result, 0);
        ASSERT_EQ(changed.differences.size(), 2u);
        EXPECT_EQ(changed.differences[0].field, "deadBand");
        EXPECT_EQ(changed.differences[0].documentValue, "3");
        EXPECT_EQ(changed.differences[0].regulatorValue, "4.5");
        EXPECT_EQ(changed.differences[1].field, "alarmEnable2");
        EXPECT_EQ(changed.differences[1].documentValue, "67");
        EXPECT_EQ(changed.differences[1].regulatorValue, "3");
        EXPECT_EQ(changed.regulator.deadBand, 4.5f);
        EXPECT_EQ(doc.deadBand, 3.0f);
    }
}

TEST_F(CompareEndToEnd, SilentRegulatorEndsWithTheTimeout) {
    ASSERT_EQ(download(true), 0);
    sim.sim().failAtRegister(20, sim::Fault::NoEcho);
    const RegisterComparison c = compare(true);
    EXPECT_EQ(c.result, TimeoutEcho);
    EXPECT_EQ(host.messages.back(), "Error when reading data - error 3 [Timeout - echo msg]");
}
