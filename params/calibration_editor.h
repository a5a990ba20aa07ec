// The rules of the "Change Temperature Calibration Data" editor, apart from
// its window: what a record puts into the edits, and what the edits put back.
#pragma once

#include <array>
#include <string>

#include "params/sensor_calibration.h"

inline constexpr int kCalibrationModeNtc = 0;
inline constexpr int kCalibrationModePt = 1;
inline constexpr const char* kCalibrationModeNames[] = {"NTC Stainhart mode", "PT mode"};

struct CalibrationEdits {
    std::string name;
    float gain = 1.0f;
    float offset = 0.0f;
    int mode = kCalibrationModeNtc;
    // "T low (kelvin)", "R low (ohm)", "T mid (kelvin)", "R mid (ohm)",
    // "T high (kelvin)", "R high (ohm)"
    std::array<float, 6> points{};
    // "coff A", "coff B", "Ro"
    std::array<float, 3> coefficients{};
};

// NTC records fill the points (coefficients preset to the PT100 values), PT
// records the coefficients; a record without a model shows mode 0 and zeros.
CalibrationEdits CalibrationEditsFrom(const SensorCalibrationEx& record);
CalibrationEdits CalibrationEditsFrom(const SensorCalibration& record);

// Why the edits describe no sensor, or "" when they do. NTC: the points
// need temperatures above 0 K that rise from low to high and resistances
// above 0 ohm that fall as the temperature rises, and must give finite
// coefficients; PT: Ro above 0 ohm. The editor refuses OK with this text.
std::string CalibrationEditsProblem(const CalibrationEdits& edits);

// OK: name (cut to 255 characters), gain, offset; mode 0 sets type to exactly
// 4 and the six points, mode 1 sets type 16, A, B, Ro and zeros. potGain and
// potOffset stay. Returns whether the record changed.
bool ApplyCalibrationEdits(const CalibrationEdits& edits, SensorCalibrationEx& record);
bool ApplyCalibrationEdits(const CalibrationEdits& edits, SensorCalibration& record);
