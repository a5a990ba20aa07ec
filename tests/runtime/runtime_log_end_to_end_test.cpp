// The whole runtime path against the virtual regulator: stream, serial
// worker, decoder, fan-out and log file; every row must read back to the
// values of a line the regulator sent.
#ifdef TQ_HAVE_SIM

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <sstream>
#include <thread>

#include <gtest/gtest.h>

#include "link/serial_manager.h"
#include "recording_sink.h"
#include "runtime/runtime_decoder.h"
#include "runtime/runtime_fan_out.h"
#include "runtime/runtime_log.h"
#include "runtime/runtime_ticker.h"
#include "sim/virtual_regulator.h"

namespace fs = std::filesystem;

namespace {

std::vector<std::vector<std::string>> readRows(const fs::path& path)
{
    std::vector<std::vector<std::string>> rows;
    std::ifstream in(path);
    for (std::string line; std::getline(in, line);) {
        if (line.empty() || !std::isdigit(static_cast<unsigned char>(line[0]))) continue;
        std::vector<std::string> cells;
        std::istringstream cellsIn(line);
        for (std::string cell; std::getline(cellsIn, cell, '\t');) cells.push_back(cell);
        rows.push_back(cells);
    }
    return rows;
}

void expectRowMatches(const std::vector<std::string>& row, const RuntimeSample& s, int index)
{
    ASSERT_EQ(row.size(), 23u) << "row " << index;
    EXPECT_EQ(std::stol(row[0]), static_cast<std::int32_t>(s.gTsCnt)) << "row " << index;
    EXPECT_EQ(std::stoul(row[1], nullptr, 16), s.g_error) << "row " << index;
    EXPECT_EQ(std::stoul(row[2], nullptr, 16), s.g_pwm_mode) << "row " << index;
    EXPECT_EQ(std::stoul(row[3], nullptr, 16), s.fgtFLAG) << "row " << index;
    const float reals[] = {s.fgTc,  s.fgF1Tc, s.fgF2Tc, s.fgTa1, s.fgTa2,  s.fgTa3, s.fgTa4,
                           s.fgTrExt, s.fgTr, s.frTa,  s.frTe,  s.frTp,   s.frTi,  s.frTd,
                           s.frTLPr, s.g_vin, s.g_curr};
    const double halfStep[] = {0.05,   0.05,   0.05,   5e-4,   5e-4,   5e-4,
                               5e-4,   5e-4,   5e-4,   5e-5,   5e-5,   5e-5,
                               5e-5,   5e-5,   5e-5,   5e-4,   5e-4};
    for (int i = 0; i < 17; ++i) {
        const double written = std::strtod(row[4 + i].c_str(), nullptr);
        EXPECT_NEAR(written, reals[i], halfStep[i] * 1.001 + 1e-6 * std::fabs(reals[i]))
            << "row " << index << " column " << 4 + i;
    }
    EXPECT_EQ(std::stol(row[21]), s.adTemp1) << "row " << index;
    EXPECT_EQ(std::stol(row[22]), s.digipotOffset) << "row " << index;
}

}  // namespace

TEST(RuntimeEndToEnd, LogOfTheVirtualRegulatorReadsBackToTheSentLines)
{
    sim::VirtualRegulator regulator;
    std::string error;
    ASSERT_TRUE(regulator.start(&error)) << error;
    SerialManager link;
    ASSERT_EQ(link.open(regulator.slavePath(), 115200), Ok);
    link.autoSendOff();
    std::string version;
    ASSERT_EQ(link.getVersion(version), Ok);

    const fs::path dir = fs::temp_directory_path() / ("tq_e2e_" + std::to_string(::getpid()));
    fs::create_directories(dir);
    RuntimeLog everySample;
    RuntimeLog everyTwentieth;
    ASSERT_TRUE(everySample.start((dir / "all.txt").string(), version, LogSettings{0, false}));
    ASSERT_TRUE(everyTwentieth.start((dir / "slow").string(), version, LogSettings{2, false}));
    RecordingSink panel;
    RecordingSink otherPanel;
    RuntimeFanOut fanOut(panel, &everySample);
    RuntimeFanOut slowFanOut(otherPanel, &everyTwentieth);

    std::mutex linesMutex;
    std::vector<std::string> lines;
    link.setNotify([&](int kind, int length, const char* text) {
        if (kind == SerialManager::kNotifyRuntimeLine) {
            std::lock_guard lock(linesMutex);
            lines.emplace_back(text);
        }
        fanOut.onNotify(kind, length, text);
        slowFanOut.onNotify(kind, length, text);
    });
    // The display timers run on their own thread, as the window's do.
    RuntimeTicker ticker(fanOut);
    ticker.start();
    // Both formats, one after the other, as the stream-start command asks.
    ASSERT_EQ(link.autoSend(7), Ok);
    std::this_thread::sleep_for(std::chrono::milliseconds(1500));
    ASSERT_EQ(link.autoSend(6), Ok);
    std::this_thread::sleep_for(std::chrono::milliseconds(1500));
    link.autoSendOff();
    ticker.stop();
    link.close();  // joins the worker: the tap and the logs are complete
    link.setNotify(SerialManager::ClientNotify{});
    everySample.stop();
    everyTwentieth.stop();

    // Decode the tapped lines the way the fan-out did.
    std::vector<RuntimeSample> sent;
    bool sawDecimal = false;
    RuntimeSample current;
    for (const std::string& line : lines) {
        const auto format = decodeRuntimeLine(line.c_str(), current);
        if (!format) continue;
        sawDecimal = sawDecimal || *format == RuntimeFormat::Decimal;
        sent.push_back(current);
    }
    EXPECT_TRUE(sawDecimal);
    // The panel followed the stream at the refresh rate, not per line.
    EXPECT_FALSE(panel.statuses.empty());
    EXPECT_LT(panel.statuses.size(), sent.size());
    EXPECT_FALSE(panel.graphs.empty());
    ASSERT_GE(sent.size(), 20u);  // some 60 lines at 20 a second

    const auto rows = readRows(dir / "all.txt");
    ASSERT_EQ(rows.size(), sent.size());
    for (std::size_t i = 0; i < rows.size(); ++i)
        expectRowMatches(rows[i], sent[i], static_cast<int>(i));

    const auto slowRows = readRows(dir / "slow.txt");
    ASSERT_EQ(slowRows.size(), sent.size() / 20);
    for (std::size_t i = 0; i < slowRows.size(); ++i)
        expectRowMatches(slowRows[i], sent[20 * i + 19], static_cast<int>(i));

    std::ifstream header(dir / "all.txt");
    std::string line;
    std::getline(header, line);
    std::getline(header, line);
    std::getline(header, line);
    std::getline(header, line);
    EXPECT_EQ(line, "Target version = [" + version + "]");
    fs::remove_all(dir);
}

#endif  // TQ_HAVE_SIM
