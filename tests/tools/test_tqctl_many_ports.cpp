// Many boards at once: four virtual regulators on four pseudo-terminals, one
// of them faulty, driven by one tqctl command line.
#include <nlohmann/json.hpp>

#include <array>
#include <memory>

#include "tqctl_fixture.h"

namespace tqtest {
namespace {

constexpr int kBoards = 4;
constexpr int kFaulty = 2;   // tty2

class TqctlManyPorts : public TqctlTest {
protected:
    void SetUp() override {
        TqctlTest::SetUp();
        for (int i = 0; i < kBoards; ++i) {
            std::vector<std::string> args = {"--link", port(i)};
            if (i == kFaulty)   // wrong write replies in the boot loader, silent at register 20
                args.insert(args.end(), {"--fault", "wrong-write-reply", "--fault", "no-echo@20"});
            const auto started = boards_[i].start(TQSIM_PATH, args, dir_);
            ASSERT_TRUE(started.has_value()) << "tq-sim " << i << " did not start";
        }
    }
    void TearDown() override {
        for (BackgroundProcess& b : boards_)
            b.stop();
        TqctlTest::TearDown();
    }
    std::string port(int i) const { return (dir_ / ("tty" + std::to_string(i))).string(); }
    std::vector<std::string> allPorts() const {
        std::vector<std::string> args;
        for (int i = 0; i < kBoards; ++i)
            args.insert(args.end(), {"--port", port(i)});
        return args;
    }
    ChildResult onAll(std::vector<std::string> args) {
        std::vector<std::string> full = allPorts();
        full.insert(full.end(), args.begin(), args.end());
        ChildOptions options;
        options.timeoutSeconds = 60;
        return tq(full, options);
    }
    // The summary row of a port: "PORT  ok ..." or "PORT  failed N [...]".
    static std::string summaryRow(const std::string& text, const std::string& port) {
        for (const std::string& line : splitLines(text))
            if (line.rfind(port + "  ", 0) == 0)
                return line;
        return {};
    }

    std::array<BackgroundProcess, kBoards> boards_;
};

TEST_F(TqctlManyPorts, FlashAndConfigureFourBoardsOneFails) {
    writeFile(path("img.hex"), hexRecord(0, 4, {0, 0}) + "\n" +
                                   hexRecord(0x0400, 0, byteRun(0, 16)) + "\n" +
                                   hexRecord(0x0410, 0, byteRun(16, 16)) + "\n" +
                                   hexRecord(0, 1, {}) + "\n");
    ChildResult r = onAll({"flash", "img.hex", "--search"});
    EXPECT_NE(r.exitCode, 0) << describe(r);
    for (int i = 0; i < kBoards; ++i) {
        SCOPED_TRACE(port(i));
        EXPECT_TRUE(contains(r.out, port(i) + ": Program Data 0x0400 - 0x0420")) << r.out;
        const std::string row = summaryRow(r.out, port(i));
        ASSERT_FALSE(row.empty()) << r.out;
        if (i == kFaulty) {
            EXPECT_TRUE(contains(row, "  failed ")) << row;
            EXPECT_TRUE(contains(r.err, port(i) + ": Download stopped")) << r.err;
        } else {
            EXPECT_TRUE(contains(row, "  ok ")) << row;
            EXPECT_TRUE(contains(r.out, port(i) + ": Image written, user program started\n"));
        }
    }
    EXPECT_TRUE(contains(r.out, "3 of 4 ports succeeded\n")) << r.out;

    ASSERT_EQ(tq({"new", "line.tq"}).exitCode, 0);
    r = onAll({"download", "line.tq", "--verify"});
    EXPECT_EQ(r.exitCode, 3) << describe(r);
    for (int i = 0; i < kBoards; ++i) {
        const std::string row = summaryRow(r.out, port(i));
        if (i == kFaulty)
            EXPECT_TRUE(contains(row, "failed 3 [Timeout - echo msg]")) << row;
        else
            EXPECT_TRUE(contains(row, "  ok ") && contains(row, "Write parameter -- done, verified"))
                << row;
    }

    // Board 0's dead-band changed behind the program's back; then verify as
    // JSON: one object per port and nothing else on standard output.
    ASSERT_EQ(tq({"--port", port(0), "raw", "$R7=4.5\\r", "--no-data"}).exitCode, 0);
    r = onAll({"verify", "line.tq", "--json"});
    const std::vector<std::string> lines = splitLines(r.out);
    ASSERT_EQ(lines.size(), static_cast<std::size_t>(kBoards)) << r.out;
    std::map<std::string, nlohmann::json> byPort;
    for (const std::string& line : lines) {
        const nlohmann::json j = nlohmann::json::parse(line);
        byPort[j["port"]] = j;
    }
    for (int i = 0; i < kBoards; ++i) {
        ASSERT_EQ(byPort.count(port(i)), 1u) << r.out;
        const nlohmann::json& j = byPort[port(i)];
        EXPECT_EQ(j["command"], "verify");
        const int expected = i == 0 ? 1 : i == kFaulty ? 3 : 0;
        EXPECT_EQ(j["result"], expected) << j.dump();
        EXPECT_EQ(j["resultText"], i == 0 ? "differences" : i == kFaulty ? "Timeout - echo msg" : "No error");
        EXPECT_EQ(j["differences"].size(), i == 0 ? 1u : 0u) << j.dump();
        EXPECT_GT(j["seconds"].get<double>(), 0.0);
    }
    EXPECT_EQ(byPort[port(0)]["differences"][0]["field"], "deadBand");
    EXPECT_EQ(byPort[port(0)]["differences"][0]["regulator"], "4.5");
    EXPECT_TRUE(contains(summaryRow(r.err, port(0)), "failed 1 [differences]")) << r.err;
    EXPECT_TRUE(contains(r.err, "2 of 4 ports succeeded")) << r.err;
    EXPECT_EQ(r.exitCode, 1) << "the first port that failed gives the exit code";
}

TEST_F(TqctlManyPorts, PatternsFilesPerPortAndRefusals) {
    const std::string pattern = (dir_ / "tty*").string();
    ChildResult r = tq({"--port", pattern, "version"});
    EXPECT_EQ(r.exitCode, 0) << describe(r);
    for (int i = 0; i < kBoards; ++i)
        EXPECT_TRUE(contains(r.out, port(i) + ": Get version = " + kSimVersion + "\n")) << r.out;
    EXPECT_TRUE(contains(r.out, "4 of 4 ports succeeded")) << r.out;

    std::vector<std::string> twoPorts = {"--port", port(0), "--port", port(1)};
    auto withTwo = [&](std::vector<std::string> args) {
        args.insert(args.begin(), twoPorts.begin(), twoPorts.end());
        return tq(args);
    };
    r = withTwo({"get", "board-{port}.tq"});
    EXPECT_EQ(r.exitCode, 0) << describe(r);
    EXPECT_TRUE(std::filesystem::exists(path("board-tty0.tq")));
    EXPECT_TRUE(std::filesystem::exists(path("board-tty1.tq")));

    r = withTwo({"get", "board.tq"});
    EXPECT_EQ(r.exitCode, kExitUsage);
    EXPECT_TRUE(contains(r.err, "{port}")) << r.err;
    r = withTwo({"monitor", "--seconds", "1"});
    EXPECT_EQ(r.exitCode, kExitUsage);
    EXPECT_TRUE(contains(r.err, "monitor shows one regulator")) << r.err;
    r = withTwo({"show", "board-tty0.tq"});
    EXPECT_EQ(r.exitCode, kExitUsage);
    r = tq({"--port", (dir_ / "nothing*").string(), "version"});
    EXPECT_EQ(r.exitCode, kExitUsage);
    EXPECT_TRUE(contains(r.err, "no port matches")) << r.err;
    r = tq({"--simulate", "--port", port(0), "--port", port(1), "version"});
    EXPECT_EQ(r.exitCode, kExitUsage);
}

}  // namespace
}  // namespace tqtest
