#include <atomic>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <thread>

#include <csignal>

#include <sys/resource.h>

#include <gtest/gtest.h>

#include "runtime/log_format.h"
#include "runtime/runtime_log.h"
#include "sample_lines.h"

namespace fs = std::filesystem;

namespace {

std::tm fixedTime(int hour, int minute, int second)
{
    std::tm t{};
    t.tm_year = 126;  // 2026
    t.tm_mon = 2;     // March
    t.tm_mday = 7;
    t.tm_hour = hour;
    t.tm_min = minute;
    t.tm_sec = second;
    return t;
}

std::string readFile(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), {});
}

std::vector<std::string> lines(const std::string& text)
{
    std::vector<std::string> out;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) out.push_back(line);
    return out;
}

int rowsIn(const std::string& text)
{
    int n = 0;
    for (const std::string& line : lines(text)) n += !line.empty() && std::isdigit(line[0]);
    return n;
}

class RuntimeLogTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir_ = fs::temp_directory_path() /
               ("tq_log_test_" + std::to_string(::getpid()) + "_" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }

    RuntimeLog makeLog()
    {
        return RuntimeLog([this](const std::string& m) { messages_.push_back(m); },
                          [this] { return clock_; });
    }

    fs::path dir_;
    std::vector<std::string> messages_;
    std::tm clock_ = fixedTime(9, 5, 3);
};

}  // namespace

TEST_F(RuntimeLogTest, HeaderRowsAndFooterBytes)
{
    RuntimeLog log([this](const std::string& m) { messages_.push_back(m); },
                   [this] { return clock_; });
    ASSERT_TRUE(log.start((dir_ / "exact.txt").string(), "<unkown>", LogSettings{}));
    RuntimeSample s;
    s.gTsCnt = 42;
    log.writeRow(s);
    log.writeRow(testlines::distinctSample());
    clock_ = fixedTime(17, 45, 59);
    log.stop();
    const std::string expected =
        "--------------------------------------------------\n"
        "START LOGG - 03/07/26 : 09:05:03\n"
        "Software version = [TQ_Interface 1.1.9a]\n"
        "Target version = [<unkown>]\n"
        "--------------------------------------------------\n"
        "gTsCnt\tg_error\tg_pwm_mode\tfgtFLAG\tfgTc\tfgF1Tc\tfgF2Tc\tfgTa1\tfgTa2\tfgTa3\t"
        "fgTa4\tfgTrExt\tfgTr\tfrTa\tfrTe\tfrTp\tfrTi\tfrTd\tfrTLPr\tg_vin\tg_curr\t"
        "AD temp 1\tDigipot offset\n"
        "00000042\t0000\t00\t00\t0.0\t0.0\t0.0\t0.000\t0.000\t0.000\t0.000\t0.000\t0.000\t"
        "0.0000\t0.0000\t0.0000\t0.0000\t0.0000\t0.0000\t0.000\t0.000\t0\t0\n"
        "00000042\t0008\t03\tA5\t25.0\t6.5\t7.2\t21.125\t-3.500\t40.000\t33.750\t2.500\t"
        "20.000\t21.0000\t-1.0000\t0.5000\t0.2500\t-0.1250\t19.5000\t24.250\t3.500\t1234\t-7\n"
        "--------------------------------------------------\n"
        "STOP LOGG - 03/07/26 : 17:45:59\n"
        "--------------------------------------------------\n"
        "\n";
    EXPECT_EQ(readFile(dir_ / "exact.txt"), expected);
    EXPECT_EQ(messages_, std::vector<std::string>({"Open logg file...", "Stop log file"}));
    EXPECT_EQ(log.fileCount(), 1);
    EXPECT_FALSE(log.isOpen());
}

TEST(LogFormat, CounterIsSignedDecimalAndWordAtLeastFourDigits)
{
    RuntimeSample s;
    s.gTsCnt = 0xFFFFFFFFu;
    s.g_error = 0x80010000u;
    EXPECT_EQ(logRow(s).substr(0, 17), "-0000001\t80010000");
}

TEST_F(RuntimeLogTest, DecimationKeepsEveryNthSample)
{
    const std::pair<int, int> rates[] = {{0, 1}, {1, 2}, {2, 20}, {3, 200}, {7, 1}, {-1, 1}};
    for (const auto& [rate, factor] : rates) {
        RuntimeLog log = makeLog();
        const fs::path path = dir_ / ("rate" + std::to_string(rate + 1) + ".txt");
        ASSERT_TRUE(log.start(path.string(), "v", LogSettings{rate, false}));
        RuntimeSample s;
        for (int i = 1; i <= 400; ++i) {
            s.gTsCnt = static_cast<std::uint32_t>(i);
            log.writeRow(s);
        }
        log.stop();
        const std::string text = readFile(path);
        EXPECT_EQ(rowsIn(text), 400 / factor) << "rate " << rate;
        // The first row is the factor-th sample.
        char first[16];
        std::snprintf(first, sizeof first, "\n%08d\t", factor);
        EXPECT_NE(text.find(first), std::string::npos) << "rate " << rate;
        if (factor > 1) {
            std::snprintf(first, sizeof first, "\n%08d\t", factor - 1);
            EXPECT_EQ(text.find(first), std::string::npos) << "rate " << rate;
        }
    }
}

TEST_F(RuntimeLogTest, RowLimitThenStopLinesAndAFullSecondLog)
{
    RuntimeLog log = makeLog();
    const fs::path first = dir_ / "first.txt";
    ASSERT_TRUE(log.start(first.string(), "v", LogSettings{0, true}));
    RuntimeSample s;
    for (int i = 1; i <= 65010; ++i) {
        s.gTsCnt = static_cast<std::uint32_t>(i);
        log.writeRow(s);
    }
    EXPECT_EQ(log.rowCount(), 65000);
    EXPECT_TRUE(log.isOpen());  // the limit does not close the file
    log.stop();
    std::vector<std::string> all = lines(readFile(first));
    ASSERT_GE(all.size(), 4u);
    EXPECT_EQ(all[all.size() - 5].substr(0, 9), "00065000\t");
    EXPECT_EQ(all[all.size() - 4], "--------------------------------------------------");
    EXPECT_EQ(all[all.size() - 3].substr(0, 12), "STOP LOGG - ");
    EXPECT_EQ(rowsIn(readFile(first)), 65000);

    // A second log, started through toggle, takes a full file again.
    const fs::path second = dir_ / "second.txt";
    log.toggle([&](const std::string& proposed) {
        EXPECT_EQ(proposed, "LoggFile002");
        return second.string();
    }, "v", LogSettings{0, true});
    ASSERT_TRUE(log.isOpen());
    for (int i = 0; i < 65001; ++i) log.writeRow(s);
    log.toggle({}, "v", LogSettings{});
    EXPECT_FALSE(log.isOpen());
    EXPECT_EQ(rowsIn(readFile(second)), 65000);
}

TEST_F(RuntimeLogTest, FileNamesAndCount)
{
    RuntimeLog log = makeLog();
    EXPECT_EQ(log.proposedName(), "LoggFile001");
    log.start("", "v", LogSettings{});  // cancelled dialog
    EXPECT_FALSE(log.isOpen());
    EXPECT_EQ(messages_.back(), "Open logg file...");
    EXPECT_EQ(log.proposedName(), "LoggFile001");

    ASSERT_TRUE(log.start((dir_ / "run1").string(), "v", LogSettings{}));
    EXPECT_EQ(log.path(), (dir_ / "run1.txt").string());
    log.stop();
    ASSERT_TRUE(log.start((dir_ / "run1.csv").string(), "v", LogSettings{}));
    EXPECT_EQ(log.path(), (dir_ / "run1.csv").string());
    log.close();
    EXPECT_TRUE(fs::exists(dir_ / "run1.txt"));
    EXPECT_TRUE(fs::exists(dir_ / "run1.csv"));
    EXPECT_EQ(log.proposedName(), "LoggFile003");

    // A dot in a directory name does not count.
    EXPECT_EQ(withDefaultLogExtension("/tmp/a.b/run"), "/tmp/a.b/run.txt");

    // A file that cannot be created: closed, not counted, same message.
    EXPECT_FALSE(log.start((dir_ / "missing" / "x.txt").string(), "v", LogSettings{}));
    EXPECT_EQ(log.fileCount(), 2);
    EXPECT_EQ(messages_.back(), "Open logg file...");
}

TEST_F(RuntimeLogTest, WriteTextAndCloseWithoutStopLines)
{
    RuntimeLog log = makeLog();
    log.writeText("ignored while closed");
    const fs::path path = dir_ / "text.txt";
    ASSERT_TRUE(log.start(path.string(), "v", LogSettings{}));
    log.writeText("");
    log.writeText("note\n");
    log.close();
    const std::string text = readFile(path);
    EXPECT_EQ(text.substr(text.size() - 5), "note\n");
    EXPECT_EQ(text.find("STOP LOGG"), std::string::npos);
}

TEST_F(RuntimeLogTest, RowsReachTheFileAsTheyAreWritten)
{
    RuntimeLog log = makeLog();
    const fs::path path = dir_ / "live.txt";
    ASSERT_TRUE(log.start(path.string(), "v", LogSettings{}));
    log.writeRow(RuntimeSample{});
    // Read through another handle while the log is still open.
    EXPECT_EQ(rowsIn(readFile(path)), 1);
    log.close();
}

TEST_F(RuntimeLogTest, WriteErrorStopsTheLogAndSaysSoOnce)
{
    if (!fs::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
    // A file on a full disk: every write fails with ENOSPC.
    const fs::path full = dir_ / "full.txt";
    fs::create_symlink("/dev/full", full);
    RuntimeLog log = makeLog();
    ASSERT_FALSE(log.start(full.string(), "v", LogSettings{}));
    EXPECT_FALSE(log.isOpen());
    EXPECT_EQ(messages_, std::vector<std::string>(
                             {"Open logg file...", "Error when writing logg file - logg file closed"}));
    for (int i = 0; i < 5; ++i) log.writeRow(RuntimeSample{});
    EXPECT_EQ(messages_.size(), 2u);
}

TEST_F(RuntimeLogTest, DiskFullWhileLoggingStopsTheLog)
{
    // A file size limit makes the writes fail part way, as a full disk does.
    rlimit saved{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit limited = saved;
    limited.rlim_cur = 2000;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limited), 0);

    RuntimeLog log = makeLog();
    const bool started = log.start((dir_ / "limited.txt").string(), "v", LogSettings{});
    for (int i = 0; i < 50; ++i) log.writeRow(testlines::distinctSample());
    const bool openAfterRows = log.isOpen();
    log.stop();

    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previousHandler);
    EXPECT_TRUE(started);
    EXPECT_FALSE(openAfterRows);
    EXPECT_EQ(messages_, std::vector<std::string>({"Open logg file...",
                                                   "Error when writing logg file - logg file closed",
                                                   "Stop log file"}));
    // Whatever reached the file is whole rows.
    const std::string text = readFile(dir_ / "limited.txt");
    EXPECT_GT(rowsIn(text), 0);
    EXPECT_LE(text.size(), 2000u);
}

TEST_F(RuntimeLogTest, RowsStayWholeWhileStartAndStopRunOnAnotherThread)
{
    RuntimeLog log = makeLog();
    std::atomic<bool> done{false};
    const RuntimeSample sample = testlines::distinctSample();
    std::thread writer([&] {
        while (!done.load()) log.writeRow(sample);
    });
    for (int i = 0; i < 20; ++i) {
        log.start((dir_ / ("t" + std::to_string(i) + ".txt")).string(), "v", LogSettings{});
        std::this_thread::yield();
        log.stop();
    }
    done.store(true);
    writer.join();
    const std::string row = logRow(sample);
    for (int i = 0; i < 20; ++i) {
        for (const std::string& line : lines(readFile(dir_ / ("t" + std::to_string(i) + ".txt")))) {
            if (!line.empty() && std::isdigit(line[0])) {
                EXPECT_EQ(line + "\n", row);
            }
        }
    }
}
