#include "firmware/firmware_update_session.h"

#include <cstdio>

#include "link/serial_manager.h"

std::string openPortErrorText(int code) {
    char text[128];
    std::snprintf(text, sizeof text, "On open port - error\rError %d [%s]", code,
                  resultText(code));
    return text;
}

std::string fixedRateRefusalText(std::uint32_t speed, std::uint32_t bootSpeed) {
    char text[320];
    std::snprintf(text, sizeof text,
                  "The boot loader's rate (%u) differs from the link's (%u), and the rate of a "
                  "socket:// port is fixed at its server.\rReach the server as rfc2217:// (the "
                  "rate is then set there), or give both rates the same value.",
                  static_cast<unsigned>(bootSpeed), static_cast<unsigned>(speed));
    return text;
}

std::string firmwareWrittenText(const std::string& fileName, std::size_t bytes, int records,
                                bool verified) {
    return fileName + (verified ? " written and verified: " : " written (not verified): ") +
           std::to_string(bytes) + (bytes == 1 ? " byte in " : " bytes in ") +
           std::to_string(records) + (records == 1 ? " record" : " records") +
           "; new firmware started";
}

int runFirmwareUpdate(FirmwarePortHost& host, std::uint32_t speed, std::uint32_t bootSpeed,
                      const std::function<std::string()>& dialog) {
    if (speed != bootSpeed && host.rateIsFixed()) {
        // Nothing is sent: the board must not be left in its boot loader at
        // a rate this port cannot reach.
        host.rateSwitchRefused(fixedRateRefusalText(speed, bootSpeed));
        return CmdOpenError;
    }
    const bool wasOpen = host.isOpen();
    int result = 0;
    if (!wasOpen) {
        result = host.open(bootSpeed);
    } else if (speed != bootSpeed) {
        host.enterBootLoader();
        host.close();
        host.pause(kRateSwitchPauseMs);
        result = host.open(bootSpeed);
    }
    if (result != 0) {
        host.openFailed(result);
        return result;
    }

    const int old = host.setConnectionMode(kConnectionModeFirmware);
    host.showMessage(kMsgDownloadNewFirmware);
    const std::string written = dialog ? dialog() : std::string();

    if (!wasOpen) {
        host.close();
        if (!written.empty())
            host.showMessage(written);
        return 0;
    }
    if (speed != bootSpeed) {
        host.close();
        host.pause(kRateSwitchPauseMs);
        const int reopened = host.open(speed);
        if (reopened != 0)
            host.openFailed(reopened);
    }
    host.showMessage(written.empty() ? std::string(kMsgRestartNewFirmware) : written);
    host.setConnectionMode(old);
    return 0;
}
