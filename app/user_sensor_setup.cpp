#include "app/user_sensor_setup.h"

#include <cstdio>

#include "app/ini_file.h"

namespace {
const std::string kSection = "Sensor0";
}

void takeUserSensor(IniFile& ini, UserSensorRecord& r) {
    const std::string name = ini.getValue(kSection, "Name");
    if (!name.empty()) r.name = name;
    if (int v = ini.getValueI(kSection, "SensorMode")) r.mode = static_cast<std::uint32_t>(v);
    if (int v = ini.getValueI(kSection, "PotGain")) r.potGain = static_cast<std::uint32_t>(v);
    if (int v = ini.getValueI(kSection, "PotOffset")) r.potOffset = static_cast<std::uint32_t>(v);
    if (double v = ini.getValueF(kSection, "Data0"); v != 0.0) r.data[0] = static_cast<float>(v);
    if (double v = ini.getValueF(kSection, "Data1"); v != 0.0) r.data[1] = static_cast<float>(v);
}

void seedUserSensor(IniFile& ini, const UserSensorRecord& r, const std::string& programName) {
    ini.reset();
    ini.setValue("Program", "Name", programName, true);
    ini.setValue(kSection, "Name", r.name, true);
    ini.setValueI(kSection, "SensorMode", static_cast<int>(r.mode), true);
    ini.setValueI(kSection, "PotGain", static_cast<int>(r.potGain), true);
    ini.setValueI(kSection, "PotOffset", static_cast<int>(r.potOffset), true);
    ini.setValueF(kSection, "Data0", r.data[0], true);
    ini.setValueF(kSection, "Data1", r.data[1], true);
}

void loadOrCreateSetupIni(const std::string& iniPath, UserSensorRecord& record,
                          const std::string& programName) {
    IniFile ini(iniPath);
    if (ini.readFile()) {
        takeUserSensor(ini, record);
        return;
    }
    // A file that exists but cannot be read (a directory, a named pipe, no
    // permission) is reported; writing the defaults over it is tried only
    // for a regular file, the others are left alone.
    if (!ini.openProblem().empty())
        std::fprintf(stderr, "%s: %s; the user sensor keeps its defaults\n", iniPath.c_str(),
                     ini.openProblem().c_str());
    seedUserSensor(ini, record, programName);
    ini.writeFile();
}
