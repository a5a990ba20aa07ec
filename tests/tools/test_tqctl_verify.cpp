// verify, download --verify and --json against the virtual regulator, and
// show --json with note bytes that are not UTF-8.
#include <nlohmann/json.hpp>

#include "tqctl_fixture.h"

namespace tqtest {
namespace {

using TqctlVerify = TqctlTest;
using nlohmann::json;

// The one JSON object of a --json run (its whole standard output).
json jsonOf(const ChildResult& r) {
    const std::vector<std::string> lines = splitLines(r.out);
    EXPECT_EQ(lines.size(), 1u) << describe(r);
    return lines.empty() ? json() : json::parse(lines.front());
}

TEST_F(TqctlVerify, CleanDownloadVerifiesAndAChangeBehindItsBackIsReported) {
    startSim();
    ASSERT_EQ(tq({"new", "a.tq"}).exitCode, 0);
    // decay 0.1 and kD 0.3 do not survive "%G" text bit for bit.
    ASSERT_EQ(tq({"set", "a.tq", "decay=0.1", "kD=0.3", "deadBand=3"}).exitCode, 0);
    for (const std::string ieee : {"1", "0"}) {
        SCOPED_TRACE("ieee " + ieee);
        ChildResult r = viaPort({"download", "a.tq", "--ieee", ieee, "--verify"});
        EXPECT_EQ(r.exitCode, 0) << describe(r);
        EXPECT_TRUE(contains(r.out, " Write parameter -- done\n")) << r.out;
        EXPECT_TRUE(contains(r.out, " Write parameter -- done, verified\n")) << r.out;

        r = viaPort({"verify", "a.tq", "--ieee", ieee});
        EXPECT_EQ(r.exitCode, 0) << describe(r);
        EXPECT_TRUE(contains(r.out, "no differences\n")) << r.out;

        // A raw write changes the dead-band (register 7) behind the program's back.
        ASSERT_EQ(viaPort({"raw", "$R7=4.5\\r", "--no-data"}).exitCode, 0);
        r = viaPort({"verify", "a.tq", "--ieee", ieee});
        EXPECT_EQ(r.exitCode, 1) << describe(r);
        EXPECT_TRUE(contains(r.out, "reg  field ")) << r.out;
        const std::vector<std::string> lines = splitLines(r.out);
        ASSERT_GE(lines.size(), 2u) << r.out;
        EXPECT_EQ(lines.back(), "1 difference");
        const std::string row = lines[lines.size() - 2];
        EXPECT_TRUE(contains(row, "  7  deadBand")) << row;
        EXPECT_TRUE(contains(row, "Dead-band")) << row;
        EXPECT_TRUE(contains(row, " 3 ")) << row;
        EXPECT_TRUE(contains(row, "4.5")) << row;

        r = viaPort({"verify", "a.tq", "--ieee", ieee, "--json"});
        EXPECT_EQ(r.exitCode, 1) << describe(r);
        const json j = jsonOf(r);
        EXPECT_EQ(j["port"], link_.string());
        EXPECT_EQ(j["command"], "verify");
        EXPECT_EQ(j["result"], 1);
        EXPECT_EQ(j["text"], "1 difference");
        EXPECT_GE(j["seconds"].get<double>(), 0.0);
        ASSERT_EQ(j["differences"].size(), 1u);
        EXPECT_EQ(j["differences"][0]["register"], 7);
        EXPECT_EQ(j["differences"][0]["field"], "deadBand");
        EXPECT_EQ(j["differences"][0]["label"], "Dead-band");
        EXPECT_EQ(j["differences"][0]["document"], "3");
        EXPECT_EQ(j["differences"][0]["regulator"], "4.5");
        EXPECT_TRUE(contains(r.err, "1 difference")) << "the table goes to standard error";
    }
}

TEST_F(TqctlVerify, LinkFailuresAndBadArgumentsKeepTheirCodes) {
    startSim({"--fault", "no-echo@20"});
    ASSERT_EQ(tq({"new", "a.tq"}).exitCode, 0);
    ChildResult r = viaPort({"verify", "a.tq"});
    EXPECT_EQ(r.exitCode, 3) << describe(r);
    EXPECT_TRUE(contains(r.out, "Error when reading data - error 3 [Timeout - echo msg]")) << r.out;

    r = viaPort({"download", "a.tq", "--verify", "--json"});
    EXPECT_EQ(r.exitCode, 3) << describe(r);
    const json j = jsonOf(r);
    EXPECT_EQ(j["command"], "download");
    EXPECT_EQ(j["result"], 3);
    EXPECT_EQ(j["resultText"], "Timeout - echo msg");
    EXPECT_EQ(j["text"], "Error when writing data - error 3 [Timeout - echo msg]");
    EXPECT_TRUE(j["differences"].empty());

    EXPECT_EQ(tq({"verify"}).exitCode, kExitUsage);
    EXPECT_EQ(tq({"verify", "a.tq", "--ieee", "2"}).exitCode, kExitUsage);
    // An unreadable file is not "differences" (1) when the run verifies.
    EXPECT_EQ(viaPort({"verify", "missing.tq"}).exitCode, 66);
    EXPECT_EQ(viaPort({"download", "missing.tq", "--verify"}).exitCode, 66);
    EXPECT_EQ(viaPort({"download", "missing.tq"}).exitCode, 1);

    // tq-sim refuses a fault it does not know, or a register out of range.
    for (const std::string fault : {"bogus", "no-echo@97", "no-echo@x"}) {
        const ChildResult bad = runChild(TQSIM_PATH, {"--fault", fault});
        EXPECT_EQ(bad.exitCode, kExitUsage) << fault << "\n" << describe(bad);
        EXPECT_TRUE(contains(bad.err, "--fault NAME[@REG]")) << bad.err;
    }
}

TEST_F(TqctlVerify, VersionStatusAndFlashSpeakJson) {
    ChildResult r = simulate({"version", "--json"});
    EXPECT_EQ(r.exitCode, 0) << describe(r);
    json j = jsonOf(r);
    EXPECT_EQ(j["command"], "version");
    EXPECT_EQ(j["result"], 0);
    EXPECT_EQ(j["resultText"], "No error");
    EXPECT_EQ(j["text"], std::string("Get version = ") + kSimVersion);
    EXPECT_TRUE(j["port"].get<std::string>().rfind("/dev/pts/", 0) == 0) << j.dump();

    r = simulate({"status", "--json"});
    EXPECT_EQ(r.exitCode, 0) << describe(r);
    EXPECT_EQ(jsonOf(r)["command"], "status");

    writeFile(path("img.hex"), hexRecord(0, 4, {0, 0}) + "\n" +
                                   hexRecord(0x0400, 0, byteRun(0, 16)) + "\n" +
                                   hexRecord(0, 1, {}) + "\n");
    r = simulate({"flash", "img.hex", "--json"});
    EXPECT_EQ(r.exitCode, 0) << describe(r);
    j = jsonOf(r);
    EXPECT_EQ(j["command"], "flash");
    EXPECT_EQ(j["text"], "Image written, user program started");
}

TEST_F(TqctlVerify, ShowJsonIsValidUtf8WhateverTheNoteHolds) {
    ASSERT_EQ(tq({"new", "n.tq"}).exitCode, 0);
    // Notes are bytes from the file: these are not UTF-8 (a five-byte lead,
    // an overlong form, a cut sequence), then a valid "ä".
    const std::string bad = std::string("a\xF8\x80\x80") + "b\xE0\x80\xAF" + "c\xC3" + "\xC3\xA4";
    const std::string file = readFile(path("n.tq"));
    const std::string note = "Enter user comment here...";
    const std::size_t at = file.find(note);
    ASSERT_NE(at, std::string::npos);
    ASSERT_GT(at, 0u);
    ASSERT_EQ(static_cast<unsigned char>(file[at - 1]), note.size()) << "a length byte before the text";
    std::string patched = file.substr(0, at - 1) + static_cast<char>(bad.size()) + bad +
                          file.substr(at + note.size());
    writeFile(path("n.tq"), patched);

    const ChildResult r = tq({"show", "n.tq", "--json"});
    ASSERT_EQ(r.exitCode, 0) << describe(r);
    json j;
    ASSERT_NO_THROW(j = json::parse(r.out)) << r.out.substr(0, 200);
    const std::string fffd = "\xEF\xBF\xBD";
    const std::string notes = j["notes"];
    EXPECT_EQ(notes.substr(0, 1), "a");
    EXPECT_TRUE(contains(notes, fffd)) << notes;
    EXPECT_EQ(notes.find('\xF8'), std::string::npos);
    EXPECT_EQ(notes.find('\x80' + std::string("\xAF")), std::string::npos);
    EXPECT_EQ(notes.substr(notes.size() - 2), "\xC3\xA4");
    EXPECT_EQ(j["st1"], 20.0);
    EXPECT_EQ(j["decay"], 0.1) << "floats keep their shortest text";
    EXPECT_EQ(j["sensor1"]["records"].size(), 32u);
}

}  // namespace
}  // namespace tqtest
