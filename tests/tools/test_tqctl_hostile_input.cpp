// tqctl given hostile input: directories and named pipes where files are
// expected, and an endless line on standard input. Each ends with a message
// and a non-zero exit code, never a signal or a hang.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "child_process.h"
#include "tqctl_fixture.h"

namespace tqtest {
namespace {

class TqctlHostile : public TqctlTest {};

TEST_F(TqctlHostile, DirectoriesAndPipesAsFilesEndWithAnError) {
    std::filesystem::create_directory(path("dir.hex"));
    std::filesystem::create_directory(path("dir.tq"));
    ASSERT_EQ(::mkfifo(path("pipe.hex").c_str(), 0600), 0);
    ASSERT_EQ(::mkfifo(path("pipe.tq").c_str(), 0600), 0);
    ChildOptions quick;
    quick.timeoutSeconds = 10;   // a pipe that blocks would hit this

    for (const char* name : {"dir.hex", "pipe.hex"}) {
        SCOPED_TRACE(name);
        ChildResult r = tq({"hexinfo", name}, quick);
        EXPECT_FALSE(r.timedOut);
        EXPECT_EQ(r.signal, 0) << describe(r);
        EXPECT_EQ(r.exitCode, 1) << describe(r);
        EXPECT_EQ(r.out, "Records: 0\n<not a valid intelhex file>\n");

        // flash checks the file before it touches the link.
        r = tq({"--port", path("no-such-port").string(), "flash", name}, quick);
        EXPECT_FALSE(r.timedOut);
        EXPECT_EQ(r.signal, 0) << describe(r);
        EXPECT_NE(r.exitCode, 0) << describe(r);
        EXPECT_TRUE(contains(r.out, "<not a valid intelhex file>")) << describe(r);
    }
    for (const auto& [name, reason] : {std::pair{"dir.tq", "it is a directory"},
                                       std::pair{"pipe.tq", "not a regular file"}}) {
        SCOPED_TRACE(name);
        const ChildResult r = tq({"show", name}, quick);
        EXPECT_FALSE(r.timedOut);
        EXPECT_EQ(r.signal, 0) << describe(r);
        EXPECT_NE(r.exitCode, 0) << describe(r);
        EXPECT_TRUE(contains(r.out + r.err, reason)) << describe(r);
    }
}

TEST_F(TqctlHostile, DecodeJudgesAnOverlongLineWithoutStoringIt) {
    // A valid line, a line of 50 MB, the valid line again. The engine cuts
    // lines at 1023 characters; a longer one is invalid as a whole.
    const std::string valid =
        "[7 2A 0 3 A5 41C80000 40D00000 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 3F800000 0 5 6]";
    ChildOptions input;
    input.input = valid + "\r\n[7" + std::string(50u << 20, ' ') + "]\r\n" + valid + "\n";
    input.timeoutSeconds = 60;
    const ChildResult r = tq({"decode"}, input);
    EXPECT_EQ(r.exitCode, 1) << describe(r);
    const std::size_t invalid = r.out.find("error - runtime data invalid\n\n");
    ASSERT_NE(invalid, std::string::npos) << r.out.substr(0, 2000);
    EXPECT_LT(r.out.find("format = 7\n"), invalid);
    EXPECT_NE(r.out.find("format = 7\n", invalid), std::string::npos);
    EXPECT_EQ(r.out.find("error - runtime data invalid", invalid + 1), std::string::npos);

    // Exactly 1023 characters is still a line the decoder judges (and
    // rejects here for its content, once).
    input.input = "[" + std::string(1021, '0') + "]\n";
    const ChildResult edge = tq({"decode"}, input);
    EXPECT_EQ(edge.exitCode, 1) << describe(edge);
    EXPECT_EQ(edge.out, "error - runtime data invalid\n\n");
}

}  // namespace
}  // namespace tqtest
