// Reading the boot loader's flash back: consecutive reads, erased words,
// and a bad flash word that only a read-back can find.
#include "sim_fixture.h"

namespace simtest {
namespace {

using Lines = std::vector<std::string>;

class FlashReadBack : public SimFixture {
protected:
    void SetUp() override
    {
        SimFixture::SetUp();
        client_.write("$B\r\n");
        for (int i = 0; i < 5; ++i)
            client_.readReplyLine();
        ASSERT_TRUE(sim_->inBootLoader());
    }
    // The data line of a loader command (after its echo).
    std::string answer(const std::string& text)
    {
        client_.write(text + "\n\r");
        const auto echo = client_.readReplyLine();
        EXPECT_EQ(echo.value_or("<none>"), text);
        return client_.readReplyLine().value_or("<none>");
    }
};

TEST_F(FlashReadBack, ConsecutiveReadsContinueWhereTheLastEnded)
{
    answer("a000400");
    answer("p00112233445566778899AABBCCDDEEFF0123456789ABCDEF");
    answer("a000400");
    EXPECT_EQ(answer("d01"), "000400:0011 2233 4455 6677 8899 AABB CCDD EEFF ");
    EXPECT_EQ(answer("d01"), "000410:0123 4567 89AB CDEF FFFF FFFF FFFF FFFF ");
    EXPECT_EQ(answer("d01"), "000420:FFFF FFFF FFFF FFFF FFFF FFFF FFFF FFFF ");
}

TEST_F(FlashReadBack, ABadWordStoresInvertedBitsButAnswersAsAGoodWrite)
{
    sim_->setBadFlashWord(0x000402);
    answer("a000400");
    EXPECT_EQ(answer("p111122223333"), "000400") << "the write's reply does not tell";
    EXPECT_EQ(sim_->flashWords().at(0x402), 0xDDDD);
    answer("a000400");
    EXPECT_EQ(answer("d01"), "000400:1111 DDDD 3333 FFFF FFFF FFFF FFFF FFFF ");

    sim_->clearFaults();   // mends the word for later writes
    answer("a000402");
    answer("p2222");
    EXPECT_EQ(sim_->flashWords().at(0x402), 0x2222);
}

}  // namespace
}  // namespace simtest
