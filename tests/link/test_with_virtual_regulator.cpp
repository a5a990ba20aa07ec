// The link against the virtual regulator over its pseudo-terminal: the
// protocol end to end, and the line faults it can play.
#include <gtest/gtest.h>

#include <bit>
#include <chrono>
#include <thread>

#include "link/serial_manager.h"
#include "pty_peer.h"
#include "sim/virtual_regulator.h"

namespace {

class VirtualRegulatorLink : public ::testing::Test {
protected:
    void SetUp() override {
        std::string error;
        ASSERT_TRUE(board.start(&error)) << error;
        link.setNotify([this](int kind, int length, const char* text) {
            log.add(kind, length, text);
        });
        ASSERT_EQ(link.open(board.slavePath(), 115200), Ok);
        std::string version;
        ASSERT_EQ(link.getVersion(version), Ok);
        ASSERT_FALSE(version.empty());
        board.clearReceived();
    }
    void TearDown() override {
        link.close();
        board.stop();
    }

    sim::VirtualRegulator board;
    NotificationLog log;
    SerialManager link;
};

TEST_F(VirtualRegulatorLink, RegistersRoundTripInBothForms) {
    EXPECT_EQ(link.writeRegister(12, 21.25f, false), Ok);
    float value = 0;
    EXPECT_EQ(link.readRegister(12, value, false), Ok);
    EXPECT_EQ(value, 21.25f);
    EXPECT_EQ(link.writeRegister(13, -3.0e-5f, true), Ok);
    EXPECT_EQ(board.registerBits(13), std::bit_cast<std::uint32_t>(-3.0e-5f));
    EXPECT_EQ(link.readRegister(13, value, true), Ok);
    EXPECT_EQ(value, -3.0e-5f);
    const std::vector<std::string> expected{"$R12=21.25", "$R12?", "$RN13=B7FBA882", "$RN13?"};
    EXPECT_EQ(board.receivedCommands(), expected);
}

TEST_F(VirtualRegulatorLink, TransactionsSucceedWhileTheBoardStreams) {
    ASSERT_EQ(link.autoSend(7), Ok);
    // Keep asking, leaving the line idle now and then (the board skips a
    // sample while it is transmitting), until runtime lines came in between.
    for (int i = 0; i < 500 && log.count(SerialManager::kNotifyRuntimeLine) < 5; ++i) {
        std::string version;
        ASSERT_EQ(link.getVersion(version), Ok);
        ASSERT_NE(version.front(), '[');
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    EXPECT_GE(log.count(SerialManager::kNotifyRuntimeLine), 5);
    EXPECT_EQ(link.autoSendOff(), Ok);
}

TEST_F(VirtualRegulatorLink, MissingEchoAndMissingDataTimeOut) {
    link.setTimeout(0.3);
    std::string version;
    board.setFault(sim::Fault::NoEcho, 1);
    EXPECT_EQ(link.getVersion(version), TimeoutEcho);
    board.setFault(sim::Fault::EchoWithoutData, 1);
    EXPECT_EQ(link.getVersion(version), TimeoutData);
    EXPECT_EQ(link.getVersion(version), Ok);
}

TEST_F(VirtualRegulatorLink, OverlongLineArrivesCutAndIsNotData) {
    board.setFault(sim::Fault::OverlongLine, 1);
    std::string version;
    ASSERT_EQ(link.getVersion(version), Ok);
    EXPECT_LT(version.size(), 100u);
    int cut = 0;
    for (const Notification& n : log.all())
        if (n.kind == SerialManager::kNotifyUnexpectedLine && n.length == 1023)
            ++cut;
    EXPECT_EQ(cut, 1);
}

TEST_F(VirtualRegulatorLink, GarbageNeverReachesTheClient) {
    board.setFault(sim::Fault::Garbage, 5);
    link.setTimeout(0.5);
    for (int i = 0; i < 5; ++i) {
        std::string version;
        link.getVersion(version);   // noise may break an echo: any result will do
        for (unsigned char c : version)
            EXPECT_GE(c, 0x20);
        for (unsigned char c : version)
            EXPECT_LT(c, 0x80);
    }
    for (const Notification& n : log.all())
        for (unsigned char c : n.text)
            EXPECT_TRUE(c >= 0x20 && c < 0x80) << static_cast<int>(c);
}

TEST_F(VirtualRegulatorLink, BoardVanishingEndsTheLink) {
    board.setFault(sim::Fault::Vanish, 1);
    link.setTimeout(0);
    std::string version;
    EXPECT_EQ(link.getVersion(version), PortInvalid);
    EXPECT_TRUE(log.waitFor(SerialManager::kNotifyStatus, "MGR::Disonnected!"));
    EXPECT_FALSE(link.isOpen());
    EXPECT_FALSE(link.isLinkUp());
}

TEST_F(VirtualRegulatorLink, BootLoaderStoresTheWrittenWords) {
    ASSERT_EQ(link.enterBootLoader(), Ok);
    EXPECT_TRUE(board.inBootLoader());
    std::uint32_t id = 0;
    bool locked = true;
    char rev1 = 0;
    char rev2 = 0;
    ASSERT_EQ(link.identify(id, locked, rev1, rev2), Ok);
    EXPECT_NE(rev1, '-');
    ASSERT_EQ(link.setAddress(0x000400), Ok);
    const std::uint8_t data[] = {0x12, 0x34, 0x56, 0x78, 0x9A};
    std::uint32_t reply = 0;
    ASSERT_EQ(link.writeData(data, 5, false, reply), Ok);
    EXPECT_EQ(reply, 0x000400u);
    EXPECT_FALSE(board.flashWords().empty());

    board.setFault(sim::Fault::WrongWriteReply, 1);
    ASSERT_EQ(link.setAddress(0x000410), Ok);
    ASSERT_EQ(link.writeData(data, 4, false, reply), Ok);
    EXPECT_NE(reply, 0x000410u);

    EXPECT_EQ(link.runUserProgram(), Ok);
}

}  // namespace
