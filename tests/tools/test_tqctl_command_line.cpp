// The command line itself: usage errors, the help text, a port that cannot
// be opened, and the port list.
#include <filesystem>
#include <set>

#include "tqctl_fixture.h"

namespace tqtest {
namespace {

using TqctlCommandLine = TqctlTest;

TEST_F(TqctlCommandLine, UsageErrorsExit64WithAUsageTextOnStderr) {
    struct Case {
        std::vector<std::string> args;
        std::string why;   // expected on stderr
    };
    const std::vector<Case> cases = {
        {{}, "no command given"},
        {{"frobnicate"}, "unknown command frobnicate"},
        {{"--bogus", "version"}, "unknown option --bogus"},
        {{"--port"}, "--port needs a path"},
        {{"--baud", "fast", "version"}, "--baud needs a rate"},
        {{"--baud", "0", "version"}, "--baud needs a rate"},
        {{"--simulate", "version", "extra"}, "unexpected argument extra"},
        {{"--simulate", "stop", "now"}, "unexpected argument now"},
        {{"--simulate", "status", "--reset"}, "unexpected argument --reset"},
        {{"--simulate", "raw"}, "TEXT is missing"},
        {{"--simulate", "raw", "\\q"}, "unknown escape \\q"},
        {{"--simulate", "raw", "$V\\x00"}, "NUL"},
        {{"--simulate", "raw", "$V\\r", "--lines", "11"}, "--lines needs a number"},
        {{"new"}, "no file name given"},
        {{"show", "a.tq", "--yaml"}, "unknown option --yaml"},
        {{"set", "a.tq"}, "no NAME=VALUE given"},
        {{"decode", "--verbose"}, "unknown option --verbose"},
        {{"hexinfo"}, "missing FILE.hex"},
        {{"hexinfo", "a.hex", "b.hex"}, "too many arguments"},
        {{"flash"}, "no file name given"},
        {{"flash", "a.hex", "--boot-baud", "x"}, "--boot-baud takes a baud rate"},
        {{"download"}, "no file name given"},
        {{"get", "b.tq", "--ieee", "2"}, "--ieee takes 0 or 1"},
        {{"get", "b.tq", "--service"}, "unknown option --service"},
        {{"log"}, "no log file given"},
        {{"log", "run", "--rate", "4"}, "bad value for --rate"},
        {{"log", "run", "--seconds", "0"}, "bad value for --seconds"},
        {{"monitor", "--format", "5"}, "bad value for --format"},
        {{"monitor", "--seconds"}, "--seconds needs a value"},
        {{"ports", "--all"}, "unexpected argument --all"},
    };
    for (const Case& c : cases) {
        std::string shown;
        for (const std::string& a : c.args) shown += " " + a;
        SCOPED_TRACE("tqctl" + shown);
        const ChildResult r = tq(c.args);
        EXPECT_EQ(r.exitCode, kExitUsage) << describe(r);
        EXPECT_TRUE(contains(r.err, kUsagePrefix)) << describe(r);
        EXPECT_TRUE(contains(r.err, c.why)) << describe(r);
        EXPECT_EQ(r.out, "") << describe(r);
    }
    // A usage error of a command shows that command's usage line.
    const ChildResult r = tq({"log"});
    EXPECT_TRUE(contains(r.err, std::string(kUsagePrefix) +
                                    "log FILE [--seconds N] [--rate 0..3] [--limit]\n"))
        << describe(r);
    // Nothing was written by the rejected commands.
    EXPECT_TRUE(std::filesystem::is_empty(dir_));
}

TEST_F(TqctlCommandLine, HelpListsEveryCommandOnStdout) {
    const ChildResult r = tq({"--help"});
    ASSERT_EQ(r.exitCode, 0) << describe(r);
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(r.out.rfind(std::string(kUsagePrefix) + "COMMAND [ARGS]\n", 0), 0u) << r.out;
    for (const char* command :
         {"version", "stop", "start", "save-flash", "load-flash", "flash-defaults", "reboot",
          "status [--clear]", "ports [--rates]", "raw TEXT", "new FILE.tq", "show FILE.tq",
          "set FILE.tq NAME=VALUE", "download FILE.tq", "get FILE.tq", "decode [LINE...]",
          "hexinfo FILE.hex", "board-id", "flash FILE.hex", "log FILE", "monitor"})
        EXPECT_TRUE(contains(r.out, std::string("\n  ") + command)) << command << "\n" << r.out;
    EXPECT_EQ(tq({"-h"}).out, r.out);
}

TEST_F(TqctlCommandLine, APortThatCannotBeOpenedExits6WithCmdOpenError) {
    const std::string absent = path("no-such-tty").string();
    writeFile(path("a.tq"), "");   // replaced below by a real file
    ASSERT_EQ(tq({"new", "a.tq", "--force"}).exitCode, 0);
    writeFile(path("img.hex"), hexRecord(0x0400, 0, byteRun(0, 16)) + "\n" +
                                   hexRecord(0, 1, {}) + "\n");
    const std::vector<std::vector<std::string>> commands = {
        {"version"}, {"stop"},  {"start"},          {"save-flash"},           {"load-flash"},
        {"reboot"},  {"status"}, {"status", "--clear"}, {"flash-defaults"},   {"raw", "$V\\r"},
        {"download", "a.tq"}, {"get", "b.tq"}, {"board-id"}, {"flash", "img.hex"},
        {"log", "run1", "--seconds", "1"}, {"monitor", "--seconds", "1"}};
    for (const auto& command : commands) {
        SCOPED_TRACE(command.front());
        std::vector<std::string> args = {"--port", absent};
        args.insert(args.end(), command.begin(), command.end());
        const ChildResult r = tq(args);
        EXPECT_EQ(r.exitCode, kExitOpenError) << describe(r);
        EXPECT_TRUE(contains(r.err, "Cmd open error")) << describe(r);
        EXPECT_TRUE(contains(r.err, absent)) << describe(r);
    }
    // Without --port the port comes from TQ_PORT.
    ChildOptions fromEnv;
    fromEnv.setEnv["TQ_PORT"] = absent;
    const ChildResult r = tq({"version"}, fromEnv);
    EXPECT_EQ(r.exitCode, kExitOpenError) << describe(r);
    EXPECT_TRUE(contains(r.err, "Error when trying to open the serial port - error 6 [Cmd open error]"))
        << describe(r);
    EXPECT_TRUE(contains(r.err, absent)) << describe(r);
    // Neither a log file nor a parameter file was created.
    EXPECT_FALSE(std::filesystem::exists(path("run1.txt")));
    EXPECT_FALSE(std::filesystem::exists(path("b.tq")));
}

TEST_F(TqctlCommandLine, PortsListsTheDevicesAndTheFifteenRates) {
    std::filesystem::create_directories(path("sysfs"));
    std::filesystem::create_directories(path("dev"));
    const std::vector<std::string> roots = {"--sysfs", path("sysfs").string(), "--dev",
                                            path("dev").string()};
    std::vector<std::string> args = {"ports"};
    args.insert(args.end(), roots.begin(), roots.end());
    ChildResult r = tq(args);
    EXPECT_EQ(r.exitCode, 0) << describe(r);
    EXPECT_EQ(r.out, "");
    EXPECT_TRUE(contains(r.err, "no serial ports found")) << describe(r);

    args.push_back("--rates");
    r = tq(args);
    ASSERT_EQ(r.exitCode, 0) << describe(r);
    const std::vector<std::string> rates = splitLines(r.out);
    ASSERT_EQ(rates.size(), 15u) << r.out;
    std::set<std::string> distinct(rates.begin(), rates.end());
    EXPECT_EQ(distinct.size(), 15u);
    EXPECT_TRUE(distinct.count("115200") == 1) << r.out;
    EXPECT_TRUE(distinct.count("9600") == 1) << r.out;
    for (const std::string& rate : rates)
        EXPECT_EQ(rate.find_first_not_of("0123456789"), std::string::npos) << rate;
}

}  // namespace
}  // namespace tqtest
