#include <gtest/gtest.h>

#include <algorithm>

#include "fake_boot_loader.h"
#include "firmware/firmware_loader.h"
#include "firmware/firmware_update_session.h"
#include "hex_text.h"

using hextest::Loaded;
using hextest::pattern;
using hextest::TempFile;

namespace {

class RecordingObserver : public FirmwareLoaderObserver {
public:
    void statusTextChanged(const std::string& text) override { statuses.push_back(text); }
    void boardTextChanged(const std::string& text) override { boards.push_back(text); }
    void progressRangeChanged(int maximum) override { range = maximum; }
    void progressChanged(int position) override { positions.push_back(position); }
    void beforeRecord() override { ++hooks; }
    std::vector<std::string> statuses, boards;
    std::vector<int> positions;
    int range = -1;
    int hooks = 0;
};


class FirmwareLoaderTest : public ::testing::Test {
protected:
    FirmwareLoaderTest() : loader(link, &observer) {
        loader.setClock([this] { return clockMs; });
    }
    FakeBootLoader link;
    RecordingObserver observer;
    FirmwareLoader loader;
    std::int64_t clockMs = 0;
};

}  // namespace

TEST_F(FirmwareLoaderTest, BoardIdSendsBootCommandThenIdentify) {
    EXPECT_TRUE(loader.boardId());
    EXPECT_EQ(link.commands, (std::vector<std::string>{"$B\n\r", "i\n\r"}));
    EXPECT_EQ(loader.boardText(), "BL07 with id 1A2B is Unlocked");
    EXPECT_EQ(observer.boards.front(), "Get board id...");

    loader.go();
    EXPECT_EQ(loader.boardText(), "Run user program, in regulator.....");
    EXPECT_EQ(link.commands.back(), "g\n\r");

    link.identifyResult = TimeoutEcho;
    EXPECT_FALSE(loader.boardId());
    EXPECT_FALSE(loader.boardFound());
    EXPECT_EQ(loader.boardText(), "<no board detected>");
}

TEST_F(FirmwareLoaderTest, SearchBoardSendsThePatternThenTheEndThenIdentify) {
    EXPECT_TRUE(loader.searchBoard());
    std::vector<std::string> expected(101, "$B\n\rBBBB\n\r");
    expected.push_back("$B\n\r\n\r");
    expected.push_back("i\n\r");
    EXPECT_EQ(link.commands, expected);
    EXPECT_EQ(observer.boards.front(), "Search for the regulator board...");
    EXPECT_EQ(loader.boardText(), "BL07 with id 1A2B is Unlocked");
    EXPECT_TRUE(loader.boardFound());

    link.commands.clear();
    link.identifyResult = TimeoutEcho;
    EXPECT_FALSE(loader.searchBoard());
    EXPECT_EQ(link.commands.size(), 103u);
    EXPECT_EQ(loader.boardText(), "<no board detected>");
}

TEST_F(FirmwareLoaderTest, CancelStartsTheUserProgramEvenWithNothingWritten) {
    loader.cancel();
    EXPECT_EQ(link.commands, std::vector<std::string>{"g\n\r"});
}

TEST_F(FirmwareLoaderTest, DownloadNeedsBoardAndFile) {
    Loaded image(hextest::record(0, 0x300, pattern(4, 1)) + hextest::endOfFile());
    EXPECT_EQ(loader.download(image.reader, true), DownloadOutcome::BoardNotValid);
    ASSERT_TRUE(loader.boardId());
    EXPECT_EQ(loader.download(image.reader, false), DownloadOutcome::FileNotValid);
    link.commands.clear();
    EXPECT_EQ(loader.download(image.reader, true), DownloadOutcome::Written);
    EXPECT_EQ(link.commands.back(), "g\n\r");
}

TEST_F(FirmwareLoaderTest, WritesOnlyInsideTheProgramWindow) {
    const auto low = pattern(16, 1), inside = pattern(16, 2), high = pattern(8, 3);
    Loaded image(hextest::record(0, 0x02F0, low) + hextest::record(0, 0x0300, inside) +
                 hextest::extendedLinear(0x1F) + hextest::record(0, 0xFFF0, inside) +
                 hextest::extendedLinear(0x20) + hextest::record(0, 0x0000, high) +
                 hextest::extendedLinear(0x30) + hextest::record(0, 0x0000, {0x12, 0x34}) +
                 hextest::endOfFile());
    ASSERT_TRUE(loader.writeImage(image.reader));
    EXPECT_EQ(link.writes, 2);
    EXPECT_EQ(link.commands[0], "a000300\n\r");
    EXPECT_EQ(link.commands[2], "a1FFFF0\n\r");
    for (int i = 0; i < 16; ++i) {
        EXPECT_EQ(link.memory.at(0x300u + static_cast<std::uint32_t>(i)), inside[static_cast<std::size_t>(i)]);
        EXPECT_EQ(link.memory.at(0x1FFFF0u + static_cast<std::uint32_t>(i)), inside[static_cast<std::size_t>(i)]);
    }
    EXPECT_EQ(link.memory.count(0x2F0), 0u);
    EXPECT_EQ(link.memory.count(0x200000), 0u);
    EXPECT_EQ(observer.statuses.back(), " Writing at 1FFFF0, time 0 s");
}

TEST_F(FirmwareLoaderTest, DataBelowTheWindowOnlyWritesNothingAndSucceeds) {
    Loaded image(hextest::record(0, 0x0000, pattern(16, 1)) +
                 hextest::record(0, 0x02F0, pattern(16, 2)) + hextest::endOfFile());
    ASSERT_TRUE(loader.boardId());
    link.commands.clear();
    EXPECT_EQ(loader.download(image.reader, true), DownloadOutcome::Written);
    EXPECT_EQ(link.commands, (std::vector<std::string>{"g\n\r"}));
}

TEST_F(FirmwareLoaderTest, ExtendedAddressTakesEffectAtTheNextDataRecord) {
    // Type 2 is taken like type 4: its data bytes are the upper address bits.
    Loaded image(hextest::record(0, 0x0200, pattern(4, 1)) + hextest::extendedLinear(0x0001) +
                 hextest::record(0, 0x0000, pattern(4, 2)) + hextest::record(2, 0, {0x00, 0x02}) +
                 hextest::record(0, 0x1234, pattern(4, 3)) + hextest::endOfFile());
    ASSERT_TRUE(loader.writeImage(image.reader));
    EXPECT_EQ(link.commands, (std::vector<std::string>{
                                 "a010000\n\r", SerialManager::writeDataCommand(pattern(4, 2).data(), 4, false),
                                 "a021234\n\r", SerialManager::writeDataCommand(pattern(4, 3).data(), 4, false)}));
}

TEST_F(FirmwareLoaderTest, DataAbove16MiBIsNotAliasedIntoTheProgramArea) {
    Loaded image(hextest::extendedLinear(0x0100) + hextest::record(0, 0x0400, pattern(4, 1)) +
                 hextest::extendedLinear(0x0000) + hextest::record(0, 0x0500, pattern(4, 2)) +
                 hextest::endOfFile());
    ASSERT_TRUE(loader.writeImage(image.reader));
    EXPECT_EQ(link.writes, 1);
    EXPECT_EQ(link.commands.front(), "a000500\n\r");
    EXPECT_EQ(link.memory.count(0x400), 0u);
}

TEST_F(FirmwareLoaderTest, StatusTextsCarryAddressAndWholeSeconds) {
    Loaded image(hextest::record(0, 0x0400, pattern(4, 1)) + hextest::endOfFile());
    link.failSetAddressAt = 0x400;
    clockMs = 5000;
    loader.setClock([this] { std::int64_t now = clockMs; clockMs += 1700; return now; });
    EXPECT_FALSE(loader.writeImage(image.reader));
    EXPECT_EQ(observer.statuses, (std::vector<std::string>{" Writing at 000400, time 1 s",
                                                           "Error to set base adress at 000400, time 3 s"}));
    EXPECT_EQ(link.writes, 0) << "the record is not written after a failed set-address";
}

TEST_F(FirmwareLoaderTest, WriteFailureStopsAtThatRecord) {
    Loaded image(hextest::record(0, 0x0400, pattern(4, 1)) + hextest::record(0, 0x0410, pattern(4, 2)) +
                 hextest::record(0, 0x0420, pattern(4, 3)) + hextest::endOfFile());
    link.failWriteAt = 0x410;
    EXPECT_FALSE(loader.writeImage(image.reader));
    EXPECT_EQ(loader.statusText(), "Error to write data at 000410, time 0 s");
    EXPECT_EQ(link.writes, 1);
    EXPECT_EQ(link.commands.back().substr(0, 1), "p");
}

TEST_F(FirmwareLoaderTest, WrongWriteReplyStopsSilently) {
    Loaded image(hextest::record(0, 0x0400, pattern(4, 1)) + hextest::record(0, 0x0410, pattern(4, 2)) +
                 hextest::endOfFile());
    link.wrongReplyAt = 0x400;
    ASSERT_TRUE(loader.boardId());
    EXPECT_EQ(loader.download(image.reader, true), DownloadOutcome::WriteFailed);
    EXPECT_EQ(loader.statusText(), " Writing at 000400, time 0 s");
    EXPECT_EQ(link.writes, 1);
    EXPECT_NE(link.commands.back(), "g\n\r") << "a failed image must not be started";
}

TEST_F(FirmwareLoaderTest, BadRecordAndUnsupportedTypeStop) {
    std::string bad = hextest::record(0, 0x0410, pattern(4, 2));
    bad[bad.size() - 2] ^= 1;
    Loaded broken(hextest::record(0, 0x0400, pattern(4, 1)) + bad + hextest::endOfFile());
    EXPECT_FALSE(loader.writeImage(broken.reader));
    EXPECT_EQ(loader.statusText(), "Read file error at 000400, time 0 s");
    EXPECT_EQ(link.writes, 1);

    Loaded start(hextest::record(0, 0x0400, pattern(4, 1)) + hextest::record(5, 0, {0, 0, 3, 0}) +
                 hextest::endOfFile());
    EXPECT_FALSE(loader.writeImage(start.reader));
    EXPECT_EQ(loader.statusText(), "Error - unsupported record type at 000400, time 0 s");
}

TEST_F(FirmwareLoaderTest, EmptyFileFails) {
    Loaded empty("");
    EXPECT_FALSE(loader.writeImage(empty.reader));
    EXPECT_EQ(observer.range, 0);
}

TEST_F(FirmwareLoaderTest, ProgressSkipsEveryTwentiethRecordAndHookRunsPerRecord) {
    std::vector<hextest::Block> blocks{{0x300, pattern(16 * 44, 5)}};
    Loaded image(hextest::image(blocks));   // 1 + 44 + 1 records
    ASSERT_EQ(image.reader.count(), 46);
    ASSERT_TRUE(loader.writeImage(image.reader));
    EXPECT_EQ(observer.range, 46);
    EXPECT_EQ(observer.hooks, 46);
    // 0 at the start, 1..46 without 20 and 40, 0 at the end.
    std::vector<int> expected{0};
    for (int k = 1; k <= 46; ++k)
        if (k % 20 != 0)
            expected.push_back(k);
    expected.push_back(0);
    EXPECT_EQ(observer.positions, expected);
}

namespace {

class FakePortHost : public FirmwarePortHost {
public:
    bool isOpen() const override { return open_; }
    int open(std::uint32_t baud) override {
        log.push_back("open " + std::to_string(baud));
        if (failOpenAt == baud)
            return CmdOpenError;
        open_ = true;
        return 0;
    }
    void close() override {
        log.push_back("close");
        open_ = false;
    }
    int enterBootLoader() override {
        log.push_back("$B");
        return 0;
    }
    int setConnectionMode(int mode) override {
        log.push_back("mode " + std::to_string(mode));
        const int old = mode_;
        mode_ = mode;
        return old;
    }
    void showMessage(const std::string& text) override { log.push_back("msg " + text); }
    void openFailed(int code) override { log.push_back(openPortErrorText(code)); }
    void pause(int ms) override { log.push_back("pause " + std::to_string(ms)); }

    bool open_ = false;
    int mode_ = 1;
    std::uint32_t failOpenAt = 0;
    std::vector<std::string> log;
};

}  // namespace

TEST(FirmwareUpdateSession, SwitchesRatesAroundTheDialog) {
    FakePortHost host;
    host.open_ = true;
    bool dialogRan = false;
    EXPECT_EQ(runFirmwareUpdate(host, 115200, 57600, [&] {
                  dialogRan = true;
                  host.log.push_back("dialog");
                  return std::string();   // cancelled: nothing written
              }),
              0);
    EXPECT_TRUE(dialogRan);
    EXPECT_EQ(host.log, (std::vector<std::string>{"$B", "close", "pause 200", "open 57600", "mode 4",
                                                  "msg Download new firmware...", "dialog", "close",
                                                  "pause 200", "open 115200",
                                                  "msg Restart new firmware", "mode 1"}));
}

TEST(FirmwareUpdateSession, EqualRatesLeaveThePortAlone) {
    FakePortHost host;
    host.open_ = true;
    runFirmwareUpdate(host, 115200, 115200, [&] {
        host.log.push_back("dialog");
        return std::string();
    });
    EXPECT_EQ(host.log, (std::vector<std::string>{"mode 4", "msg Download new firmware...", "dialog",
                                                  "msg Restart new firmware", "mode 1"}));
}

TEST(FirmwareUpdateSession, AWrittenImageIsNamedOnTheMessageLineInsteadOfTheRestart) {
    const std::string written = firmwareWrittenText("fw.hex", 1344, 84, true);
    EXPECT_EQ(written, "fw.hex written and verified: 1344 bytes in 84 records; new firmware started");
    EXPECT_EQ(firmwareWrittenText("fw.hex", 1, 1, false),
              "fw.hex written (not verified): 1 byte in 1 record; new firmware started");
    for (const bool wasOpen : {true, false}) {
        SCOPED_TRACE(wasOpen ? "port open before" : "port closed before");
        FakePortHost host;
        host.open_ = wasOpen;
        runFirmwareUpdate(host, 115200, 57600, [&] { return written; });
        const auto& log = host.log;
        EXPECT_EQ(std::count(log.begin(), log.end(), "msg " + written), 1);
        EXPECT_EQ(std::count(log.begin(), log.end(), "msg Restart new firmware"), 0);
        // Shown once the port is back at its own rate (or closed).
        const auto shown = std::find(log.begin(), log.end(), "msg " + written);
        const auto lastPortStep = std::find_if(log.rbegin(), log.rend(), [](const std::string& s) {
            return s == "close" || s.rfind("open ", 0) == 0;
        });
        EXPECT_GT(shown - log.begin(), log.rend() - lastPortStep - 1);
    }
}

TEST(FirmwareUpdateSession, ClosedPortIsOpenedAtTheBootRateAndClosedAgain) {
    FakePortHost host;
    runFirmwareUpdate(host, 115200, 57600, [&] {
        host.log.push_back("dialog");
        return std::string();
    });
    EXPECT_EQ(host.log.front(), "open 57600");
    EXPECT_EQ(host.log.back(), "close");
    EXPECT_FALSE(host.isOpen());

    FakePortHost failing;
    failing.failOpenAt = 57600;
    bool dialogRan = false;
    EXPECT_EQ(runFirmwareUpdate(failing, 115200, 57600, [&] {
                  dialogRan = true;
                  return std::string();
              }),
              CmdOpenError);
    EXPECT_FALSE(dialogRan);
    EXPECT_EQ(failing.log.back(), "On open port - error\rError 6 [Cmd open error]");
}
