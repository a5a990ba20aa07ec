// tqctl set checks every scalar value against its field's entry range.
#include <filesystem>

#include "tqctl_fixture.h"

namespace tqtest {
namespace {

using TqctlRanges = TqctlTest;

TEST_F(TqctlRanges, OutOfRangeValuesAreRefusedByNameAndTheFileStaysByteIdentical) {
    ASSERT_EQ(tq({"new", "bench.tq"}).exitCode, 0);
    const std::string before = readFile(path("bench.tq"));
    const auto stamp = std::filesystem::last_write_time(path("bench.tq"));

    struct Case {
        const char* assignment;
        const char* range;
    };
    const Case refused[] = {
        {"st1=1e9", "(-200 .. 500 °C)"},
        {"ts=0", "(0.001 .. 10 s)"},
        {"kP=-5", "(0 .. 10000)"},
        {"fan1Mode=7", "(0 .. 5)"},
        {"maxPower=101", "(0 .. 100 %)"},
        {"regulatorFlags=0x40", "(mode 0 .. 6 in bits 0-3, other bits within 0x1BF)"},
        {"alarmEnable2=0x100", "(bits within 0xFF)"},
        {"loopLowCount=0", "(1 .. 4294967295 samples)"},
    };
    for (const Case& c : refused) {
        SCOPED_TRACE(c.assignment);
        // A valid assignment before the refused one is not written either.
        const ChildResult r = tq({"set", "bench.tq", "st1=25", c.assignment});
        EXPECT_EQ(r.exitCode, kExitUsage) << describe(r);
        EXPECT_TRUE(contains(r.err, std::string(c.assignment) + " is out of range " + c.range)) << describe(r);
        EXPECT_EQ(readFile(path("bench.tq")), before);
    }
    EXPECT_EQ(std::filesystem::last_write_time(path("bench.tq")), stamp);

    // The edges of a range are values like any other.
    const ChildResult ok = tq({"set", "bench.tq", "fan1Mode=5", "ts=10", "regulatorFlags=0x1B6", "st1=-200"});
    EXPECT_EQ(ok.exitCode, 0) << describe(ok);
    const ChildResult shown = tq({"show", "bench.tq"});
    EXPECT_TRUE(contains(shown.out, "\nfan1Mode = 5\n")) << shown.out;
    EXPECT_TRUE(contains(shown.out, "\nregulatorFlags = 438\n")) << shown.out;
}

}  // namespace
}  // namespace tqtest
