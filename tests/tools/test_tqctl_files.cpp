// The commands that need no regulator: parameter files (new, set, show),
// decode of runtime lines and hexinfo of firmware images.
#include <filesystem>

#include "json_value.h"
#include "tqctl_fixture.h"

namespace tqtest {
namespace {

using TqctlFiles = TqctlTest;

constexpr std::uintmax_t kDefaultFileSize = 6559;

TEST_F(TqctlFiles, NewSetShowWriteAndReadBackByName) {
    ChildResult r = tq({"new", "bench.tq"});
    ASSERT_EQ(r.exitCode, 0) << describe(r);
    EXPECT_EQ(r.out, "bench.tq written\n");
    EXPECT_EQ(std::filesystem::file_size(path("bench.tq")), kDefaultFileSize);
    const std::string fresh = readFile(path("bench.tq"));

    // No silent overwrite; --force replaces.
    writeFile(path("bench.tq"), "precious");
    r = tq({"new", "bench.tq"});
    EXPECT_NE(r.exitCode, 0) << describe(r);
    EXPECT_TRUE(contains(r.err, "exists")) << describe(r);
    EXPECT_EQ(readFile(path("bench.tq")), "precious");
    r = tq({"new", "bench.tq", "--force"});
    ASSERT_EQ(r.exitCode, 0) << describe(r);
    EXPECT_EQ(readFile(path("bench.tq")), fresh) << "a new file does not depend on the day";

    r = tq({"set", "bench.tq", "st1=25", "kP=18.5", "regulatorFlags=6", "sensor2.select=4",
            "alarmEnable2=0x1F", "channel2.enabled=off", "loopLowCount=40"});
    ASSERT_EQ(r.exitCode, 0) << describe(r);
    // What was set, as the file now holds it, with the field's unit.
    EXPECT_EQ(r.out, "st1 = 25 \xC2\xB0" "C\nkP = 18.5\nregulatorFlags = 6 (0x6)\nsensor2.select = 4\n"
                     "alarmEnable2 = 31 (0x1F)\nchannel2.enabled = off\nloopLowCount = 40 samples\n");
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(std::filesystem::file_size(path("bench.tq")), kDefaultFileSize);
    // The notes are stored with their length: the file shrinks by the
    // difference to the default text "Enter user comment here...".
    r = tq({"set", "bench.tq", "notes=line \"A\""});
    ASSERT_EQ(r.exitCode, 0) << describe(r);
    EXPECT_EQ(std::filesystem::file_size(path("bench.tq")),
              kDefaultFileSize - std::string("Enter user comment here...").size() +
                  std::string("line \"A\"").size());

    r = tq({"show", "bench.tq", "--json"});
    ASSERT_EQ(r.exitCode, 0) << describe(r);
    EXPECT_EQ(r.err, "");
    std::string error;
    const auto doc = parseJson(r.out, &error);
    ASSERT_TRUE(doc.has_value()) << error << "\n" << r.out;
    EXPECT_EQ((*doc)["file"].text, "bench.tq");
    EXPECT_TRUE((*doc)["graphBlock"].boolean);
    EXPECT_EQ((*doc)["notes"].text, "line \"A\"");
    EXPECT_EQ((*doc)["st1"].number, 25);
    EXPECT_EQ((*doc)["kP"].number, 18.5);
    EXPECT_EQ((*doc)["regulatorFlags"].number, 6);
    EXPECT_EQ((*doc)["alarmEnable2"].number, 0x1F);
    EXPECT_FLOAT_EQ(static_cast<float>((*doc)["ts"].number), 0.05f);
    const JsonValue& sensor2 = (*doc)["sensor2"];
    EXPECT_EQ(sensor2["select"].number, 4);
    ASSERT_EQ(sensor2["records"].items.size(), 32u);
    EXPECT_EQ(sensor2["selected"].text, sensor2["records"][4]["name"].text);
    for (const char* slot : {"sensor1", "sensor2", "sensor3", "sensor4"})
        EXPECT_EQ((*doc)[slot]["records"].items.size(), 32u) << slot;
    // Sensor 1 keeps the pot settings; the others have none.
    EXPECT_TRUE((*doc)["sensor1"]["records"][0].has("potGain"));
    EXPECT_FALSE(sensor2["records"][0].has("potGain"));
    const JsonValue& channels = (*doc)["channels"];
    ASSERT_FALSE(channels.items.empty());
    EXPECT_FALSE(channels[2]["enabled"].boolean);
    EXPECT_TRUE(channels[0]["enabled"].boolean);

    // The text form names the same values.
    r = tq({"show", "bench.tq"});
    ASSERT_EQ(r.exitCode, 0) << describe(r);
    EXPECT_TRUE(contains(r.out, "file = bench.tq\n")) << r.out;
    EXPECT_TRUE(contains(r.out, "\nst1 = 25\n")) << r.out;
    EXPECT_TRUE(contains(r.out, "\nkP = 18.5\n")) << r.out;
    EXPECT_TRUE(contains(r.out, "\nsensor2.select = 4 (\"" + sensor2["selected"].text + "\")\n"))
        << r.out;

    // A file without a graph block keeps none when a value changes, and
    // gets one when a channel changes.
    writeFile(path("noblock.tq"), withoutGraphBlock(readFile(path("bench.tq"))));
    const std::uintmax_t withoutSize = std::filesystem::file_size(path("noblock.tq"));
    ASSERT_LT(withoutSize, std::filesystem::file_size(path("bench.tq")));
    r = tq({"show", "noblock.tq"});
    ASSERT_EQ(r.exitCode, 0) << describe(r);
    EXPECT_TRUE(contains(r.out, "\ngraph block: none (default channel table)\n")) << r.out;
    EXPECT_TRUE(contains(r.out, "\nst1 = 25\n")) << r.out;
    ASSERT_EQ(tq({"set", "noblock.tq", "st1=26"}).exitCode, 0);
    EXPECT_EQ(std::filesystem::file_size(path("noblock.tq")), withoutSize);
    EXPECT_FALSE(contains(readFile(path("noblock.tq")), kGraphBlockTag));
    ASSERT_EQ(tq({"set", "noblock.tq", "channel4.max=55"}).exitCode, 0);
    r = tq({"show", "noblock.tq", "--json"});
    const auto withBlock = parseJson(r.out);
    ASSERT_TRUE(withBlock.has_value()) << r.out;
    EXPECT_TRUE((*withBlock)["graphBlock"].boolean);
    EXPECT_EQ((*withBlock)["channels"][4]["max"].number, 55);
    EXPECT_EQ((*withBlock)["st1"].number, 26);

    // A file that is not a parameter file is refused.
    writeFile(path("junk.tq"), "not a parameter file");
    r = tq({"show", "junk.tq", "--json"});
    EXPECT_NE(r.exitCode, 0) << describe(r);
    EXPECT_EQ(r.out, "");
    r = tq({"show", "absent.tq"});
    EXPECT_NE(r.exitCode, 0) << describe(r);
    EXPECT_FALSE(std::filesystem::exists(path("absent.tq")));
}

TEST_F(TqctlFiles, ARejectedSetLeavesTheFileByteIdentical) {
    ASSERT_EQ(tq({"new", "bench.tq"}).exitCode, 0);
    ASSERT_EQ(tq({"set", "bench.tq", "st1=30"}).exitCode, 0);
    const std::string before = readFile(path("bench.tq"));
    const auto stamp = std::filesystem::last_write_time(path("bench.tq"));

    const std::vector<std::vector<std::string>> rejected = {
        {"noSuchField=1"},
        {"st1=abc"},
        {"st1="},
        {"st1=25x"},
        {"st1=nan"},
        {"st1=inf"},
        {"fan1Mode=-1"},
        {"fan1Mode=1.5"},
        {"sensor2.select=32"},
        {"sensor5.select=1"},
        {"sensor1.record32.gain=1"},
        {"channel99.max=1"},
        {"channel1.enabled=maybe"},
        {"=5"},
        {"st1"},
        // A good assignment before a bad one changes nothing either.
        {"st1=25", "kP=18.5", "kI=oops"},
        {"kP=18.5", "bogus=1", "st1=12"},
    };
    for (const auto& assignments : rejected) {
        std::string shown;
        for (const std::string& a : assignments) shown += " " + a;
        SCOPED_TRACE("set" + shown);
        std::vector<std::string> args = {"set", "bench.tq"};
        args.insert(args.end(), assignments.begin(), assignments.end());
        const ChildResult r = tq(args);
        EXPECT_NE(r.exitCode, 0) << describe(r);
        EXPECT_NE(r.err, "") << describe(r);
        EXPECT_EQ(readFile(path("bench.tq")), before);
    }
    EXPECT_EQ(std::filesystem::last_write_time(path("bench.tq")), stamp)
        << "a rejected set does not rewrite the file";

    // set on a missing file creates nothing.
    const ChildResult r = tq({"set", "absent.tq", "st1=1"});
    EXPECT_NE(r.exitCode, 0) << describe(r);
    EXPECT_FALSE(std::filesystem::exists(path("absent.tq")));
}

TEST_F(TqctlFiles, AMisspeltNameGetsSuggestionsAndABadValueItsRange) {
    ASSERT_EQ(tq({"new", "bench.tq"}).exitCode, 0);
    const std::string before = readFile(path("bench.tq"));
    const std::pair<std::string, std::string> refused[] = {
        // Letter case first, then names a small edit away.
        {"kp=3", "unknown parameter kp (did you mean kP?)"},
        {"DEADBAND=3", "unknown parameter DEADBAND (did you mean deadBand?)"},
        {"maxpwr=30", "unknown parameter maxpwr (did you mean maxPower?)"},
        {"st=20", "unknown parameter st (did you mean st1, ts or st2?)"},
        {"sensor1.record5.gian=1",
         "unknown parameter sensor1.record5.gian (did you mean sensor1.record5.gain?)"},
        {"channel2.enabeld=1", "unknown parameter channel2.enabeld (did you mean channel2.enabled?)"},
        {"qwertyuiop=1", "unknown parameter qwertyuiop\n"},
        // A value that is not a number: what the field takes.
        {"st1=warm", "bad value for st1: \"warm\", expected a number in -200 .. 500 \xC2\xB0" "C\n"},
        {"maxPower=half", "bad value for maxPower: \"half\", expected a number in 0 .. 100 %\n"},
        {"fan1Mode=1.5", "bad value for fan1Mode: \"1.5\", expected a whole number (decimal or 0x "
                         "hexadecimal) in 0 .. 5\n"},
        {"alarmEnable2=all", "bad value for alarmEnable2: \"all\", expected a whole number (decimal or "
                             "0x hexadecimal): bits within 0xFF\n"},
        {"sensor2.select=x", "bad value for sensor2.select: \"x\", expected a record number 0 .. 31\n"},
    };
    for (const auto& [assignment, why] : refused) {
        SCOPED_TRACE(assignment);
        const ChildResult r = tq({"set", "bench.tq", assignment});
        EXPECT_EQ(r.exitCode, kExitUsage) << describe(r);
        EXPECT_TRUE(contains(r.err, "tqctl set: " + why)) << describe(r);
        EXPECT_EQ(r.out, "");
    }
    EXPECT_EQ(readFile(path("bench.tq")), before);
}

// "[7 ...]": 4 hexadecimal integers, 19 IEEE floats, AD temp 1 and Digipot.
const std::string kLine7 =
    "[7 2A 0 3 A5 41C80000 40D00000 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 3F800000 0 5 6]";
// "[6 ...]": 4 integers, 17 decimals and one more value; g_error 9.
const std::string kLine6 = "[6 2B 9 1 0 25.5 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0]";

TEST_F(TqctlFiles, DecodePrintsFieldsAndAlarmOrRuntimeDataInvalid) {
    ChildResult r = tq({"decode", kLine7});
    EXPECT_EQ(r.exitCode, 0) << describe(r);
    for (const char* line :
         {"format = 7\n", "gTsCnt = 42\n", "g_error = 00000000\n", "g_pwm_mode = 03\n",
          "fgtFLAG = A5\n", "fgTc = 25\n", "fgF1Tc = 6.5\n", "F1_curr = 1\n", "F2_curr = 0\n",
          "AD temp 1 = 5\n", "Digipot offset = 6\n", "alarm = 00000000 [ok]\n"})
        EXPECT_TRUE(contains(r.out, line)) << line << r.out;
    EXPECT_EQ(r.out.rfind("format = 7\n", 0), 0u);

    // One after the other: the format-6 line keeps the fan current of the
    // format-7 line before it; alarm bits 0 and 3 show the overload.
    r = tq({"decode", kLine7, kLine6});
    EXPECT_EQ(r.exitCode, 0) << describe(r);
    const std::size_t second = r.out.find("format = 6\n");
    ASSERT_NE(second, std::string::npos) << r.out;
    const std::string tail = r.out.substr(second);
    EXPECT_TRUE(contains(tail, "gTsCnt = 43\n")) << tail;
    EXPECT_TRUE(contains(tail, "fgTc = 25.5\n")) << tail;
    EXPECT_TRUE(contains(tail, "F1_curr = 1\n")) << tail;
    EXPECT_TRUE(contains(tail, "AD temp 1 = 0\n")) << tail;
    EXPECT_TRUE(contains(tail, "alarm = 00000009 [Regulator overload]\n")) << tail;

    // Malformed lines: too few values, a comma, two blanks in the wrong
    // place, an unknown format digit.
    for (const std::string& bad :
         {std::string("[7 1 2]"), std::string("[6,2B,9,1,0,25.5]"), std::string("hello"),
          "[5" + kLine6.substr(2)}) {
        SCOPED_TRACE(bad);
        r = tq({"decode", bad});
        EXPECT_EQ(r.exitCode, 1) << describe(r);
        EXPECT_EQ(r.out, "error - runtime data invalid\n\n");
    }

    // Standard input: CR LF lines, blank lines skipped; one invalid line
    // makes the exit code 1 but the others are still decoded.
    ChildOptions input;
    input.input = kLine7 + "\r\n\r\n[7 1 2]\r\n" + kLine6 + "\n";
    r = tq({"decode"}, input);
    EXPECT_EQ(r.exitCode, 1) << describe(r);
    const std::size_t invalid = r.out.find("error - runtime data invalid\n");
    EXPECT_NE(invalid, std::string::npos) << r.out;
    EXPECT_LT(r.out.find("format = 7\n"), invalid) << r.out;
    EXPECT_GT(r.out.find("format = 6\n"), invalid) << r.out;
    EXPECT_TRUE(contains(r.out, "alarm = 00000009 [Regulator overload]\n")) << r.out;
}

TEST_F(TqctlFiles, HexinfoReportsTheRangeOrNotAValidIntelhexFile) {
    writeFile(path("img.hex"), hexRecord(0, 4, {0, 0}) + "\n" +
                                   hexRecord(0x0400, 0, byteRun(0, 16)) + "\n" +
                                   hexRecord(0x0410, 0, byteRun(16, 16)) + "\r\n" +
                                   hexRecord(0, 1, {}) + "\n");
    ChildResult r = tq({"hexinfo", "img.hex"});
    EXPECT_EQ(r.exitCode, 0) << describe(r);
    EXPECT_EQ(r.out, "Records: 4\nProgram Data 0x0400 - 0x0420,  no config data\n");
    EXPECT_EQ(r.err, "");

    // Configuration data above 0x300000.
    writeFile(path("config.hex"), hexRecord(0x0400, 0, byteRun(0, 8)) + "\n" +
                                      hexRecord(0, 4, {0x00, 0x30}) + "\n" +
                                      hexRecord(0x0000, 0, byteRun(0, 4)) + "\n" +
                                      hexRecord(0, 1, {}) + "\n");
    r = tq({"hexinfo", "config.hex"});
    EXPECT_EQ(r.exitCode, 0) << describe(r);
    EXPECT_EQ(r.out, "Records: 4\nProgram Data 0x0400 - 0x0408,  with config data\n");

    // A refused file: the program's text, then the line and the reason;
    // flash refuses it the same way before it opens any port.
    const std::vector<std::pair<std::string, std::string>> bad = {
        {"checksum.hex", ":0400100012345678D9\n" + hexRecord(0, 1, {}) + "\n"},
        {"noend.hex", hexRecord(0x0400, 0, byteRun(0, 16)) + "\n"},
        {"type3.hex", hexRecord(0x0400, 0, byteRun(0, 16)) + "\n" + hexRecord(0, 3, {0, 0, 0, 0}) + "\n" +
                          hexRecord(0, 1, {}) + "\n"},
        {"text.hex", "this is not a HEX file\n"},
    };
    const std::string reasons[] = {
        "line 1: checksum 0xD9, expected 0xD8",
        "no end-of-file record (:00000001FF) after line 1",
        "line 2: record type 3 (start segment address) is not supported",
        "line 1: does not begin with ':'",
    };
    for (std::size_t i = 0; i < bad.size(); ++i) {
        const auto& [name, content] = bad[i];
        SCOPED_TRACE(name);
        writeFile(path(name), content);
        const std::string error =
            "File error - The file is not a Intelhex file we support: " + reasons[i] + "\n";
        r = tq({"hexinfo", name});
        EXPECT_NE(r.exitCode, 0) << describe(r);
        EXPECT_TRUE(contains(r.out, "\n<not a valid intelhex file>\n")) << r.out;
        EXPECT_EQ(r.out.rfind("Records: ", 0), 0u) << r.out;
        EXPECT_EQ(r.err, error) << describe(r);
        r = tq({"--port", path("no-such-tty").string(), "flash", name});
        EXPECT_EQ(r.exitCode, 1) << describe(r);
        EXPECT_EQ(r.err, error) << describe(r);
    }
    r = tq({"hexinfo", "absent.hex"});
    EXPECT_NE(r.exitCode, 0) << describe(r);
    EXPECT_EQ(r.out, "Records: 0\n<not a valid intelhex file>\n");
    EXPECT_EQ(r.err, "File error - The file is not a Intelhex file we support: No such file or directory\n");
}

}  // namespace
}  // namespace tqtest
