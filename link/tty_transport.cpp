#include "link/tty_transport.h"

#include <cerrno>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include "link/line_settings.h"
#include "link/open_error.h"
#include "link/serial_port.h"

int TtyTransport::open(std::string_view name, std::uint32_t baud, int parity, int dataBits,
                       std::string& error) {
    close();
    const std::string path = portDevicePath(name);
    const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        error = describeOpenError(name, path, errno);
        return SerialPort::OpenDeviceFailed;
    }
    // Not shared: refuse a port another program (or link) holds.
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int lockError = errno == EWOULDBLOCK ? EBUSY : errno;
        ::close(fd);
        error = describeOpenError(name, path, lockError);
        return SerialPort::OpenDeviceFailed;
    }
    makeExclusive(fd);

    errno = 0;
    const int status = applyLineSettings(fd, baud, parity, dataBits);
    const int settingsError = errno;
    if (status != 0) {
        releaseAndClose(fd);
        if (settingsError != 0)
            error = describeOpenError(name, path, settingsError);
        else
            error = describeOpenFailure(name, path,
                                        "the port cannot run at " + std::to_string(baud) + " baud");
        return status;
    }
    holdModemLinesOff(fd);
    requestLowLatency(fd);
    fd_ = fd;
    path_ = path;
    goneReason_.clear();
    return 0;
}

void TtyTransport::close() {
    if (fd_ >= 0)
        releaseAndClose(fd_);
    fd_ = -1;
}

long TtyTransport::read(unsigned char* buffer, std::size_t size) {
    const ssize_t n = ::read(fd_, buffer, size);
    if (n > 0)
        return static_cast<long>(n);
    if (n < 0 && (errno == EAGAIN || errno == EINTR))
        return 0;
    // Hang-up or I/O error: the device is gone.
    goneReason_ = describeOpenFailure("", path_, n == 0 ? "the device hung up" : systemErrorText(errno));
    return -1;
}

long TtyTransport::write(const char* data, std::size_t length) {
    const ssize_t n = ::write(fd_, data, length);
    if (n >= 0)
        return static_cast<long>(n);
    if (errno == EAGAIN || errno == EINTR)
        return 0;
    goneReason_ = describeOpenFailure("", path_, systemErrorText(errno));
    return -1;
}

bool TtyTransport::readModemLines(int& lines) { return ::readModemLines(fd_, lines); }
