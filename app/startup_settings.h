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

// USER_PATH of a settings store that has none: "TQ_Interface" in the user's
// documents folder (the start directory when there is no such folder), so a
// start from a source checkout leaves no "tq_setup.ini" there.
std::string defaultUserPath(const std::string& workingDir);

// Loads the global setup (a stored USER_PATH is used as it is; the default
// one is created when missing), makes USER_PATH the working directory and
// reads or creates "tq_setup.ini" there.
void loadStartupSettings(QSettings& settings, GlobalSetup& setup, UserSensorTable& sensors,
                         const std::string& programName);
