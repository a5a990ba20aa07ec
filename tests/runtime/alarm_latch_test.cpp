#include <gtest/gtest.h>

#include "runtime/alarm_latch.h"

TEST(AlarmLatch, TextsOfSingleWords)
{
    AlarmLatch latch;
    EXPECT_EQ(latch.decode(0), "00000000 [ok]");
    EXPECT_EQ(latch.low(), 0u);
    EXPECT_EQ(latch.high(), 0u);
    EXPECT_EQ(latch.decode(0x00000001), "00000001 [Startup delay]");
    latch.clear();
    EXPECT_EQ(latch.decode(0x00000009), "00000009 [Regulator overload]");
    latch.clear();
    EXPECT_EQ(latch.decode(0x00004000), "00004000 [ok]");  // bit 14 has no text
    EXPECT_EQ(latch.low(), 0x4000u);                          // but is latched
    latch.clear();
    EXPECT_EQ(latch.decode(0x80000000), "80000000 [Temp4 missing]");
}

TEST(AlarmLatch, LatchedAlarmShownWithCurrentWordUntilAllClear)
{
    AlarmLatch latch;
    EXPECT_EQ(latch.decode(0x00010000), "00010000 [Temp1 High]");
    EXPECT_EQ(latch.decode(0x00000001), "00000001 [Temp1 High]");
    EXPECT_EQ(latch.high(), 0x0001u);
    EXPECT_EQ(latch.decode(0), "00000000 [ok]");
    EXPECT_EQ(latch.decode(0x00000001), "00000001 [Startup delay]");
}

TEST(AlarmLatch, PriorityOrder)
{
    AlarmLatch latch;
    EXPECT_EQ(latch.decode(0x00000800 | 0x00080000), "00080800 [Temp1 missing]");
    latch.clear();
    // Sensor 1 faults come before the fan currents; fans before sensors 2..4.
    EXPECT_EQ(latch.decode(0x00020400), "00020400 [Temp1 Low]");
    latch.clear();
    EXPECT_EQ(latch.decode(0x00802000), "00802000 [FAN2 UnderCurr]");
    latch.clear();
    // Missing sensors 2..4 before any shortcut, shortcuts before high/low.
    EXPECT_EQ(latch.decode(0x84400000), "84400000 [Temp4 missing]");
    latch.clear();
    EXPECT_EQ(latch.decode(0x01200000), "01200000 [Temp3 High]");
    latch.clear();
    EXPECT_EQ(latch.decode(0x00000080 | 0x00000040 | 0x10), "000000D0 [internal 12V to low]");
}

TEST(AlarmLatch, EveryBitWithATextIsReachable)
{
    const char* expected[32] = {
        "[Startup delay]",   "[Download error]",      "[Critical error]",
        "[Regulator overload]", "[Uin to high]",      "[Uin to low]",
        "[internal 12V to high]", "[internal 12V to low]", "[Main current overload]",
        "[Main current under limit]", "[FAN1 OverCurr]", "[FAN1 UnderCurr]",
        "[FAN2 OverCurr]",   "[FAN2 UnderCurr]",      "[ok]",
        "[ok]",              "[Temp1 High]",          "[Temp1 Low]",
        "[Temp1 Shortcut]",  "[Temp1 missing]",       "[Temp2 High]",
        "[Temp2 Low]",       "[Temp2 Shortcut]",      "[Temp2 missing]",
        "[Temp3 High]",      "[Temp3 Low]",           "[Temp3 Shortcut]",
        "[Temp3 missing]",   "[Temp4 High]",          "[Temp4 Low]",
        "[Temp4 Shortcut]",  "[Temp4 missing]"};
    for (int bit = 0; bit < 32; ++bit) {
        AlarmLatch latch;
        const std::string text = latch.decode(1u << bit);
        EXPECT_EQ(text.substr(9), expected[bit]) << "bit " << bit;
    }
}

TEST(AlarmLamps, SensorFaultsLightBothLampsOfTheGroup)
{
    AlarmLatch latch;
    latch.decode(0x00080000);  // Temp1 missing
    AlarmLamps lamps = latch.lamps();
    EXPECT_TRUE(lamps[static_cast<int>(AlarmLamp::T1High)]);
    EXPECT_TRUE(lamps[static_cast<int>(AlarmLamp::T1Low)]);
    EXPECT_EQ(lamps.count(), 2u);

    lamps = alarmLampsFor(0, 0x0400);  // Temp3 Shortcut
    EXPECT_TRUE(lamps[static_cast<int>(AlarmLamp::T3High)]);
    EXPECT_TRUE(lamps[static_cast<int>(AlarmLamp::T3Low)]);
    EXPECT_EQ(lamps.count(), 2u);

    lamps = alarmLampsFor(0, 0x2000);  // Temp4 Low only
    EXPECT_TRUE(lamps[static_cast<int>(AlarmLamp::T4Low)]);
    EXPECT_EQ(lamps.count(), 1u);
}

TEST(AlarmLamps, LowWordLamps)
{
    const std::pair<int, AlarmLamp> cases[] = {
        {4, AlarmLamp::VoltageInOver},         {5, AlarmLamp::VoltageInUnder},
        {8, AlarmLamp::CurrentOutOver},        {9, AlarmLamp::CurrentOutUnder},
        {6, AlarmLamp::VoltageInternalOver},   {7, AlarmLamp::VoltageInternalUnder},
        {10, AlarmLamp::Fan1CurrentOver},      {11, AlarmLamp::Fan1CurrentUnder},
        {12, AlarmLamp::Fan2CurrentOver},      {13, AlarmLamp::Fan2CurrentUnder}};
    for (const auto& [bit, lamp] : cases) {
        const AlarmLamps lamps = alarmLampsFor(static_cast<std::uint16_t>(1u << bit), 0);
        EXPECT_TRUE(lamps[static_cast<int>(lamp)]) << "bit " << bit;
        EXPECT_EQ(lamps.count(), 1u) << "bit " << bit;
    }
    // Bits 0..3, 14 and 15 light nothing.
    EXPECT_TRUE(alarmLampsFor(0xC00F, 0).none());
}
