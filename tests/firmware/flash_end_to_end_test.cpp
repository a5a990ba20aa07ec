// Firmware download through the virtual regulator's boot loader.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "firmware/firmware_file.h"
#include "firmware/firmware_loader.h"
#include "firmware/firmware_update_session.h"
#include "firmware/serial_boot_loader_link.h"
#include "hex_text.h"
#include "sim_link.h"

using hextest::pattern;

namespace {

// The words the boot loader must hold: every pair of bytes inside the
// program window, first byte high.
std::map<std::uint32_t, std::uint16_t> expectedWords(const std::vector<hextest::Block>& blocks) {
    std::map<std::uint32_t, std::uint16_t> words;
    for (const auto& b : blocks)
        for (std::size_t i = 0; i + 1 < b.bytes.size(); i += 2) {
            const std::uint32_t at = b.address + static_cast<std::uint32_t>(i);
            if (at >= kProgramWindowStart && at < kProgramWindowEnd)
                words[at] = static_cast<std::uint16_t>(b.bytes[i] << 8 | b.bytes[i + 1]);
        }
    return words;
}

class FlashEndToEnd : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(sim.error(), "");
        sim.link().setTimeout(1.0);
    }
    SimLink sim;
    SerialBootLoaderLink link{sim.link()};
    FirmwareLoader loader{link};
};

// The session's host over the test's link; the rate changes re-open the
// same pseudo-terminal.
class SimPortHost : public FirmwarePortHost {
public:
    explicit SimPortHost(SimLink& s) : s_(s) {}
    bool isOpen() const override { return s_.link().isOpen(); }
    int open(std::uint32_t baud) override {
        opened.push_back(baud);
        return s_.link().open(s_.sim().slavePath(), baud);
    }
    void close() override { s_.link().close(); }
    int enterBootLoader() override { return s_.link().enterBootLoader(); }
    int setConnectionMode(int mode) override {
        const int old = mode_;
        mode_ = mode;
        return old;
    }
    void showMessage(const std::string&) override {}
    void openFailed(int) override { ++failures; }
    void pause(int ms) override { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }
    std::vector<std::uint32_t> opened;
    int failures = 0;

private:
    SimLink& s_;
    int mode_ = 1;
};

}  // namespace

TEST_F(FlashEndToEnd, ImageIsWrittenWordByWordInsideTheWindow) {
    const std::vector<hextest::Block> blocks{
        {0x000000, pattern(0x300, 1)},      // boot area: skipped
        {0x000300, pattern(0x1800, 2)},     // 6 KiB of program
        {0x01FF00, pattern(0x200, 3)},      // crosses into 0x020000
        {0x1FFFE0, pattern(0x20, 4)},       // last bytes of the window
        {0x200000, pattern(0x40, 5)},       // beyond the window: skipped
        {0x300000, pattern(0x0E, 6)},       // configuration words: skipped
    };
    hextest::TempFile file(hextest::image(blocks));
    IntelHexFile reader;
    const FirmwareFileCheck check = checkFirmwareFile(reader, file.path());
    ASSERT_TRUE(check.valid);
    EXPECT_TRUE(check.hasConfig);

    ASSERT_TRUE(loader.boardId());
    EXPECT_TRUE(sim.sim().inBootLoader());
    EXPECT_EQ(loader.board().id, 0x2A3u);
    EXPECT_EQ(loader.download(reader, check.valid), DownloadOutcome::Written);
    EXPECT_EQ(loader.startResult(), 0);
    EXPECT_EQ(sim.sim().flashWords(), expectedWords(blocks));
    EXPECT_FALSE(sim.sim().inBootLoader()) << "the user program runs";
}

TEST_F(FlashEndToEnd, WrongWriteReplyStopsTheDownload) {
    const std::vector<hextest::Block> blocks{{0x000400, pattern(0x100, 7)}};
    hextest::TempFile file(hextest::image(blocks));
    IntelHexFile reader;
    ASSERT_TRUE(checkFirmwareFile(reader, file.path()).valid);
    ASSERT_TRUE(loader.boardId());
    sim.sim().clearReceived();
    sim.sim().setFault(sim::Fault::WrongWriteReply, 1);
    EXPECT_EQ(loader.download(reader, true), DownloadOutcome::WriteFailed);
    EXPECT_EQ(loader.statusText().substr(0, 21), " Writing at 000400, t");
    EXPECT_EQ(sim.commands("p").size(), 1u);
    EXPECT_TRUE(sim.sim().inBootLoader()) << "a failed image is not started";
}

TEST_F(FlashEndToEnd, CancelStartsTheUserProgram) {
    ASSERT_TRUE(loader.boardId());
    ASSERT_TRUE(sim.sim().inBootLoader());
    sim.sim().clearReceived();
    EXPECT_EQ(loader.cancel(), 0);
    EXPECT_EQ(sim.commands(), (std::vector<std::string>{"g"}));
    EXPECT_FALSE(sim.sim().inBootLoader());
}

TEST_F(FlashEndToEnd, SearchBoardFindsTheLoader) {
    EXPECT_TRUE(loader.searchBoard());
    EXPECT_TRUE(sim.sim().inBootLoader());
    EXPECT_EQ(loader.boardText().substr(loader.boardText().size() - 11), "is Unlocked");
    loader.cancel();
}

TEST_F(FlashEndToEnd, SessionSwitchesToTheBootRateAndBack) {
    SimPortHost host(sim);
    const std::vector<hextest::Block> blocks{{0x000300, pattern(0x200, 8)}};
    hextest::TempFile file(hextest::image(blocks));
    DownloadOutcome outcome = DownloadOutcome::WriteFailed;
    ASSERT_EQ(runFirmwareUpdate(host, 115200, 57600,
                                [&] {
                                    IntelHexFile reader;
                                    const auto check = checkFirmwareFile(reader, file.path());
                                    loader.boardId();
                                    outcome = loader.download(reader, check.valid);
                                    return std::string();
                                }),
              0);
    EXPECT_EQ(outcome, DownloadOutcome::Written);
    EXPECT_EQ(host.opened, (std::vector<std::uint32_t>{57600, 115200}));
    EXPECT_EQ(host.failures, 0);
    // "$B\r\n" from the running firmware brought the banner with the revision.
    EXPECT_EQ(boardIdentityText(loader.board()), "BL17 with id 2A3 is Unlocked");
    EXPECT_EQ(sim.sim().flashWords(), expectedWords(blocks));
    EXPECT_TRUE(sim.link().isOpen());
}

// Verification over the wire against both readings of "d01" in the boot
// loader: a good image verifies, a word that did not take the write is named
// by its address and the board stays in its loader.
class VerifyEndToEnd : public ::testing::TestWithParam<bool> {
protected:
    static sim::SimOptions options() {
        sim::SimOptions o;
        o.readBackAdvances = GetParam();
        return o;
    }
    void SetUp() override {
        ASSERT_EQ(sim.error(), "");
        sim.link().setTimeout(1.0);
        ASSERT_TRUE(loader.boardId());
    }
    SimLink sim{options()};
    SerialBootLoaderLink link{sim.link()};
    FirmwareLoader loader{link};
};

TEST_P(VerifyEndToEnd, AGoodImageVerifiesAndABadWordIsNamed) {
    const std::vector<hextest::Block> blocks{{0x000300, pattern(0x230, 9)}, {0x010000, pattern(0x30, 10)}};
    hextest::TempFile file(hextest::image(blocks));
    IntelHexFile reader;
    ASSERT_TRUE(checkFirmwareFile(reader, file.path()).valid);
    EXPECT_EQ(loader.download(reader, true, true), DownloadOutcome::Written) << loader.statusText();
    EXPECT_EQ(loader.statusText().substr(0, 16), "Verify ok, time ");
    EXPECT_EQ(loader.readBackSetsAddress(), !GetParam());
    EXPECT_FALSE(sim.sim().inBootLoader());

    ASSERT_TRUE(loader.boardId());
    sim.sim().setBadFlashWord(0x000346);
    EXPECT_EQ(loader.download(reader, true, true), DownloadOutcome::VerifyFailed);
    EXPECT_EQ(loader.statusText().substr(0, 27), "Verify error at 000346, tim") << loader.statusText();
    EXPECT_TRUE(sim.sim().inBootLoader());
    sim.sim().clearFaults();
    loader.cancel();
}

INSTANTIATE_TEST_SUITE_P(ReadBack, VerifyEndToEnd, ::testing::Values(true, false),
                         [](const ::testing::TestParamInfo<bool>& info) {
                             return info.param ? std::string("Advance") : std::string("Fixed");
                         });
