#include "app/startup_settings.h"

#include <unistd.h>

#include <QDir>
#include <QSettings>
#include <QStandardPaths>
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

std::string defaultUserPath(const std::string& workingDir) {
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (documents.isEmpty()) return workingDir;
    return QDir::cleanPath(documents + QStringLiteral("/TQ_Interface")).toStdString();
}

void loadStartupSettings(QSettings& settings, GlobalSetup& setup, UserSensorTable& sensors,
                         const std::string& programName) {
    const std::string cwd = currentWorkingDirectory();
    const bool stored = settings.contains(QStringLiteral("APP/USER_PATH"));
    setup.load(settings, cwd);
    if (!stored) {
        setup.userPath = defaultUserPath(cwd);
        // Created when first needed; a failure leaves the working directory as it is.
        QDir().mkpath(QString::fromStdString(setup.userPath));
    }
    if (!setup.userPath.empty()) {
        if (::chdir(setup.userPath.c_str()) != 0) {
            // A missing directory leaves the working directory as it was.
        }
    }
    loadOrCreateSetupIni(kSetupIniName, sensors[0], programName);
}
