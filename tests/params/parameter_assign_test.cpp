#include <gtest/gtest.h>

#include <cstring>

#include "params/parameter_assign.h"
#include "params/sensor_class.h"
#include "params/archive.h"

namespace {

struct Assign : ::testing::Test {
    ParameterSet params;
    RuntimeBlockEntries channels{};
    std::string error;

    void SetUp() override { params.ApplyDefaults(); }
    bool set(const std::string& name, const std::string& value) {
        return AssignParameter(params, &channels, name, value, error);
    }
};

}  // namespace

TEST_F(Assign, FieldsByName) {
    EXPECT_TRUE(set("st1", "25"));
    EXPECT_TRUE(set("kP", "18.5"));
    EXPECT_TRUE(set("regulatorFlags", "6"));
    EXPECT_TRUE(set("alarmEnable1", "0x15f"));
    EXPECT_TRUE(set("sensor2.select", "4"));
    EXPECT_TRUE(set("sensor1.record7.potGain", "3"));
    EXPECT_TRUE(set("sensor4.record31.d5", "-1e-3"));
    EXPECT_TRUE(set("sensor3.record0.name", "New upload"));
    EXPECT_TRUE(set("channel18.enabled", "true"));
    EXPECT_TRUE(set("channel0.min", "-5"));
    EXPECT_TRUE(set("notes", "a=b"));
    EXPECT_EQ(params.st1, 25.0f);
    EXPECT_EQ(params.kP, 18.5f);
    EXPECT_EQ(params.regulatorFlags, 6u);
    EXPECT_EQ(params.alarmEnable1, 351u);
    EXPECT_EQ(params.sensor2.select, 4u);
    EXPECT_EQ(params.sensor1.records[7].potGain, 3u);
    EXPECT_EQ(params.sensor4.records[31].d[5], -1e-3f);
    EXPECT_EQ(params.sensor3.records[0].nameText(), "New upload");
    EXPECT_TRUE(channels[18].enabled);
    EXPECT_EQ(channels[0].min, -5.0f);
    EXPECT_EQ(params.notes, "a=b");
}

TEST_F(Assign, BadNamesAndValuesChangeNothing) {
    const ParameterSet before = params;
    for (const auto& [name, value] : std::vector<std::pair<std::string, std::string>>{
             {"st1", "x"},
             {"st1", "25x"},
             {"st1", ""},
             {"st1", "nan"},
             {"st1", "1e40"},
             {"regulatorFlags", "-1"},
             {"regulatorFlags", "4294967296"},
             {"regulatorFlags", "1.5"},
             {"sensor2.select", "32"},
             {"sensor1.record32.gain", "1"},
             {"sensor1.record07.gain", "1"},
             {"sensor2.record1.potGain", "1"},
             {"sensor1.record1.d6", "1"},
             {"sensor1.record1.name", std::string(256, 'n')},
             {"sensor5.select", "1"},
             {"channel19.min", "1"},
             {"channel1.enabled", "yes"},
             {"ST1", "1"},
         }) {
        EXPECT_FALSE(set(name, value)) << name << "=" << value;
        EXPECT_FALSE(error.empty());
    }
    EXPECT_EQ(std::memcmp(params.sensor1.records.data(), before.sensor1.records.data(),
                          sizeof before.sensor1.records),
              0);
    EXPECT_EQ(params.st1, before.st1);
    EXPECT_EQ(params.regulatorFlags, before.regulatorFlags);
    EXPECT_EQ(params.sensor2.select, before.sensor2.select);
    EXPECT_EQ(params.sensor1.records[1].nameText(), "TC-NTC-1");

    ParameterSet alone;
    EXPECT_FALSE(AssignParameter(alone, nullptr, "channel0.min", "1", error));
}

TEST(SensorClassArchive, StoreAndLoadRules) {
    CSensorClass s;
    s.name = "cold plate";
    s.mode = 1;
    s.potGain = 10;
    s.potOffset = 128;
    s.data[0] = 1.5f;
    s.data[10] = -2.0f;
    Archive out;
    ASSERT_TRUE(s.Serialize(out));
    ASSERT_EQ(out.bytes().size(), 4u + 11u + 16u + 44u);
    EXPECT_EQ(out.bytes()[0], 0x22);
    EXPECT_EQ(out.bytes()[1], 0x11);

    CSensorClass back;
    Archive in{std::span<const std::uint8_t>(out.bytes())};
    ASSERT_TRUE(back.Serialize(in));
    EXPECT_EQ(back.name, "cold plate");
    EXPECT_EQ(back.potOffset, 128u);
    EXPECT_EQ(back.data[10], -2.0f);

    // Twelve floats: the twelfth is read and dropped.
    std::vector<std::uint8_t> twelve = out.bytes();
    twelve[4 + 11 + 12] = 12;
    twelve.insert(twelve.end(), {0, 0, 0x80, 0x3F});
    Archive in12{std::span<const std::uint8_t>(twelve)};
    ASSERT_TRUE(back.Serialize(in12));
    EXPECT_TRUE(in12.remaining() == 0);
    EXPECT_EQ(back.data[10], -2.0f);

    // A wrong first value resets the record and reads no further.
    const std::vector<std::uint8_t> wrong = {0x21, 0x11, 0, 0, 3, 'a', 'b', 'c'};
    Archive inWrong{std::span<const std::uint8_t>(wrong)};
    EXPECT_TRUE(back.Serialize(inWrong));
    EXPECT_EQ(back.name, "empty");
    EXPECT_EQ(back.potOffset, 0u);
    EXPECT_EQ(inWrong.position(), 4u);
}
