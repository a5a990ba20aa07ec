#include <gtest/gtest.h>

#include <cstring>

#include "params/calibration_editor.h"
#include "params/sensor_calibration.h"
#include "params/sensor_presets.h"

TEST(SensorPresets, TablesHoldTheLibrary) {
    const auto& ex = SensorPresetsEx();
    const auto& plain = SensorPresets();
    EXPECT_EQ(ex[0].nameText(), "Preset");
    EXPECT_EQ(ex[3].nameText(), "REL-09060");
    EXPECT_EQ(ex[5].nameText(), "PT1000");
    EXPECT_EQ(ex[6].nameText(), "Unkown 7");
    EXPECT_EQ(ex[31].nameText(), "Unkown 32");
    EXPECT_EQ(plain[31].nameText(), "Unkown 32");

    EXPECT_EQ(ex[1].type, kSensorTypeNtc);
    EXPECT_EQ(ex[4].type, kSensorTypePt);
    EXPECT_EQ(ex[4].d[1], -5.775e-07f);
    EXPECT_EQ(plain[5].d[2], 1000.0f);
    EXPECT_EQ(plain[2].d[1], 48976.5f);
    EXPECT_EQ(ex[2].potGain, 10u);
    EXPECT_EQ(ex[2].potOffset, 128u);
    EXPECT_EQ(ex[10].type, 0u);
    EXPECT_EQ(ex[10].potGain, 0u);
    EXPECT_EQ(ex[10].gain, 1.0f);
    EXPECT_EQ(ex[10].d[0], 0.0f);
}

TEST(SteinhartHart, NtcPresetCoefficientsAndBack) {
    const SensorCalibration& r = SensorPresets()[1];
    const SteinhartHart k = SteinhartHartCoefficients(r);
    EXPECT_NEAR(k.a, 1.3969e-03, 0.0002e-03);
    EXPECT_NEAR(k.b, 2.3783e-04, 0.0002e-04);
    EXPECT_NEAR(k.c, 9.373e-08, 0.003e-08);

    EXPECT_NEAR(SteinhartHartTemperature(k.a, k.b, k.c, r.d[1]), 253.15f, 0.05f);
    EXPECT_NEAR(SteinhartHartTemperature(k.a, k.b, k.c, r.d[3]), 298.15f, 0.05f);
    EXPECT_NEAR(SteinhartHartTemperature(k.a, k.b, k.c, r.d[5]), 333.15f, 0.05f);
}

TEST(SteinhartHart, UndefinedResultsBecomeZero) {
    const SteinhartHart k =
        SteinhartHartCoefficients(253.15f, 1000.0f, 298.15f, 500.0f, 333.15f, 1000.0f);
    EXPECT_EQ(k.a, 0.0f);
    EXPECT_EQ(k.b, 0.0f);
    EXPECT_EQ(k.c, 0.0f);

    const SteinhartHart none = SteinhartHartCoefficients(SensorPresets()[7]);  // all zeros
    EXPECT_EQ(none.a, 0.0f);
    EXPECT_EQ(SteinhartHartTemperature(0.0f, 0.0f, 0.0f, 1000.0f), 0.0f);   // 1/0
    EXPECT_EQ(SteinhartHartTemperature(1e-3f, 2e-4f, 1e-7f, -5.0f), 0.0f);  // ln of a negative
}

TEST(CalibrationSummary, TextForEachModel) {
    SensorCalibration pt = SensorPresets()[4];
    EXPECT_EQ(CalibrationSummary(4, pt),
              "[4] PT100\n\nGain\t1\nOffset\t0\n\nPT mode\nCoff:\nA  3.90799996e-03\n"
              "B  -5.77499975e-07\nRo 1.00000000e+02");

    SensorCalibrationEx unknown = SensorPresetsEx()[9];
    unknown.setName("A fifteen-chars");  // 15 characters
    unknown.gain = 2.5f;
    EXPECT_EQ(CalibrationSummary(9, unknown),
              "[9] A fifteen-char..\n\nGain\t2.5\nOffset\t0\n\nUnknown mode");

    unknown.setName("Fourteen chars");  // exactly 14: not cut
    EXPECT_EQ(CalibrationSummary(9, unknown).substr(0, 19), "[9] Fourteen chars\n");

    const std::string ntc = CalibrationSummary(1, SensorPresets()[1]);
    EXPECT_EQ(ntc.substr(0, 54), "[1] TC-NTC-1\n\nGain\t1\nOffset\t0\n\nNTC steinhart mode\nCoff");
    EXPECT_NE(ntc.find("\nA 1.396"), std::string::npos) << ntc;
}

TEST(CalibrationConversion, PotValuesAddedAndDropped) {
    SensorCalibration plain = SensorPresets()[3];
    plain.gain = 0.5f;
    const SensorCalibrationEx ex = ToEx(plain);
    EXPECT_EQ(ex.potGain, 10u);
    EXPECT_EQ(ex.potOffset, 128u);
    EXPECT_EQ(ex.nameText(), "REL-09060");
    EXPECT_EQ(ex.gain, 0.5f);
    EXPECT_EQ(ex.d[5], 12330.0f);

    const SensorCalibration back = FromEx(ex);
    EXPECT_EQ(std::memcmp(&back, &plain, sizeof plain), 0);
}

TEST(CalibrationNames, CutTo255Characters) {
    SensorCalibration r{};
    r.setName(std::string(300, 'n'));
    EXPECT_EQ(r.nameText().size(), 255u);
    EXPECT_EQ(r.name[255], '\0');
}

TEST(CalibrationEditor, FillsEditsByModel) {
    const CalibrationEdits ntc = CalibrationEditsFrom(SensorPresets()[1]);
    EXPECT_EQ(ntc.mode, kCalibrationModeNtc);
    EXPECT_EQ(ntc.points[1], 29875.8f);
    EXPECT_EQ(ntc.coefficients[0], 0.003908f);
    EXPECT_EQ(ntc.coefficients[2], 100.0f);

    const CalibrationEdits pt = CalibrationEditsFrom(SensorPresetsEx()[5]);
    EXPECT_EQ(pt.mode, kCalibrationModePt);
    EXPECT_EQ(pt.points[0], 0.0f);
    EXPECT_EQ(pt.coefficients[2], 1000.0f);
}

// Every preset with a model is a sound curve (OK on it unchanged is taken);
// points that make none are named.
TEST(CalibrationEditor, NamesPointsThatMakeNoCurve) {
    for (const SensorCalibrationEx& preset : SensorPresetsEx()) {
        if (preset.type & (kSensorTypeNtc | kSensorTypePt)) {
            EXPECT_EQ(CalibrationEditsProblem(CalibrationEditsFrom(preset)), "") << preset.nameText();
        }
    }
    const CalibrationEdits sound = CalibrationEditsFrom(SensorPresetsEx()[1]);
    auto problem = [&](int index, float value) {
        CalibrationEdits e = sound;
        e.points[index] = value;
        return CalibrationEditsProblem(e);
    };
    EXPECT_NE(problem(2, sound.points[0] - 1).find("must rise"), std::string::npos);
    EXPECT_NE(problem(3, 0).find("above 0 ohm"), std::string::npos);
    EXPECT_NE(problem(3, sound.points[1] * 2).find("falls as it warms"), std::string::npos);
    EXPECT_NE(problem(0, -5).find("above 0 kelvin"), std::string::npos);
    EXPECT_NE(CalibrationEditsProblem(CalibrationEdits{}).find("above 0 kelvin"), std::string::npos);
    CalibrationEdits pt = CalibrationEditsFrom(SensorPresetsEx()[5]);
    pt.coefficients[2] = 0;
    EXPECT_NE(CalibrationEditsProblem(pt).find("Ro"), std::string::npos);
}

TEST(CalibrationEditor, OkSetsExactlyTheModelType) {
    // An "Unkown" record confirmed unchanged becomes an NTC record with zeros.
    SensorCalibration unknown = SensorPresets()[8];
    EXPECT_TRUE(ApplyCalibrationEdits(CalibrationEditsFrom(unknown), unknown));
    EXPECT_EQ(unknown.type, kSensorTypeNtc);
    EXPECT_EQ(unknown.d[1], 0.0f);

    // Extra bits read back from the regulator are dropped.
    SensorCalibrationEx uploaded = SensorPresetsEx()[1];
    uploaded.type = 0x0C;
    uploaded.potGain = 7;
    EXPECT_TRUE(ApplyCalibrationEdits(CalibrationEditsFrom(uploaded), uploaded));
    EXPECT_EQ(uploaded.type, 4u);
    EXPECT_EQ(uploaded.potGain, 7u);
    EXPECT_FALSE(ApplyCalibrationEdits(CalibrationEditsFrom(uploaded), uploaded));

    // Switching an NTC record to PT keeps A, B, Ro and clears the rest.
    SensorCalibration r = SensorPresets()[2];
    CalibrationEdits e = CalibrationEditsFrom(r);
    e.mode = kCalibrationModePt;
    e.name = "Mine";
    EXPECT_TRUE(ApplyCalibrationEdits(e, r));
    EXPECT_EQ(r.type, kSensorTypePt);
    EXPECT_EQ(r.nameText(), "Mine");
    EXPECT_EQ(r.d[0], 0.003908f);
    EXPECT_EQ(r.d[2], 100.0f);
    EXPECT_EQ(r.d[3], 0.0f);
    EXPECT_EQ(r.d[5], 0.0f);
}
