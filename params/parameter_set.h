// The fields of one regulator configuration, in the order they are held.
// Temperatures and temperature differences in degrees Celsius; floats are
// single precision, integers and flag words unsigned 32-bit.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "params/sensor_calibration.h"
#include "params/sensor_presets.h"

// regulatorFlags bits 0-3: 0 Off, 1 Power, 2 Algo, 3 P, 4 PI, 5 PD, 6 PID.
inline constexpr std::uint32_t kRegulatorModeMask = 0x0F;
inline constexpr std::uint32_t kRegulatorTrExternal = 0x10;
inline constexpr std::uint32_t kRegulatorTcPowerInternal = 0x20;
inline constexpr std::uint32_t kRegulatorDownloadMark = 0x40;  // first register 13 write only
inline constexpr std::uint32_t kRegulatorAutostart = 0x80;
inline constexpr std::uint32_t kRegulatorLoopMode = 0x100;

template <typename Record>
struct SensorSlot {
    std::uint32_t select = 0;  // record in use, 0..31
    std::array<Record, kSensorRecordCount> records{};

    // The record in use; an index out of range falls back to record 0.
    Record& selected() { return records[select < records.size() ? select : 0]; }
    const Record& selected() const { return records[select < records.size() ? select : 0]; }
};

// A plain ParameterSet starts zeroed; ApplyDefaults() gives the defaults
// (TQFile1 applies them on construction).
struct ParameterSet {
    // Base
    std::string notes;
    float st1 = 0;
    // Regulator
    float kP = 0;
    float kI = 0;
    float kD = 0;
    float kTr = 0;
    float kTe = 0;
    float maxPower = 0;
    float deadBand = 0;
    float integralLimit = 0;
    float ts = 0;
    float coolGain = 0;
    float heatGain = 0;
    float decay = 0;
    std::uint32_t regulatorFlags = 0;
    float algoDeadBand = 0;
    float algoHysteresis = 0;
    // Fans
    std::uint32_t fan1Mode = 0;
    float fan1SetPoint = 0;
    float fan1DeadBand = 0;
    float fan1LowHyst = 0;
    float fan1HighHyst = 0;
    float fan1LowVoltage = 0;
    float fan1HighVoltage = 0;
    std::uint32_t fan2Mode = 0;
    float fan2SetPoint = 0;
    float fan2DeadBand = 0;
    float fan2LowHyst = 0;
    float fan2HighHyst = 0;
    float fan2LowVoltage = 0;
    float fan2HighVoltage = 0;
    // Auxiliary values
    float aux30 = 0;
    float aux31 = 0;
    float aux32 = 0;
    float aux33 = 0;
    float aux34 = 0;
    // Alarm limits
    float vInOver = 0;
    float vInUnder = 0;
    float vIntOver = 0;
    float vIntUnder = 0;
    float iOutOver = 0;
    float iOutUnder = 0;
    float fan1IOver = 0;
    float fan1IUnder = 0;
    float fan2IOver = 0;
    float fan2IUnder = 0;
    float t1High = 0;
    float t1Low = 0;
    float t2High = 0;
    float t2Low = 0;
    float t3High = 0;
    float t3Low = 0;
    float t4High = 0;
    float t4Low = 0;
    std::uint32_t alarmEnable1 = 0;
    std::uint32_t alarmEnable2 = 0;
    // Loop mode and the last auxiliary value
    std::uint32_t aux96 = 0;
    float st2 = 0;
    std::uint32_t loopHighCount = 0;
    std::uint32_t loopLowCount = 0;
    // Sensor calibration tables
    SensorSlot<SensorCalibrationEx> sensor1;
    SensorSlot<SensorCalibration> sensor2;
    SensorSlot<SensorCalibration> sensor3;
    SensorSlot<SensorCalibration> sensor4;

    // Every field to its default.
    void ApplyDefaults();
};

// Seconds entered for a loop phase to regulator samples:
// trunc(seconds / ts + 0.005) in single precision. A result that is negative
// or not a number gives 0; one beyond the u32 range gives 4294967295.
std::uint32_t LoopSecondsToSamples(float seconds, float ts);
// The seconds shown for a loop phase: count x ts.
float LoopSamplesToSeconds(std::uint32_t count, float ts);
