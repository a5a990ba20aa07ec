// The operator's settings that are not part of a parameter set. Loaded from
// the per-user settings store when the main view is built, written back when
// it is destroyed; other code reads and changes the members in memory.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

class QSettings;

struct GlobalSetup {
    static constexpr int kChannelCount = 19;
    static constexpr std::uint32_t kDefaultBackground = 0x005E1E1E;
    static constexpr std::uint32_t kDefaultGrid = 0x00FFC0C0;
    static const std::array<std::uint32_t, kChannelCount> kDefaultChannelColors;

    std::string portName = "COM1";   // PORT
    int baudRate = 115200;           // SPEED
    int bootBaudRate = 115200;       // BOOTSPEED
    bool celsius = true;             // CELSIUS
    bool ieeeFormat = true;          // IEEE
    int penSize = 2;                 // PEN_SIZE
    int sampleRate = 0;              // SAMPLERATE
    bool logLimitSize = false;       // LOGGFILE_LIMIT_SIZE
    std::uint32_t colorBackground = kDefaultBackground;  // COLOR_BG, 0x00BBGGRR
    std::uint32_t colorGrid = kDefaultGrid;              // COLOR_GRID
    std::array<std::uint32_t, kChannelCount> channelColors = kDefaultChannelColors;  // COLOR_n
    std::string userPath;            // USER_PATH ("APP")
    std::string targetPath;          // TARGET_PATH ("APP")
    // Ports on the network used before (rfc2217://, socket://), newest
    // first; offered again by the global setup dialog.
    std::vector<std::string> networkPorts;   // NETWORK_PORTS, joined by ";"
    static constexpr std::size_t kRememberedNetworkPorts = 8;

    // Reads every key; missing ones keep the default. The two paths default to
    // `workingDir`. Nothing is written.
    void load(QSettings& settings, const std::string& workingDir);
    // Writes every key with its current value.
    void save(QSettings& settings) const;
};

// The settings store of the application ("Norvane" / "TQ_Interface").
const char* settingsOrganization();
const char* settingsApplication();
