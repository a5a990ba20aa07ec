// The regulator commands against the virtual regulator: version, status,
// the one-shot commands, raw transactions, parameter transfer and the
// firmware update.
#include <cmath>
#include <cstdio>
#include <regex>

#include "json_value.h"
#include "tqctl_fixture.h"

namespace tqtest {
namespace {

using TqctlLink = TqctlTest;

// "A B\n" -> {A, B}; {-1, -1} when the text is not two numbers on a line.
std::pair<int, int> statusNumbers(const std::string& out) {
    int a = -1, b = -1;
    char end = 0;
    if (std::sscanf(out.c_str(), "%d %d%c", &a, &b, &end) != 3 || end != '\n' ||
        out.find('\n') + 1 != out.size())
        return {-1, -1};
    return {a, b};
}

TEST_F(TqctlLink, VersionStatusAndOneShotCommandsPrintTheMessageLine) {
    ChildResult r = simulate({"version"});
    EXPECT_EQ(r.exitCode, 0) << describe(r);
    EXPECT_EQ(r.out, std::string("Get version = ") + kSimVersion + "\n");
    EXPECT_EQ(r.err, "");

    for (const bool clear : {false, true}) {
        r = clear ? simulate({"status", "--clear"}) : simulate({"status"});
        EXPECT_EQ(r.exitCode, 0) << describe(r);
        const auto [a, b] = statusNumbers(r.out);
        EXPECT_GE(a, 0) << describe(r);
        EXPECT_EQ(b, 0) << "a fresh regulator has understood every line\n" << describe(r);
    }

    const std::vector<std::pair<std::string, std::string>> oneShots = {
        {"stop", "Stop regulator"},
        {"start", "Start regulator"},
        {"save-flash", "Save regulator parameters to FLASH"},
        {"load-flash", "Load regulator parameters from FLASH"},
        {"flash-defaults", "Set regulator FLASH to default"},
        {"reboot", "Reboot regulator"},
    };
    for (const auto& [command, message] : oneShots) {
        SCOPED_TRACE(command);
        r = simulate({command});
        EXPECT_EQ(r.exitCode, 0) << describe(r);
        EXPECT_EQ(r.out, message + "\n");
        EXPECT_EQ(r.err, "");
    }
}

TEST_F(TqctlLink, RawResolvesEscapesAndPrintsTheDataLines) {
    ChildResult r = simulate({"raw", "$V\\r"});
    EXPECT_EQ(r.exitCode, 0) << describe(r);
    EXPECT_EQ(r.out, std::string(kSimVersion) + "\n");

    // \x24 is '$'; register 9 (ts) is fixed at 0.05 s.
    r = simulate({"raw", "\\x24R9?\\r"});
    EXPECT_EQ(r.exitCode, 0) << describe(r);
    EXPECT_EQ(r.out, "0.05\n");

    // The boot loader entry answers four lines.
    r = simulate({"raw", "$B\\r\\n", "--lines", "4"});
    EXPECT_EQ(r.exitCode, 0) << describe(r);
    EXPECT_EQ(r.out, "TQ BOOT LOADER\nBAUD AUTO\nBL17 READY\nWAIT CMD\n");

    // Only the echo: nothing printed.
    r = simulate({"raw", "$Q\\r", "--no-data"});
    EXPECT_EQ(r.exitCode, 0) << describe(r);
    EXPECT_EQ(r.out, "");

    // An unknown command is a transaction too; its data line is "ERR".
    r = simulate({"raw", "$Z\\r"});
    EXPECT_EQ(r.exitCode, 0) << describe(r);
    EXPECT_EQ(r.out, "ERR\n");

    // A write has no data line: waiting for one times out (result 4).
    r = simulate({"raw", "$Q\\r"});
    EXPECT_EQ(r.exitCode, 4) << describe(r);
    EXPECT_TRUE(contains(r.err, "Command error - error 4 [Timeout - data msg]")) << describe(r);
}

TEST_F(TqctlLink, StatusCountsLinesNotUnderstoodUntilCleared) {
    startSim();
    ChildResult r = viaPort({"version"});
    ASSERT_EQ(r.exitCode, 0) << describe(r);
    EXPECT_EQ(r.out, std::string("Get version = ") + kSimVersion + "\n");

    r = viaPort({"status"});
    ASSERT_EQ(r.exitCode, 0) << describe(r);
    const auto before = statusNumbers(r.out);
    ASSERT_GE(before.first, 0) << describe(r);

    for (const char* garbage : {"$Z\\r", "hello\\r"}) {
        r = viaPort({"raw", garbage});
        EXPECT_EQ(r.exitCode, 0) << describe(r);
        EXPECT_EQ(r.out, "ERR\n");
    }
    r = viaPort({"status"});
    ASSERT_EQ(r.exitCode, 0) << describe(r);
    const auto counted = statusNumbers(r.out);
    EXPECT_EQ(counted.second, before.second + 2) << describe(r);

    // --clear answers the numbers, then resets them.
    r = viaPort({"status", "--clear"});
    ASSERT_EQ(r.exitCode, 0) << describe(r);
    EXPECT_EQ(statusNumbers(r.out).second, counted.second) << describe(r);
    r = viaPort({"status"});
    ASSERT_EQ(r.exitCode, 0) << describe(r);
    EXPECT_EQ(statusNumbers(r.out).second, 0) << describe(r);
}

TEST_F(TqctlLink, ARegulatorThatDoesNotAnswerInTimeGivesTheErrorLines) {
    // Every reply comes later than the 2 s time-out of a transaction.
    startSim({"--latency", "5000"});
    ChildResult r = viaPort({"version"});
    EXPECT_EQ(r.exitCode, 3) << describe(r);
    EXPECT_EQ(r.out, "Get version = <no respons>\n");
    EXPECT_TRUE(contains(r.err, "Can not connect to regulator board\nPlease check connection "
                                "cable and power, or Firmware version 0.2xx\n"))
        << describe(r);
    EXPECT_TRUE(contains(r.err, "Get version error - error 3 [Timeout - echo msg]\n"))
        << describe(r);

    r = viaPort({"save-flash"});
    EXPECT_EQ(r.exitCode, 3) << describe(r);
    EXPECT_EQ(r.out, "");
    EXPECT_TRUE(contains(r.err,
                         "Save regulator parameters to FLASH error - error 3 [Timeout - echo msg]\n"))
        << describe(r);

    // stop and start wait for no echo: they succeed all the same.
    r = viaPort({"stop"});
    EXPECT_EQ(r.exitCode, 0) << describe(r);
    EXPECT_EQ(r.out, "Stop regulator\n");
}

// The scalar fields; the unsigned ones get integers.
const std::vector<std::string> kUnsignedFields = {"regulatorFlags", "fan1Mode",     "fan2Mode",
                                                  "alarmEnable1",   "alarmEnable2", "aux96",
                                                  "loopHighCount",  "loopLowCount"};
// Not written by a download outside service mode (vInOver, vInUnder) or
// fixed by the regulator (ts).
const std::vector<std::string> kNotDownloaded = {"ts", "vInOver", "vInUnder"};

bool isIn(const std::vector<std::string>& names, const std::string& name) {
    return std::find(names.begin(), names.end(), name) != names.end();
}

JsonValue showJson(const ChildResult& r) {
    EXPECT_EQ(r.exitCode, 0) << describe(r);
    std::string error;
    const auto value = parseJson(r.out, &error);
    EXPECT_TRUE(value.has_value()) << error << "\n" << r.out;
    return value.value_or(JsonValue{});
}

// The field names of a show --json object: the members with a number value
// that are not part of the file header.
std::vector<std::string> scalarNames(const JsonValue& doc) {
    std::vector<std::string> names;
    for (const auto& [name, value] : doc.members)
        if (value.kind == JsonValue::Kind::Number && name != "version")
            names.push_back(name);
    return names;
}

TEST_F(TqctlLink, DownloadThenGetRoundTripsTheTransferredFields) {
    startSim();
    ASSERT_EQ(tq({"new", "sent.tq"}).exitCode, 0);
    const JsonValue defaults = showJson(tq({"show", "sent.tq", "--json"}));
    const std::vector<std::string> names = scalarNames(defaults);
    ASSERT_GE(names.size(), 50u);

    // A distinct value in every downloaded field, so that a swapped register
    // shows up; the values are exact in decimal as well as in IEEE form.
    std::vector<std::string> assignments = {"set", "sent.tq"};
    int i = 0;
    for (const std::string& name : names) {
        if (isIn(kNotDownloaded, name))
            continue;
        ++i;
        char value[32];
        // Within every field's entry range: floats 0.375 .. 10, fan modes 0 .. 5.
        if (name == "fan1Mode" || name == "fan2Mode")
            std::snprintf(value, sizeof value, "%d", i % 6);
        else if (isIn(kUnsignedFields, name))
            std::snprintf(value, sizeof value, "%d", name == "regulatorFlags" ? 0x13 : 10 + i);
        else
            std::snprintf(value, sizeof value, "%g", 0.25 + i * 0.125);
        assignments.push_back(name + "=" + value);
    }
    assignments.push_back("sensor2.select=4");
    assignments.push_back("sensor2.record4.gain=1.25");
    assignments.push_back("sensor2.record4.offset=-0.5");
    ChildResult r = tq(assignments);
    ASSERT_EQ(r.exitCode, 0) << describe(r);
    const JsonValue sent = showJson(tq({"show", "sent.tq", "--json"}));

    // An existing file keeps what is not transferred.
    ASSERT_EQ(tq({"new", "kept.tq"}).exitCode, 0);
    r = tq({"set", "kept.tq", "notes=bench 7", "channel3.max=80", "sensor2.record5.gain=1.5"});
    ASSERT_EQ(r.exitCode, 0) << describe(r);

    // A file without a graph block stays without one.
    ASSERT_EQ(tq({"new", "noblock.tq"}).exitCode, 0);
    writeFile(path("noblock.tq"), withoutGraphBlock(readFile(path("noblock.tq"))));
    ASSERT_FALSE(showJson(tq({"show", "noblock.tq", "--json"}))["graphBlock"].boolean);

    for (const char* ieee : {"1", "0"}) {
        SCOPED_TRACE(std::string("--ieee ") + ieee);
        r = viaPort({"download", "sent.tq", "--ieee", ieee});
        ASSERT_EQ(r.exitCode, 0) << describe(r);
        EXPECT_EQ(r.out, " Download parameters to regulator\n Write parameter -- done\n");

        const std::string fresh = std::string("fresh") + ieee + ".tq";
        for (const std::string& target : {fresh, std::string("kept.tq"), std::string("noblock.tq")}) {
            SCOPED_TRACE(target);
            r = viaPort({"get", target, "--ieee", ieee});
            ASSERT_EQ(r.exitCode, 0) << describe(r);
            EXPECT_EQ(r.out, " Get parameters from regulator\n Reading parameters -- done.\n" +
                                 target + " written\n");
            const JsonValue got = showJson(tq({"show", target, "--json"}));
            for (const std::string& name : names) {
                if (isIn(kNotDownloaded, name))
                    continue;
                EXPECT_EQ(got[name].number, sent[name].number) << name;
            }
            EXPECT_FLOAT_EQ(static_cast<float>(got["ts"].number), 0.05f)
                << "ts is read back as the regulator's";
            // The sensors come back as the first record of each slot.
            const JsonValue& sensor2 = got["sensor2"];
            EXPECT_EQ(sensor2["select"].number, 0);
            EXPECT_EQ(sensor2["records"][0]["name"].text, "New upload");
            EXPECT_EQ(sensor2["records"][0]["type"].number, 16);
            EXPECT_EQ(sensor2["records"][0]["gain"].number, 1.25);
            EXPECT_EQ(sensor2["records"][0]["offset"].number, -0.5);
            EXPECT_EQ(sensor2["records"][0]["d"][2].number,
                      sent["sensor2"]["records"][4]["d"][2].number);
            // Sensor 1 (an NTC): the resistances exactly, the temperatures
            // recomputed from the coefficients.
            const JsonValue& mine = got["sensor1"]["records"][0];
            const JsonValue& theirs =
                sent["sensor1"]["records"][static_cast<std::size_t>(sent["sensor1"]["select"].number)];
            for (std::size_t k = 0; k < 6; ++k) {
                if (k % 2 == 1)
                    EXPECT_EQ(mine["d"][k].number, theirs["d"][k].number) << "d" << k;
                else
                    EXPECT_NEAR(mine["d"][k].number, theirs["d"][k].number, 0.05) << "d" << k;
            }
            const bool block = target != "noblock.tq";
            EXPECT_EQ(got["graphBlock"].boolean, block);
            EXPECT_EQ(contains(readFile(path(target)), kGraphBlockTag), block);
            if (target == "kept.tq") {
                EXPECT_EQ(got["notes"].text, "bench 7");
                EXPECT_EQ(got["channels"][3]["max"].number, 80);
                EXPECT_EQ(sensor2["records"][5]["gain"].number, 1.5);
            } else {
                EXPECT_EQ(got["notes"].text, defaults["notes"].text);
            }
        }
    }
}

TEST_F(TqctlLink, OnlyAServiceDownloadWritesTheInputVoltageLimits) {
    startSim();
    ASSERT_EQ(tq({"new", "a.tq"}).exitCode, 0);
    ASSERT_EQ(tq({"set", "a.tq", "vInOver=14.5", "vInUnder=6.5"}).exitCode, 0);
    ChildResult r = viaPort({"download", "a.tq", "--service"});
    ASSERT_EQ(r.exitCode, 0) << describe(r);
    ASSERT_EQ(tq({"set", "a.tq", "vInOver=15.5", "vInUnder=5.5", "st1=12"}).exitCode, 0);
    r = viaPort({"download", "a.tq"});
    ASSERT_EQ(r.exitCode, 0) << describe(r);
    r = viaPort({"get", "b.tq"});
    ASSERT_EQ(r.exitCode, 0) << describe(r);
    const JsonValue got = showJson(tq({"show", "b.tq", "--json"}));
    EXPECT_EQ(got["st1"].number, 12);
    EXPECT_EQ(got["vInOver"].number, 14.5);
    EXPECT_EQ(got["vInUnder"].number, 6.5);
}

std::string smallImage() {
    return hexRecord(0, 4, {0, 0}) + "\n" + hexRecord(0x0400, 0, byteRun(0, 16)) + "\n" +
           hexRecord(0x0410, 0, byteRun(16, 16)) + "\n" + hexRecord(0, 1, {}) + "\n";
}

TEST_F(TqctlLink, FlashWritesAGeneratedImageAndStartsTheProgram) {
    writeFile(path("img.hex"), smallImage());
    ChildResult r = simulate({"flash", "img.hex"});
    EXPECT_EQ(r.exitCode, 0) << describe(r);
    const std::vector<std::string> lines = splitLines(r.out);
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.front(), "Program Data 0x0400 - 0x0420,  no config data");
    EXPECT_TRUE(contains(r.out, "with id 2A3")) << r.out;
    EXPECT_TRUE(contains(r.out, " Writing at 000400")) << r.out;
    EXPECT_TRUE(contains(r.out, "Image written, user program started\n")) << r.out;
    EXPECT_FALSE(contains(r.out, "\033")) << "no progress bar without a terminal";

    // On a terminal the status shares one line with a progress bar.
    ChildOptions terminal;
    terminal.stdoutTerminal = true;
    r = simulate({"flash", "img.hex"}, terminal);
    EXPECT_EQ(r.exitCode, 0) << describe(r);
    EXPECT_TRUE(std::regex_search(r.out, std::regex(R"(\r\x1b\[K\[#{40}\] 4/4 records, \d+ s )")))
        << r.out;
    EXPECT_TRUE(contains(r.out, "Image written, user program started\n")) << r.out;

    r = simulate({"board-id"});
    EXPECT_EQ(r.exitCode, 0) << describe(r);
    EXPECT_TRUE(contains(r.out, "with id 2A3")) << r.out;

    // Against a separate regulator: afterwards it runs its program again.
    startSim();
    r = viaPort({"flash", "img.hex", "--search"});
    EXPECT_EQ(r.exitCode, 0) << describe(r);
    EXPECT_TRUE(contains(r.out, "Image written, user program started\n")) << r.out;
    r = viaPort({"version"});
    EXPECT_EQ(r.exitCode, 0) << describe(r);
    EXPECT_EQ(r.out, std::string("Get version = ") + kSimVersion + "\n");

    // An image that is not valid is refused before the port is touched.
    writeFile(path("bad.hex"), hexRecord(0x0400, 0, byteRun(0, 16)) + "\n");
    r = simulate({"flash", "bad.hex"});
    EXPECT_NE(r.exitCode, 0) << describe(r);
    EXPECT_EQ(r.out, "<not a valid intelhex file>\n");
    EXPECT_TRUE(contains(r.err, "File error - The file is not a Intelhex file we support"))
        << describe(r);
}

}  // namespace
}  // namespace tqtest
