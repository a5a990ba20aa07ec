// Why a port did not open: the port named, the system's reason in its own
// words, the same through SerialPort and SerialManager.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <string>

#include <fcntl.h>
#include <grp.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "link/open_error.h"
#include "link/serial_manager.h"
#include "link/serial_port.h"
#include "pty_peer.h"

namespace {

TEST(OpenErrorText, NamesThePortAndTheSystemsReason) {
    EXPECT_EQ(describeOpenError("/dev/tq-none", "/dev/tq-none", ENOENT),
              "/dev/tq-none: No such file or directory");
    EXPECT_EQ(describeOpenError("/dev/tq-none", "/dev/tq-none", EBUSY), "/dev/tq-none: Device or resource busy");
    EXPECT_EQ(describeOpenError("/dev/tq-none", "/dev/tq-none", EACCES),
              "/dev/tq-none: Permission denied (is the user in the dialout group?)");
    EXPECT_EQ(describeOpenError("COM1", "/dev/ttyS0-tq-none", ENOENT),
              "COM1 (/dev/ttyS0-tq-none): No such file or directory");
    EXPECT_EQ(describeOpenError("/dev/null", "/dev/null", ENOTTY),
              "/dev/null: Inappropriate ioctl for device (not a serial port)");
    EXPECT_EQ(describeOpenFailure("", "/dev/x", "why"), "/dev/x: why");
    EXPECT_EQ(systemErrorText(EBUSY), "Device or resource busy");
    EXPECT_FALSE(systemErrorText(99999).empty());
}

TEST(OpenErrorText, AccessHintNamesTheGroupThatOwnsTheDevice) {
    const group* ttyGroup = getgrnam("tty");
    if (ttyGroup == nullptr || geteuid() != 0) GTEST_SKIP() << "needs a tty group and the right to chown";
    const std::string path = std::filesystem::temp_directory_path() / ("tq-group-" + std::to_string(getpid()));
    std::FILE* f = std::fopen(path.c_str(), "w");
    ASSERT_NE(f, nullptr);
    std::fclose(f);
    ASSERT_EQ(::chown(path.c_str(), static_cast<uid_t>(-1), ttyGroup->gr_gid), 0);
    EXPECT_EQ(describeOpenError(path, path, EACCES), path + ": Permission denied (is the user in the tty group?)");
    ::unlink(path.c_str());
}

TEST(OpenErrorDetail, MissingNotATerminalAndSuccessClearingIt) {
    SerialPort port;
    EXPECT_EQ(port.lastOpenError(), "");
    EXPECT_EQ(port.open("/dev/tq-no-such-port", 115200), SerialPort::OpenDeviceFailed);
    EXPECT_EQ(port.lastOpenError(), "/dev/tq-no-such-port: No such file or directory");
    EXPECT_NE(port.open("/dev/null", 115200), 0);
    EXPECT_EQ(port.lastOpenError(), "/dev/null: Inappropriate ioctl for device (not a serial port)");
    EXPECT_EQ(port.open("", 115200), SerialPort::OpenNoName);
    EXPECT_EQ(port.lastOpenError(), "No port name given");

    PtyPeer peer;
    ASSERT_TRUE(peer.ok());
    ASSERT_EQ(port.open(peer.slavePath().c_str(), 115200), 0);
    EXPECT_EQ(port.lastOpenError(), "") << "a successful open clears the reason";
}

TEST(OpenErrorDetail, PermissionDeniedWhenTheDeviceIsNotAccessible) {
    if (geteuid() == 0) GTEST_SKIP() << "root opens any file";
    const std::string path = std::filesystem::temp_directory_path() / ("tq-locked-" + std::to_string(getpid()));
    std::FILE* f = std::fopen(path.c_str(), "w");
    ASSERT_NE(f, nullptr);
    std::fclose(f);
    ::chmod(path.c_str(), 0);
    SerialManager link;
    EXPECT_EQ(link.open(path, 115200), CmdOpenError);
    EXPECT_EQ(link.openErrorDetail().rfind(path + ": Permission denied (is the user in the ", 0), 0u)
        << link.openErrorDetail();
    ::unlink(path.c_str());
}

// Another program holds the port: a child process opens and locks it the way
// the link does and keeps it until told to let go.
TEST(OpenErrorDetail, APortHeldByAnotherProcessIsBusy) {
    PtyPeer peer;
    ASSERT_TRUE(peer.ok());
    int ready[2];
    int release[2];
    ASSERT_EQ(::pipe(ready), 0);
    ASSERT_EQ(::pipe(release), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        const int fd = ::open(peer.slavePath().c_str(), O_RDWR | O_NOCTTY);
        const char ok = (fd >= 0 && ::flock(fd, LOCK_EX | LOCK_NB) == 0) ? 'y' : 'n';
        [[maybe_unused]] ssize_t w = ::write(ready[1], &ok, 1);
        char c;
        [[maybe_unused]] ssize_t r = ::read(release[0], &c, 1);
        ::_exit(0);
    }
    char ok = 0;
    ASSERT_EQ(::read(ready[0], &ok, 1), 1);
    ASSERT_EQ(ok, 'y');

    SerialManager link;
    EXPECT_EQ(link.open(peer.slavePath(), 115200), CmdOpenError);
    EXPECT_EQ(link.openErrorDetail(), peer.slavePath() + ": Device or resource busy");

    ASSERT_EQ(::write(release[1], "x", 1), 1);
    int status = 0;
    ::waitpid(child, &status, 0);
    EXPECT_EQ(link.open(peer.slavePath(), 115200), Ok) << "free again once the other program let go";
    EXPECT_EQ(link.openErrorDetail(), "");
    for (int fd : {ready[0], ready[1], release[0], release[1]}) ::close(fd);
}

}  // namespace
