// What a strip chart shows: up to 19 channels of the last 100 samples each,
// the value range of the plot, the label texts, the pen width and the
// colours (0x00BBGGRR values). Plain data, so the drawing is a function of
// this state and a painter and can be tested on an image.
#pragma once

#include <QColor>
#include <QString>
#include <array>
#include <cstdint>

inline constexpr int kScopeChannels = 19;
inline constexpr int kScopeHistory = 100;

using ScopeColors = std::array<std::uint32_t, kScopeChannels>;
using ScopeFlags = std::array<bool, kScopeChannels>;
using ScopeSample = std::array<double, kScopeChannels>;

// 0x00BBGGRR (red in the low byte) as a QColor.
inline QColor colorFromRef(std::uint32_t c) {
    return QColor(static_cast<int>(c & 0xFF), static_cast<int>((c >> 8) & 0xFF),
                  static_cast<int>((c >> 16) & 0xFF));
}

// A background on which text in `text` reads: `background` itself when the
// two differ enough in brightness (contrast 4.5:1 or more), otherwise a light
// grey behind a dark text or a dark grey behind a light one. The text keeps
// its colour, the channel's.
QColor readableBackground(const QColor& text, const QColor& background);

struct ScopeState {
    static const ScopeColors kDefaultChannelColors;

    QString xAxisLabel = QStringLiteral("Samples");
    QString middleLabel = QStringLiteral("0");
    QString topLabel;     // drawn instead of the top value when not empty
    QString bottomLabel;  // drawn instead of the bottom value when not empty
    int penWidth = 2;     // 1 .. 10
    double bottom = -100.0;
    double top = 100.0;
    int decimals = 2;
    std::uint32_t background = 0x5E1E1E;
    std::uint32_t text = 0xFFFFFF;
    std::uint32_t grid = 0xFFC0C0;
    ScopeColors channelColors = kDefaultChannelColors;
    ScopeFlags enabled = allEnabled();
    // Per channel, what a saved or copied picture's legend says of it
    // ("Tc  -100.0 .. 100.0"); the screen shows the lists instead.
    std::array<QString, kScopeChannels> legend;
    // Per channel, index 0 the oldest sample and 99 the newest.
    std::array<std::array<double, kScopeHistory>, kScopeChannels> samples{};

    // 0 or less stores 1, above 10 stores 10.
    void setPenWidth(int n) { penWidth = n <= 0 ? 1 : (n > 10 ? 10 : n); }
    // Drops the oldest sample of every channel and appends `values`.
    void addSample(const ScopeSample& values);

private:
    static ScopeFlags allEnabled() {
        ScopeFlags f;
        f.fill(true);
        return f;
    }
};
