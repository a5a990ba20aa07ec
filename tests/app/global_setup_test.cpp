#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <fstream>
#include <sstream>

#include "app/global_setup.h"
#include "app/ini_file.h"
#include "app/startup_settings.h"
#include "app/user_sensor_setup.h"

namespace {

std::string readAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

void writeFile(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

}  // namespace

TEST(GlobalSetupStore, EmptyStoreGivesDefaultsAndSaveWritesEveryKey) {
    QTemporaryDir dir;
    const QString file = dir.filePath("store.conf");
    GlobalSetup setup;
    {
        QSettings s(file, QSettings::IniFormat);
        setup.load(s, "/work/dir");
    }
    EXPECT_EQ(setup.portName, "COM1");
    EXPECT_EQ(setup.baudRate, 115200);
    EXPECT_EQ(setup.bootBaudRate, 115200);
    EXPECT_TRUE(setup.celsius);
    EXPECT_TRUE(setup.ieeeFormat);
    EXPECT_EQ(setup.penSize, 2);
    EXPECT_EQ(setup.sampleRate, 0);
    EXPECT_FALSE(setup.logLimitSize);
    EXPECT_EQ(setup.colorBackground, 0x005E1E1Eu);
    EXPECT_EQ(setup.colorGrid, 0x00FFC0C0u);
    EXPECT_EQ(setup.channelColors[0], 0x000000FFu);
    EXPECT_EQ(setup.channelColors[4], 0x0090DDE8u);
    EXPECT_EQ(setup.channelColors[18], 0x0000CC99u);
    EXPECT_EQ(setup.userPath, "/work/dir");
    EXPECT_EQ(setup.targetPath, "/work/dir");
    {
        QSettings s(file, QSettings::IniFormat);
        EXPECT_TRUE(s.allKeys().isEmpty()) << "loading must not write";
        setup.save(s);
    }
    QSettings s(file, QSettings::IniFormat);
    QStringList expected = {"Global/PORT", "Global/SPEED", "Global/BOOTSPEED", "Global/CELSIUS",
                            "Global/IEEE", "Global/PEN_SIZE", "Global/SAMPLERATE",
                            "Global/LOGGFILE_LIMIT_SIZE", "Global/COLOR_BG", "Global/COLOR_GRID",
                            "APP/USER_PATH", "APP/TARGET_PATH"};
    for (int i = 0; i < 19; ++i) expected << QStringLiteral("Global/COLOR_%1").arg(i);
    for (const QString& key : expected) EXPECT_TRUE(s.contains(key)) << key.toStdString();
    EXPECT_EQ(s.value("Global/PORT").toString(), "COM1");
    EXPECT_EQ(s.value("Global/COLOR_BG").toULongLong(), 0x005E1E1Eu);
    EXPECT_EQ(s.value("Global/COLOR_18").toULongLong(), 0x0000CC99u);
    EXPECT_EQ(s.value("APP/USER_PATH").toString(), "/work/dir");
}

TEST(GlobalSetupStore, RememberedNetworkPortsRoundTripAndBadEntriesAreDropped) {
    QTemporaryDir dir;
    const QString file = dir.filePath("store.conf");
    {
        QSettings s(file, QSettings::IniFormat);
        s.setValue("Global/NETWORK_PORTS", "rfc2217://lab-pc:4000; socket://10.0.0.7:4001;/dev/ttyS0;rfc2217://x;;");
    }
    GlobalSetup setup;
    {
        QSettings s(file, QSettings::IniFormat);
        setup.load(s, "/work/dir");
    }
    const std::vector<std::string> expected = {"rfc2217://lab-pc:4000", "socket://10.0.0.7:4001"};
    EXPECT_EQ(setup.networkPorts, expected);
    {
        QSettings s(file, QSettings::IniFormat);
        setup.save(s);
    }
    GlobalSetup back;
    QSettings s(file, QSettings::IniFormat);
    back.load(s, "/work/dir");
    EXPECT_EQ(back.networkPorts, expected);
}

TEST(GlobalSetupStore, FlagsReadAnyNonZeroAsOneAndWriteOne) {
    QTemporaryDir dir;
    const QString file = dir.filePath("store.conf");
    {
        QSettings s(file, QSettings::IniFormat);
        s.setValue("Global/CELSIUS", 7);
        s.setValue("Global/IEEE", 0);
        s.setValue("Global/COLOR_3", 0x00123456);
        s.setValue("Global/PORT", "/dev/ttyUSB0");
    }
    GlobalSetup setup;
    {
        QSettings s(file, QSettings::IniFormat);
        setup.load(s, "/x");
        EXPECT_TRUE(setup.celsius);
        EXPECT_FALSE(setup.ieeeFormat);
        EXPECT_EQ(setup.channelColors[3], 0x00123456u);
        EXPECT_EQ(setup.portName, "/dev/ttyUSB0");
        setup.save(s);
    }
    QSettings s(file, QSettings::IniFormat);
    EXPECT_EQ(s.value("Global/CELSIUS").toInt(), 1);
    EXPECT_EQ(s.value("Global/IEEE").toInt(), 0);
}

TEST(SetupIni, FirstStartCreatesTheFileByteForByte) {
    QTemporaryDir dir;
    const std::string path = dir.filePath("tq_setup.ini").toStdString();
    UserSensorRecord record;
    loadOrCreateSetupIni(path, record, "tq_interface");
    EXPECT_EQ(readAll(path),
              "[Program]\nName=tq_interface\n\n"
              "[Sensor0]\nName=empty\nSensorMode=0\nPotGain=0\nPotOffset=0\n"
              "Data0=0.000000e+00\nData1=0.000000e+00\n\n");
}

TEST(SetupIni, StartupUsesUserPathAsWorkingDirectory) {
    QTemporaryDir configDir, userDir, elsewhere;
    const QString store = configDir.filePath("store.conf");
    {
        QSettings s(store, QSettings::IniFormat);
        s.setValue("APP/USER_PATH", userDir.path());
    }
    writeFile(userDir.filePath("tq_setup.ini").toStdString(), "[Sensor0]\nName=Probe A\nPotGain=12\n");
    const QString before = QDir::currentPath();
    QDir::setCurrent(elsewhere.path());
    GlobalSetup setup;
    UserSensorTable sensors;
    {
        QSettings s(store, QSettings::IniFormat);
        loadStartupSettings(s, setup, sensors, "tq_interface");
    }
    EXPECT_EQ(QDir::currentPath(), QDir(userDir.path()).canonicalPath());
    EXPECT_EQ(sensors[0].name, "Probe A");
    EXPECT_EQ(sensors[0].potGain, 12u);
    EXPECT_EQ(setup.targetPath, QDir(elsewhere.path()).canonicalPath().toStdString());
    EXPECT_FALSE(QFile::exists(elsewhere.filePath("tq_setup.ini")));
    QDir::setCurrent(before);
}

TEST(SetupIni, ReadingRules) {
    QTemporaryDir dir;
    const std::string path = dir.filePath("rules.ini").toStdString();
    writeFile(path,
              "[[Sensor0]]\n"
              "Name =ignored\n"
              "SensorMode=3\n"
              "PotGain=0\n"
              "PotOffset=17\n"
              "Data0=a=b\n"
              "Data1=2.5e-01\n"
              "\n"
              "noequals\n");
    IniFile ini(path);
    ASSERT_TRUE(ini.readFile());
    EXPECT_EQ(ini.getValue("Sensor0", "Data0"), "a=b");
    EXPECT_EQ(ini.getValue("Sensor0", "Name "), "ignored");
    EXPECT_EQ(ini.getValue("Sensor0", ""), "oequals");
    EXPECT_EQ(ini.getValue("Sensor0", "Name"), "");
    EXPECT_EQ(ini.error(), "Unable to locate specified value.");
    EXPECT_EQ(ini.getValue("Other", "Name"), "");
    EXPECT_EQ(ini.error(), "Unable to locate specified key.");

    UserSensorRecord record;
    record.potGain = 99;
    takeUserSensor(ini, record);
    EXPECT_EQ(record.name, "empty") << "\"Name \" is not Name";
    EXPECT_EQ(record.mode, 3u);
    EXPECT_EQ(record.potGain, 99u) << "PotGain 0 leaves the gain unchanged";
    EXPECT_EQ(record.potOffset, 17u);
    EXPECT_FLOAT_EQ(record.data[1], 0.25f);
    EXPECT_EQ(record.data[0], 0.0f) << "a=b reads as no number";
}

TEST(SetupIni, MissingFileIsNotAnErrorAndSetValueHonoursCreate) {
    IniFile ini("/nonexistent/dir/tq_setup.ini");
    EXPECT_FALSE(ini.readFile());
    EXPECT_EQ(ini.error(), "");
    EXPECT_FALSE(ini.setValue("K", "N", "v", false));
    EXPECT_TRUE(ini.setValue("K", "N", "v", true));
    EXPECT_TRUE(ini.setValue("K", "N", "w", false));
    EXPECT_EQ(ini.getValue("K", "N"), "w");
    EXPECT_TRUE(ini.setValueF("K", "F", 0.0));
    EXPECT_EQ(ini.getValue("K", "F"), "0.000000e+00");
}
