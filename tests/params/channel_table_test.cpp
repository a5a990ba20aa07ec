#include <gtest/gtest.h>
#include <cmath>

#include "runtime/channel_table.h"

TEST(ChannelTable, DefaultsAndReset) {
    ChannelTable table;
    const auto& info = GraphChannels();
    EXPECT_STREQ(info[7].name, "Uext.ctrl");
    EXPECT_STREQ(info[18].name, "F2_curr");
    EXPECT_STREQ(info[4].description, "T4 is temperature sensor messuring the FET temperature");
    const bool on[kGraphChannelCount] = {true,  false, false, false, false, true,  true,
                                         false, true,  true,  true,  false, false, false,
                                         false, false, false, false, false};
    for (int i = 0; i < kGraphChannelCount; ++i) {
        EXPECT_EQ(table[i].enabled, on[i]) << i;
        EXPECT_EQ(table[i].min, -100.0f);
        EXPECT_EQ(table[i].max, 100.0f);
    }
    table[3] = GraphChannelSetting{true, 1.0f, 2.0f};
    table.reset();
    EXPECT_EQ(table, ChannelTable());
}

TEST(ChannelTable, ScalingPinsToTheGraph) {
    ChannelTable table;
    table[1] = GraphChannelSetting{true, 0.0f, 50.0f};
    EXPECT_EQ(table.scaled(1, 0.0f), -100.0f);
    EXPECT_EQ(table.scaled(1, 50.0f), 100.0f);
    EXPECT_EQ(table.scaled(1, 25.0f), 0.0f);
    EXPECT_EQ(table.scaled(1, 80.0f), 100.0f);
    EXPECT_EQ(table.scaled(1, -5.0f), -100.0f);

    table[2] = GraphChannelSetting{true, 50.0f, 0.0f};  // upside down
    EXPECT_EQ(table.scaled(2, 50.0f), -100.0f);

    table[3] = GraphChannelSetting{true, 5.0f, 5.0f};
    EXPECT_EQ(table.scaled(3, 5.0f), 0.0f);
    EXPECT_EQ(table.scaled(3, 6.0f), 0.0f);  // an empty range draws at the centre line
    EXPECT_EQ(table.scaled(1, std::nanf("")), 0.0f);
}

TEST(ChannelTable, BlockWithWrongTagOrTooManyEntriesChangesNothing) {
    ChannelTable table;
    int loaded = 0;
    table.setOnBlockLoaded([&] { ++loaded; });
    RuntimeBlock block;
    block.entries.resize(3, RuntimeBlockEntry{1.0f, 2.0f, true});
    table.applyRuntimeBlock(block);  // tag not matched
    EXPECT_EQ(table, ChannelTable());
    EXPECT_EQ(loaded, 0);

    block.tagMatched = true;
    table.applyRuntimeBlock(block);
    EXPECT_EQ(table[2], (GraphChannelSetting{true, 1.0f, 2.0f}));
    EXPECT_EQ(table[3], ChannelTable()[3]);
    EXPECT_EQ(loaded, 1);
}
