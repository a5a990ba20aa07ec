#include "params/calibration_editor.h"

#include <algorithm>
#include <cmath>

CalibrationEdits CalibrationEditsFrom(const SensorCalibrationEx& record) {
    CalibrationEdits e;
    e.name = std::string(record.nameText());
    e.gain = record.gain;
    e.offset = record.offset;
    if (record.type & kSensorTypeNtc) {
        e.mode = kCalibrationModeNtc;
        for (int i = 0; i < 6; ++i)
            e.points[i] = record.d[i];
        e.coefficients = {0.003908f, -5.775e-07f, 100.0f};
    } else if (record.type & kSensorTypePt) {
        e.mode = kCalibrationModePt;
        e.coefficients = {record.d[0], record.d[1], record.d[2]};
    } else {
        e.mode = kCalibrationModeNtc;
    }
    return e;
}

CalibrationEdits CalibrationEditsFrom(const SensorCalibration& record) {
    return CalibrationEditsFrom(ToEx(record));
}

std::string CalibrationEditsProblem(const CalibrationEdits& e) {
    auto finite = [](float v) { return std::isfinite(v); };
    if (e.mode == kCalibrationModePt) {
        if (!std::all_of(e.coefficients.begin(), e.coefficients.end(), finite))
            return "The coefficients must be numbers.";
        if (!(e.coefficients[2] > 0.0f)) return "Ro must be a resistance above 0 ohm.";
        return {};
    }
    const float tLow = e.points[0], rLow = e.points[1], tMid = e.points[2], rMid = e.points[3],
                tHigh = e.points[4], rHigh = e.points[5];
    if (!std::all_of(e.points.begin(), e.points.end(), finite)) return "The calibration points must be numbers.";
    if (!(tLow > 0.0f && tMid > 0.0f && tHigh > 0.0f))
        return "The temperatures must lie above 0 kelvin (0 degrees Celsius is 273.15 K).";
    if (!(tLow < tMid && tMid < tHigh)) return "The temperatures must rise: T low < T mid < T high.";
    if (!(rLow > 0.0f && rMid > 0.0f && rHigh > 0.0f)) return "The resistances must lie above 0 ohm.";
    if (!(rLow > rMid && rMid > rHigh))
        return "An NTC's resistance falls as it warms: R low > R mid > R high.";
    const SteinhartHart c = SteinhartHartCoefficients(tLow, rLow, tMid, rMid, tHigh, rHigh);
    if (c.a == 0.0f && c.b == 0.0f && c.c == 0.0f)
        return "The three points give no Steinhart-Hart curve: choose points further apart.";
    return {};
}

bool ApplyCalibrationEdits(const CalibrationEdits& edits, SensorCalibrationEx& record) {
    SensorCalibrationEx r = record;
    r.setName(edits.name);
    r.gain = edits.gain;
    r.offset = edits.offset;
    if (edits.mode == kCalibrationModePt) {
        r.type = kSensorTypePt;
        r.d[0] = edits.coefficients[0];
        r.d[1] = edits.coefficients[1];
        r.d[2] = edits.coefficients[2];
        r.d[3] = r.d[4] = r.d[5] = 0.0f;
    } else {
        r.type = kSensorTypeNtc;
        for (int i = 0; i < 6; ++i)
            r.d[i] = edits.points[i];
    }
    const bool changed = std::memcmp(&r, &record, sizeof r) != 0;
    record = r;
    return changed;
}

bool ApplyCalibrationEdits(const CalibrationEdits& edits, SensorCalibration& record) {
    SensorCalibrationEx ex = ToEx(record);
    ApplyCalibrationEdits(edits, ex);
    const SensorCalibration r = FromEx(ex);
    const bool changed = std::memcmp(&r, &record, sizeof r) != 0;
    record = r;
    return changed;
}
