#include "sim/pty_endpoint.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <termios.h>
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
        struct stat st{};
        if (lstat(linkPath.c_str(), &st) == 0 && !S_ISDIR(st.st_mode))
            ::unlink(linkPath.c_str());
        if (::symlink(name, linkPath.c_str()) != 0) {
            setError(error, "symlink " + linkPath);
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

void PtyEndpoint::discardSlaveInput()
{
    if (master_ < 0)
        return;
    int fd = ::open(slaveName_.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return;
    tcflush(fd, TCIFLUSH);
    ::close(fd);
}

}  // namespace sim
