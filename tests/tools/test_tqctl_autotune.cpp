// tqctl autotune end to end: the in-process virtual regulator on the fast
// load, run faster than real time; refusals and bad arguments.
#include <nlohmann/json.hpp>

#include "tqctl_fixture.h"

using namespace tqtest;

namespace {
class TqctlAutotune : public TqctlTest {};
}  // namespace

TEST_F(TqctlAutotune, TunesTheLaserMountPrintsProgressAndAppliesToAFile)
{
    ASSERT_EQ(tq({"new", "unit.tq"}).exitCode, 0);
    ChildOptions options;
    options.timeoutSeconds = 60;
    const ChildResult r = simulate({"--plant", "laser-mount", "--sim-speed", "10", "autotune",
                                    "--setpoint", "25", "--max-power", "30", "--rule", "normal",
                                    "--json", "--apply", "unit.tq"},
                                   options);
    ASSERT_EQ(r.exitCode, 0) << describe(r);
    EXPECT_TRUE(contains(r.err, "cycle 3 of 5, period ")) << r.err;
    EXPECT_TRUE(contains(r.err, "registers restored and verified")) << r.err;
    const nlohmann::json j = nlohmann::json::parse(r.out);
    EXPECT_EQ(j["status"], "finished");
    EXPECT_EQ(j["rule"], "normal");
    EXPECT_TRUE(j["restored"].get<bool>());
    const double kP = j["proposed"]["kP"].get<double>();
    EXPECT_GT(kP, 0.0);
    EXPECT_DOUBLE_EQ(j["current"]["kP"].get<double>(), 20.0);

    // The file holds the proposed constants.
    const ChildResult shown = tq({"show", "unit.tq", "--json"});
    ASSERT_EQ(shown.exitCode, 0) << describe(shown);
    const nlohmann::json file = nlohmann::json::parse(shown.out);
    EXPECT_NEAR(file["kP"].get<double>(), kP, 1e-4 * kP) << shown.out;
}

TEST_F(TqctlAutotune, RefusalsAndBadArgumentsNameTheReason)
{
    // The virtual regulator starts in Off mode.
    ChildResult r = simulate({"autotune"});
    EXPECT_EQ(r.exitCode, 10) << describe(r);
    EXPECT_TRUE(contains(r.err, "auto-tune refused: the regulator mode is Off")) << r.err;
    r = simulate({"autotune", "--setpoint", "25", "--max-power", "101"});
    EXPECT_EQ(r.exitCode, kExitUsage) << describe(r);
    EXPECT_TRUE(contains(r.err, "bad value for --max-power")) << r.err;
    r = simulate({"autotune", "--rule", "wild"});
    EXPECT_EQ(r.exitCode, kExitUsage);
    EXPECT_TRUE(contains(r.err, "unknown rule \"wild\"")) << r.err;
    r = tq({"--simulate", "--plant", "fridge", "autotune"});
    EXPECT_EQ(r.exitCode, kExitUsage);
    EXPECT_TRUE(contains(r.err, "unknown plant \"fridge\"")) << r.err;
    r = tq({"--simulate", "--plant-param", "noise=-1", "autotune"});
    EXPECT_EQ(r.exitCode, kExitUsage);
    EXPECT_TRUE(contains(r.err, "bad value for noise")) << r.err;
    r = tq({"--plant", "bench", "autotune"});
    EXPECT_EQ(r.exitCode, kExitUsage);
    r = tq({"--port", "a", "--port", "b", "autotune", "--apply", "x.tq"});
    EXPECT_EQ(r.exitCode, kExitUsage);
    EXPECT_TRUE(contains(r.err, "{port}")) << r.err;
    // A time limit too short for any cycle: stopped, registers restored, file untouched.
    ASSERT_EQ(tq({"new", "unit.tq"}).exitCode, 0);
    const std::string before = readFile(dir_ / "unit.tq");
    r = simulate({"--sim-speed", "20", "autotune", "--setpoint", "22", "--timeout", "2",
                  "--apply", "unit.tq"});
    EXPECT_EQ(r.exitCode, 11) << describe(r);
    EXPECT_TRUE(contains(r.err, "auto-tune stopped: ")) << r.err;
    EXPECT_TRUE(contains(r.out, "registers restored and verified")) << r.out;
    EXPECT_EQ(readFile(dir_ / "unit.tq"), before);
}
