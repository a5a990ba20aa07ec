#include <gtest/gtest.h>

#include <cmath>

#include "fake_register_io.h"
#include "params/register_transfer.h"
#include "params/tq_file.h"
#include "register_order.h"

namespace {


class CountingView : public DocumentView {
public:
    void onDocumentUpdate() override { ++updates; }
    int updates = 0;
};

class RegisterTransferTest : public ::testing::Test {
protected:
    int download(bool ieee = true, bool service = false) {
        return DownloadParameters(io, host, doc, {ieee, service});
    }
    int get(TQFile1& target, bool ieee = true) {
        return GetParameters(io, host, target, {ieee, false});
    }
    FakeRegisterIo io;
    FakeTransferHost host;
    TQFile1 doc;
};

}  // namespace

TEST_F(RegisterTransferTest, CalibrationBlocksByType) {
    doc.sensor1.select = kPt100;
    doc.sensor2.select = kPt100;
    doc.sensor3.select = 2;                      // TC-NTC-2
    doc.sensor4.select = 10;                     // no model
    doc.sensor4.records[10].gain = 2.5f;
    ASSERT_EQ(download(true), 0);
    EXPECT_EQ(io.bits[55], 24u);
    EXPECT_EQ(io.bits[56], 16u);
    EXPECT_EQ(io.value(37), 1.0f);
    EXPECT_EQ(io.value(38), 0.0f);
    EXPECT_EQ(io.value(62), 0.003908f);
    EXPECT_EQ(io.value(63), -5.775e-07f);
    EXPECT_EQ(io.value(64), 0.0f);
    EXPECT_EQ(io.value(82), 100.0f);
    EXPECT_EQ(io.value(83), 0.0f);
    EXPECT_EQ(io.value(84), 0.0f);

    const SensorCalibration& ntc = doc.sensor3.records[2];
    const SteinhartHart sh = SteinhartHartCoefficients(ntc);
    EXPECT_NE(sh.a, 0.0f);
    EXPECT_EQ(io.value(65), sh.a);
    EXPECT_EQ(io.value(66), sh.b);
    EXPECT_EQ(io.value(67), sh.c);
    EXPECT_EQ(io.value(85), ntc.d[5]);
    EXPECT_EQ(io.value(86), ntc.d[3]);
    EXPECT_EQ(io.value(87), ntc.d[1]);

    EXPECT_EQ(io.value(41), 2.5f);
    for (int reg : {68, 69, 70, 88, 89, 90})
        EXPECT_EQ(io.bits[reg], 0u) << reg;
}

TEST_F(RegisterTransferTest, DownloadFailureStopsAtOnceAndRestoresTheMode) {
    io.failAt = 47;
    EXPECT_EQ(download(), TimeoutEcho);
    ASSERT_FALSE(io.written.empty());
    EXPECT_EQ(io.written.back(), 46);
    EXPECT_EQ(io.accesses, static_cast<int>(io.written.size()) + 1);
    EXPECT_EQ(host.mode, 1);
    EXPECT_EQ(host.messages.back(), "Error when writing data - error 3 [Timeout - echo msg]");

    // Inside a calibration block.
    io = FakeRegisterIo();
    io.failAt = 83;
    io.failResult = TimeoutData;
    EXPECT_EQ(download(), TimeoutData);
    EXPECT_EQ(io.written.back(), 82);
    EXPECT_EQ(host.messages.back(), "Error when writing data - error 4 [Timeout - data msg]");
}

TEST_F(RegisterTransferTest, ClosedLinkDoesNothing) {
    host.open = false;
    EXPECT_EQ(download(), 0);
    EXPECT_EQ(get(doc), 0);
    EXPECT_TRUE(io.log.empty());
    EXPECT_TRUE(host.messages.empty());
    EXPECT_TRUE(host.modes.empty());
}

TEST_F(RegisterTransferTest, RoundTripReplacesTheDocument) {
    doc.sensor1.select = 1;        // NTC
    doc.sensor2.select = kPt100;
    doc.sensor3.select = 10;       // no model
    doc.st1 = 31.5f;
    doc.fan2HighVoltage = 42.0f;
    doc.loopLowCount = 77;
    ASSERT_EQ(download(true, true), 0);
    io.bits[9] = std::bit_cast<std::uint32_t>(0.25f);   // the regulator's own ts

    TQFile1 target;
    CountingView view;
    target.AddView(&view);
    io.read.clear();
    ASSERT_EQ(get(target), 0);
    const char kinds[4] = {'n', 'p', 'o', 'n'};
    EXPECT_EQ(io.read, regorder::get(kinds));
    EXPECT_EQ(target.st1, 31.5f);
    EXPECT_EQ(target.fan2HighVoltage, 42.0f);
    EXPECT_EQ(target.loopLowCount, 77u);
    EXPECT_EQ(target.ts, 0.25f);
    EXPECT_EQ(target.vInUnder, doc.vInUnder);
    EXPECT_EQ(target.alarmEnable2, doc.alarmEnable2);
    EXPECT_EQ(target.sensor1.select, 0u);
    EXPECT_EQ(target.sensor1.records[0].type, kSensorTypeNtc | 0x08u) << "kept as received";
    EXPECT_EQ(target.sensor2.records[0].type, kSensorTypePt);
    EXPECT_EQ(target.sensor2.records[0].d[2], 100.0f);
    EXPECT_EQ(target.sensor3.records[0].d[0], 0.0f);
    for (const char* name : {target.sensor1.records[0].name, target.sensor2.records[0].name,
                             target.sensor3.records[0].name, target.sensor4.records[0].name})
        EXPECT_STREQ(name, "New upload");
    // The NTC points come back from the coefficients.
    const auto& sent = doc.sensor1.records[1];
    const auto& back = target.sensor1.records[0];
    for (int i = 0; i < 6; ++i)
        EXPECT_NEAR(back.d[i], sent.d[i], std::fabs(sent.d[i]) * 1e-3) << i;
    EXPECT_TRUE(target.IsModified());
    EXPECT_EQ(view.updates, 1);
    EXPECT_EQ(host.messages.back(), "Reading parameters -- done.");
    target.RemoveView(&view);
}

TEST_F(RegisterTransferTest, FailedGetLeavesTheDocumentUnchanged) {
    ASSERT_EQ(download(), 0);
    TQFile1 target;
    target.st1 = -3.0f;
    target.sensor2.select = 7;
    CountingView view;
    target.AddView(&view);
    for (int failAt : {40, 84}) {
        io.failAt = failAt;
        host.messages.clear();
        EXPECT_EQ(get(target), TimeoutEcho) << failAt;
        EXPECT_EQ(target.st1, -3.0f);
        EXPECT_EQ(target.sensor1.select, 1u);
        EXPECT_EQ(target.sensor2.select, 7u);
        EXPECT_STREQ(target.sensor1.records[0].name, "Preset");
        EXPECT_FALSE(target.IsModified());
        EXPECT_EQ(view.updates, 0);
        EXPECT_EQ(host.mode, 1);
        EXPECT_EQ(host.messages,
                  (std::vector<std::string>{"Get parameters from regulator",
                                            "Error when reading data - error 3 [Timeout - echo msg]"}));
        EXPECT_EQ(io.read.back(), failAt == 40 ? 39 : 83) << "nothing is read after the failure";
    }
    target.RemoveView(&view);
}

