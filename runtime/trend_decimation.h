// Drawing a long log at a few pixels per second: each pixel column keeps the
// first, last, smallest and largest value of its rows, so that every spike
// is drawn and a frame costs about the same for 1,000 or 1,000,000 rows.
// Blocks of 64 rows keep their extremes so that a wide column reads a few
// blocks instead of every row.
#pragma once

#include <array>
#include <cstddef>
#include <vector>

#include "runtime/log_reader.h"

struct TrendColumn {
    bool any = false;  // the column holds at least one row
    float first = 0, last = 0, min = 0, max = 0;
};

class TrendIndex {
public:
    static constexpr std::size_t kBlockRows = 64;

    TrendIndex() = default;
    explicit TrendIndex(const LogData& log);

    // Columns of `width` pixels over [t0, t1) seconds for one log column.
    // Rows whose value is not a number are passed over.
    std::vector<TrendColumn> columns(LogColumn column, double t0, double t1, int width) const;
    // The same in two steps, so that the rows of each column are found once
    // for every channel: `width` + 1 row bounds, column x holding rows
    // [bounds[x], bounds[x + 1]).
    std::vector<std::size_t> columnBounds(double t0, double t1, int width) const;
    std::vector<TrendColumn> columns(LogColumn column, const std::vector<std::size_t>& bounds) const;

    // Smallest and largest value of a column over the whole log (for
    // scaling a channel to its own range); false when it has none.
    bool extremes(LogColumn column, float& min, float& max) const;

    // The rows where the status word differs from the row before (the first
    // row included).
    const std::vector<std::size_t>& statusChanges() const { return statusChanges_; }

    const LogData* log() const { return log_; }

private:
    struct Block { float min, max; };
    const LogData* log_ = nullptr;
    std::array<std::vector<Block>, kLogRealColumns> blocks_;
    std::vector<std::size_t> statusChanges_;
    // Extreme of rows [from, to) of a column, using whole blocks inside.
    void scan(LogColumn column, std::size_t from, std::size_t to, TrendColumn& out) const;
};
