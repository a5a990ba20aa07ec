// The field description: labels, kinds, entry ranges and the units the
// window shows; assignments by name refused outside the range.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "params/parameter_assign.h"
#include "params/parameter_fields.h"
#include "params/tq_interface_doc.h"
#include "test_support.h"

TEST(ParameterFieldTable, EveryShownFieldHasItsLabelAndEveryDefaultIsInRange) {
    ParameterSet defaults;
    defaults.ApplyDefaults();
    std::set<std::string> names;
    for (const FieldInfo& f : allFields()) {
        SCOPED_TRACE(f.name);
        EXPECT_TRUE(names.insert(f.name).second);
        EXPECT_EQ(findField(f.name), &f);
        EXPECT_LE(f.min, f.max);
        EXPECT_TRUE(FieldAccepts(f, f.value(defaults)));
        const bool shown = f.page[0] != '\0';
        const bool isAux = std::string(f.name).rfind("aux", 0) == 0;
        EXPECT_EQ(shown, !isAux);
        if (shown && f.bits == 0) {
            EXPECT_NE(f.label[0], '\0');
        }
        EXPECT_EQ(f.precision(), f.isDouble ? 15 : 6);
    }
    EXPECT_EQ(findField("noSuchField"), nullptr);
    EXPECT_STREQ(findField("kP")->label, "Propotional (kP)");
    EXPECT_STREQ(findField("decay")->label, "Decay when stoped");
    EXPECT_STREQ(findField("fan2LowHyst")->label, "Low Speed Hysteresis");
    EXPECT_STREQ(findField("fan1IOver")->group, "FAN 1 Current");
    EXPECT_STREQ(findField("loopHighCount")->label, "High (s)");
    EXPECT_EQ(findField("t3Low")->kind, FieldKind::Temperature);
    EXPECT_EQ(findField("algoHysteresis")->kind, FieldKind::TemperatureDifference);
    EXPECT_EQ(findField("fan1DeadBand")->kind, FieldKind::TemperatureDifference);
    EXPECT_EQ(findField("maxPower")->kind, FieldKind::Plain);
    EXPECT_STREQ(findField("maxPower")->unit, "%");
}

TEST(ParameterFieldTable, RangesRefuseWhatTheRegulatorCannotUse) {
    auto accepts = [](const char* name, double v) { return FieldAccepts(*findField(name), v); };
    EXPECT_FALSE(accepts("st1", 1e9));
    EXPECT_FALSE(accepts("ts", 0));
    EXPECT_TRUE(accepts("ts", 0.001));
    EXPECT_FALSE(accepts("kP", -5));
    EXPECT_FALSE(accepts("maxPower", 100.5));
    EXPECT_TRUE(accepts("maxPower", 100));
    EXPECT_FALSE(accepts("fan1Mode", 7));
    EXPECT_FALSE(accepts("fan2Mode", 1.5));
    EXPECT_TRUE(accepts("fan2Mode", 5));
    EXPECT_FALSE(accepts("regulatorFlags", 7));       // mode beyond PID
    EXPECT_FALSE(accepts("regulatorFlags", 0x40));    // never stored
    EXPECT_TRUE(accepts("regulatorFlags", 0x1B6));    // PID with every option
    EXPECT_FALSE(accepts("alarmEnable1", 0x400));
    EXPECT_TRUE(accepts("alarmEnable2", 0xFF));
    EXPECT_FALSE(accepts("loopHighCount", 0));
    EXPECT_TRUE(accepts("aux96", 4294967295.0));
    EXPECT_FALSE(accepts("st2", std::numeric_limits<double>::quiet_NaN()));

    EXPECT_EQ(FieldRangeText(*findField("st1")), "-200 .. 500 °C");
    EXPECT_EQ(FieldRangeText(*findField("ts")), "0.001 .. 10 s");
    EXPECT_EQ(FieldRangeText(*findField("fan1Mode")), "0 .. 5");
    EXPECT_EQ(FieldRangeText(*findField("alarmEnable1")), "bits within 0x3FF");
    EXPECT_EQ(FieldRangeText(*findField("aux31")), "any finite number");
}

TEST(ParameterFieldTable, FahrenheitAddsThirtyTwoToTemperaturesOnly) {
    const FieldInfo& st1 = *findField("st1");
    const FieldInfo& deadBand = *findField("fan1DeadBand");
    const FieldInfo& voltage = *findField("fan1LowVoltage");
    EXPECT_DOUBLE_EQ(FieldToDisplay(st1, 25, false), 77);
    EXPECT_FLOAT_EQ(static_cast<float>(FieldFromDisplay(st1, 77, false)), 25.0f);
    EXPECT_DOUBLE_EQ(FieldToDisplay(deadBand, 5, false), 9);
    EXPECT_FLOAT_EQ(static_cast<float>(FieldFromDisplay(deadBand, 9, false)), 5.0f);
    EXPECT_DOUBLE_EQ(FieldToDisplay(voltage, 12, false), 12);
    EXPECT_DOUBLE_EQ(FieldToDisplay(st1, 25, true), 25);
    EXPECT_STREQ(FieldDisplayUnit(st1, false), "°F");
    EXPECT_STREQ(FieldDisplayUnit(deadBand, true), "°C");
    EXPECT_STREQ(FieldDisplayUnit(voltage, false), "V");
}

TEST(ParameterFieldTable, AssignmentOutsideTheRangeNamesFieldAndRangeAndChangesNothing) {
    ParameterSet p;
    p.ApplyDefaults();
    const ParameterSet before = p;
    std::string error;
    for (const auto& [name, value] : std::vector<std::pair<std::string, std::string>>{
             {"st1", "1e9"}, {"ts", "0"}, {"kP", "-5"}, {"fan1Mode", "7"}, {"regulatorFlags", "0x47"}}) {
        SCOPED_TRACE(name);
        EXPECT_FALSE(AssignParameter(p, nullptr, name, value, error));
        EXPECT_NE(error.find(name + "=" + value + " is out of range ("), std::string::npos) << error;
        EXPECT_NE(error.find(FieldRangeText(*findField(name))), std::string::npos) << error;
    }
    EXPECT_EQ(p.st1, before.st1);
    EXPECT_EQ(p.ts, before.ts);
    EXPECT_EQ(p.kP, before.kP);
    EXPECT_EQ(p.fan1Mode, before.fan1Mode);
    EXPECT_EQ(p.regulatorFlags, before.regulatorFlags);
    EXPECT_TRUE(AssignParameter(p, nullptr, "fan1Mode", "5", error)) << error;
    EXPECT_EQ(p.fan1Mode, 5u);
}

// A stored file is read whatever its values: the ranges guard entry only.
TEST(ParameterFieldTable, FilesWithValuesOutsideTheRangesStillOpen) {
    ScratchDir dir;
    const std::string path = dir.file("wide.tq");
    {
        CTQ_InterfaceDoc doc;
        doc.st1 = 1e9f;
        doc.fan1Mode = 7;
        doc.ts = 0;
        ASSERT_TRUE(doc.SaveAs(path));
    }
    CTQ_InterfaceDoc doc;
    ASSERT_TRUE(doc.OnOpenDocument(path));
    EXPECT_EQ(doc.st1, 1e9f);
    EXPECT_EQ(doc.fan1Mode, 7u);
    EXPECT_EQ(doc.ts, 0.0f);
}
