// tqctl analyse and export on logs it recorded itself and on a made-up step.
#include <cmath>
#include <cstdio>

#include "json_value.h"
#include "tqctl_fixture.h"

using namespace tqtest;

namespace {

class TqctlLogs : public TqctlTest {};

// A log with one START block: Tr1 follows a set-point step from 20 to 30 at
// 5 s as a first-order lag of 10 s.
std::string stepLog() {
    std::string text =
        "--------------------------------------------------\n"
        "START LOGG - 12/08/26 : 10:00:00\n"
        "Software version = [TQ_Interface 1.1.9a]\n"
        "Target version = [TQ-REG V0.215 virtual]\n"
        "--------------------------------------------------\n"
        "gTsCnt\tg_error\tg_pwm_mode\tfgtFLAG\tfgTc\tfgF1Tc\tfgF2Tc\tfgTa1\tfgTa2\tfgTa3\tfgTa4\tfgTrExt\tfgTr\t"
        "frTa\tfrTe\tfrTp\tfrTi\tfrTd\tfrTLPr\tg_vin\tg_curr\tAD temp 1\tDigipot offset\n";
    for (int i = 0; i < 20 * 120; ++i) {
        const double t = i / 20.0;
        const double sp = i < 100 ? 20 : 30;
        const double tr = i < 100 ? 20 : 30 - 10 * std::exp(-(t - 5) / 10);
        char row[400];
        std::snprintf(row, sizeof row,
                      "%08d\t0000\t00\t01\t0.0\t0.0\t0.0\t%0.3f\t0.000\t0.000\t0.000\t0.000\t%0.3f\t"
                      "%0.4f\t0.0000\t0.0000\t0.0000\t0.0000\t0.0000\t12.000\t0.000\t0\t0\n",
                      i, tr, sp, tr);
        text += row;
    }
    return text;
}

}  // namespace

TEST_F(TqctlLogs, AnalysePrintsTheStepFiguresAsTextAndJson) {
    writeFile(path("step.txt"), stepLog());
    const ChildResult text = tq({"analyse", "step.txt"});
    ASSERT_EQ(text.exitCode, 0) << describe(text);
    EXPECT_TRUE(contains(text.out, "Step          : 20.00 -> 30.00 (+10.00) at 5.00 s")) << text.out;
    EXPECT_TRUE(contains(text.out, "Rise time     : 21.9")) << text.out;  // 10 s x ln 9
    EXPECT_TRUE(contains(text.out, "Overshoot     : 0.0 %")) << text.out;

    const ChildResult json = tq({"analyse", "step.txt", "--json", "--from", "1", "--to", "100"});
    ASSERT_EQ(json.exitCode, 0) << describe(json);
    std::string error;
    const auto v = parseJson(json.out, &error);
    ASSERT_TRUE(v) << error << "\n" << json.out;
    EXPECT_EQ((*v)["rows"].number, 2400);
    EXPECT_NEAR((*v)["rise_time_s"].number, 10 * std::log(9.0), 0.05);
    EXPECT_NEAR((*v)["settling_time_s"].number, 10 * std::log(50.0), 0.1);
    EXPECT_DOUBLE_EQ((*v)["step"].number, 10);

    const ChildResult flat = tq({"analyse", "step.txt", "--from", "10", "--to", "20"});
    EXPECT_EQ(flat.exitCode, 1);
    EXPECT_TRUE(contains(flat.err, "no set-point change")) << flat.err;
    EXPECT_EQ(tq({"analyse", "step.txt", "--from", "x"}).exitCode, kExitUsage);
    const ChildResult missing = tq({"analyse", "missing.txt"});
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_TRUE(contains(missing.err, "missing.txt")) << missing.err;
}

TEST_F(TqctlLogs, ExportWritesEveryRowOfARecordedRunAsCsv) {
    const ChildResult log = simulate({"log", "run.txt", "--seconds", "2"});
    ASSERT_EQ(log.exitCode, 0) << describe(log);
    const ChildResult out = tq({"export", "run.txt", "-o", "run.csv"});
    ASSERT_EQ(out.exitCode, 0) << describe(out);
    const std::vector<std::string> logLines = splitLines(readFile(path("run.txt")));
    std::size_t rows = 0;
    for (const std::string& l : logLines)
        if (!l.empty() && std::isdigit(static_cast<unsigned char>(l[0]))) ++rows;
    ASSERT_GT(rows, 10u);
    const std::vector<std::string> csv = splitLines(readFile(path("run.csv")));
    ASSERT_EQ(csv.size(), rows + 1);
    EXPECT_EQ(splitOn(csv[1], ',').size(), 25u);
    EXPECT_EQ(csv[1].size() > 23 ? csv[1][10] : ' ', 'T');  // ISO date and time
    EXPECT_TRUE(contains(out.out, std::to_string(rows) + " rows written"));
    EXPECT_EQ(tq({"export", "run.txt"}).exitCode, kExitUsage);
}
