// The rules of the Runtime page that need no widget: the time-base label,
// the interval steps of "-" and "+", and which cells open "Set new value".
#pragma once

#include <QString>

#include "runtime/channel_table.h"
#include "runtime/runtime_sink.h"
#include "ui/runtime/scope_state.h"

namespace runtime_page {

inline constexpr int kIntervalAtConstruction = 250;  // ms, until the page is set up
inline constexpr int kIntervalAtStart = 125;         // ms, the sample timer's start period
// The page scope's range: a value of -100 lands on the bottom row and +100
// just below the top.
inline constexpr double kScopeBottom = -99.9;
inline constexpr double kScopeTop = 100.1;
inline constexpr int kScopeDecimals = 2;

inline constexpr int kIntervalMin = 125;    // ms, the fastest the view's graph timer runs
inline constexpr int kIntervalMax = 64000;  // ms, the slowest

// The chart's three value labels. Every channel is scaled between its own
// Min (bottom) and Max (top): when all drawn channels share one range the
// labels are its numbers ("%0.1f"), otherwise "Max", "Mid" and "Min".
struct ScaleLabels {
    QString top;
    QString middle;
    QString bottom;
};
ScaleLabels scaleLabels(const ChannelTable& table);
// The legend text of each channel in a saved picture: "Tc  -100.0 .. 100.0".
std::array<QString, kScopeChannels> legendTexts(const ChannelTable& table);

// "0.125 sec/sample" below one second, "2 sec/sample" from one second on.
QString intervalLabel(int ms);
// What "-" and "+" ask of the view, which clamps to 125 .. 64000 ms.
int halvedInterval(int ms);
int doubledInterval(int ms);
// A double-click on the name, max or min cell of a channel row opens
// "Set new value"; one on the check box column or outside the rows does not.
bool opensValueDialog(int row, int column);
// The graph values as the scopes take them.
ScopeSample toScopeSample(const GraphValues& values);

}  // namespace runtime_page
