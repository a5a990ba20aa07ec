// Reads the program's own runtime log files back: the header lines, the
// column line, the rows of one or several START ... STOP blocks, and a file
// cut short by a crash. A row that does not read is counted and skipped; the
// file as a whole is never refused for it. Samples are kept as columns of
// numbers (about 86 bytes a row), not as text.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <ctime>
#include <string>
#include <vector>

#include "runtime/runtime_sample.h"

// The log has no time column: a row's time is its sample counter at the
// regulator's 20 lines per second, anchored at its block's START clock time.
inline constexpr double kLogLinesPerSecond = 20.0;

// The 17 real-valued columns of a row, in file order.
enum class LogColumn : int {
    fgTc, fgF1Tc, fgF2Tc, fgTa1, fgTa2, fgTa3, fgTa4, fgTrExt, fgTr,
    frTa, frTe, frTp, frTi, frTd, frTLPr, g_vin, g_curr,
    Count
};
inline constexpr int kLogRealColumns = static_cast<int>(LogColumn::Count);

// Rows with consecutive time: one START ... STOP of the file, or the part of
// one after the sample counter started again.
struct LogBlock {
    std::size_t firstRow = 0;
    std::size_t rowCount = 0;
    std::time_t startClock = 0;     // local clock time of the block's first row
    bool clockKnown = false;        // false: no START line was read for it
    double startSeconds = 0;        // time of the first row since the file's first row
    std::uint32_t firstCounter = 0;
    std::string targetVersion;      // from "Target version = [...]"
    bool stopped = false;           // a STOP line closed it
};

class LogData {
public:
    std::size_t rowCount() const { return counter_.size(); }
    const std::vector<LogBlock>& blocks() const { return blocks_; }
    std::size_t badRows() const { return badRows_; }
    // The line numbers (1-based) of the first few rows that did not read.
    const std::vector<std::size_t>& badRowLines() const { return badRowLines_; }
    bool truncated() const { return truncated_; }  // the last block has no STOP line

    std::uint32_t counter(std::size_t row) const { return counter_[row]; }
    std::uint32_t status(std::size_t row) const { return status_[row]; }
    float value(LogColumn column, std::size_t row) const {
        return reals_[static_cast<int>(column)][row];
    }
    const std::vector<float>& column(LogColumn column) const {
        return reals_[static_cast<int>(column)];
    }
    // Seconds since the first row of the file.
    double seconds(std::size_t row) const;
    // Local clock time of the row (seconds since the epoch), or -1 when its
    // block has no START time.
    double clockSeconds(std::size_t row) const;
    std::size_t blockOf(std::size_t row) const;
    // The whole sample of a row, for replay.
    RuntimeSample sample(std::size_t row) const;
    // The first row at or after `seconds` (rowCount() when none).
    std::size_t rowAtOrAfter(double seconds) const;

    // Bytes held by the columns.
    std::size_t memoryBytes() const;

private:
    friend class LogReader;
    std::vector<std::uint32_t> counter_;
    std::vector<std::uint32_t> status_;
    std::vector<std::uint8_t> pwmMode_;
    std::vector<std::uint8_t> flags_;
    std::array<std::vector<float>, kLogRealColumns> reals_;
    std::vector<std::int32_t> adTemp1_;
    std::vector<std::int32_t> digipot_;
    std::vector<LogBlock> blocks_;
    std::size_t badRows_ = 0;
    std::vector<std::size_t> badRowLines_;
    bool truncated_ = false;
};

struct LogReadResult {
    bool ok = false;
    std::string error;  // why the file could not be read at all
    LogData data;
};

// Reads a whole log file. Fails only when the file cannot be read or holds
// no log at all (no START line, no column line, no row).
LogReadResult readLogFile(const std::string& path);
// The same from text in memory.
LogReadResult readLogText(const char* text, std::size_t size);

// The log column that holds a graph channel's value (Main, T1, ... in the
// graph's order), or LogColumn::Count for the channels a log does not keep
// (F1_curr, F2_curr).
LogColumn logColumnOfChannel(int channel);
