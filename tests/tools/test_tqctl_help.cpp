// tqctl help: every registered command is described (usage, description,
// options, exit status), the manual page names every command, and the
// manual's field table is what `tqctl fields --markdown` prints.
#include <filesystem>
#include <regex>
#include <set>

#include "tqctl_fixture.h"

namespace tqtest {
namespace {

using TqctlHelp = TqctlTest;

// The command names `tqctl help` lists, one "  name  summary" line each.
std::vector<std::string> listedCommands(const std::string& out) {
    std::vector<std::string> names;
    const std::regex line(R"(^  ([a-z][a-z0-9-]*) +\S.*$)");
    for (const std::string& l : splitLines(out)) {
        std::smatch m;
        if (std::regex_match(l, m, line)) names.push_back(m[1]);
    }
    return names;
}

// The text between the summary and the global options: the command's own description.
std::string ownPart(const std::string& out) {
    const std::size_t start = out.find(".\n\n");
    const std::size_t end = out.find("global options");
    if (start == std::string::npos || end == std::string::npos || end < start) return {};
    return out.substr(start + 3, end - start - 3);
}

TEST_F(TqctlHelp, EveryCommandHasUsageDescriptionAndExitStatus) {
    const ChildResult list = tq({"help"});
    ASSERT_EQ(list.exitCode, 0) << describe(list);
    const std::vector<std::string> names = listedCommands(list.out);
    // The list is the same as the one of --help.
    const ChildResult usage = tq({"--help"});
    for (const std::string& name : names) EXPECT_TRUE(contains(usage.out, "  " + name)) << name;
    ASSERT_GE(names.size(), 20u) << list.out;

    for (const std::string& name : names) {
        SCOPED_TRACE(name);
        const ChildResult r = tq({"help", name});
        ASSERT_EQ(r.exitCode, 0) << describe(r);
        EXPECT_TRUE(contains(r.out, kUsagePrefix + name)) << r.out;
        EXPECT_TRUE(contains(r.out, "exit status:")) << r.out;
        EXPECT_TRUE(contains(r.out, "6 Cmd open error")) << r.out;
        EXPECT_TRUE(contains(r.out, "64    usage error")) << r.out;
        EXPECT_GT(ownPart(r.out).size(), 20u) << "no description beyond the summary:\n" << r.out;
        // Every option of the usage line is explained.
        const std::regex option(R"(--[a-z][a-z-]*)");
        const std::string usageLine = splitLines(r.out).front();
        for (std::sregex_iterator it(usageLine.begin(), usageLine.end(), option), end; it != end; ++it) {
            const std::string o = it->str();
            if (o == "--port" || o == "--baud" || o == "--simulate") continue;
            EXPECT_TRUE(contains(ownPart(r.out), "  " + o)) << o << " is not explained:\n" << r.out;
        }
    }
}

// Every global option of the manual page is listed by `tqctl help`, by
// `tqctl --help` and under each command's help, and the exit status 64 is
// given for every kind of usage error, not only for options.
TEST_F(TqctlHelp, HelpListsEveryGlobalOptionAndWhatExits64) {
    const std::string page = readFile(std::filesystem::path(TQ_SOURCE_DIR) / "man" / "tqctl.1");
    const std::size_t from = page.find(".SH GLOBAL OPTIONS");
    const std::size_t to = page.find(".SH COMMANDS");
    ASSERT_TRUE(from != std::string::npos && to != std::string::npos && from < to);
    std::string section = page.substr(from, to - from);
    for (std::size_t at; (at = section.find("\\-")) != std::string::npos;) section.replace(at, 2, "-");
    // The tag line after each ".TP" names an option.
    std::set<std::string> options;
    const std::regex option(R"(^\.BI? (--[a-z][a-z-]*))");
    std::string previous;
    for (const std::string& line : splitLines(section)) {
        std::smatch m;
        if (previous == ".TP" && std::regex_search(line, m, option)) options.insert(m[1]);
        previous = line;
    }
    ASSERT_GE(options.size(), 9u) << section;
    const ChildResult list = tq({"help"});
    const ChildResult usage = tq({"--help"});
    const ChildResult one = tq({"help", "set"});
    for (const ChildResult* r : {&list, &usage, &one}) {
        ASSERT_EQ(r->exitCode, 0) << describe(*r);
        for (const std::string& o : options)
            EXPECT_TRUE(contains(r->out, "\n  " + o + " ")) << o << "\n" << r->out;
    }
    for (const ChildResult* r : {&usage, &one})
        for (const char* kind : {"unknown command", "field name", "missing or extra argument", "not a",
                                 "outside its range"})
            EXPECT_TRUE(contains(r->out, kind)) << kind << "\n" << r->out;
}

TEST_F(TqctlHelp, UnknownCommandOrTwoCommandsAreUsageErrors) {
    const ChildResult unknown = tq({"help", "frobnicate"});
    EXPECT_EQ(unknown.exitCode, kExitUsage);
    EXPECT_TRUE(contains(unknown.err, "unknown command frobnicate")) << unknown.err;
    const ChildResult two = tq({"help", "version", "status"});
    EXPECT_EQ(two.exitCode, kExitUsage);
    EXPECT_TRUE(contains(tq({"--help"}).out, "tqctl help COMMAND"));
}

TEST_F(TqctlHelp, ManualPageNamesEveryCommand) {
    const std::string page = readFile(std::filesystem::path(TQ_SOURCE_DIR) / "man" / "tqctl.1");
    ASSERT_FALSE(page.empty());
    // The words of the bold lines (".B", ".BR", ".BI"), quotes taken as blanks.
    std::string boldWords = " ";
    for (std::string line : splitLines(page)) {
        if (line.rfind(".B", 0) != 0) continue;
        for (char& c : line) if (c == '"') c = ' ';
        boldWords += line + " ";
    }
    for (const std::string& name : listedCommands(tq({"help"}).out)) {
        std::string troff;   // "board-id" is written "board\\-id"
        for (char c : name) troff += c == '-' ? std::string("\\-") : std::string(1, c);
        EXPECT_TRUE(contains(boldWords, " " + troff + " ")) << name << " is missing from man/tqctl.1";
    }
}

// One version for the project: each program prints the CMake project's
// version (the Debian package's), whatever else is on the command line.
TEST_F(TqctlHelp, EveryProgramPrintsTheProjectVersion) {
    const std::string version = TQ_PROJECT_VERSION;
    const ChildResult tqctl = tq({"--version", "status"});
    EXPECT_EQ(tqctl.exitCode, 0) << describe(tqctl);
    EXPECT_EQ(tqctl.out, "tqctl " + version + "\n");
    const ChildResult sim = runChild(TQSIM_PATH, {"--demo", "--version"});
    EXPECT_EQ(sim.exitCode, 0) << describe(sim);
    EXPECT_EQ(sim.out, "tq-sim " + version + "\n");
#ifdef TQ_INTERFACE_PATH
    // Without a display: the answer comes before the window system is asked.
    ChildOptions noDisplay;
    noDisplay.unsetEnv = {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"};
    const ChildResult window = runChild(TQ_INTERFACE_PATH, {"--version"}, noDisplay);
    EXPECT_EQ(window.exitCode, 0) << describe(window);
    EXPECT_EQ(window.out, "tq_interface " + version + "\n");
#endif
    EXPECT_TRUE(contains(tq({"--help"}).out, "--version")) << "tqctl --help does not list --version";
}

TEST_F(TqctlHelp, FieldTableOfTheManualIsTheGeneratedOne) {
    const ChildResult r = tq({"fields", "--markdown"});
    ASSERT_EQ(r.exitCode, 0) << describe(r);
    const std::string checkedIn = readFile(std::filesystem::path(TQ_SOURCE_DIR) / "docs" / "manual" / "fields.md");
    EXPECT_EQ(r.out, checkedIn) << "run: tqctl fields --markdown > docs/manual/fields.md";
    EXPECT_EQ(tq({"fields", "--html"}).exitCode, kExitUsage);
}

}  // namespace
}  // namespace tqtest
