// The compare of the regulator's registers with a parameter set, against
// registers in memory.
#include <gtest/gtest.h>

#include <bit>

#include "fake_register_io.h"
#include "params/register_compare.h"
#include "params/tq_file.h"

namespace {


class RegisterCompareTest : public ::testing::Test {
protected:
    void download(bool ieee, bool service = false) {
        TQFile1 copy;
        static_cast<ParameterSet&>(copy) = doc;
        ASSERT_EQ(DownloadParameters(io, host, copy, {ieee, service}), 0);
    }
    RegisterComparison compare(bool ieee, bool service = false) {
        host.messages.clear();
        return CompareWithRegulator(io, host, doc, {ieee, service});
    }
    void setFloat(int reg, float value) { io.bits[reg] = std::bit_cast<std::uint32_t>(value); }

    FakeRegisterIo io;
    FakeTransferHost host;
    TQFile1 doc;
};

}  // namespace

TEST_F(RegisterCompareTest, CleanDownloadHasNoDifferencesInBothNumberForms) {
    doc.decay = 0.1f;          // rounds in decimal text
    doc.kP = 1.23456789f;      // more digits than "%G" carries
    doc.sensor2.select = kPt100;
    for (bool ieee : {true, false}) {
        SCOPED_TRACE(ieee ? "IEEE" : "decimal");
        io.bits.clear();
        download(ieee);
        const RegisterComparison c = compare(ieee);
        EXPECT_EQ(c.result, 0);
        EXPECT_TRUE(c.equal());
        for (const RegisterDifference& d : c.differences)
            ADD_FAILURE() << d.reg << " " << d.field << ": " << d.documentValue << " vs "
                          << d.regulatorValue;
        ASSERT_FALSE(host.messages.empty());
        EXPECT_EQ(host.messages.front(), kMsgCompareParameters);
        EXPECT_EQ(host.messages.back(), kMsgCompareEqual);
        EXPECT_EQ(host.mode, 1) << "the previous connection mode is restored";
    }
    // With IEEE off the regulator holds only what the text carried.
    EXPECT_NE(io.value(1), doc.kP);
}

TEST_F(RegisterCompareTest, ChangedRegistersAreReportedWithFieldLabelAndBothValues) {
    doc.sensor2.select = kPt100;
    download(true);
    setFloat(1, 25.0f);            // kP
    io.bits[16] = 2;               // fan1Mode
    setFloat(63, -6e-07f);         // sensor 2's B (PT100)
    setFloat(82, 101.0f);          // sensor 2's Ro
    const RegisterComparison c = compare(true);
    EXPECT_EQ(c.result, 0);
    ASSERT_EQ(c.differences.size(), 4u);

    EXPECT_EQ(c.differences[0].reg, 1);
    EXPECT_EQ(c.differences[0].field, "kP");
    EXPECT_EQ(c.differences[0].label, "Propotional (kP)");
    EXPECT_EQ(c.differences[0].documentValue, "20");
    EXPECT_EQ(c.differences[0].regulatorValue, "25");
    EXPECT_EQ(c.differences[1].field, "fan1Mode");
    EXPECT_EQ(c.differences[1].label, "Fan 1 Mode");
    EXPECT_EQ(c.differences[1].documentValue, "0");
    EXPECT_EQ(c.differences[1].regulatorValue, "2");
    EXPECT_EQ(c.differences[2].reg, 63);
    EXPECT_EQ(c.differences[2].field, "sensor2.B");
    EXPECT_EQ(c.differences[3].reg, 82);
    EXPECT_EQ(c.differences[3].field, "sensor2.Ro");
    EXPECT_EQ(c.differences[3].regulatorValue, "101");
    EXPECT_EQ(host.messages.back(), "Compare with regulator -- 4 differences");

    // The regulator's values as Get parameters stores them; the document is untouched.
    EXPECT_EQ(c.regulator.kP, 25.0f);
    EXPECT_EQ(c.regulator.fan1Mode, 2u);
    EXPECT_EQ(c.regulator.sensor2.select, 0u);
    EXPECT_EQ(c.regulator.sensor2.records[0].d[2], 101.0f);
    EXPECT_EQ(doc.kP, 20.0f);
    EXPECT_FALSE(doc.IsModified());
}

TEST_F(RegisterCompareTest, OneBitApartIsADifferenceOnlyWithIeee) {
    doc.kI = 2.5f;
    download(true);
    io.bits[2] += 1;   // the next float up: same "%G" text
    const RegisterComparison ieee = compare(true);
    ASSERT_EQ(ieee.differences.size(), 1u);
    EXPECT_EQ(ieee.differences[0].field, "kI");
    EXPECT_EQ(ieee.differences[0].documentValue, "2.5");
    EXPECT_EQ(ieee.differences[0].regulatorValue, "2.5000002");
    EXPECT_TRUE(compare(false).equal()) << "the decimal text of both is 2.5";
}

TEST_F(RegisterCompareTest, OnlyRegistersTheDownloadWritesAreCompared) {
    download(true);
    setFloat(9, 0.2f);        // ts: read only
    setFloat(43, 7.0f);       // not in the transfer
    setFloat(53, 99.0f);      // vInOver: written in service mode only
    setFloat(54, doc.vInUnder);
    EXPECT_TRUE(compare(true, false).equal());

    const RegisterComparison service = compare(true, true);
    ASSERT_EQ(service.differences.size(), 1u);
    EXPECT_EQ(service.differences[0].reg, 53);
    EXPECT_EQ(service.differences[0].field, "vInOver");
    EXPECT_EQ(service.differences[0].documentValue, "13");
    EXPECT_EQ(service.differences[0].regulatorValue, "99");
}

TEST_F(RegisterCompareTest, ComparesTheFormTheDownloadSends) {
    // Outside service mode a download clears the loop bit and sends sensor
    // 1's type with bit 0x08; the regulator holding that is no difference.
    doc.regulatorFlags = kRegulatorLoopMode | 0x06;
    download(true);
    EXPECT_EQ(io.bits[13], 0x06u);
    EXPECT_EQ(io.bits[55], doc.sensor1.selected().type | 0x08u);
    EXPECT_TRUE(compare(true).equal());
    EXPECT_EQ(doc.regulatorFlags, kRegulatorLoopMode | 0x06) << "the document keeps its bit";

    io.bits[13] = 0x46;   // the download mark left standing
    const RegisterComparison c = compare(true);
    ASSERT_EQ(c.differences.size(), 1u);
    EXPECT_EQ(c.differences[0].field, "regulatorFlags");
    EXPECT_EQ(c.differences[0].documentValue, "6");
    EXPECT_EQ(c.differences[0].regulatorValue, "70");
}

TEST_F(RegisterCompareTest, ValuesThatPrintAlikeShowTheirBitPatterns) {
    doc.aux31 = std::bit_cast<float>(0x7FC00000u);   // a NaN
    download(true);
    io.bits[31] = 0x7FC00001u;                       // another NaN
    const RegisterComparison c = compare(true);
    ASSERT_EQ(c.differences.size(), 1u);
    EXPECT_EQ(c.differences[0].field, "aux31");
    EXPECT_EQ(c.differences[0].documentValue, "nan (7FC00000)");
    EXPECT_EQ(c.differences[0].regulatorValue, "nan (7FC00001)");
    EXPECT_EQ(c.differences[0].label, "");

    setFloat(31, -0.0f);
    doc.aux31 = 0.0f;
    const RegisterComparison zero = compare(true);
    ASSERT_EQ(zero.differences.size(), 1u);
    EXPECT_EQ(zero.differences[0].documentValue, "0");
    EXPECT_EQ(zero.differences[0].regulatorValue, "-0");
}

TEST_F(RegisterCompareTest, ALinkFailureEndsTheCompareWithItsCode) {
    download(true);
    io.failAt = 40;
    io.failResult = TimeoutData;
    const RegisterComparison c = compare(true);
    EXPECT_EQ(c.result, TimeoutData);
    EXPECT_FALSE(c.equal());
    EXPECT_EQ(host.messages.back(), "Error when reading data - error 4 [Timeout - data msg]");
    EXPECT_EQ(host.mode, 1);

    host.open = false;
    const int before = io.accesses;
    EXPECT_EQ(compare(true).result, PortInvalid);
    EXPECT_EQ(io.accesses, before) << "a closed link is not touched";
}

TEST(RegisterCompareNames, SensorRegistersByRoleAndCountTexts) {
    TQFile1 doc;
    doc.sensor3.select = kPt100;
    EXPECT_EQ(registerFieldName(35, doc), "sensor1.gain");
    EXPECT_EQ(registerFieldName(42, doc), "sensor4.offset");
    EXPECT_EQ(registerFieldName(57, doc), "sensor3.type");
    EXPECT_EQ(registerFieldName(59, doc), "sensor1.A");
    EXPECT_EQ(registerFieldName(61, doc), "sensor1.C");
    EXPECT_EQ(registerFieldName(79, doc), "sensor1.R3");
    EXPECT_EQ(registerFieldName(85, doc), "sensor3.Ro");
    EXPECT_EQ(registerFieldName(90, doc), "sensor4.R1");
    EXPECT_EQ(registerFieldName(96, doc), "aux96");
    EXPECT_EQ(registerFieldName(43, doc), "");
    EXPECT_EQ(fieldPageLabel("fan2HighVoltage"), "Fan 2 High Speed Voltage");
    EXPECT_EQ(fieldPageLabel("aux31"), "");
    EXPECT_EQ(fieldPageLabel("t3Low"), "T3 Low");
    EXPECT_EQ(fieldPageLabel("sensor2.Ro"), "Sensor 2 Ro");
    EXPECT_EQ(differenceCountText("Write parameter -- done,", 1),
              "Write parameter -- done, 1 difference");
}
