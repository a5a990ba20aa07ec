// Linux line settings for the serial engine, kept apart because they use the
// kernel's termios2 (any bit rate through BOTHER), which clashes with the C
// library's <termios.h>.
#pragma once

#include <cstdint>

// Raw mode, `dataBits` data bits (5..8), parity 0 none / 1 odd / 2 even,
// one stop bit, receiver on, modem control lines ignored, no flow control,
// reads return at once. Returns 0, or SerialPort::OpenSettingsFailed.
int applyLineSettings(int fd, std::uint32_t baud, int parity, int dataBits);

// Best effort, failures ignored (a pseudo-terminal refuses all of these).
void makeExclusive(int fd);         // TIOCEXCL
// Clears the exclusive flag (TIOCNXCL) and closes: a pseudo-terminal keeps
// the flag after the last close, which would lock the next open out.
void releaseAndClose(int fd);
void holdModemLinesOff(int fd);     // DTR and RTS off
// ASYNC_LOW_LATENCY where the driver has it (USB adapters then pass each
// byte on at once instead of holding it up to 16 ms); true when it is on.
// releaseAndClose() turns it off again if this call turned it on.
bool requestLowLatency(int fd);

// Reads the modem lines; false when the device has none (pseudo-terminal).
bool readModemLines(int fd, int& lines);
bool ringIndicatorOn(int lines);
