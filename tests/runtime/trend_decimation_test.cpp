// Pixel-column decimation of long logs: extremes are never lost.
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
