// The strip chart's picture as a function of its state: background, framed
// plot with a dotted grid, six labels and the traces. Coordinates are
// pixels of a W x H area with the origin at the top-left corner; conversions
// to whole pixels truncate toward zero.
#pragma once

#include <QImage>
#include <QSize>

#include "ui/runtime/scope_state.h"

class QPainter;

// The plot rectangle: edges as drawn (the frame runs along left..right and
// top..bottom inclusive).
struct ScopePlot {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
};

inline constexpr int kScopeCharWidth = 6;      // pixels of left margin per label character
inline constexpr int kScopeFontPixels = 14;

// Characters reserved for the value labels left of the plot: the longer of
// the top and bottom labels plus 2 when either is set, otherwise the digits
// of the range plus the decimals plus 4.
int scopeLabelCharacters(const ScopeState& state);

// The inner rectangle (2, 2, W-5, H-5) with 20 pixels at the bottom for the
// x-axis labels and the label margin at the left.
ScopePlot scopePlot(const ScopeState& state, int width, int height);

// The pixel row of value `v`: the range's top 2 pixels below the frame, its
// bottom 2 pixels above it; values outside the range are pinned to it. A
// value that is not a number, or a range without height, gives the middle.
int scopeRow(const ScopeState& state, const ScopePlot& plot, double v);

// Draws the whole picture; the painter's area is `width` x `height`.
void drawScope(QPainter& painter, const ScopeState& state, int width, int height);

// The picture as an image of `size` logical pixels (times `dpr` device pixels).
QImage renderScope(const ScopeState& state, QSize size, qreal dpr = 1.0);

// The picture with a legend band below it: each enabled channel that has a
// legend text, a short line in its colour and the text, on a background it
// reads on. What "Save image" and "Copy image" give.
QImage renderScopeWithLegend(const ScopeState& state, QSize size, qreal dpr = 1.0);
