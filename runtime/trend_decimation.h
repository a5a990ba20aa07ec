// Drawing a long log at a few pixels per second: each pixel column keeps the
// first, last, smallest and largest value of its rows, so that every spike
// is drawn and a frame costs about the same for 1,000 or 1,000,000 rows.
// A pyramid of extremes (blocks of 16 rows, then of 8 blocks of the level
// below, up to the whole log) lets a column of any width read a few dozen
// values instead of every row.
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
    static constexpr std::size_t kBlockRows = 16;  // rows of a block of the finest level
    static constexpr int kFanOutBits = 3;           // 8 blocks make one of the next level

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
    // Every given log column at once over the same bounds: the rows of each
    // pixel column are split into blocks once for all of them. Element i
    // holds what columns(logColumns[i], bounds) gives.
    std::vector<std::vector<TrendColumn>> columns(const std::vector<LogColumn>& logColumns,
                                                  const std::vector<std::size_t>& bounds) const;

    // Smallest and largest value of a column over the whole log (for
    // scaling a channel to its own range); false when it has none.
    bool extremes(LogColumn column, float& min, float& max) const;

    // The rows where the status word differs from the row before (the first
    // row included).
    const std::vector<std::size_t>& statusChanges() const { return statusChanges_; }

    const LogData* log() const { return log_; }
    // Bytes held by the pyramid and the status changes.
    std::size_t memoryBytes() const;

private:
    struct Block { float min, max; };
    // A run of whole pieces of one level (-1: single rows), [begin, end)
    // counted in pieces of that level.
    struct Run {
        int level;
        std::size_t begin, end;
    };
    static constexpr int kMaxRuns = 48;
    // Rows [from, to) as runs of the largest whole blocks inside: the same
    // pieces scan() takes. Returns the count written to `runs`.
    int runsOf(int levelCount, std::size_t from, std::size_t to, Run* runs) const;
    void foldRuns(LogColumn column, const Run* runs, int count, float& lo, float& hi) const;
    using Levels = std::vector<std::vector<Block>>;  // finest first
    const LogData* log_ = nullptr;
    std::array<Levels, kLogRealColumns> levels_;
    std::vector<std::size_t> statusChanges_;
    // Extremes of rows [from, to) of a column, taking the largest whole
    // blocks inside.
    void scan(LogColumn column, std::size_t from, std::size_t to, TrendColumn& out) const;
};
