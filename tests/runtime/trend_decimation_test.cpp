// Pixel-column decimation of long logs: extremes are never lost.
#include <algorithm>
#include <cmath>
#include <string>

#include <gtest/gtest.h>

#include "runtime/log_reader.h"
#include "runtime/trend_decimation.h"

namespace {

// `rows` short rows at 20 lines/s; Tr1 (frTa) is 1.0 except `spikeRow`.
LogData flatLog(std::size_t rows, std::size_t spikeRow, float spike) {
    std::string text = "START LOGG - 12/08/26 : 10:00:00\n";
    text.reserve(rows * 64);
    char row[160];
    for (std::size_t i = 0; i < rows; ++i) {
        const int n = std::snprintf(row, sizeof row, "%08zu\t%04X\t00\t00\t0\t0\t0\t0\t0\t0\t0\t0\t0\t%g\t0\t0\t0\t0\t0\t0\t0\t0\t0\n",
                                    i, i >= rows / 2 ? 4u : 0u, i == spikeRow ? spike : 1.0f);
        text.append(row, n);
    }
    LogReadResult r = readLogText(text.data(), text.size());
    EXPECT_TRUE(r.ok);
    return std::move(r.data);
}

}  // namespace

TEST(TrendDecimation, AOneSampleSpikeInAMillionRowsReachesItsColumn) {
    const std::size_t rows = 1000000, spikeRow = 654321;
    const LogData log = flatLog(rows, spikeRow, 50.0f);
    ASSERT_EQ(log.rowCount(), rows);
    const TrendIndex index(log);
    const double end = log.seconds(rows - 1) + 0.05;
    const int width = 1920;
    const auto columns = index.columns(LogColumn::frTa, 0, end, width);
    ASSERT_EQ(columns.size(), static_cast<std::size_t>(width));
    const int spikeColumn = static_cast<int>(log.seconds(spikeRow) / end * width);
    int withSpike = -1;
    for (int x = 0; x < width; ++x) {
        ASSERT_TRUE(columns[x].any) << x;
        EXPECT_FLOAT_EQ(columns[x].min, 1.0f) << x;
        if (columns[x].max == 50.0f) {
            EXPECT_EQ(withSpike, -1) << "the spike is in one column only";
            withSpike = x;
        } else {
            EXPECT_FLOAT_EQ(columns[x].max, 1.0f) << x;
        }
    }
    EXPECT_NEAR(withSpike, spikeColumn, 1);
    float lo = 0, hi = 0;
    ASSERT_TRUE(index.extremes(LogColumn::frTa, lo, hi));
    EXPECT_FLOAT_EQ(lo, 1.0f);
    EXPECT_FLOAT_EQ(hi, 50.0f);
    // One status change, half-way (besides the first row).
    ASSERT_EQ(index.statusChanges().size(), 2u);
    EXPECT_EQ(index.statusChanges()[1], rows / 2);
}

TEST(TrendDecimation, ZoomedInColumnsHoldFirstAndLastAndEmptyColumnsStayEmpty) {
    const LogData log = flatLog(1000, 10, -3.0f);
    const TrendIndex index(log);
    // 0.25 s over 100 px: 5 rows, most columns hold no row.
    const auto columns = index.columns(LogColumn::frTa, 0.4, 0.65, 100);
    int filled = 0;
    for (const TrendColumn& c : columns) filled += c.any;
    EXPECT_EQ(filled, 5);
    EXPECT_FLOAT_EQ(columns[40].first, -3.0f);  // row 10 at 0.5 s: (0.5 - 0.4) / 0.0025
    // Outside the log: nothing.
    for (const TrendColumn& c : index.columns(LogColumn::frTa, 100, 200, 50)) EXPECT_FALSE(c.any);
    EXPECT_TRUE(index.columns(LogColumn::Count, 0, 10, 50)[0].any == false);
}

// Every pixel column of several channels read at once holds exactly what
// its rows hold (first and last number, smallest and largest), whatever
// block boundaries its rows cross, with gaps (not a number) at its edges.
TEST(TrendDecimation, ColumnsOfManyChannelsAgreeWithTheirRows) {
    const std::size_t rows = 20000;
    std::string text = "START LOGG - 12/08/26 : 10:00:00\n";
    char row[200];
    unsigned seed = 12345;
    auto next = [&seed] { return (seed = seed * 1103515245u + 12345u) >> 8; };
    for (std::size_t i = 0; i < rows; ++i) {
        const float a = static_cast<float>(next() % 2000) / 10.0f - 100.0f;
        const bool gap = next() % 7 == 0;
        const int n = std::snprintf(row, sizeof row,
                                    "%08zu\t0000\t00\t00\t%g\t0\t0\t0\t0\t0\t0\t0\t0\t%s\t0\t0\t0\t0\t0\t0\t0\t0\t0\n", i, a,
                                    gap ? "nan" : std::to_string(static_cast<float>(next() % 500)).c_str());
        text.append(row, static_cast<std::size_t>(n));
    }
    LogReadResult r = readLogText(text.data(), text.size());
    ASSERT_TRUE(r.ok);
    const LogData& log = r.data;
    ASSERT_EQ(log.rowCount(), rows);
    const auto& gaps = log.column(LogColumn::frTa);
    ASSERT_GT(std::count_if(gaps.begin(), gaps.end(), [](float v) { return std::isnan(v); }), 1000);
    const TrendIndex index(log);
    const std::vector<LogColumn> channels{LogColumn::fgTc, LogColumn::frTa};
    for (int width : {7, 333, 1920}) {
        const auto bounds = index.columnBounds(0.3, log.seconds(rows - 1) - 0.2, width);
        const auto all = index.columns(channels, bounds);
        for (std::size_t i = 0; i < channels.size(); ++i) {
            const std::vector<float>& values = log.column(channels[i]);
            for (int x = 0; x < width; ++x) {
                float lo = INFINITY, hi = -INFINITY, first = NAN, last = NAN;
                for (std::size_t r0 = bounds[x]; r0 < bounds[x + 1]; ++r0) {
                    const float v = values[r0];
                    if (std::isnan(v)) continue;
                    if (std::isnan(first)) first = v;
                    last = v;
                    lo = std::min(lo, v);
                    hi = std::max(hi, v);
                }
                const TrendColumn& c = all[i][static_cast<std::size_t>(x)];
                ASSERT_EQ(c.any, !std::isnan(first)) << width << " " << i << " " << x;
                if (!c.any) continue;
                ASSERT_EQ(c.min, lo) << width << " " << i << " " << x;
                ASSERT_EQ(c.max, hi) << width << " " << i << " " << x;
                ASSERT_EQ(c.first, first);
                ASSERT_EQ(c.last, last);
            }
        }
    }
}
