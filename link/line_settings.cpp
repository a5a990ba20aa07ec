#include "link/line_settings.h"

#include <mutex>
#include <set>

#include <asm/termbits.h>
#include <linux/serial.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include "link/serial_port.h"

namespace {

tcflag_t dataBitsFlag(int dataBits) {
    switch (dataBits) {
    case 5: return CS5;
    case 6: return CS6;
    case 7: return CS7;
    default: return CS8;
    }
}

}  // namespace

int applyLineSettings(int fd, std::uint32_t baud, int parity, int dataBits) {
    struct termios2 tio {};
    if (ioctl(fd, TCGETS2, &tio) != 0)
        return SerialPort::OpenSettingsFailed;

    // Raw: no input translation, no software flow control, no output
    // processing, no echo or signals, no break or parity marking.
    tio.c_iflag &= ~(IGNBRK | BRKINT | PARMRK | ISTRIP | INLCR | IGNCR | ICRNL | IXON |
                     IXOFF | IXANY | INPCK | IUCLC | IMAXBEL);
    tio.c_oflag &= ~OPOST;
    tio.c_lflag &= ~(ECHO | ECHONL | ECHOE | ECHOK | ICANON | ISIG | IEXTEN);
    tio.c_cflag &= ~(CSIZE | PARENB | PARODD | CSTOPB | CRTSCTS | CBAUD | (CBAUD << IBSHIFT));
    tio.c_cflag |= dataBitsFlag(dataBits) | CREAD | CLOCAL | BOTHER | (BOTHER << IBSHIFT);
    if (parity == 1 || parity == 2) {
        tio.c_cflag |= PARENB | (parity == 1 ? PARODD : 0);
        tio.c_iflag |= INPCK;
    }
    tio.c_ispeed = baud;
    tio.c_ospeed = baud;
    tio.c_cc[VMIN] = 1;
    tio.c_cc[VTIME] = 0;
    if (ioctl(fd, TCSETS2, &tio) != 0)
        return SerialPort::OpenSettingsFailed;

    // A driver that cannot do the rate picks another one: check it took.
    struct termios2 check {};
    if (ioctl(fd, TCGETS2, &check) != 0)
        return SerialPort::OpenSettingsFailed;
    if (check.c_ospeed != baud && (check.c_cflag & CBAUD) == BOTHER) {
        const std::uint32_t diff = check.c_ospeed > baud ? check.c_ospeed - baud
                                                         : baud - check.c_ospeed;
        if (diff * 100 > baud * 3ull)   // more than 3 % off: bytes would be garbled
            return SerialPort::OpenSettingsFailed;
    }
    return 0;
}

void makeExclusive(int fd) { ioctl(fd, TIOCEXCL); }

namespace {

// Ports whose low-latency flag this process turned on, to be turned off
// again at close (the driver keeps it for the next program otherwise).
std::mutex lowLatencyMutex;
std::set<int> lowLatencyTurnedOn;

void setLowLatency(int fd, bool on) {
    struct serial_struct info {};
    if (ioctl(fd, TIOCGSERIAL, &info) != 0)
        return;
    info.flags = on ? (info.flags | ASYNC_LOW_LATENCY) : (info.flags & ~ASYNC_LOW_LATENCY);
    ioctl(fd, TIOCSSERIAL, &info);
}

}  // namespace

void releaseAndClose(int fd) {
    bool restore = false;
    {
        std::lock_guard<std::mutex> lock(lowLatencyMutex);
        restore = lowLatencyTurnedOn.erase(fd) > 0;
    }
    if (restore)
        setLowLatency(fd, false);
    ioctl(fd, TIOCNXCL);
    ::close(fd);
}

void holdModemLinesOff(int fd) {
    int lines = TIOCM_DTR | TIOCM_RTS;
    ioctl(fd, TIOCMBIC, &lines);
}

bool requestLowLatency(int fd) {
    struct serial_struct info {};
    if (ioctl(fd, TIOCGSERIAL, &info) != 0)
        return false;   // a pseudo-terminal, or a driver without the setting
    if (info.flags & ASYNC_LOW_LATENCY)
        return true;
    info.flags |= ASYNC_LOW_LATENCY;
    if (ioctl(fd, TIOCSSERIAL, &info) != 0)
        return false;
    std::lock_guard<std::mutex> lock(lowLatencyMutex);
    lowLatencyTurnedOn.insert(fd);
    return true;
}

bool readModemLines(int fd, int& lines) { return ioctl(fd, TIOCMGET, &lines) == 0; }

bool ringIndicatorOn(int lines) { return (lines & TIOCM_RI) != 0; }
