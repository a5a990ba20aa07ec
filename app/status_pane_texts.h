// The texts of the status-bar panes beside the connection indicator: the
// regulator's state at a glance and the running log. Plain logic, fed by the
// window's pane timer.
#pragma once

#include <QString>
#include <cstdint>
#include <deque>
#include <utility>

// "Searching…" while the port is open and no regulator streams, "Online
// 20.0 Hz" while it does (samples per second over the last seconds), "Lost"
// once a streaming regulator fell silent, until it is found again; empty
// while the port is closed.
class LinkActivity {
public:
    static constexpr std::int64_t kRateWindowMs = 3000;

    // Searching and Online are those connection modes; Busy is any other
    // (a command or a transfer holds the link) and keeps the last state.
    enum class Link { Searching, Online, Busy };

    // `samples`: valid runtime samples received since the program started;
    // `nowMs`: a steady clock.
    void update(bool portOpen, Link link, std::uint64_t samples, std::int64_t nowMs);
    QString text() const;
    double samplesPerSecond() const { return rate_; }
    bool lost() const { return lost_; }

private:
    std::deque<std::pair<std::int64_t, std::uint64_t>> history_;  // (time, samples)
    bool portOpen_ = false;
    bool online_ = false;
    bool lost_ = false;
    double rate_ = 0.0;
};

// "LoggFile001.txt: 1234 rows, 00:02:05" while a log records; empty otherwise.
// A file name longer than kLogNameMax characters is shortened in the middle.
inline constexpr int kLogNameMax = 28;
QString logPaneText(bool open, const QString& path, int rows, std::int64_t elapsedMs);
