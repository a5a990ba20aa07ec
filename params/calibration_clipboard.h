// The Sensor page's private clipboard: one record in the sensor 1 form,
// copied from and pasted into the selected record of a slot (1..4).
#pragma once

#include <string>

#include "params/sensor_calibration.h"

struct ParameterSet;
class TQFile1;

class CalibrationClipboard {
public:
    // Initially an empty record named "Unkown".
    CalibrationClipboard();

    const SensorCalibrationEx& record() const { return record_; }

    // Copies the slot's selected record (sensors 2-4 through ToEx). Returns
    // false for a slot outside 1..4.
    bool copy(const ParameterSet& params, int slot);
    // The question asked before a paste.
    static std::string pasteQuestion(const ParameterSet& params, int slot);
    // Replaces the slot's selected record (sensors 2-4 through FromEx) and
    // marks the document modified. Returns false for a slot outside 1..4.
    bool paste(TQFile1& doc, int slot) const;
    // The same on a bare parameter set (the caller marks its document).
    bool paste(ParameterSet& params, int slot) const;

private:
    SensorCalibrationEx record_;
};
