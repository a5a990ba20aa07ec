#include "runtime/trend_decimation.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

constexpr std::size_t kPrefetchColumns = 6;

template <class T>
void prefetch(const T* a, const T* b) {
#if defined(__GNUC__)
    __builtin_prefetch(a);
    __builtin_prefetch(b);
#else
    (void)a;
    (void)b;
#endif
}

// Rows in one block of `level` (-1: a single row).
constexpr std::size_t rowsOf(int level) {
    return level < 0 ? 1 : TrendIndex::kBlockRows << (TrendIndex::kFanOutBits * level);
}

}  // namespace

TrendIndex::TrendIndex(const LogData& log) : log_(&log) {
    const std::size_t rows = log.rowCount();
    constexpr std::size_t fanOut = std::size_t{1} << kFanOutBits;
    for (int c = 0; c < kLogRealColumns; ++c) {
        const std::vector<float>& values = log.column(static_cast<LogColumn>(c));
        Levels& levels = levels_[c];
        if (rows == 0) continue;
        std::vector<Block> finest((rows + kBlockRows - 1) / kBlockRows);
        for (std::size_t b = 0; b < finest.size(); ++b) {
            float lo = std::numeric_limits<float>::infinity(), hi = -lo;
            const std::size_t end = std::min(rows, (b + 1) * kBlockRows);
            for (std::size_t r = b * kBlockRows; r < end; ++r) {
                const float v = values[r];  // NaN fails both comparisons
                if (v < lo) lo = v;
                if (v > hi) hi = v;
            }
            finest[b] = {lo, hi};
        }
        levels.push_back(std::move(finest));
        while (levels.back().size() > 1) {
            const std::vector<Block>& below = levels.back();
            std::vector<Block> level((below.size() + fanOut - 1) / fanOut);
            for (std::size_t b = 0; b < level.size(); ++b) {
                Block m = below[b * fanOut];
                const std::size_t end = std::min(below.size(), (b + 1) * fanOut);
                for (std::size_t i = b * fanOut + 1; i < end; ++i) {
                    m.min = std::min(m.min, below[i].min);
                    m.max = std::max(m.max, below[i].max);
                }
                level[b] = m;
            }
            levels.push_back(std::move(level));
        }
    }
    for (std::size_t r = 0; r < rows; ++r)
        if (r == 0 || log.status(r) != log.status(r - 1)) statusChanges_.push_back(r);
}

std::size_t TrendIndex::memoryBytes() const {
    std::size_t bytes = statusChanges_.capacity() * sizeof(std::size_t);
    for (const Levels& levels : levels_)
        for (const auto& level : levels) bytes += level.capacity() * sizeof(Block);
    return bytes;
}

void TrendIndex::scan(LogColumn column, std::size_t from, std::size_t to, TrendColumn& out) const {
    const std::vector<float>& values = log_->column(column);
    const Levels& levels = levels_[static_cast<int>(column)];
    const int count = static_cast<int>(levels.size());
    float lo = out.min, hi = out.max;
    auto take = [&](int level, std::size_t r) {
        if (level < 0) {
            const float v = values[r];
            if (v < lo) lo = v;
            if (v > hi) hi = v;
        } else {
            const Block& b = levels[level][r / rowsOf(level)];
            lo = std::min(lo, b.min);
            hi = std::max(hi, b.max);
        }
    };
    // Up: single rows, then ever larger blocks, until the next size would
    // pass the end; down: the largest blocks that still fit, then smaller.
    std::size_t r = from;
    int level = -1;
    while (level + 1 < count) {
        const std::size_t up = rowsOf(level + 1);
        while (r % up != 0 && r + rowsOf(level) <= to) {
            take(level, r);
            r += rowsOf(level);
        }
        if (r % up != 0 || r + up > to) break;
        ++level;
    }
    for (; level >= -1; --level)
        while (r + rowsOf(level) <= to) {
            take(level, r);
            r += rowsOf(level);
        }
    out.min = lo;
    out.max = hi;
}

int TrendIndex::runsOf(int levelCount, std::size_t from, std::size_t to, Run* runs) const {
    int n = 0;
    std::size_t r = from;
    int level = -1;
    auto runTo = [&](int lv, std::size_t start) {
        if (r > start && n < kMaxRuns) runs[n++] = {lv, start / rowsOf(lv), r / rowsOf(lv)};
    };
    while (level + 1 < levelCount) {
        const std::size_t up = rowsOf(level + 1);
        const std::size_t start = r;
        while (r % up != 0 && r + rowsOf(level) <= to) r += rowsOf(level);
        runTo(level, start);
        if (r % up != 0 || r + up > to) break;
        ++level;
    }
    for (; level >= -1; --level) {
        const std::size_t start = r;
        r += (to - r) / rowsOf(level) * rowsOf(level);
        runTo(level, start);
    }
    return n;
}

void TrendIndex::foldRuns(LogColumn column, const Run* runs, int count, float& lo, float& hi) const {
    const float* values = log_->column(column).data();
    const Levels& levels = levels_[static_cast<int>(column)];
    for (int i = 0; i < count; ++i) {
        const Run& run = runs[i];
        if (run.level < 0) {
            for (std::size_t r = run.begin; r < run.end; ++r) {
                const float v = values[r];  // NaN fails both comparisons
                if (v < lo) lo = v;
                if (v > hi) hi = v;
            }
        } else {
            const Block* blocks = levels[static_cast<std::size_t>(run.level)].data();
            for (std::size_t b = run.begin; b < run.end; ++b) {
                lo = std::min(lo, blocks[b].min);
                hi = std::max(hi, blocks[b].max);
            }
        }
    }
}

std::vector<std::size_t> TrendIndex::columnBounds(double t0, double t1, int width) const {
    std::vector<std::size_t> bounds;
    if (!log_ || width <= 0 || !(t1 > t0)) return bounds;
    bounds.resize(static_cast<std::size_t>(width) + 1);
    const double perPixel = (t1 - t0) / width;
    const std::size_t rows = log_->rowCount();
    // Rows are in time order: walk forward, searching only within the rest.
    std::size_t row = log_->rowAtOrAfter(t0);
    bounds[0] = row;
    for (int x = 1; x <= width; ++x) {
        const double t = x == width ? t1 : t0 + x * perPixel;
        // Gallop from the last bound, then search the bracket.
        std::size_t step = 1, hi = row;
        while (hi < rows && log_->seconds(hi) < t) {
            row = hi + 1;
            hi += step;
            step *= 2;
        }
        hi = std::min(hi, rows);
        while (row < hi) {
            const std::size_t mid = row + (hi - row) / 2;
            if (log_->seconds(mid) < t) row = mid + 1; else hi = mid;
        }
        bounds[x] = row;
    }
    return bounds;
}

std::vector<TrendColumn> TrendIndex::columns(LogColumn column, double t0, double t1, int width) const {
    if (width <= 0) return {};
    const std::vector<std::size_t> bounds = columnBounds(t0, t1, width);
    if (bounds.empty()) return std::vector<TrendColumn>(width);
    return columns(column, bounds);
}

std::vector<TrendColumn> TrendIndex::columns(LogColumn column, const std::vector<std::size_t>& bounds) const {
    std::vector<std::vector<TrendColumn>> all = columns(std::vector<LogColumn>{column}, bounds);
    return std::move(all.front());
}

std::vector<std::vector<TrendColumn>> TrendIndex::columns(const std::vector<LogColumn>& logColumns,
                                                          const std::vector<std::size_t>& bounds) const {
    const std::size_t width = bounds.empty() ? 0 : bounds.size() - 1;
    std::vector<std::vector<TrendColumn>> out(logColumns.size(), std::vector<TrendColumn>(width));
    if (!log_ || width == 0 || log_->rowCount() == 0) return out;
    // The blocks of every pixel column, found once; then each channel in
    // turn, so that its values and blocks are read in order.
    std::vector<Run> runs;
    runs.reserve(width * 12);
    std::vector<std::size_t> runStart(width + 1);
    const int levelCount = static_cast<int>(levels_[0].size());
    Run split[kMaxRuns];
    for (std::size_t x = 0; x < width; ++x) {
        runStart[x] = runs.size();
        if (bounds[x] < bounds[x + 1]) {
            const int n = runsOf(levelCount, bounds[x], bounds[x + 1], split);
            runs.insert(runs.end(), split, split + n);
        }
    }
    runStart[width] = runs.size();
    for (std::size_t i = 0; i < logColumns.size(); ++i) {
        const LogColumn column = logColumns[i];
        if (column == LogColumn::Count) continue;
        const std::vector<float>& values = log_->column(column);
        const Block* finest = levels_[static_cast<int>(column)].front().data();
        for (std::size_t x = 0; x < width; ++x) {
            const std::size_t begin = bounds[x], end = bounds[x + 1];
            // Zoomed out, the rows a column reads at its two edges lie a
            // page or more apart: ask for those of a later column now, so
            // that they are in the cache when it comes.
            if (x + kPrefetchColumns < width && bounds[x + kPrefetchColumns] < bounds[x + kPrefetchColumns + 1]) {
                const std::size_t a = bounds[x + kPrefetchColumns], b = bounds[x + kPrefetchColumns + 1] - 1;
                prefetch(values.data() + a, values.data() + b);
                prefetch(finest + a / kBlockRows, finest + b / kBlockRows);
            }
            if (begin >= end) continue;
            TrendColumn& c = out[i][x];
            // First and last finite values; extremes of everything between.
            std::size_t first = begin;
            while (first < end && std::isnan(values[first])) ++first;
            if (first == end) continue;
            std::size_t last = end - 1;
            while (std::isnan(values[last])) --last;
            c.any = true;
            c.first = values[first];
            c.last = values[last];
            c.min = std::numeric_limits<float>::infinity();
            c.max = -c.min;
            if (first != begin || last + 1 != end) {
                scan(column, first, last + 1, c);  // a gap at an edge: its own rows
                continue;
            }
            foldRuns(column, runs.data() + runStart[x], static_cast<int>(runStart[x + 1] - runStart[x]), c.min,
                     c.max);
        }
    }
    return out;
}

bool TrendIndex::extremes(LogColumn column, float& min, float& max) const {
    if (!log_ || column == LogColumn::Count) return false;
    const Levels& levels = levels_[static_cast<int>(column)];
    if (levels.empty()) return false;
    min = std::numeric_limits<float>::infinity();
    max = -min;
    for (const Block& b : levels.back()) {
        min = std::min(min, b.min);
        max = std::max(max, b.max);
    }
    return min <= max;
}
