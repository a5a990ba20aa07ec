// Draws a trend into any paint device: background, grid, the time axis in
// seconds and clock time, status-change markers, the traces by pixel column
// (first, last, min and max of each column's rows), the selected range and
// the cursor with every visible channel's value.
#pragma once

#include <QRect>

#include "ui/trend/trend_state.h"

class QPainter;

// The plot area inside a widget of the given size (room for the axis).
QRect trendPlotRect(const QRect& area, int fontHeight);

void paintTrend(QPainter& painter, const QRect& area, const TrendState& state);

// The row the cursor reads: the first at or after its time, the last row
// past the end.
std::size_t trendCursorRow(const TrendState& state);

// Time <-> x inside the plot area.
double trendTimeAt(const QRect& plot, const TrendState& state, int x);
int trendXOf(const QRect& plot, const TrendState& state, double seconds);
