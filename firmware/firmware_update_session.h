// The "Download firmware" menu command around the dialog: switch the link to
// the boot loader's rate, hold the connection in its firmware mode while the
// dialog runs, then restore rate and mode. The window and tqctl share it.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

inline constexpr int kConnectionModeFirmware = 4;
inline constexpr int kRateSwitchPauseMs = 200;
inline constexpr char kMsgDownloadNewFirmware[] = "Download new firmware...";
inline constexpr char kMsgRestartNewFirmware[] = "Restart new firmware";

// "On open port - error\rError %d [%s]" with the code and its text.
std::string openPortErrorText(int code);
// Why the boot loader's rate cannot be reached on a port whose rate is
// fixed at its server (socket://).
std::string fixedRateRefusalText(std::uint32_t speed, std::uint32_t bootSpeed);

// What the command needs of the program that owns the link.
class FirmwarePortHost {
public:
    virtual ~FirmwarePortHost() = default;
    virtual bool isOpen() const = 0;
    virtual int open(std::uint32_t baud) = 0;       // the configured port
    virtual void close() = 0;
    virtual int enterBootLoader() = 0;              // "$B\r\n"
    virtual int setConnectionMode(int mode) = 0;    // returns the previous mode
    virtual void showMessage(const std::string& text) = 0;
    // A port that could not be opened: the window shows openPortErrorText.
    virtual void openFailed(int code) = 0;
    virtual void pause(int milliseconds) = 0;
    // A port whose rate the link cannot change (socket://: it is fixed at
    // the server). The command then stops before anything is sent when the
    // two rates differ, and the host shows the text.
    virtual bool rateIsFixed() const { return false; }
    virtual void rateSwitchRefused(const std::string& text) { (void)text; }
};

// "new.hex written and verified: 1344 bytes in 84 records; new firmware
// started" ("written (not verified)" without the read-back): the message
// line after a download that succeeded.
std::string firmwareWrittenText(const std::string& fileName, std::size_t bytes, int records,
                                bool verified);

// Runs the command; `dialog` runs with the port open at `bootSpeed` and
// returns what the message line shows afterwards: firmwareWrittenText after
// a download, empty when nothing was written ("Restart new firmware" then,
// as the board's program is started again by the dialog's Cancel). Returns 0,
// or the result code of the failed open (the dialog did not run then);
// CmdOpenError when the rates differ on a port whose rate is fixed.
int runFirmwareUpdate(FirmwarePortHost& host, std::uint32_t speed, std::uint32_t bootSpeed,
                      const std::function<std::string()>& dialog);
