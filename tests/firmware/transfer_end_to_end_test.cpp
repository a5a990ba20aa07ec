// Parameter download and get against the virtual regulator.
#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cstdlib>

#include "fake_register_io.h"
#include "params/parameter_fields.h"
#include "params/register_io_serial.h"
#include "params/register_transfer.h"
#include "params/tq_file.h"
#include "register_order.h"
#include "sim_link.h"

namespace {


// The register number of "$R12=...", "$RN12?" and the like.
int registerOf(const std::string& command) {
    std::size_t i = command.rfind("$RN", 0) == 0 ? 3 : 2;
    return std::atoi(command.c_str() + i);
}

class TransferEndToEnd : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(sim.error(), "");
        sim.link().setTimeout(1.0);
        sim.sim().clearReceived();
    }
    int download(bool ieee, bool service = false) {
        return DownloadParameters(io, host, doc, {ieee, service});
    }
    std::vector<int> writtenRegisters() {
        std::vector<int> regs;
        for (const std::string& c : sim.commands("$R"))
            if (c.find('=') != std::string::npos)
                regs.push_back(registerOf(c));
        return regs;
    }
    float simFloat(int reg) { return std::bit_cast<float>(sim.sim().registerBits(reg)); }
    bool received(const std::string& command) {
        const auto all = sim.commands();
        return std::find(all.begin(), all.end(), command) != all.end();
    }

    SimLink sim;
    SerialRegisterIo io{sim.link()};
    FakeTransferHost host;
    TQFile1 doc;
};

}  // namespace

TEST_F(TransferEndToEnd, DefaultDownloadInBothNumberForms) {
    for (bool ieee : {true, false}) {
        SCOPED_TRACE(ieee ? "IEEE" : "decimal");
        sim.sim().clearReceived();
        ASSERT_EQ(download(ieee), 0);
        const auto writes = sim.commands("$R");
        ASSERT_FALSE(writes.empty());
        EXPECT_EQ(writes.front(), "$R13=64");
        EXPECT_EQ(writes.back(), "$R13=0");
        EXPECT_EQ(writtenRegisters(), regorder::download(false));
        EXPECT_TRUE(received(ieee ? "$RN12=3DCCCCCD" : "$R12=0.1"));
        EXPECT_TRUE(received("$R91=351"));
        EXPECT_EQ(simFloat(12), 0.1f);
        EXPECT_EQ(simFloat(71), 80.0f);
        EXPECT_EQ(sim.sim().registerBits(13), 0u);
        EXPECT_EQ(host.messages.back(), "Write parameter -- done");
    }
}

TEST_F(TransferEndToEnd, ServiceModeDecidesInputLimitsAndLoopBit) {
    doc.regulatorFlags = kRegulatorLoopMode | 0x06;
    doc.vInOver = 14.5f;
    ASSERT_EQ(download(true, true), 0);
    EXPECT_EQ(writtenRegisters(), regorder::download(true));
    EXPECT_EQ(simFloat(53), 14.5f);
    EXPECT_EQ(sim.sim().registerBits(13), kRegulatorLoopMode | 0x06);
    EXPECT_TRUE(received("$R13=326"));

    sim.sim().clearReceived();
    doc.vInOver = 15.5f;
    ASSERT_EQ(download(true, false), 0);
    EXPECT_EQ(writtenRegisters(), regorder::download(false));
    EXPECT_EQ(simFloat(53), 14.5f) << "register 53 is written only in service mode";
    EXPECT_EQ(sim.sim().registerBits(13), 0x06u);
    EXPECT_EQ(doc.regulatorFlags, 0x06u);
}

TEST_F(TransferEndToEnd, Pt100Calibration) {
    doc.sensor1.select = kPt100;
    doc.sensor2.select = kPt100;
    ASSERT_EQ(download(false), 0);
    EXPECT_EQ(sim.sim().registerBits(56), 16u);
    EXPECT_EQ(simFloat(37), 1.0f);
    EXPECT_EQ(simFloat(38), 0.0f);
    EXPECT_EQ(simFloat(62), 0.003908f);
    EXPECT_EQ(simFloat(63), -5.775e-07f);
    EXPECT_EQ(simFloat(64), 0.0f);
    EXPECT_EQ(simFloat(82), 100.0f);
    EXPECT_EQ(simFloat(83), 0.0f);
    EXPECT_EQ(simFloat(84), 0.0f);
    EXPECT_EQ(sim.sim().registerBits(55), 24u);
    EXPECT_TRUE(received("$R62=0.003908"));
    EXPECT_TRUE(received("$R63=-5.775E-07"));
}

TEST_F(TransferEndToEnd, DownloadThenGetRoundTrip) {
    for (bool ieee : {true, false}) {
        SCOPED_TRACE(ieee ? "IEEE" : "decimal");
        doc.st1 = 12.5f;
        doc.kP = 33.0f;
        doc.fan1Mode = 2;
        doc.aux96 = 0x1234;
        doc.regulatorFlags = kRegulatorLoopMode | 0x86;
        doc.sensor2.select = kPt100;
        doc.sensor3.select = 3;   // REL-09060
        doc.sensor4.select = 12;  // no model
        doc.ts = 1.5f;            // never sent
        ASSERT_EQ(download(ieee, true), 0);
        sim.sim().setRegisterBits(9, std::bit_cast<std::uint32_t>(0.25f));

        TQFile1 target;
        ASSERT_EQ(GetParameters(io, host, target, {ieee, true}), 0);
        for (const ParameterField& f : ParameterFields()) {
            if (std::string_view(f.name) == "ts")
                continue;
            if (f.isFloat()) {
                const auto m = std::get<float ParameterSet::*>(f.member);
                EXPECT_EQ(target.*m, doc.*m) << f.name;
            } else {
                const auto m = std::get<std::uint32_t ParameterSet::*>(f.member);
                EXPECT_EQ(target.*m, doc.*m) << f.name;
            }
        }
        EXPECT_EQ(target.ts, 0.25f);
        EXPECT_EQ(target.sensor1.select, 0u);
        EXPECT_EQ(target.sensor2.select, 0u);
        EXPECT_EQ(target.sensor3.select, 0u);
        EXPECT_EQ(target.sensor4.select, 0u);
        EXPECT_EQ(target.sensor1.records[0].nameText(), "New upload");
        EXPECT_EQ(target.sensor2.records[0].nameText(), "New upload");
        EXPECT_EQ(target.sensor3.records[0].nameText(), "New upload");
        EXPECT_EQ(target.sensor4.records[0].nameText(), "New upload");
        EXPECT_EQ(target.sensor1.records[0].type, kSensorTypeNtc | 0x08u);
        EXPECT_EQ(target.sensor2.records[0].type, kSensorTypePt);
        EXPECT_EQ(target.sensor2.records[0].d[0], 0.003908f);
        EXPECT_EQ(target.sensor2.records[0].d[2], 100.0f);
        EXPECT_EQ(target.sensor4.records[0].type, 0u);
        const auto& sent = doc.sensor3.records[3];
        const auto& back = target.sensor3.records[0];
        for (int i = 1; i < 6; i += 2)
            EXPECT_EQ(back.d[i], sent.d[i]) << "resistance " << i;
        for (int i = 0; i < 6; i += 2)   // the coefficients carry the temperatures
            EXPECT_NEAR(back.d[i], sent.d[i], ieee ? 0.05 : 0.5) << "temperature " << i;
        EXPECT_TRUE(target.IsModified());
        EXPECT_EQ(host.messages.back(), "Reading parameters -- done.");
    }
}

TEST_F(TransferEndToEnd, FailureInTheMiddleOfADownload) {
    sim.link().setTimeout(0.3);
    sim.sim().failAtRegister(47, sim::Fault::NoEcho);
    EXPECT_EQ(download(true), TimeoutEcho);
    const auto regs = writtenRegisters();
    ASSERT_FALSE(regs.empty());
    EXPECT_EQ(regs.back(), 47);
    EXPECT_EQ(std::count(regs.begin(), regs.end(), 48), 0) << "nothing after the failure";
    EXPECT_EQ(host.mode, 1) << "the previous mode is restored";
    EXPECT_EQ(host.messages.back(), "Error when writing data - error 3 [Timeout - echo msg]");
}

TEST_F(TransferEndToEnd, FailureInTheMiddleOfAGetLeavesTheDocument) {
    ASSERT_EQ(download(true), 0);
    sim.link().setTimeout(0.3);
    sim.sim().failAtRegister(64, sim::Fault::EchoWithoutData);
    TQFile1 target;
    target.kI = 9.0f;
    const TQFile1 reference;
    EXPECT_EQ(GetParameters(io, host, target, {true, false}), TimeoutData);
    EXPECT_EQ(target.kI, 9.0f);
    EXPECT_EQ(target.st1, reference.st1);
    EXPECT_EQ(target.sensor1.select, 1u);
    EXPECT_EQ(target.sensor1.records[0].nameText(), "Preset");
    EXPECT_FALSE(target.IsModified());
    EXPECT_EQ(host.mode, 1);
    EXPECT_EQ(host.messages.back(), "Error when reading data - error 4 [Timeout - data msg]");

    // The link works again once the regulator answers.
    sim.sim().clearFaults();
    sim.link().setTimeout(1.0);
    EXPECT_EQ(GetParameters(io, host, target, {true, false}), 0);
    EXPECT_TRUE(target.IsModified());
}
