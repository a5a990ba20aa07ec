// Every offered rate is really set, including those without a B constant.
#include <gtest/gtest.h>

#include <asm/termbits.h>
#include <fcntl.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include "link/line_settings.h"
#include "link/port_list.h"
#include "pty_peer.h"

namespace {

class LineSettingsTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(peer.ok());
        fd = ::open(peer.slavePath().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
        ASSERT_GE(fd, 0);
    }
    void TearDown() override {
        if (fd >= 0)
            ::close(fd);
    }
    struct termios2 current() const {
        struct termios2 tio {};
        EXPECT_EQ(ioctl(fd, TCGETS2, &tio), 0);
        return tio;
    }

    PtyPeer peer;
    int fd = -1;
};

TEST_F(LineSettingsTest, EveryOfferedRateIsSet) {
    for (std::uint32_t rate : kBaudRates) {
        ASSERT_EQ(applyLineSettings(fd, rate, 0, 8), 0) << rate;
        const struct termios2 tio = current();
        EXPECT_EQ(tio.c_ospeed, rate);
        EXPECT_EQ(tio.c_ispeed, rate);
    }
}

TEST_F(LineSettingsTest, RawEightBitsNoParityOneStopBit) {
    ASSERT_EQ(applyLineSettings(fd, 115200, 0, 8), 0);
    const struct termios2 tio = current();
    EXPECT_EQ(tio.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
    EXPECT_EQ(tio.c_cflag & (PARENB | CSTOPB | CRTSCTS), 0u);
    EXPECT_NE(tio.c_cflag & CLOCAL, 0u);
    EXPECT_NE(tio.c_cflag & CREAD, 0u);
    EXPECT_EQ(tio.c_iflag & (IXON | IXOFF | ICRNL | INLCR | IGNCR | ISTRIP), 0u);
    EXPECT_EQ(tio.c_lflag & (ICANON | ECHO | ISIG), 0u);
    EXPECT_EQ(tio.c_oflag & OPOST, 0u);
}

TEST(LineSettings, NotATerminalIsRefused) {
    const int fd = ::open("/dev/null", O_RDWR);
    ASSERT_GE(fd, 0);
    EXPECT_NE(applyLineSettings(fd, 115200, 0, 8), 0);
    ::close(fd);
}

}  // namespace
