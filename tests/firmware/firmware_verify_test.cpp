// Verification after writing: the written runs, the read-back conversation
// and the outcome of a difference.
#include <gtest/gtest.h>

#include "fake_boot_loader.h"
#include "firmware/firmware_loader.h"
#include "firmware/written_image.h"
#include "hex_text.h"

using hextest::Loaded;
using hextest::pattern;

namespace {

class PhaseObserver : public FirmwareLoaderObserver {
public:
    void phaseChanged(LoaderPhase phase) override { phases.push_back(phase); }
    void progressRangeChanged(int maximum) override { ranges.push_back(maximum); }
    void statusTextChanged(const std::string& text) override { statuses.push_back(text); }
    std::vector<LoaderPhase> phases;
    std::vector<int> ranges;
    std::vector<std::string> statuses;
};


// Run against both readings of "d01": the address moves past the words read,
// or it stays where it was.
class FirmwareVerifyTest : public ::testing::TestWithParam<bool> {
protected:
    FirmwareVerifyTest() : loader(link, &observer) { link.readAdvances = GetParam(); }
    void SetUp() override { ASSERT_TRUE(loader.boardId()); }
    bool advances() const { return GetParam(); }
    std::vector<std::string> commandsAfterLastWrite() const {
        std::vector<std::string> tail;
        for (auto it = link.commands.rbegin(); it != link.commands.rend() && (*it)[0] != 'p'; ++it)
            tail.insert(tail.begin(), *it);
        return tail;
    }
    FakeBootLoader link;
    PhaseObserver observer;
    FirmwareLoader loader;
};

}  // namespace

TEST(WrittenImage, RunsJoinContiguousWritesAndKeepTheLastValue) {
    WrittenImage image;
    const auto a = pattern(16, 1), b = pattern(16, 2), c = pattern(4, 3);
    image.add(0x3F0, a.data(), 16);
    image.add(0x400, b.data(), 16);        // crosses into the next page, contiguous
    image.add(0x1000, c.data(), 4);        // a gap: a new run
    const std::uint8_t again[2] = {0xAA, 0xBB};
    image.add(0x3F2, again, 2);            // written twice: the later bytes count
    const auto runs = image.runs();
    ASSERT_EQ(runs.size(), 2u);
    EXPECT_EQ(runs[0].start, 0x3F0u);
    ASSERT_EQ(runs[0].bytes.size(), 32u);
    EXPECT_EQ(runs[0].bytes[0], a[0]);
    EXPECT_EQ(runs[0].bytes[2], 0xAA);
    EXPECT_EQ(runs[0].bytes[3], 0xBB);
    EXPECT_EQ(runs[0].bytes[16], b[0]);
    EXPECT_EQ(runs[1].start, 0x1000u);
    EXPECT_EQ(runs[1].bytes, c);
}

TEST(WrittenImage, AWriteStartingAnOddDistanceIntoARunStartsItsOwnRun) {
    // The loader stores each write's words from the address it was given,
    // so a 3-byte write followed by one at +3 is read back from +3.
    WrittenImage image;
    const auto a = pattern(3, 1), b = pattern(4, 2), c = pattern(2, 3);
    image.add(0x500, a.data(), 3);
    image.add(0x503, b.data(), 4);
    image.add(0x507, c.data(), 2);   // even distance from 0x503: same run
    const auto runs = image.runs();
    ASSERT_EQ(runs.size(), 2u);
    EXPECT_EQ(runs[0].start, 0x500u);
    EXPECT_EQ(runs[0].bytes.size(), 3u);
    EXPECT_EQ(runs[1].start, 0x503u);
    EXPECT_EQ(runs[1].bytes.size(), 6u);
    EXPECT_TRUE(WrittenImage().runs().empty());
}

TEST_P(FirmwareVerifyTest, ReadsEveryRunBackBeforeStartingTheProgram) {
    Loaded image(hextest::image({{0x000300, pattern(40, 1)}, {0x010000, pattern(16, 2)}}));
    EXPECT_EQ(loader.download(image.reader, true, true), DownloadOutcome::Written);
    // Two runs: 40 bytes need three reads, 16 bytes one; then the program
    // starts. A board that keeps its address shows it at the second read,
    // which is repeated after setting the address, as is every later read.
    const std::vector<std::string> advancing{"a000300\n\r", "d01\n\r", "d01\n\r", "d01\n\r",
                                             "a010000\n\r", "d01\n\r", "g\n\r"};
    const std::vector<std::string> fixed{"a000300\n\r", "d01\n\r", "d01\n\r", "a000310\n\r", "d01\n\r",
                                         "a000320\n\r", "d01\n\r", "a010000\n\r", "d01\n\r", "g\n\r"};
    EXPECT_EQ(commandsAfterLastWrite(), advances() ? advancing : fixed);
    EXPECT_EQ(loader.readBackSetsAddress(), !advances());
    EXPECT_EQ(loader.statusText(), "Verify ok, time 0 s");
    EXPECT_EQ(observer.phases, (std::vector<LoaderPhase>{LoaderPhase::Writing, LoaderPhase::Verifying}));
    EXPECT_EQ(observer.ranges.back(), 4);
}

TEST_P(FirmwareVerifyTest, WithoutVerificationNothingIsReadBack) {
    Loaded image(hextest::image({{0x000300, pattern(32, 1)}}));
    EXPECT_EQ(loader.download(image.reader, true, false), DownloadOutcome::Written);
    EXPECT_EQ(link.reads, 0);
    EXPECT_EQ(link.commands.back(), "g\n\r");
}

TEST_P(FirmwareVerifyTest, AByteThatReadsBackDifferentlyIsReportedAndTheBoardStaysInItsLoader) {
    Loaded image(hextest::image({{0x000300, pattern(64, 4)}}));
    link.flipped.insert(0x000325);
    EXPECT_EQ(loader.download(image.reader, true, true), DownloadOutcome::VerifyFailed);
    EXPECT_EQ(loader.verifyFailedAt(), 0x000325u);
    EXPECT_EQ(loader.statusText(), "Verify error at 000325, time 0 s");
    EXPECT_NE(link.commands.back(), "g\n\r");
    EXPECT_EQ(link.reads, advances() ? 3 : 4) << "reading stops at the block with the difference";

    // Repeating the download once the cell is good again succeeds.
    link.flipped.clear();
    EXPECT_EQ(loader.download(image.reader, true, true), DownloadOutcome::Written);
    EXPECT_EQ(link.commands.back(), "g\n\r");
}

TEST_P(FirmwareVerifyTest, OnlyTheFilesBytesAreCompared) {
    // An odd record is padded with an erased byte on the wire; bytes past the
    // end of a run in the last block are not the file's and are ignored.
    Loaded image(hextest::record(0, 0x0300, pattern(5, 1)) + hextest::endOfFile());
    link.flipped.insert(0x000305);
    EXPECT_EQ(loader.download(image.reader, true, true), DownloadOutcome::Written);
}

TEST_P(FirmwareVerifyTest, AFailedReadStopsWithItsAddress) {
    Loaded image(hextest::image({{0x000300, pattern(48, 6)}}));
    link.failReadAt = 0x000310;
    EXPECT_EQ(loader.download(image.reader, true, true), DownloadOutcome::VerifyFailed);
    EXPECT_EQ(loader.statusText(), "Error to read data at 000310, time 0 s");
    EXPECT_EQ(loader.verifyFailedAt(), 0x000310u);

    link.failReadAt = 0xFFFFFFFF;
    Loaded other(hextest::image({{0x000400, pattern(16, 7)}}));
    ASSERT_TRUE(loader.writeImage(other.reader));
    link.failSetAddressAt = 0x000400;
    EXPECT_FALSE(loader.verifyImage());
    EXPECT_EQ(loader.statusText(), "Error to set base adress at 000400, time 0 s");
}

TEST_P(FirmwareVerifyTest, AFailedWriteIsNotVerified) {
    Loaded image(hextest::image({{0x000300, pattern(32, 1)}}));
    link.failWriteAt = 0x000310;
    EXPECT_EQ(loader.download(image.reader, true, true), DownloadOutcome::WriteFailed);
    EXPECT_EQ(link.reads, 0);
}

TEST_P(FirmwareVerifyTest, AReadBackFromTheWrongAddressIsAnErrorWithItsAddress) {
    // A board that answers "d01" from an address other than the one just set
    // (a garbled or wrong address field) is not taken at its word.
    Loaded image(hextest::image({{0x000300, pattern(48, 6)}}));
    struct Skewed : FakeBootLoader {
        int readData(std::uint32_t& address, std::array<std::uint32_t, 8>& words) override {
            const int result = FakeBootLoader::readData(address, words);
            if (address == 0x000310)
                address = 0x000312;
            return result;
        }
    } skewed;
    skewed.readAdvances = advances();
    FirmwareLoader other(skewed);
    ASSERT_TRUE(other.boardId());
    ASSERT_TRUE(other.writeImage(image.reader));
    EXPECT_FALSE(other.verifyImage());
    EXPECT_EQ(other.statusText(), "Error to read data at 000310, time 0 s");
    EXPECT_EQ(other.verifyFailedAt(), 0x000310u);
}

INSTANTIATE_TEST_SUITE_P(ReadBack, FirmwareVerifyTest, ::testing::Values(true, false),
                         [](const ::testing::TestParamInfo<bool>& info) {
                             return info.param ? std::string("Advance") : std::string("Fixed");
                         });
