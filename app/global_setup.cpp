#include "app/global_setup.h"

#include <QStringList>

#include "link/port_url.h"

#include <QSettings>
#include <QString>

const std::array<std::uint32_t, GlobalSetup::kChannelCount> GlobalSetup::kDefaultChannelColors = {
    0x000000FF, 0x00000080, 0x00008080, 0x00FF4000, 0x0090DDE8, 0x00008000, 0x0000FF00,
    0x00808000, 0x00FFFF00, 0x0000FFFF, 0x00FF0000, 0x00800080, 0x00FF00FF, 0x00FF4040,
    0x00FFFF40, 0x004040FF, 0x0000C0C0, 0x006699FF, 0x0000CC99};

const char* settingsOrganization() { return "Norvane"; }
const char* settingsApplication() { return "TQ_Interface"; }

namespace {

QString colorKey(int channel) { return QStringLiteral("COLOR_%1").arg(channel); }

int readInt(QSettings& s, const QString& key, int fallback) {
    bool ok = false;
    const int v = s.value(key).toInt(&ok);
    return s.contains(key) && ok ? v : fallback;
}

std::uint32_t readColor(QSettings& s, const QString& key, std::uint32_t fallback) {
    bool ok = false;
    const qulonglong v = s.value(key).toULongLong(&ok);
    return s.contains(key) && ok ? static_cast<std::uint32_t>(v) : fallback;
}

// A flag is 1 whenever the stored value is non-zero.
bool readFlag(QSettings& s, const QString& key, bool fallback) {
    return s.contains(key) ? readInt(s, key, 1) != 0 : fallback;
}

std::string readText(QSettings& s, const QString& key, const std::string& fallback) {
    return s.contains(key) ? s.value(key).toString().toStdString() : fallback;
}

}  // namespace

void GlobalSetup::load(QSettings& s, const std::string& workingDir) {
    s.beginGroup(QStringLiteral("Global"));
    portName = readText(s, QStringLiteral("PORT"), "COM1");
    baudRate = readInt(s, QStringLiteral("SPEED"), 115200);
    bootBaudRate = readInt(s, QStringLiteral("BOOTSPEED"), 115200);
    celsius = readFlag(s, QStringLiteral("CELSIUS"), true);
    ieeeFormat = readFlag(s, QStringLiteral("IEEE"), true);
    penSize = readInt(s, QStringLiteral("PEN_SIZE"), 2);
    sampleRate = readInt(s, QStringLiteral("SAMPLERATE"), 0);
    logLimitSize = readFlag(s, QStringLiteral("LOGGFILE_LIMIT_SIZE"), false);
    colorBackground = readColor(s, QStringLiteral("COLOR_BG"), kDefaultBackground);
    colorGrid = readColor(s, QStringLiteral("COLOR_GRID"), kDefaultGrid);
    for (int i = 0; i < kChannelCount; ++i)
        channelColors[i] = readColor(s, colorKey(i), kDefaultChannelColors[i]);
    networkPorts.clear();
    for (const QString& entry : QString::fromStdString(readText(s, QStringLiteral("NETWORK_PORTS"), ""))
                                    .split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        const std::string port = entry.trimmed().toStdString();
        if (parsePortUrl(port) && networkPorts.size() < kRememberedNetworkPorts) networkPorts.push_back(port);
    }
    s.endGroup();

    s.beginGroup(QStringLiteral("APP"));
    userPath = readText(s, QStringLiteral("USER_PATH"), workingDir);
    targetPath = readText(s, QStringLiteral("TARGET_PATH"), workingDir);
    s.endGroup();
}

void GlobalSetup::save(QSettings& s) const {
    s.beginGroup(QStringLiteral("Global"));
    s.setValue(QStringLiteral("PORT"), QString::fromStdString(portName));
    s.setValue(QStringLiteral("SPEED"), baudRate);
    s.setValue(QStringLiteral("BOOTSPEED"), bootBaudRate);
    s.setValue(QStringLiteral("CELSIUS"), celsius ? 1 : 0);
    s.setValue(QStringLiteral("IEEE"), ieeeFormat ? 1 : 0);
    s.setValue(QStringLiteral("PEN_SIZE"), penSize);
    s.setValue(QStringLiteral("SAMPLERATE"), sampleRate);
    s.setValue(QStringLiteral("LOGGFILE_LIMIT_SIZE"), logLimitSize ? 1 : 0);
    s.setValue(QStringLiteral("COLOR_BG"), static_cast<qulonglong>(colorBackground));
    s.setValue(QStringLiteral("COLOR_GRID"), static_cast<qulonglong>(colorGrid));
    for (int i = 0; i < kChannelCount; ++i)
        s.setValue(colorKey(i), static_cast<qulonglong>(channelColors[i]));
    QStringList remembered;
    for (const std::string& port : networkPorts) remembered << QString::fromStdString(port);
    s.setValue(QStringLiteral("NETWORK_PORTS"), remembered.join(QLatin1Char(';')));
    s.endGroup();

    s.beginGroup(QStringLiteral("APP"));
    s.setValue(QStringLiteral("USER_PATH"), QString::fromStdString(userPath));
    s.setValue(QStringLiteral("TARGET_PATH"), QString::fromStdString(targetPath));
    s.endGroup();
    s.sync();
}
