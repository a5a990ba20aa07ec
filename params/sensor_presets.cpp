#include "params/sensor_presets.h"

#include <string>

namespace {

struct PresetRow {
    const char* name;
    std::uint32_t type;
    float d[6];
};

// Rows 0-5; rows 6-31 are "Unkown 7" ... "Unkown 32" with no model.
constexpr PresetRow kRows[] = {
    {"Preset", kSensorTypeNtc, {253.15f, 29875.8f, 298.15f, 3057.7f, 333.15f, 759.4f}},
    {"TC-NTC-1", kSensorTypeNtc, {253.15f, 29875.8f, 298.15f, 3057.7f, 333.15f, 759.4f}},
    {"TC-NTC-2", kSensorTypeNtc, {273.15f, 48976.5f, 298.15f, 15000.0f, 343.15f, 2627.4f}},
    {"REL-09060", kSensorTypeNtc, {253.15f, 467100.0f, 273.15f, 161300.0f, 333.15f, 12330.0f}},
    {"PT100", kSensorTypePt, {0.003908f, -5.775e-07f, 100.0f, 0.0f, 0.0f, 0.0f}},
    {"PT1000", kSensorTypePt, {0.003908f, -5.775e-07f, 1000.0f, 0.0f, 0.0f, 0.0f}},
};
constexpr int kNamedRows = sizeof kRows / sizeof kRows[0];

std::array<SensorCalibrationEx, kSensorRecordCount> buildEx() {
    std::array<SensorCalibrationEx, kSensorRecordCount> table{};
    for (int i = 0; i < kSensorRecordCount; ++i) {
        SensorCalibrationEx& r = table[i];
        r.gain = 1.0f;
        r.offset = 0.0f;
        if (i < kNamedRows) {
            r.setName(kRows[i].name);
            r.type = kRows[i].type;
            r.potGain = 10;
            r.potOffset = 128;
            for (int k = 0; k < 6; ++k)
                r.d[k] = kRows[i].d[k];
        } else {
            r.setName("Unkown " + std::to_string(i + 1));
        }
    }
    return table;
}

std::array<SensorCalibration, kSensorRecordCount> buildPlain() {
    std::array<SensorCalibration, kSensorRecordCount> table{};
    const auto& ex = SensorPresetsEx();
    for (int i = 0; i < kSensorRecordCount; ++i)
        table[i] = FromEx(ex[i]);
    return table;
}

}  // namespace

const std::array<SensorCalibrationEx, kSensorRecordCount>& SensorPresetsEx() {
    static const auto table = buildEx();
    return table;
}

const std::array<SensorCalibration, kSensorRecordCount>& SensorPresets() {
    static const auto table = buildPlain();
    return table;
}
