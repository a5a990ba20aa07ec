#include "sim/pty_endpoint.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <termios.h>
#include <utility>
#include <unistd.h>

namespace sim {

namespace {

void setError(std::string* error, const std::string& what)
{
    if (error)
        *error = what + ": " + std::strerror(errno);
}

// Raw mode on the slave and a brief open/close so that the master reports
// a hang-up until a real client opens the port: the server then treats
// "never opened" and "closed again" alike.
void prepareSlave(const std::string& name)
{
    int fd = ::open(name.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return;
    termios tio{};
    if (tcgetattr(fd, &tio) == 0) {
        cfmakeraw(&tio);
        tio.c_cflag |= CLOCAL | CREAD;
        tcsetattr(fd, TCSANOW, &tio);
    }
    ::close(fd);
}

}  // namespace

PtyEndpoint::~PtyEndpoint()
{
    close();
}

bool PtyEndpoint::open(const std::string& linkPath, std::string* error)
{
    close();
    int fd = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        setError(error, "posix_openpt");
        return false;
    }
    if (grantpt(fd) != 0 || unlockpt(fd) != 0) {
        setError(error, "grantpt/unlockpt");
        ::close(fd);
        return false;
    }
    char name[128];
    if (ptsname_r(fd, name, sizeof name) != 0) {
        setError(error, "ptsname_r");
        ::close(fd);
        return false;
    }
    termios tio{};
    if (tcgetattr(fd, &tio) == 0) {
        cfmakeraw(&tio);
        tcsetattr(fd, TCSANOW, &tio);
    }
    prepareSlave(name);

    if (!linkPath.empty()) {
        // A new link under a temporary name, renamed over the old one, so
        // that the path never goes missing while it is replaced.
        const std::string temporary = linkPath + ".new";
        ::unlink(temporary.c_str());
        if (::symlink(name, temporary.c_str()) != 0) {
            setError(error, "symlink " + temporary);
            ::close(fd);
            return false;
        }
        if (::rename(temporary.c_str(), linkPath.c_str()) != 0) {
            setError(error, "rename to " + linkPath);
            ::unlink(temporary.c_str());
            ::close(fd);
            return false;
        }
    }
    master_ = fd;
    slaveName_ = name;
    linkPath_ = linkPath;
    return true;
}

void PtyEndpoint::close()
{
    if (master_ < 0)
        return;
    ::close(master_);
    master_ = -1;
    if (!linkPath_.empty()) {
        // Remove the link only if it still points at our slave.
        char target[256];
        ssize_t n = ::readlink(linkPath_.c_str(), target, sizeof target - 1);
        if (n >= 0) {
            target[n] = '\0';
            if (slaveName_ == target)
                ::unlink(linkPath_.c_str());
        }
    }
}

const std::string& PtyEndpoint::portPath() const
{
    return linkPath_.empty() ? slaveName_ : linkPath_;
}

bool PtyEndpoint::discardSlaveInput()
{
    if (master_ < 0)
        return true;
    int fd = ::open(slaveName_.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return errno != EBUSY;
    tcflush(fd, TCIFLUSH);
    ::close(fd);
    return true;
}

void PtyEndpoint::swap(PtyEndpoint& other)
{
    std::swap(master_, other.master_);
    std::swap(slaveName_, other.slaveName_);
    std::swap(linkPath_, other.linkPath_);
}

}  // namespace sim
