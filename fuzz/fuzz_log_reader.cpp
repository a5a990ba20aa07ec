// The recorded-log reader: any bytes read or fail cleanly. What reads is
// indexed, drawn into pixel columns at a size taken from the input, exported
// and analysed for its step response, as the trend window and `tqctl
// analyse` / `export` do; the results keep their invariants.
#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "runtime/log_reader.h"
#include "runtime/log_series.h"
#include "runtime/step_response.h"
#include "runtime/trend_decimation.h"

namespace {

void check(bool condition) {
    if (!condition)
        __builtin_trap();
}

// As the trend window draws the whole log (an empty one over its first second).
void drawColumns(const LogData& log, const TrendIndex& index, int width) {
    const bool empty = log.rowCount() == 0;
    const double t0 = empty ? 0.0 : log.seconds(0);
    const double last = empty ? 0.0 : log.seconds(log.rowCount() - 1);
    const double t1 = std::isfinite(last) && last >= t0 ? last + 1.0 : t0 + 1.0;
    const std::vector<std::size_t> bounds = index.columnBounds(t0, t1, width);
    check(bounds.empty() || bounds.size() == static_cast<std::size_t>(width) + 1);
    for (std::size_t x = 0; x + 1 < bounds.size(); ++x)
        check(bounds[x] <= bounds[x + 1] && bounds[x + 1] <= log.rowCount());
    for (int c = 0; c < kLogRealColumns; ++c) {
        const auto column = static_cast<LogColumn>(c);
        for (const TrendColumn& pixel : index.columns(column, bounds))
            check(!pixel.any || pixel.min <= pixel.max);
        const std::vector<TrendColumn> direct = index.columns(column, t0, t1, width);
        check(direct.size() == static_cast<std::size_t>(width));
        float min = 0, max = 0;
        if (index.extremes(column, min, max))
            check(min <= max);
    }
    for (std::size_t row : index.statusChanges())
        check(row < log.rowCount());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const LogReadResult result = readLogText(reinterpret_cast<const char*>(data), size);
    if (!result.ok)
        return 0;
    const LogData& log = result.data;   // may hold no row: a START line alone

    std::size_t rows = 0;
    for (const LogBlock& block : log.blocks()) {
        check(block.firstRow == rows);
        rows += block.rowCount;
    }
    check(rows == log.rowCount());

    // The window's width from the input's first byte: 1 .. 256 pixels.
    const int width = 1 + (size > 0 ? data[0] : 0);
    const TrendIndex index(log);
    drawColumns(log, index, width);
    if (log.rowCount() == 0)
        return 0;

    const std::size_t lastRow = log.rowCount() - 1;
    check(log.blockOf(lastRow) < log.blocks().size());
    (void)log.sample(lastRow);
    (void)isoLocalTime(log.clockSeconds(lastRow));
    check(log.rowAtOrAfter(log.seconds(0)) <= log.rowCount());

    const StepResult step = analyseStep(stepSeriesOf(log), -INFINITY, INFINITY);
    if (step.ok)
        check(step.figures.overshootPercent >= 0 || std::isnan(step.figures.overshootPercent));

    std::string csv;
    writeLogCsv(log, csv, 0, std::min<std::size_t>(log.rowCount(), 64), true);
    check(!csv.empty());
    return 0;
}
