// The transfer and firmware commands of tqctl against its in-process
// virtual regulator.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <sys/wait.h>

#include "hex_text.h"
#include "sim/virtual_regulator.h"

namespace {

struct ToolRun {
    int exitCode = -1;
    std::string output;
};

ToolRun tqctl(const std::string& args) {
    ToolRun run;
    const std::string command = std::string(TQCTL_PATH) + " " + args + " 2>&1";
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe)
        return run;
    char buffer[4096];
    std::size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0)
        run.output.append(buffer, n);
    const int status = pclose(pipe);
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

bool contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

}  // namespace

TEST(TqctlEndToEnd, DownloadAndGetParameterFiles) {
    hextest::TempFile scratch("", "unused");
    const std::string file = scratch.dir() + "/set.tq";
    const std::string copy = scratch.dir() + "/copy.tq";
    ASSERT_EQ(tqctl("new " + file).exitCode, 0);
    ASSERT_EQ(tqctl("set " + file + " kP=42.5").exitCode, 0);

    ToolRun down = tqctl("--simulate download " + file + " --ieee 0 --service");
    EXPECT_EQ(down.exitCode, 0) << down.output;
    EXPECT_TRUE(contains(down.output, " Download parameters to regulator\n"));
    EXPECT_TRUE(contains(down.output, " Write parameter -- done\n"));

    ToolRun get = tqctl("--simulate get " + copy);
    EXPECT_EQ(get.exitCode, 0) << get.output;
    EXPECT_TRUE(contains(get.output, " Reading parameters -- done.\n"));
    const ToolRun shown = tqctl("show " + copy);
    EXPECT_EQ(shown.exitCode, 0);
    EXPECT_TRUE(contains(shown.output, "New upload")) << shown.output;

    EXPECT_EQ(tqctl("download " + scratch.dir() + "/missing.tq").exitCode, 1);
    EXPECT_EQ(tqctl("download " + file + " --ieee 2").exitCode, 64);
}

TEST(TqctlEndToEnd, HexInfoAndFlash) {
    const std::vector<hextest::Block> blocks{{0x0000, std::vector<std::uint8_t>(0x400, 0x5A)}};
    hextest::TempFile image(hextest::image(blocks));
    const ToolRun info = tqctl("hexinfo " + image.path());
    EXPECT_EQ(info.exitCode, 0);
    EXPECT_EQ(info.output, "Records: 66\nProgram Data 0x0000 - 0x0400,  no config data\n");

    hextest::TempFile broken("garbage\n");
    const ToolRun bad = tqctl("hexinfo " + broken.path());
    EXPECT_NE(bad.exitCode, 0);
    EXPECT_TRUE(contains(bad.output, "<not a valid intelhex file>"));

    const ToolRun flash = tqctl("--simulate flash " + image.path() + " --boot-baud 57600");
    EXPECT_EQ(flash.exitCode, 0) << flash.output;
    EXPECT_TRUE(contains(flash.output, "BL17 with id 2A3 is Unlocked"));
    EXPECT_TRUE(contains(flash.output, "Image written, user program started"));

    const ToolRun id = tqctl("--simulate board-id --search");
    EXPECT_EQ(id.exitCode, 0) << id.output;
    EXPECT_TRUE(contains(id.output, "Search for the regulator board..."));
}

TEST(TqctlEndToEnd, FlashWithVerifyReadsTheImageBack) {
    std::vector<std::uint8_t> bytes(0x200);
    for (std::size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<std::uint8_t>(i * 11 + 3);
    hextest::TempFile image(hextest::image({{0x0300, bytes}}));
    const ToolRun flash = tqctl("--simulate flash " + image.path() + " --verify");
    EXPECT_EQ(flash.exitCode, 0) << flash.output;
    EXPECT_TRUE(contains(flash.output, "Verify ok, time ")) << flash.output;
    EXPECT_TRUE(contains(flash.output, "Image written and verified, user program started"));

    EXPECT_EQ(tqctl("--simulate board-id --verify").exitCode, 64) << "board-id writes nothing to verify";

    // A board whose loader keeps its address after "d01" verifies as well,
    // and a word that did not take the write fails with its address.
    sim::SimOptions options;
    options.readBackAdvances = false;
    sim::VirtualRegulator board(options);
    std::string error;
    ASSERT_TRUE(board.start(&error)) << error;
    const std::string port = "--port " + board.slavePath() + " flash " + image.path() + " --verify";
    const ToolRun fixed = tqctl(port);
    EXPECT_EQ(fixed.exitCode, 0) << fixed.output;
    EXPECT_TRUE(contains(fixed.output, "Image written and verified, user program started")) << fixed.output;
    board.setBadFlashWord(0x000402);
    const ToolRun bad = tqctl(port);
    EXPECT_NE(bad.exitCode, 0) << bad.output;
    EXPECT_TRUE(contains(bad.output, "Verify error at 000402, time ")) << bad.output;
    EXPECT_TRUE(board.inBootLoader());
    board.stop();
}
