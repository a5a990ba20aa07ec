// The stream commands: log writes a tab-separated file, monitor prints the
// status panel as plain lines when its output is not a terminal.
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <bit>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <map>
#include <regex>

#include "tqctl_fixture.h"

namespace tqtest {
namespace {

using TqctlStream = TqctlTest;

constexpr char kRule[] = "--------------------------------------------------";
const std::vector<std::string> kColumns = {
    "gTsCnt", "g_error", "g_pwm_mode", "fgtFLAG", "fgTc",  "fgF1Tc",   "fgF2Tc",    "fgTa1",
    "fgTa2",  "fgTa3",   "fgTa4",      "fgTrExt", "fgTr",  "frTa",     "frTe",      "frTp",
    "frTi",   "frTd",    "frTLPr",     "g_vin",   "g_curr", "AD temp 1", "Digipot offset"};

std::string joined(const std::vector<std::string>& parts, char separator) {
    std::string out;
    for (std::size_t i = 0; i < parts.size(); ++i) out += (i ? std::string(1, separator) : "") + parts[i];
    return out;
}

// Checks a finished log file; returns its row count.
int checkLogFile(const std::string& text, const std::string& targetVersion) {
    const std::vector<std::string> lines = splitLines(text);
    EXPECT_GE(lines.size(), 10u) << text;
    if (lines.size() < 10)
        return -1;
    const std::regex stamp(R"(\d\d/\d\d/\d\d : \d\d:\d\d:\d\d)");
    EXPECT_EQ(lines[0], kRule);
    EXPECT_EQ(lines[1].rfind("START LOGG - ", 0), 0u) << lines[1];
    EXPECT_TRUE(std::regex_match(lines[1].substr(13), stamp)) << lines[1];
    EXPECT_EQ(lines[2].rfind("Software version = [", 0), 0u) << lines[2];
    EXPECT_EQ(lines[2].back(), ']') << lines[2];
    EXPECT_EQ(lines[3], "Target version = [" + targetVersion + "]");
    EXPECT_EQ(lines[4], kRule);
    EXPECT_EQ(lines[5], joined(kColumns, '\t'));

    // The footer: rule, stop line, rule, an empty line.
    const std::size_t n = lines.size();
    EXPECT_EQ(lines[n - 4], kRule);
    EXPECT_EQ(lines[n - 3].rfind("STOP LOGG - ", 0), 0u) << lines[n - 3];
    EXPECT_TRUE(std::regex_match(lines[n - 3].substr(12), stamp)) << lines[n - 3];
    EXPECT_EQ(lines[n - 2], kRule);
    EXPECT_EQ(lines[n - 1], "");
    EXPECT_EQ(text.substr(text.size() - 2), "\n\n");

    const std::regex decimal(R"(-?\d+\.\d+)");
    long previousCount = -1;
    int rows = 0;
    for (std::size_t i = 6; i + 4 < n; ++i, ++rows) {
        const std::vector<std::string> fields = splitOn(lines[i], '\t');
        EXPECT_EQ(fields.size(), kColumns.size()) << "row " << rows << ": " << lines[i];
        if (fields.size() != kColumns.size())
            continue;
        // The sample counter goes up from row to row.
        const long count = std::stol(fields[0]);
        EXPECT_GT(count, previousCount) << lines[i];
        previousCount = count;
        EXPECT_EQ(fields[1].size(), 4u) << lines[i];
        EXPECT_EQ(fields[2].size(), 2u) << lines[i];
        for (std::size_t f = 4; f <= 20; ++f)
            EXPECT_TRUE(std::regex_match(fields[f], decimal)) << kColumns[f] << " " << lines[i];
        EXPECT_EQ(fields[4].size() - fields[4].find('.'), 2u) << "fgTc has one decimal";
        EXPECT_EQ(fields[13].size() - fields[13].find('.'), 5u) << "frTa has four decimals";
    }
    return rows;
}

// Opens the port as a client and reads for up to `seconds`; true as soon as
// a runtime line ("[6 ..." or "[7 ...") comes in.
bool runtimeLinesArrive(const std::filesystem::path& port, double seconds) {
    const int fd = ::open(port.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    EXPECT_GE(fd, 0) << port;
    if (fd < 0)
        return false;
    termios tio{};
    if (tcgetattr(fd, &tio) == 0) {
        cfmakeraw(&tio);
        tcsetattr(fd, TCSANOW, &tio);
    }
    const auto end = std::chrono::steady_clock::now() +
                     std::chrono::milliseconds(static_cast<long>(seconds * 1000));
    std::string seen;
    bool found = false;
    while (!found && std::chrono::steady_clock::now() < end) {
        pollfd p{fd, POLLIN, 0};
        if (poll(&p, 1, 50) <= 0)
            continue;
        char buffer[512];
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got > 0)
            seen.append(buffer, static_cast<std::size_t>(got));
        found = contains(seen, "[7 ") || contains(seen, "[6 ");
    }
    ::close(fd);
    return found;
}

TEST_F(TqctlStream, LogWritesHeaderRowsAndFooter) {
    ChildResult r = simulate({"log", "run1", "--seconds", "2"});
    ASSERT_EQ(r.exitCode, 0) << describe(r);
    ASSERT_TRUE(std::filesystem::exists(path("run1.txt"))) << "the default extension is .txt";
    const int rows = checkLogFile(readFile(path("run1.txt")), kSimVersion);
    EXPECT_GT(rows, 0);
    const std::vector<std::string> out = splitLines(r.out);
    ASSERT_GE(out.size(), 4u) << r.out;
    EXPECT_EQ(out[0], std::string("Get version = ") + kSimVersion);
    EXPECT_EQ(out[1], "Open logg file...");
    EXPECT_EQ(out[2], "Stop log file");
    EXPECT_EQ(out[3], std::to_string(rows) + " rows in run1.txt");

    // Against a separate regulator, a chosen extension is kept.
    startSim({"--format", "7"});
    r = viaPort({"log", "bench.csv", "--seconds", "2", "--rate", "1"});
    ASSERT_EQ(r.exitCode, 0) << describe(r);
    ASSERT_TRUE(std::filesystem::exists(path("bench.csv")));
    EXPECT_FALSE(std::filesystem::exists(path("bench.csv.txt")));
    const int halfRows = checkLogFile(readFile(path("bench.csv")), kSimVersion);
    EXPECT_GT(halfRows, 0);
    EXPECT_TRUE(contains(r.out, std::to_string(halfRows) + " rows in bench.csv\n")) << r.out;
}

// Rows of a finished log (between the column line and the footer), split
// into their cells.
std::vector<std::vector<std::string>> logRows(const std::string& text) {
    const std::vector<std::string> lines = splitLines(text);
    std::vector<std::vector<std::string>> rows;
    for (std::size_t i = 6; i + 4 < lines.size(); ++i)
        rows.push_back(splitOn(lines[i], '\t'));
    return rows;
}

// The runtime lines the regulator sent ("[7 v1 ... v25]"), by sample counter.
std::map<unsigned long, std::vector<std::uint32_t>> sentLines(const std::string& text) {
    std::map<unsigned long, std::vector<std::uint32_t>> sent;
    for (std::string line : splitLines(text)) {
        if (line.size() < 4 || line.rfind("[7 ", 0) != 0 || line.back() != ']')
            continue;
        std::vector<std::uint32_t> values;
        for (const std::string& v : splitOn(line.substr(3, line.size() - 4), ' '))
            values.push_back(static_cast<std::uint32_t>(std::stoul(v, nullptr, 16)));
        if (values.size() == 25)
            sent[values[0]] = values;
    }
    return sent;
}

// One log row against the line it came from: counter and words exactly,
// every real to the decimals the row prints.
void expectRowFromLine(const std::vector<std::string>& row, const std::vector<std::uint32_t>& v) {
    ASSERT_EQ(row.size(), kColumns.size());
    EXPECT_EQ(std::stoul(row[0]), v[0]);
    EXPECT_EQ(std::stoul(row[1], nullptr, 16), v[1]);
    EXPECT_EQ(std::stoul(row[2], nullptr, 16), v[2] & 0xFF);
    EXPECT_EQ(std::stoul(row[3], nullptr, 16), v[3] & 0xFF);
    for (std::size_t f = 4; f <= 20; ++f) {
        const float sent = std::bit_cast<float>(v[f]);
        const std::size_t dot = row[f].find('.');
        const int decimals = dot == std::string::npos ? 0 : static_cast<int>(row[f].size() - dot - 1);
        EXPECT_NEAR(std::stod(row[f]), sent, 0.51 * std::pow(10.0, -decimals) + 1e-6 * std::fabs(sent))
            << kColumns[f] << " of sample " << v[0];
    }
    EXPECT_EQ(std::stol(row[21]), static_cast<std::int32_t>(v[23])) << "AD temp 1";
    EXPECT_EQ(std::stol(row[22]), static_cast<std::int32_t>(v[24])) << "Digipot offset";
}

TEST_F(TqctlStream, LogRowsFollowTheSampleRateAndReadBackToTheSentLines) {
    startSim({"--transcript", path("sent.txt").string()});
    ChildResult r = viaPort({"log", "all.txt", "--seconds", "3"});
    ASSERT_EQ(r.exitCode, 0) << describe(r);
    ASSERT_GT(checkLogFile(readFile(path("all.txt")), kSimVersion), 0);
    const auto rows = logRows(readFile(path("all.txt")));
    const auto sent = sentLines(readFile(path("sent.txt")));
    ASSERT_GE(rows.size(), 2u);
    // 20 samples a second: the counter spans about 60 samples in 3 s, and
    // every sample in that span has its row.
    const unsigned long first = std::stoul(rows.front()[0]);
    const unsigned long span = std::stoul(rows.back()[0]) - first + 1;
    EXPECT_GE(span, 45u);
    EXPECT_LE(span, 75u);
    EXPECT_GE(rows.size() * 10, span * 9) << rows.size() << " rows over " << span << " samples";
    for (const auto& row : rows) {
        const auto line = sent.find(std::stoul(row[0]));
        ASSERT_NE(line, sent.end()) << "row " << row[0] << " was never sent";
        expectRowFromLine(row, line->second);
    }

    // Rate 1 keeps every second sample.
    r = viaPort({"log", "half.txt", "--seconds", "3", "--rate", "1"});
    ASSERT_EQ(r.exitCode, 0) << describe(r);
    const auto half = logRows(readFile(path("half.txt")));
    const auto sentNow = sentLines(readFile(path("sent.txt")));
    ASSERT_GE(half.size(), 2u);
    const unsigned long halfSpan = std::stoul(half.back()[0]) - std::stoul(half.front()[0]) + 1;
    EXPECT_NEAR(static_cast<double>(half.size()), halfSpan / 2.0, 2.0 + halfSpan / 10.0);
    for (const auto& row : half) {
        const auto line = sentNow.find(std::stoul(row[0]));
        ASSERT_NE(line, sentNow.end()) << "row " << row[0] << " was never sent";
        expectRowFromLine(row, line->second);
    }
}

TEST_F(TqctlStream, LogStopsTheStreamOnExit) {
    startSim({"--format", "7"});
    // Three times: the stream must be off after every log, not only when
    // the last command happens to get through before the port closes.
    for (int run = 1; run <= 3; ++run) {
        SCOPED_TRACE("run " + std::to_string(run));
        ASSERT_TRUE(runtimeLinesArrive(link_, 5.0)) << "the regulator streams";
        const ChildResult r =
            viaPort({"log", "run" + std::to_string(run), "--seconds", "1"});
        ASSERT_EQ(r.exitCode, 0) << describe(r);
        EXPECT_FALSE(runtimeLinesArrive(link_, 1.0)) << "log sends \"$A\" when it ends";
        // Streaming again for the next run.
        ASSERT_EQ(viaPort({"raw", "$A7\\r", "--no-data"}).exitCode, 0);
    }
}

TEST_F(TqctlStream, MonitorPrintsPlainLinesWithTheVersion) {
    const ChildResult r = simulate({"monitor", "--seconds", "2"});
    ASSERT_EQ(r.exitCode, 0) << describe(r);
    EXPECT_FALSE(contains(r.out, "\033")) << "no screen control without a terminal";
    const std::vector<std::string> lines = splitLines(r.out);
    ASSERT_FALSE(lines.empty()) << describe(r);
    const std::string withVersion = std::string("version=") + kSimVersion + " status=";
    bool sawData = false;
    for (const std::string& line : lines) {
        EXPECT_EQ(line.rfind("version=", 0), 0u) << line;
        if (line.rfind(withVersion, 0) != 0)
            continue;
        // Every panel field by name, in order (the fan currents only in
        // service mode).
        std::size_t at = 0;
        for (const char* field : {" Main=", " Fan1=", " Fan2=", " I(main)=", " Uext.ctrl=",
                                  " Uin=", " T1=", " T2=", " T3=", " T4=", " Sp1=", " Tr1="}) {
            const std::size_t next = line.find(field, at);
            EXPECT_NE(next, std::string::npos) << field << " in " << line;
            at = next == std::string::npos ? at : next;
        }
        EXPECT_FALSE(contains(line, " FAN1=")) << line;
        sawData = sawData || !contains(line, " T1=--");
    }
    EXPECT_TRUE(contains(r.out, withVersion)) << r.out;
    EXPECT_TRUE(sawData) << "some line shows measured values\n" << r.out;

    // Service mode adds the fan currents; Fahrenheit changes the values.
    const ChildResult service =
        simulate({"monitor", "--seconds", "1", "--service", "--fahrenheit"});
    ASSERT_EQ(service.exitCode, 0) << describe(service);
    EXPECT_TRUE(contains(service.out, " FAN1=")) << service.out;
    EXPECT_TRUE(contains(service.out, " FAN2=")) << service.out;
    EXPECT_TRUE(contains(service.out, withVersion)) << service.out;
}

// --simulate is a board after power-on, which does not regulate: the
// commands that watch it say so and point at --demo, which does.
TEST_F(TqctlStream, SimulateSaysItIdlesAndDemoRegulates) {
    ChildResult r = simulate({"monitor", "--seconds", "1"});
    ASSERT_EQ(r.exitCode, 0) << describe(r);
    EXPECT_TRUE(contains(r.err, "the values stay where they are")) << r.err;
    EXPECT_TRUE(contains(r.err, "tqctl --demo monitor\n")) << r.err;
    r = simulate({"log", "idle.txt", "--seconds", "1"});
    ASSERT_EQ(r.exitCode, 0) << describe(r);
    EXPECT_TRUE(contains(r.err, "tqctl --demo log\n")) << r.err;

    // Five times faster: the start-up delay is over within a second.
    r = tq({"--demo", "--sim-speed", "5", "monitor", "--seconds", "3"});
    ASSERT_EQ(r.exitCode, 0) << describe(r);
    EXPECT_EQ(r.err, "");
    bool driven = false;
    for (const std::string& line : splitLines(r.out)) {
        const std::size_t at = line.find(" Main=");
        if (at == std::string::npos) continue;
        const std::string main = line.substr(at + 6, line.find(' ', at + 1) - at - 6);
        driven = driven || (main != "0" && main != "--");
    }
    EXPECT_TRUE(driven) << "the demo drives its output\n" << r.out;
}

TEST_F(TqctlStream, MonitorOnATerminalRedrawsThePanelInPlace) {
    ChildOptions terminal;
    terminal.stdoutTerminal = true;
    const ChildResult r = simulate({"monitor", "--seconds", "2", "--fahrenheit"}, terminal);
    ASSERT_EQ(r.exitCode, 0) << describe(r);
    EXPECT_EQ(r.out.rfind("\033[2J", 0), 0u) << "the screen is cleared first";
    EXPECT_TRUE(contains(r.out, std::string("\033[HVersion   ") + kSimVersion)) << r.out;
    EXPECT_TRUE(contains(r.out, "\nStatus    ")) << r.out;
    EXPECT_TRUE(contains(r.out, "\nMain      ")) << r.out;
    EXPECT_TRUE(contains(r.out, "\nT1        ")) << r.out;
    EXPECT_TRUE(contains(r.out, "\xC2\xB0" "F")) << r.out;
    EXPECT_FALSE(contains(r.out, "version=")) << "no plain lines on a terminal";
    EXPECT_EQ(r.out.back(), '\n');
}

TEST_F(TqctlStream, MonitorStopsTheStreamOnExit) {
    const std::string withVersion = std::string("version=") + kSimVersion + " status=";
    startSim();
    const ChildResult viaLink = viaPort({"monitor", "--seconds", "1", "--format", "6"});
    ASSERT_EQ(viaLink.exitCode, 0) << describe(viaLink);
    EXPECT_TRUE(contains(viaLink.out, withVersion)) << viaLink.out;
    EXPECT_FALSE(runtimeLinesArrive(link_, 1.0)) << "monitor sends \"$A\" on exit";
}

}  // namespace
}  // namespace tqtest
