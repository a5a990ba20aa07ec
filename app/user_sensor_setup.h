// The user sensor record kept in "tq_setup.ini" (section "Sensor0") and the
// start-up step that reads the file or creates it with the defaults.
#pragma once

#include <string>

#include "params/sensor_class.h"

class IniFile;

using UserSensorRecord = CSensorClass;

inline constexpr const char* kSetupIniName = "tq_setup.ini";

// Takes the "Sensor0" values that are set (non-empty name, non-zero numbers).
void takeUserSensor(IniFile& ini, UserSensorRecord& record);
// Fills a reset file with "Program"/Name and the six "Sensor0" keys.
void seedUserSensor(IniFile& ini, const UserSensorRecord& record, const std::string& programName);
// Reads `iniPath`; when it cannot be read, creates it from `record`.
void loadOrCreateSetupIni(const std::string& iniPath, UserSensorRecord& record,
                          const std::string& programName);
