#include "params/calibration_clipboard.h"

#include <cstdio>

#include "params/tq_file.h"

CalibrationClipboard::CalibrationClipboard() : record_{} {
    record_.setName("Unkown");
    record_.gain = 1.0f;
}

namespace {

const SensorSlot<SensorCalibration>* plainSlot(const ParameterSet& p, int slot) {
    switch (slot) {
    case 2: return &p.sensor2;
    case 3: return &p.sensor3;
    case 4: return &p.sensor4;
    default: return nullptr;
    }
}

SensorSlot<SensorCalibration>* plainSlot(ParameterSet& p, int slot) {
    return const_cast<SensorSlot<SensorCalibration>*>(
        plainSlot(static_cast<const ParameterSet&>(p), slot));
}

}  // namespace

bool CalibrationClipboard::copy(const ParameterSet& params, int slot) {
    if (slot == 1) {
        record_ = params.sensor1.selected();
        return true;
    }
    const auto* s = plainSlot(params, slot);
    if (!s)
        return false;
    record_ = ToEx(s->selected());
    return true;
}

std::string CalibrationClipboard::pasteQuestion(const ParameterSet& params, int slot) {
    unsigned index = 0;
    if (slot == 1)
        index = params.sensor1.select;
    else if (const auto* s = plainSlot(params, slot))
        index = s->select;
    char text[96];
    std::snprintf(text, sizeof text, "Would you like to replace sensor data %u with new data?",
                  index);
    return text;
}

bool CalibrationClipboard::paste(ParameterSet& params, int slot) const {
    if (slot == 1) {
        params.sensor1.selected() = record_;
    } else if (auto* s = plainSlot(params, slot)) {
        s->selected() = FromEx(record_);
    } else {
        return false;
    }
    return true;
}

bool CalibrationClipboard::paste(TQFile1& doc, int slot) const {
    if (!paste(static_cast<ParameterSet&>(doc), slot))
        return false;
    doc.SetModifiedFlag(true);
    return true;
}
