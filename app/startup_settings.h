// The settings step of the main view's construction: the working directory,
// the global setup, USER_PATH as the new working directory, "tq_setup.ini".
#pragma once

#include <array>
#include <string>

#include "app/global_setup.h"
#include "app/user_sensor_setup.h"

class QSettings;

using UserSensorTable = std::array<UserSensorRecord, 10>;

// The working directory; on failure "_getcwd error" and the reason go to
// standard error and the result is empty.
std::string currentWorkingDirectory();

void loadStartupSettings(QSettings& settings, GlobalSetup& setup, UserSensorTable& sensors,
                         const std::string& programName);
