// The running firmware's commands over the pseudo-terminal: echo and data
// lines, the register forms, the FLASH commands and the status numbers.
#include <cstring>

#include "sim_fixture.h"

namespace simtest {
namespace {

using Lines = std::vector<std::string>;

std::uint32_t bitsOf(float f)
{
    std::uint32_t b;
    std::memcpy(&b, &f, sizeof b);
    return b;
}

class FirmwareProtocol : public SimFixture {};

TEST_F(FirmwareProtocol, VersionIsEchoedThenAnsweredOnOneLine)
{
    client_.write("$V\r");
    EXPECT_EQ(client_.readLine(), "$V");
    EXPECT_EQ(client_.readLine(), "TQ-REG V0.215 virtual");
    const auto log = sim_->receivedCommands();
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(log[0], "$V");
}

TEST_F(FirmwareProtocol, LinesEndInCarriageReturnLineFeed)
{
    client_.write("$V\r");
    client_.readLine();
    client_.readLine();
    EXPECT_EQ(client_.rawBytes(), "$V\r\nTQ-REG V0.215 virtual\r\n");
}

TEST_F(FirmwareProtocol, CommandsWithoutDataAnswerWithTheirEchoOnly)
{
    EXPECT_EQ(client_.transact("$Q\r$W\r$A\r$RW\r$R12=1.5\r$RN3=3FC00000\r$R13=64\r"),
              (Lines{"$Q", "$W", "$A", "$RW", "$R12=1.5", "$RN3=3FC00000", "$R13=64"}));
}

TEST_F(FirmwareProtocol, DefaultsFollowTheParameterSet)
{
    EXPECT_EQ(query("$R0?"), "20");             // st1
    EXPECT_EQ(query("$R9?"), "0.05");           // ts
    EXPECT_EQ(query("$RN12?"), "3DCCCCCD");     // decay 0.1 as IEEE bits
    EXPECT_EQ(query("$R13?"), "0");             // regulator flags: Off
    EXPECT_EQ(query("$R22?"), "48");            // fan1HighVoltage
    EXPECT_EQ(query("$R55?"), "12");            // sensor 1 NTC with bit 0x08
    EXPECT_EQ(query("$R58?"), "4");
    EXPECT_EQ(query("$R72?"), "-40");           // t1Low
    EXPECT_EQ(query("$R79?"), "759.4");         // sensor 1 R3
    EXPECT_EQ(query("$R90?"), "467100");        // sensor 4 R1
    EXPECT_EQ(query("$R91?"), "351");
    EXPECT_EQ(query("$R92?"), "67");
    EXPECT_EQ(query("$R94?"), "300");
    EXPECT_EQ(query("$R95?"), "200");
    EXPECT_EQ(query("$R96?"), "65532");
    // Steinhart-Hart A of "TC-NTC-1", about 1.3969e-03.
    EXPECT_NEAR(std::stod(query("$R59?")), 1.3969e-3, 1e-6);
}

TEST_F(FirmwareProtocol, RegisterFormsRoundTrip)
{
    client_.transact("$R12=1.5\r");
    EXPECT_EQ(query("$R12?"), "1.5");
    EXPECT_EQ(query("$RN12?"), "3FC00000");
    EXPECT_EQ(sim_->registerBits(12), bitsOf(1.5f));

    client_.transact("$RN3=3FC00000\r");
    EXPECT_EQ(query("$R3?"), "1.5");

    // The decimal form reads back to the same float, not to six digits.
    client_.transact("$R62=0.00390799996\r");
    EXPECT_EQ(sim_->registerBits(62), bitsOf(0.003908f));
    EXPECT_EQ(std::stof(query("$R62?")), 0.003908f);
    client_.transact("$R63=-5.775E-07\r");
    EXPECT_EQ(query("$R63?"), "-5.775E-07");

    // Unsigned registers keep integers, "%u" and "%d" alike.
    client_.transact("$R91=4294967295\r");
    EXPECT_EQ(query("$R91?"), "4294967295");
    client_.transact("$R94=-1\r");
    EXPECT_EQ(sim_->registerBits(94), 0xFFFFFFFFu);
    EXPECT_EQ(query("$RN13?"), "00000000");
}

TEST_F(FirmwareProtocol, BadRegisterCommandsChangeNothing)
{
    const std::uint32_t before = sim_->registerBits(0);
    EXPECT_EQ(client_.transact("$R0=abc\r$R0=\r$RN0=XYZ\r$RN0=123456789\r$R97=1\r"),
              (Lines{"$R0=abc", "$R0=", "$RN0=XYZ", "$RN0=123456789", "$R97=1"}));
    EXPECT_EQ(sim_->registerBits(0), before);
    EXPECT_EQ(query("$R97?"), "ERR");
    EXPECT_EQ(query("$R99999999?"), "ERR");
    // The sampling time belongs to the firmware.
    client_.transact("$R9=1\r");
    EXPECT_EQ(query("$R9?"), "0.05");
}

TEST_F(FirmwareProtocol, FlashCopyDefaultsAndReboot)
{
    client_.transact("$R0=30\r$RW\r$R0=40\r");
    EXPECT_EQ(query("$R0?"), "40");
    EXPECT_EQ(query("$BC"), "REBOOT");   // registers from FLASH
    EXPECT_EQ(query("$R0?"), "30");

    client_.transact("$R0=40\r");
    EXPECT_EQ(query("$RC"), "FLASH DEFAULT");
    EXPECT_EQ(query("$R0?"), "40");       // the registers stay until a reboot
    query("$BC");
    EXPECT_EQ(query("$R0?"), "20");
}

TEST_F(FirmwareProtocol, StatusNumbersCountErrorsAndClear)
{
    EXPECT_EQ(query("$S"), "0,0");
    EXPECT_EQ(query("$NONSENSE"), "ERR");
    EXPECT_EQ(query("$S"), "0,1");
    EXPECT_EQ(query("$SC"), "0,1");
    EXPECT_EQ(query("$S"), "0,0");
}

TEST_F(FirmwareProtocol, SurvivesAnyBytes)
{
    std::string noise;
    unsigned seed = 7;
    for (int i = 0; i < 20000; ++i) {
        seed = seed * 1103515245u + 12345u;
        noise += static_cast<char>(seed >> 16);
    }
    noise += std::string(3000, 'x');  // an over-long line
    client_.write(noise);
    client_.write("\r$V\r");
    const auto lines = client_.readUntil([](const std::string& l) { return l == "$V"; });
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.back(), "$V");
    EXPECT_EQ(client_.readReplyLine(), "TQ-REG V0.215 virtual");
}

}  // namespace
}  // namespace simtest
