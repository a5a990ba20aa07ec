#include "params/calibration_editor.h"

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
