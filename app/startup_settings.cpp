#include "app/startup_settings.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <iostream>

std::string currentWorkingDirectory() {
    char buffer[4096];
    if (!::getcwd(buffer, sizeof buffer)) {
        std::cerr << "_getcwd error " << std::strerror(errno) << '\n';
        return {};
    }
    return buffer;
}

void loadStartupSettings(QSettings& settings, GlobalSetup& setup, UserSensorTable& sensors,
                         const std::string& programName) {
    const std::string cwd = currentWorkingDirectory();
    setup.load(settings, cwd);
    if (!setup.userPath.empty()) {
        if (::chdir(setup.userPath.c_str()) != 0) {
            // A missing directory leaves the working directory as it was.
        }
    }
    loadOrCreateSetupIni(kSetupIniName, sensors[0], programName);
}
