// The boot loader: entering it, board id, addresses, flash writes and
// reads, and the return to the firmware.
#include "sim_fixture.h"

namespace simtest {
namespace {

using Lines = std::vector<std::string>;

class BootLoader : public SimFixture {
protected:
    void enter()
    {
        client_.write("$B\r\n");
        ASSERT_EQ(client_.readReplyLine(), "$B");
        for (int i = 0; i < 4; ++i)
            banner_.push_back(client_.readReplyLine().value_or(""));
        ASSERT_TRUE(sim_->inBootLoader());
    }
    // Sends a loader command and reads its echo plus n data lines.
    Lines command(const std::string& text, int dataLines)
    {
        client_.write(text + "\n\r");
        Lines lines;
        for (int i = 0; i <= dataLines; ++i)
            lines.push_back(client_.readReplyLine().value_or("<none>"));
        return lines;
    }
    Lines banner_;
};

TEST_F(BootLoader, EnteringAnswersFourLinesWithTheRevisionInTheThird)
{
    enter();
    ASSERT_EQ(banner_.size(), 4u);
    EXPECT_EQ(banner_[2].substr(0, 2), "BL");
    EXPECT_GE(banner_[2].size(), 4u);
    for (const auto& line : banner_)  // none can pass for a loader echo
        EXPECT_EQ(line.find_first_of("iapdg"), std::string::npos) << line;
    EXPECT_FALSE(sim_->streaming());
}

TEST_F(BootLoader, IdentifyGivesHexadecimalIdAndLockState)
{
    enter();
    const Lines reply = command("i", 2);
    EXPECT_EQ(reply[0], "i");
    EXPECT_EQ(reply[1], "2A3");
    EXPECT_EQ(reply[2], "U");
}

TEST_F(BootLoader, WritesLandInFlashAndAnswerTheirAddress)
{
    enter();
    EXPECT_EQ(command("a000300", 1), (Lines{"a000300", "000300"}));
    EXPECT_EQ(command("p12345678", 1), (Lines{"p12345678", "000300"}));
    EXPECT_EQ(command("a010000", 1), (Lines{"a010000", "010000"}));
    EXPECT_EQ(command("pA1B2", 1), (Lines{"pA1B2", "010000"}));
    const auto flash = sim_->flashWords();
    EXPECT_EQ(flash, (std::map<std::uint32_t, std::uint16_t>{
                         {0x300, 0x1234}, {0x302, 0x5678}, {0x10000, 0xA1B2}}));
    // An empty write stores nothing and answers the address.
    EXPECT_EQ(command("p", 1), (Lines{"p", "010002"}));
    // A broken one stores nothing either.
    EXPECT_EQ(command("p12G4", 1)[1], "?ERR");
    EXPECT_EQ(command("p123", 1)[1], "?ERR");
    EXPECT_EQ(sim_->flashWords().size(), 3u);
}

TEST_F(BootLoader, ReadGivesAddressColonAndEightWords)
{
    enter();
    command("a000300", 1);
    command("p1234", 1);
    command("a000300", 1);
    const Lines reply = command("d01", 1);
    EXPECT_EQ(reply[1], "000300:1234 FFFF FFFF FFFF FFFF FFFF FFFF FFFF ");
}

TEST_F(BootLoader, SearchPatternIsIgnoredAndGoReturnsToFirmware)
{
    enter();
    client_.write("$B\n\rBBBB\n\r$B\n\rBBBB\n\r$B\n\r\n\r");
    EXPECT_EQ(client_.readReplyLine(), "$B");
    EXPECT_EQ(client_.readReplyLine(), "$B");
    EXPECT_EQ(client_.readReplyLine(), "$B");
    client_.write("$V\r");  // the loader does not know it
    EXPECT_EQ(command("g", 0), (Lines{"g"}));
    EXPECT_FALSE(sim_->inBootLoader());
    client_.write("$V\r");
    EXPECT_EQ(client_.readReplyLine(), "$V");
    EXPECT_EQ(client_.readReplyLine(), "TQ-REG V0.215 virtual");
}

TEST_F(BootLoader, LoaderLinesEndInLineFeedCarriageReturn)
{
    enter();
    command("i", 2);
    const std::string& raw = client_.rawBytes();
    EXPECT_NE(raw.find("i\n\r2A3\n\rU\n\r"), std::string::npos);
}

}  // namespace
}  // namespace simtest
