// What a trend of a recorded log shows: the visible time range, the channels
// with their colours and ranges, the cursor and the selected range. The
// zoom and pan rules live here so that tests drive them without a widget.
#pragma once

#include <QColor>
#include <QString>
#include <array>
#include <optional>
#include <utility>

#include "runtime/channel_table.h"
#include "runtime/log_reader.h"
#include "runtime/trend_decimation.h"

struct TrendChannel {
    QString name;
    QColor colour;
    bool enabled = false;
    float min = -100, max = 100;  // the range drawn from bottom to top
    LogColumn column = LogColumn::Count;
};

struct TrendState {
    const LogData* log = nullptr;
    const TrendIndex* index = nullptr;
    std::array<TrendChannel, kGraphChannelCount> channels;
    bool autoScale = true;  // each channel over its own extremes in the log
    double t0 = 0, t1 = 1;  // visible seconds
    std::optional<double> cursor;                       // seconds
    std::optional<std::pair<double, double>> selection;  // seconds, ordered
    QColor background = Qt::black;
    QColor grid = QColor(0x64, 0x64, 0x64);
    int penWidth = 1;

    // The whole log (with a little room at the ends).
    void zoomToFit();
    // Zooms by `factor` (< 1 in, > 1 out) keeping the time at `anchor` in place.
    void zoom(double factor, double anchor);
    // Moves the view by `seconds` (positive: later), kept on the log.
    void pan(double seconds);
    double duration() const;

    // The range a channel is drawn over: its own extremes when auto-scaled.
    std::pair<float, float> range(int channel) const;
};

// Colours 0x00BBGGRR as a QColor.
inline QColor colourOf(std::uint32_t bgr) {
    return QColor(bgr & 0xFF, (bgr >> 8) & 0xFF, (bgr >> 16) & 0xFF);
}
