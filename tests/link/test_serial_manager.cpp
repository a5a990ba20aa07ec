// The command protocol over a real pseudo-terminal, against a scripted
// regulator: transactions, line classification, time-outs, the command
// formats and the reply conversions.
#include <gtest/gtest.h>

#include <atomic>
#include <bit>
#include <chrono>
#include <thread>

#include "link/serial_manager.h"
#include "pty_peer.h"

namespace {

// A regulator that echoes every command and answers with `data` lines.
ScriptedRegulator::Script echoAnd(std::vector<std::string> data) {
    return [data](const std::string& command) {
        std::string reply = command + "\r\n";
        for (const std::string& line : data)
            reply += line + "\r\n";
        return reply;
    };
}

class ManagerTest : public ::testing::Test {
protected:
    void connect(ScriptedRegulator::Script script) {
        regulator = std::make_unique<ScriptedRegulator>(std::move(script));
        link.setNotify([this](int kind, int length, const char* text) {
            log.add(kind, length, text);
        });
        ASSERT_EQ(link.open(regulator->slavePath(), 115200), Ok);
        ASSERT_TRUE(log.waitFor(SerialManager::kNotifyStatus, "MGR::Connected!"));
    }
    void TearDown() override { link.close(); }

    // Switches the script's answers; lives as long as the regulator thread.
    std::atomic<int> mode{0};
    NotificationLog log;
    std::unique_ptr<ScriptedRegulator> regulator;
    SerialManager link;
};

TEST(ResultText, KnownAndUnknownCodes) {
    EXPECT_STREQ(resultText(Ok), "No error");
    EXPECT_STREQ(resultText(TimeoutEcho), "Timeout - echo msg");
    EXPECT_STREQ(resultText(TimeoutData), "Timeout - data msg");
    EXPECT_STREQ(resultText(TimeoutBusy), "Timeout - port busy");
    EXPECT_STREQ(resultText(CmdOpenError), "Cmd open error");
    EXPECT_STREQ(resultText(NoMatch), "No match");
    EXPECT_STREQ(resultText(42), "Unkown error");
    EXPECT_STREQ(resultText(-1), "Unkown error");
    char small[8];
    resultText(TimeoutEcho, small, sizeof small);
    EXPECT_STREQ(small, "Timeout");
}

TEST(ManagerWithoutPort, OpenAndTransactionFailures) {
    SerialManager link;
    EXPECT_EQ(link.open("/dev/tq-no-such-port", 115200), CmdOpenError);
    EXPECT_FALSE(link.isOpen());
    EXPECT_FALSE(link.isLinkUp());
    std::string version;
    EXPECT_EQ(link.getVersion(version), PortInvalid);
    EXPECT_EQ(version, "-no version-");
    EXPECT_EQ(link.transact(nullptr, true, 1, true), InvalidPointer);
    EXPECT_EQ(link.transact("", true, 1, true), CmdBufferEmpty);
    EXPECT_EQ(link.transact("$V\r", true, 0, true), InvalidCount);
    EXPECT_EQ(link.transact("$V\r", true, 11, true), InvalidCount);
}

TEST_F(ManagerTest, VersionIsTheDataLineAfterTheEcho) {
    connect(echoAnd({"TQ regulator 1.23"}));
    std::string version;
    EXPECT_EQ(link.getVersion(version), Ok);
    EXPECT_EQ(version, "TQ regulator 1.23");
    EXPECT_EQ(regulator->received(), "$V\r");
    EXPECT_TRUE(link.isOpen());
    EXPECT_TRUE(link.isLinkUp());
}

TEST_F(ManagerTest, RuntimeLineBetweenEchoAndDataIsPassedOn) {
    connect([](const std::string& command) {
        return command + "\r\n[7 1 2 3]\r\n\r\n" + "4.56\r\n";
    });
    std::string version;
    EXPECT_EQ(link.getVersion(version), Ok);
    EXPECT_EQ(version, "4.56");
    ASSERT_TRUE(log.waitFor(SerialManager::kNotifyRuntimeLine, "[7 1 2 3]"));
    for (const Notification& n : log.all()) {
        if (n.kind == SerialManager::kNotifyRuntimeLine) {
            EXPECT_EQ(n.length, 9);
        }
    }
}

TEST_F(ManagerTest, LineBeforeTheEchoIsNotData) {
    connect([](const std::string& command) { return "noise\r" + command + "\r\nv2\r\n"; });
    std::string version;
    EXPECT_EQ(link.getVersion(version), Ok);
    EXPECT_EQ(version, "v2");
    EXPECT_TRUE(log.waitFor(SerialManager::kNotifyUnexpectedLine, "noise"));
}

TEST_F(ManagerTest, EchoMayBeEmbeddedInALongerLine) {
    connect([](const std::string& command) { return "> " + command + " ok\r\n1,2\r\n"; });
    int a = -1;
    int b = -1;
    EXPECT_EQ(link.getStatus(false, a, b), Ok);
    EXPECT_EQ(a, 1);
    EXPECT_EQ(b, 2);
}

TEST_F(ManagerTest, TimeOutsNameTheMissingPart) {
    connect([this](const std::string& command) -> std::string {
        if (mode == 0)
            return "";                 // silent
        return command + "\r\n";       // echo only
    });
    link.setTimeout(0.2);
    std::string version;
    EXPECT_EQ(link.getVersion(version), TimeoutEcho);
    EXPECT_EQ(version, "-no version-");
    mode = 1;
    EXPECT_EQ(link.getVersion(version), TimeoutData);
    // Echo-only commands succeed on the echo.
    EXPECT_EQ(link.saveToFlash(), Ok);
}

TEST_F(ManagerTest, SilentRegulatorTimesOutWithTheDefaultBudget) {
    connect([](const std::string&) { return std::string(); });
    EXPECT_DOUBLE_EQ(link.timeout(), 2.0);
    EXPECT_EQ(link.reboot(), TimeoutEcho);
}

TEST(ManagerBusy, WritePendingForTheWholeTimeOutIsBusy) {
    PtyPeer peer;   // never reads: the terminal buffer fills up
    ASSERT_TRUE(peer.ok());
    SerialManager link;
    ASSERT_EQ(link.open(peer.slavePath(), 115200), Ok);
    link.setTimeout(0.2);
    const std::string block(1000, 'z');
    int result = Ok;
    for (int i = 0; i < 2000 && result == Ok; ++i)
        result = link.transact(block, false, 1, false);
    EXPECT_EQ(result, TimeoutBusy);
    link.close();
}

TEST_F(ManagerTest, CommandsWithoutEchoReturnAtOnce) {
    connect([](const std::string&) { return std::string(); });
    EXPECT_EQ(link.stop(), Ok);
    EXPECT_EQ(link.start(), Ok);
    EXPECT_EQ(link.autoSend(7), Ok);
    EXPECT_EQ(link.autoSendOff(), Ok);
    ASSERT_TRUE(regulator->waitForCommands(4));
    EXPECT_EQ(regulator->received(), "$Q\r$W\r$A7\r$A\r");
}

TEST_F(ManagerTest, OneShotCommandTexts) {
    connect(echoAnd({"done"}));
    int a = 0;
    int b = 0;
    EXPECT_EQ(link.reboot(), Ok);
    EXPECT_EQ(link.saveToFlash(), Ok);
    EXPECT_EQ(link.flashToDefault(), Ok);
    EXPECT_EQ(link.getStatus(true, a, b), Ok);
    EXPECT_EQ(regulator->received(), "$BC\r$RW\r$RC\r$SC\r");
}

TEST_F(ManagerTest, StatusPairIsRead) {
    connect(echoAnd({"12,7"}));
    int a = 0;
    int b = 0;
    EXPECT_EQ(link.getStatus(true, a, b), Ok);
    EXPECT_EQ(a, 12);
    EXPECT_EQ(b, 7);
}

TEST_F(ManagerTest, RegisterWriteFormats) {
    connect(echoAnd({}));
    EXPECT_EQ(link.writeRegister(12, 1.5f, false), Ok);
    EXPECT_EQ(link.writeRegister(3, 1.5f, true), Ok);
    EXPECT_EQ(link.writeRegisterUnsigned(7, 4000000000u), Ok);
    EXPECT_EQ(link.writeRegisterInt(8, -5), Ok);
    EXPECT_EQ(link.writeRegisterFloat(9, 1.0e7f), Ok);
    EXPECT_EQ(regulator->received(),
              "$R12=1.5\r$RN3=3FC00000\r$R7=4000000000\r$R8=-5\r$R9=1E+07\r");
}

TEST(RegisterCommandText, FloatsUseShortestSixDigitForm) {
    EXPECT_EQ(SerialManager::registerWriteFloatCommand(1, 0.0001f), "$R1=0.0001\r");
    EXPECT_EQ(SerialManager::registerWriteFloatCommand(1, 123456789.0f), "$R1=1.23457E+08\r");
    EXPECT_EQ(SerialManager::registerWriteFloatCommand(1, -25.0f), "$R1=-25\r");
    EXPECT_EQ(SerialManager::registerWriteFloatCommand(1, 0.0f), "$R1=0\r");
    EXPECT_EQ(SerialManager::registerWriteHexCommand(96, 0xABu), "$RN96=000000AB\r");
}

TEST_F(ManagerTest, RegisterReadsConvertTheDataLine) {
    connect([this](const std::string& command) {
        static const char* const replies[] = {"3FC00000", " -2.5e3xyz", "4000000000", "-17",
                                              "no number"};
        return command + "\r\n" + replies[mode.load()] + "\r\n";
    });
    float f = 0;
    EXPECT_EQ(link.readRegister(3, f, true), Ok);
    EXPECT_EQ(f, 1.5f);
    mode = 1;
    EXPECT_EQ(link.readRegister(4, f, false), Ok);
    EXPECT_EQ(f, -2500.0f);
    mode = 2;
    std::uint32_t u = 0;
    EXPECT_EQ(link.readRegisterUnsigned(5, u), Ok);
    EXPECT_EQ(u, 4000000000u);
    mode = 3;
    int i = 0;
    EXPECT_EQ(link.readRegisterInt(6, i), Ok);
    EXPECT_EQ(i, -17);
    mode = 4;
    f = 9;
    EXPECT_EQ(link.readRegisterFloat(7, f), Ok);
    EXPECT_EQ(f, 0.0f);
    EXPECT_EQ(regulator->received(), "$RN3?\r$R4?\r$R5?\r$R6?\r$R7?\r");
}

TEST_F(ManagerTest, SetAddressChecksTheReply) {
    connect([this](const std::string& command) {
        return command + "\n\r" + (mode == 1 ? "000301" : "000300") + "\n\r";
    });
    EXPECT_EQ(link.setAddress(0x300), Ok);
    EXPECT_EQ(regulator->received(), "a000300\n\r");
    mode = 1;
    EXPECT_EQ(link.setAddress(0x300), NoMatch);
}

TEST(WriteDataCommand, WordsInFileOrderOrSwapped) {
    const std::uint8_t bytes[] = {0x12, 0x34, 0x56, 0x78, 0x9A};
    EXPECT_EQ(SerialManager::writeDataCommand(bytes, 4, false), "p12345678\n\r");
    EXPECT_EQ(SerialManager::writeDataCommand(bytes, 4, true), "p34127856\n\r");
    EXPECT_EQ(SerialManager::writeDataCommand(bytes, 0, false), "p\n\r");
    // An odd final byte goes out with the erased value 0xFF as its partner.
    EXPECT_EQ(SerialManager::writeDataCommand(bytes, 5, false), "p123456789AFF\n\r");
    EXPECT_EQ(SerialManager::writeDataCommand(bytes, 5, true), "p34127856FF9A\n\r");
    EXPECT_EQ(SerialManager::writeDataCommand(bytes, 17, false), "");
}

TEST_F(ManagerTest, WriteDataSendsTheRecordAndReadsTheReply) {
    connect(echoAnd({"0001F0"}));
    std::uint8_t bytes[17] = {0xDE, 0xAD};
    std::uint32_t reply = 0;
    EXPECT_EQ(link.writeData(bytes, 17, false, reply), InvalidCount);
    EXPECT_EQ(link.writeData(bytes, -1, false, reply), InvalidCount);
    EXPECT_EQ(link.writeData(nullptr, 2, false, reply), InvalidPointer);
    EXPECT_EQ(link.writeData(bytes, 0, false, reply), Ok);
    EXPECT_EQ(reply, 0x1F0u);
    EXPECT_EQ(link.writeData(bytes, 2, false, reply), Ok);
    // The refused records sent nothing.
    EXPECT_EQ(regulator->received(), "p\n\rpDEAD\n\r");
}

TEST_F(ManagerTest, BootLoaderIdentification) {
    connect([](const std::string& command) -> std::string {
        if (command == "$B")
            return "$B\r\nTQ boot\r\nready\r\nBL12 loader\r\n>\r\n";
        if (command == "i")
            return "i\n\r1A2B\n\rU\n\r";
        return command + "\n\r";
    });
    EXPECT_EQ(link.enterBootLoader(), Ok);
    EXPECT_EQ(link.replySlot(4), ">");
    std::uint32_t id = 0;
    bool locked = true;
    char rev1 = 0;
    char rev2 = 0;
    EXPECT_EQ(link.identify(id, locked, rev1, rev2), Ok);
    EXPECT_EQ(id, 0x1A2Bu);
    EXPECT_FALSE(locked);
    EXPECT_EQ(rev1, '1');
    EXPECT_EQ(rev2, '2');
    EXPECT_EQ(link.runUserProgram(), Ok);
    EXPECT_EQ(regulator->received(), "$B\r\ni\n\rg\n\r");
}

TEST_F(ManagerTest, ReadDataNeedsItsSeparators) {
    connect([this](const std::string& command) -> std::string {
        return command + "\n\r" +
               (mode == 1 ? "000100 1 2 3 4 5 6 7 8" : "000100:1 2 3 4 5 6 7 FFFF ") + "\n\r";
    });
    std::uint32_t address = 0;
    std::array<std::uint32_t, 8> words{};
    EXPECT_EQ(link.readData(address, words), Ok);
    EXPECT_EQ(address, 0x100u);
    EXPECT_EQ(words[0], 1u);
    EXPECT_EQ(words[7], 0xFFFFu);
    mode = 1;
    EXPECT_EQ(link.readData(address, words), NoMatch);
}

TEST_F(ManagerTest, TransactionsFromTwoThreadsDoNotMix) {
    // Register n reads back as n, the version as "v9".
    connect([](const std::string& command) {
        const std::string data = command == "$V" ? "v9" : command.substr(2, command.size() - 3);
        return command + "\r\n" + data + "\r\n";
    });
    std::atomic<int> failures{0};
    auto reader = [&](int reg) {
        for (int i = 0; i < 40; ++i) {
            float value = 0;
            if (link.readRegisterFloat(reg, value) != Ok || value != static_cast<float>(reg))
                ++failures;
        }
    };
    std::thread first(reader, 1);
    std::thread second(reader, 2);
    std::string version;
    for (int i = 0; i < 20; ++i)
        if (link.getVersion(version) != Ok || version != "v9")
            ++failures;
    first.join();
    second.join();
    EXPECT_EQ(failures.load(), 0);
}

TEST_F(ManagerTest, CloseDisconnectsTheClient) {
    connect(echoAnd({"1"}));
    EXPECT_EQ(link.close(), Ok);
    EXPECT_FALSE(link.isOpen());
    EXPECT_FALSE(link.isLinkUp());
    bool seen = false;
    for (const Notification& n : log.all()) {
        if (n.kind == SerialManager::kNotifyStatus && n.text == "MGR::Disonnected!") {
            EXPECT_EQ(n.length, 18);
            seen = true;
        }
        if (n.kind == SerialManager::kNotifyStatus && n.text == "MGR::Connected!") {
            EXPECT_EQ(n.length, 16);
        }
    }
    EXPECT_TRUE(seen);
    std::string version;
    EXPECT_EQ(link.getVersion(version), PortInvalid);
    // The registration survives a re-open.
    ASSERT_EQ(link.open(regulator->slavePath(), 115200), Ok);
    EXPECT_EQ(link.getVersion(version), Ok);
}

TEST_F(ManagerTest, CloseFromAnotherThreadEndsAWaitingTransaction) {
    connect([](const std::string&) { return std::string(); });
    link.setTimeout(0);   // no time-out: only the close can end the wait
    std::atomic<int> result{-1};
    std::thread caller([&] {
        std::string version;
        result = link.getVersion(version);
    });
    ASSERT_TRUE(regulator->waitForCommands(1));
    link.close();
    caller.join();
    EXPECT_EQ(result.load(), PortInvalid);
}

TEST_F(ManagerTest, DeviceVanishingMidTransaction) {
    connect(echoAnd({"1.0"}));
    regulator->vanishOn("$V");
    link.setTimeout(0);
    std::string version;
    EXPECT_EQ(link.getVersion(version), PortInvalid);
    EXPECT_TRUE(log.waitFor(SerialManager::kNotifyStatus, "MGR::Disonnected!"));
    EXPECT_FALSE(link.isOpen());
    EXPECT_FALSE(link.isLinkUp());
}

TEST_F(ManagerTest, EmptyLinesAreIgnored) {
    connect([](const std::string& command) { return "\r\r" + command + "\r\r\r\nv\r"; });
    std::string version;
    EXPECT_EQ(link.getVersion(version), Ok);
    EXPECT_EQ(version, "v");
    for (const Notification& n : log.all())
        EXPECT_NE(n.kind, SerialManager::kNotifyUnexpectedLine) << n.text;
}

}  // namespace
