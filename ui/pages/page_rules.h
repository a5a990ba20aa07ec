// The enable rules of the parameter pages, apart from their widgets: which
// fields a regulator mode or a fan mode uses. Fields a mode does not use are
// disabled on the page, never hidden.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "params/parameter_set.h"

#include "runtime/alarm_latch.h"

// Regulator modes, bits 0-3 of regulatorFlags (7..15 are kept but unknown).
inline constexpr const char* kRegulatorModeNames[] = {"Off", "Power", "Algo", "P", "PI", "PD", "PID"};
inline constexpr int kRegulatorModeCount = 7;
inline constexpr const char* kFanModeNames[] = {"Off",  "Always on",     "Cool",
                                                "Heat", "Cool and heat", "Algo"};
inline constexpr int kFanModeCount = 6;

// Whether a field of the Regulator page is used in `mode` (bits 0-3).
// `name` is a field name ("kP", "algoDeadBand", "st2", ...) or one of the
// option boxes "trExternal", "tcPowerInternal", "loopTime". `loopOn` is the
// loop-mode bit: the loop values are used only with it.
bool RegulatorFieldUsed(std::string_view name, std::uint32_t mode, bool loopOn);

// Whether a fan field is used in a fan mode; `name` without its fan prefix:
// "SetPoint", "DeadBand", "LowHyst", "HighHyst", "LowVoltage", "HighVoltage".
bool FanFieldUsed(std::string_view name, std::uint32_t mode);

// The Alarm page's limits in page order: field, its enable word (1 or 2),
// its bit and the lamp the alarm decoding flashes for it.
struct AlarmLimit {
    const char* field;
    int enableWord;
    int bit;
    AlarmLamp lamp;
};
inline constexpr AlarmLimit kAlarmLimits[] = {
    {"vInOver", 1, 0, AlarmLamp::VoltageInOver},
    {"vInUnder", 1, 1, AlarmLamp::VoltageInUnder},
    {"vIntOver", 1, 2, AlarmLamp::VoltageInternalOver},
    {"vIntUnder", 1, 3, AlarmLamp::VoltageInternalUnder},
    {"iOutOver", 1, 4, AlarmLamp::CurrentOutOver},
    {"iOutUnder", 1, 5, AlarmLamp::CurrentOutUnder},
    {"fan1IOver", 1, 6, AlarmLamp::Fan1CurrentOver},
    {"fan1IUnder", 1, 7, AlarmLamp::Fan1CurrentUnder},
    {"fan2IOver", 1, 8, AlarmLamp::Fan2CurrentOver},
    {"fan2IUnder", 1, 9, AlarmLamp::Fan2CurrentUnder},
    {"t1High", 2, 0, AlarmLamp::T1High},
    {"t1Low", 2, 1, AlarmLamp::T1Low},
    {"t2High", 2, 2, AlarmLamp::T2High},
    {"t2Low", 2, 3, AlarmLamp::T2Low},
    {"t3High", 2, 4, AlarmLamp::T3High},
    {"t3Low", 2, 5, AlarmLamp::T3Low},
    {"t4High", 2, 6, AlarmLamp::T4High},
    {"t4Low", 2, 7, AlarmLamp::T4Low},
};

// The upper limit of each pair (its lower one follows it in kAlarmLimits)
// whose alarms are both on while the lower limit lies above the upper one:
// such a pair raises an alarm whatever the value. Page order.
std::vector<const AlarmLimit*> CrossedAlarmLimits(const ParameterSet& p);
