// Reading runtime logs back: blocks, counters, a file cut short, rows that
// do not read, and the figures of a step response.
#include <cmath>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <string>

#include <gtest/gtest.h>

#include "runtime/log_format.h"
#include "runtime/log_reader.h"
#include "runtime/log_series.h"
#include "runtime/step_response.h"

#ifdef TQ_HAVE_SIM
#include "sim/board_model.h"
#include "sim/register_bank.h"
#endif

namespace {

std::tm clockAt(int hour, int minute, int second) {
    std::tm tm{};
    tm.tm_year = 126;  // 2026
    tm.tm_mon = 11;
    tm.tm_mday = 8;
    tm.tm_hour = hour;
    tm.tm_min = minute;
    tm.tm_sec = second;
    tm.tm_isdst = -1;
    return tm;
}

RuntimeSample sampleAt(std::uint32_t counter, float tr1, float sp1 = 25.0f, std::uint32_t status = 0) {
    RuntimeSample s;
    s.gTsCnt = counter;
    s.g_error = status;
    s.frTa = tr1;
    s.fgTr = sp1;
    s.fgTa1 = tr1 + 0.5f;
    s.g_vin = 12.0f;
    s.adTemp1 = -17;
    s.digipotOffset = 128;
    return s;
}

// A log as the program writes it: one block of `rows` samples from `first`.
std::string block(std::uint32_t first, int rows, std::tm start, bool stop = true, int step = 1) {
    std::string text = logHeader(start, "TQ-REG V0.215 virtual");
    for (int i = 0; i < rows; ++i) text += logRow(sampleAt(first + i * step, 20.0f + i * 0.01f));
    if (stop) {
        std::tm end = start;
        end.tm_sec += rows / 20;
        std::mktime(&end);
        text += logFooter(end);
    }
    return text;
}

LogData read(const std::string& text) {
    LogReadResult r = readLogText(text.data(), text.size());
    EXPECT_TRUE(r.ok) << r.error;
    return std::move(r.data);
}

}  // namespace

TEST(LogReader, ReadsBlocksWithTheirClockAndEveryValue) {
    const std::string text = block(1000, 40, clockAt(10, 0, 0)) + block(5, 10, clockAt(10, 5, 0));
    const LogData log = read(text);
    ASSERT_EQ(log.rowCount(), 50u);
    ASSERT_EQ(log.blocks().size(), 2u);
    EXPECT_EQ(log.badRows(), 0u);
    EXPECT_FALSE(log.truncated());
    EXPECT_TRUE(log.blocks()[0].stopped);
    EXPECT_EQ(log.blocks()[0].targetVersion, "TQ-REG V0.215 virtual");
    EXPECT_EQ(log.blocks()[1].firstRow, 40u);
    // Time from the counter at 20 lines/s; the second block 300 s after the first.
    EXPECT_DOUBLE_EQ(log.seconds(39), 39 / 20.0);
    EXPECT_DOUBLE_EQ(log.seconds(40), 300.0);
    EXPECT_DOUBLE_EQ(log.seconds(49), 300.45);
    std::tm start = clockAt(10, 5, 0);
    EXPECT_DOUBLE_EQ(log.clockSeconds(41), static_cast<double>(std::mktime(&start)) + 0.05);
    EXPECT_EQ(isoLocalTime(log.clockSeconds(41)), "2026-12-08T10:05:00.050");
    // Every column reads back to what was written.
    const RuntimeSample s = log.sample(7);
    EXPECT_EQ(s.gTsCnt, 1007u);
    EXPECT_NEAR(s.frTa, 20.07f, 5e-5);
    EXPECT_NEAR(s.fgTa1, 20.57f, 5e-4);
    EXPECT_FLOAT_EQ(s.fgTr, 25.0f);
    EXPECT_EQ(s.adTemp1, -17);
    EXPECT_EQ(s.digipotOffset, 128);
    EXPECT_EQ(log.rowAtOrAfter(300.0), 40u);
    EXPECT_EQ(log.rowAtOrAfter(1.01), 21u);
}

TEST(LogReader, DecimatedRowsKeepTheirCounterGapsAndARestartOpensABlock) {
    // One START, counter every 20th sample, then the regulator restarts at 3.
    std::string text = logHeader(clockAt(8, 0, 0), "v");
    for (int i = 0; i < 5; ++i) text += logRow(sampleAt(100 + 20 * i, 20));
    for (int i = 0; i < 3; ++i) text += logRow(sampleAt(3 + i, 20));
    const LogData log = read(text);
    ASSERT_EQ(log.blocks().size(), 2u);
    EXPECT_DOUBLE_EQ(log.seconds(4), 4.0);          // 80 counts later
    EXPECT_DOUBLE_EQ(log.seconds(5), 4.05);         // continues right after the last row
    EXPECT_TRUE(log.blocks()[1].clockKnown);
    EXPECT_TRUE(log.truncated());                   // no STOP line
}

TEST(LogReader, AFileCutMidRowAndEditedRowsAreCountedNotRefused) {
    std::string text = block(0, 30, clockAt(9, 0, 0));
    // An edited row in the middle: a letter where a number belongs.
    const std::size_t row12 = text.find("00000012\t");
    text.replace(text.find('\t', row12 + 20) + 1, 1, "x");
    // A crash: the last row of a second block ends half-way.
    std::string second = block(500, 10, clockAt(9, 10, 0), false);
    second.resize(second.size() - 40);
    const LogData log = read(text + second);
    EXPECT_EQ(log.rowCount(), 29u + 9u);
    EXPECT_EQ(log.badRows(), 2u);
    ASSERT_EQ(log.badRowLines().size(), 2u);
    EXPECT_EQ(log.badRowLines()[0], 6u + 13u);     // six header lines, then row 13
    EXPECT_TRUE(log.truncated());
    EXPECT_EQ(log.blocks().size(), 2u);
    EXPECT_EQ(log.counter(28), 29u);
}

TEST(LogReader, RefusesWhatIsNoLogAndReadsFilesFromDisk) {
    const std::string junk = "hello\nworld\n";
    EXPECT_FALSE(readLogText(junk.data(), junk.size()).ok);
    const auto dir = std::filesystem::temp_directory_path() / ("tq-log-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    EXPECT_FALSE(readLogFile(dir.string()).ok);                 // a directory
    EXPECT_FALSE(readLogFile((dir / "missing.txt").string()).ok);
    const std::string text = block(0, 2000, clockAt(11, 0, 0));
    {
        std::ofstream(dir / "run.txt", std::ios::binary) << text;
    }
    const LogReadResult r = readLogFile((dir / "run.txt").string());  // read in chunks across lines
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_EQ(r.data.rowCount(), 2000u);
    EXPECT_EQ(r.data.counter(1999), 1999u);
    EXPECT_LT(r.data.memoryBytes() / r.data.rowCount(), 100u);
    std::filesystem::remove_all(dir);
}

TEST(LogReader, CsvHasAnIsoTimeColumnAndPlainNumbers) {
    const LogData log = read(block(42, 2, clockAt(12, 30, 15)));
    std::string csv;
    writeLogCsv(log, csv, 0, log.rowCount(), true);
    const std::size_t firstLine = csv.find('\n');
    EXPECT_EQ(csv.substr(0, 28), "time,seconds,gTsCnt,g_error,");
    const std::string row1 = csv.substr(firstLine + 1, csv.find('\n', firstLine + 1) - firstLine - 1);
    EXPECT_EQ(row1.substr(0, 34), "2026-12-08T12:30:15.000,0.00,42,0,");
    EXPECT_NE(row1.find(",20.5,"), std::string::npos);  // fgTa1 of the first row
}

namespace {

// A sampled response of `y(t)` to a set-point step from 20 to 30 at t = 5 s.
template <typename F>
StepSeries synthetic(F y, double seconds = 400) {
    StepSeries s;
    for (int i = 0; i * 0.05 <= seconds; ++i) {
        const double t = i * 0.05;
        s.seconds.push_back(t);
        s.setPoint.push_back(i < 100 ? 20.0 : 30.0);
        s.actual.push_back(i < 100 ? 20.0 : 20.0 + 10.0 * y(t - 5));
    }
    return s;
}

}  // namespace

TEST(StepResponse, FirstOrderRiseAndSettlingWithinOnePercent) {
    const double tau = 20.0;
    const StepSeries s = synthetic([&](double t) { return 1 - std::exp(-t / tau); });
    const StepResult r = analyseStep(s, 0, 400);
    ASSERT_TRUE(r.ok) << r.error;
    const StepFigures& f = r.figures;
    EXPECT_DOUBLE_EQ(f.step, 10.0);
    EXPECT_NEAR(f.stepTime, 5.0, 1e-9);
    ASSERT_TRUE(f.riseTime);
    EXPECT_NEAR(*f.riseTime, tau * std::log(9.0), tau * std::log(9.0) * 0.01);
    EXPECT_DOUBLE_EQ(f.overshootPercent, 0.0);
    ASSERT_TRUE(f.settlingTime);
    EXPECT_NEAR(*f.settlingTime, tau * std::log(50.0), tau * std::log(50.0) * 0.01);  // within 2 %
    EXPECT_NEAR(f.steadyError, 0.0, 0.01);
    EXPECT_NEAR(f.noise, 0.0, 0.01);
}

TEST(StepResponse, SecondOrderOvershootWithinOnePercent) {
    const double zeta = 0.3, wn = 0.5, wd = wn * std::sqrt(1 - zeta * zeta);
    const double phi = std::acos(zeta);
    const StepSeries s = synthetic([&](double t) {
        return 1 - std::exp(-zeta * wn * t) / std::sqrt(1 - zeta * zeta) * std::sin(wd * t + phi);
    });
    const StepResult r = analyseStep(s, 0, 400);
    ASSERT_TRUE(r.ok);
    const double expected = 100 * std::exp(-zeta * M_PI / std::sqrt(1 - zeta * zeta));
    EXPECT_NEAR(r.figures.overshootPercent, expected, expected * 0.01);
    ASSERT_TRUE(r.figures.riseTime && r.figures.settlingTime);
    EXPECT_GT(*r.figures.settlingTime, *r.figures.riseTime);
}

TEST(StepResponse, FindsTheStepInTheRangeAndSaysWhenThereIsNone) {
    const StepSeries s = synthetic([](double t) { return 1 - std::exp(-t / 5); });
    EXPECT_FALSE(analyseStep(s, 100, 200).ok);  // flat set point there
    EXPECT_FALSE(analyseStep(s, 0, 0.05).ok);   // too few samples
    // A downward step with an offset and noise at the end.
    StepSeries down = s;
    for (std::size_t i = 0; i < down.seconds.size(); ++i) {
        down.setPoint[i] = 50 - down.setPoint[i];
        down.actual[i] = 50 - down.actual[i] + 0.5 + ((i % 2) ? 0.1 : -0.1);
    }
    const StepResult r = analyseStep(down, 0, 400, StepOptions{.band = 1.0});
    ASSERT_TRUE(r.ok);
    EXPECT_DOUBLE_EQ(r.figures.step, -10.0);
    EXPECT_NEAR(r.figures.steadyError, -0.5, 1e-3);
    EXPECT_NEAR(r.figures.noise, 0.1, 1e-3);
    EXPECT_TRUE(r.figures.settlingTime);
}

#ifdef TQ_HAVE_SIM
TEST(StepResponse, VirtualRegulatorRunIsPlausible) {
    sim::RegisterBank bank;
    bank.setBits(sim::reg::St1, sim::floatBits(20.0f));
    bank.setBits(sim::reg::RegulatorFlags, 6 | 0x80);
    sim::BoardModel board;
    board.boot(bank);
    std::string text = logHeader(clockAt(9, 0, 0), "virtual");
    for (int i = 0; i < 20 * 400; ++i) {
        if (i == 20 * 150) bank.setBits(sim::reg::St1, sim::floatBits(10.0f));
        board.step(bank, 0.05);
        const sim::RuntimeRecord& rec = board.record();
        RuntimeSample s;
        s.gTsCnt = rec.gTsCnt;
        s.g_error = rec.g_error;
        s.fgTr = rec.fgTr;
        s.frTa = rec.frTa;
        text += logRow(s);
    }
    const LogData log = read(text);
    const StepResult r = analyseStep(stepSeriesOf(log), 140, 400);
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_NEAR(r.figures.step, -10.0, 1e-4);
    EXPECT_GE(r.figures.overshootPercent, 0.0);
    if (r.figures.riseTime && r.figures.settlingTime) {
        EXPECT_GE(*r.figures.settlingTime, *r.figures.riseTime);
    }
    EXPECT_TRUE(r.figures.riseTime) << "the virtual regulator reaches its new set point";
}
#endif
