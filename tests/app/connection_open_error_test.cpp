// A port that does not open: the message line keeps its first line and says
// on a second one which port and why, in the system's words.
#include <gtest/gtest.h>

#include "app/connection_manager.h"
#include "app/global_setup.h"
#include "link/serial_manager.h"
#include "runtime/runtime_fan_out.h"
#include "sim/virtual_regulator.h"
#include "test_support.h"

namespace {

class SilentSink : public RuntimeSink {
public:
    void panelText(PanelField, const std::string&) override {}
    void statusText(const std::string&) override {}
    void versionText(const std::string&) override {}
    void lampFlash(PanelLamp, int) override {}
    void graphValues(const GraphValues&) override {}
};

class ConnectionOpenErrorTest : public ::testing::Test {
protected:
    GlobalSetup setup;
    SilentSink sink;
    RuntimeFanOut fanOut{sink};
    ConnectionManager manager{setup, fanOut};
};

const char kFirstLine[] = " Error when trying to open the serial port - error 6 [Cmd open error]\n ";

}  // namespace

TEST_F(ConnectionOpenErrorTest, AMissingPortIsNamedWithTheSystemsReason) {
    setup.portName = "/dev/tq-no-such-port";
    manager.connectPort();
    EXPECT_FALSE(manager.isPortOpen());
    EXPECT_EQ(manager.versionText(), "<error>");
    EXPECT_EQ(manager.messageText().toStdString(),
              std::string(kFirstLine) + "/dev/tq-no-such-port: No such file or directory");
}

TEST_F(ConnectionOpenErrorTest, APortHeldElsewhereIsBusyUntilItIsLetGo) {
    sim::VirtualRegulator regulator;
    std::string error;
    ASSERT_TRUE(regulator.start(&error)) << error;
    SerialManager other;   // another program holding the port
    ASSERT_EQ(other.open(regulator.slavePath(), 115200), Ok);

    setup.portName = regulator.slavePath();
    manager.connectPort();
    EXPECT_FALSE(manager.isPortOpen());
    EXPECT_EQ(manager.messageText().toStdString(),
              std::string(kFirstLine) + regulator.slavePath() + ": Device or resource busy");

    other.close();
    manager.connectPort();
    EXPECT_TRUE(manager.isPortOpen());
    EXPECT_TRUE(spinUntil([&] { return manager.mode() == ConnectionManager::ModeOnline; }, 5000));
    EXPECT_EQ(manager.messageText(), " Connected to regulator");
}

TEST_F(ConnectionOpenErrorTest, AConfiguredComNameShowsTheDeviceItStandsFor) {
    setup.portName = "COM250";   // /dev/ttyS249, not on any machine
    manager.connectPort();
    EXPECT_EQ(manager.messageText().toStdString(),
              std::string(kFirstLine) + "COM250 (/dev/ttyS249): No such file or directory");
}
