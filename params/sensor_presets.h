// The built-in calibration library that fills every new parameter set.
#pragma once

#include <array>

#include "params/sensor_calibration.h"

inline constexpr int kSensorRecordCount = 32;

// "Preset", "TC-NTC-1", "TC-NTC-2", "REL-09060", "PT100", "PT1000",
// "Unkown 7" ... "Unkown 32".
const std::array<SensorCalibrationEx, kSensorRecordCount>& SensorPresetsEx();
const std::array<SensorCalibration, kSensorRecordCount>& SensorPresets();
