// Draws a trend into any paint device: background, grid, the time axis in
// seconds and clock time, status-change markers, the traces by pixel column
// (first, last, min and max of each column's rows), the selected range and
// the cursor with every visible channel's value.
#pragma once

#include <QRect>

#include "ui/trend/trend_state.h"

class QFontMetrics;
class QPainter;

// The plot area inside a widget of the given size (room for the axis).
QRect trendPlotRect(const QRect& area, int fontHeight);

// The whole picture, drawn from scratch.
void paintTrend(QPainter& painter, const QRect& area, const TrendState& state);

// The row the cursor reads: the first at or after its time, the last row
// past the end.
std::size_t trendCursorRow(const TrendState& state);

// Time <-> x inside the plot area.
double trendTimeAt(const QRect& plot, const TrendState& state, int x);
int trendXOf(const QRect& plot, const TrendState& state, double seconds);

// The picture's steps, in the order paintTrend takes them, for a caller that
// keeps some of them between redraws (see TrendRenderer).
// Background, frame, grid and the time axis.
void paintTrendBase(QPainter& painter, const QRect& area, const TrendState& state);
// Whether anything is drawn inside the plot (a log, and room for it).
bool trendHasPlot(const QRect& plot, const TrendState& state);
// Where the plot's own drawing is clipped.
QRect trendPlotClip(const QRect& plot);
// Each of these expects the clip above.
void paintTrendSelection(QPainter& painter, const QRect& plot, const TrendState& state);
void paintTrendCursor(QPainter& painter, const QRect& plot, const TrendState& state, const QFontMetrics& fm);
