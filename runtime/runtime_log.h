// RuntimeLog: the tab-separated log file of runtime samples. Start, stop and
// text writes come from the UI thread, rows from the serial worker thread;
// one mutex keeps every header, row and footer whole.
//
// Rows are flushed as they are written and synced to the disk at least once
// a second. A write error stops the log: the file is closed and the message
// kLogWriteErrorMessage is reported once.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <functional>
#include <mutex>
#include <string>

#include "runtime/runtime_sample.h"

inline constexpr char kLogOpenMessage[] = "Open logg file...";
inline constexpr char kLogStopMessage[] = "Stop log file";
inline constexpr char kLogWriteErrorMessage[] = "Error when writing logg file - logg file closed";
inline constexpr int kLogRowLimit = 65000;

struct LogSettings {
    int sampleRate = 0;       // SAMPLERATE: 0 -> every sample, 1 -> 1/2, 2 -> 1/20, 3 -> 1/200
    bool limitSize = false;   // LOGGFILE_LIMIT_SIZE: stop taking rows after 65000
};

// Keep one sample of this many; values outside 0..3 act as 0.
int decimationFactor(int sampleRate);

// "run1" -> "run1.txt"; a file name (without directory) that has a "." is
// kept as chosen.
std::string withDefaultLogExtension(const std::string& path);

class RuntimeLog {
public:
    // Message-line texts; may be called from the worker thread.
    using MessageFn = std::function<void(const std::string& text)>;
    using LocalTimeFn = std::function<std::tm()>;

    explicit RuntimeLog(MessageFn onMessage = {}, LocalTimeFn localTime = {});
    ~RuntimeLog();  // closes without the stop lines
    RuntimeLog(const RuntimeLog&) = delete;
    RuntimeLog& operator=(const RuntimeLog&) = delete;

    // "LoggFile%03d" numbered by the file count + 1.
    std::string proposedName() const;

    // Prepares the counters, closes any open file and creates `path` (".txt"
    // added as above). An empty path is a cancelled dialog: no file. Writes
    // the header and reports "Open logg file..." either way. True when open.
    bool start(const std::string& path, const std::string& targetVersion,
               const LogSettings& settings);
    // Writes the stop lines, closes, reports "Stop log file".
    void stop();
    // Stop when open; else asks `choosePath(proposedName())` (empty = cancel)
    // and starts.
    void toggle(const std::function<std::string(const std::string& proposed)>& choosePath,
                const std::string& targetVersion, const LogSettings& settings);
    // One row when a file is open, below the row limit, and the sample is
    // the one decimation keeps.
    void writeRow(const RuntimeSample& sample);
    // Appends the text when a file is open and the text is not empty.
    void writeText(const std::string& text);
    // Closes without writing anything.
    void close();

    bool isOpen() const { return open_.load(); }
    int fileCount() const { return fileCount_.load(); }
    int rowCount() const { return rowCount_.load(); }
    std::string path() const;

private:
    std::tm now() const;
    // Writes under mutex_; on failure closes and returns false.
    bool writeLocked(const std::string& text, bool sync);
    void closeLocked();
    void report(const char* text) const;

    MessageFn onMessage_;
    LocalTimeFn localTime_;

    mutable std::mutex mutex_;
    std::FILE* file_ = nullptr;
    std::string path_;
    std::string rowBuffer_;
    int rowLimit_ = 0;
    int decimation_ = 1;
    int decimationCount_ = 0;
    std::chrono::steady_clock::time_point lastSync_{};

    std::atomic<bool> open_{false};
    std::atomic<int> fileCount_{0};
    std::atomic<int> rowCount_{0};
};
