// The opaque part of a trend's plot, drawn into a transparent layer the size
// of the whole area: the status-change marker lines, then the traces, channel 18
// down to 0 so that Main lies on top. Its pixels are either fully opaque or
// fully transparent, so drawing the layer over anything equals drawing the
// lines there.
#pragma once

#include <QImage>
#include <QString>
#include <vector>

#include "ui/trend/trend_state.h"

class QFontMetrics;
class QPainter;

// A status change: the marker's x and, where there is room, its alarm text.
struct TrendMarker {
    int x = 0;
    QString label;
};

std::vector<TrendMarker> trendMarkers(const QRect& plot, const TrendState& state, const QFontMetrics& fm);
void paintTrendMarkerLabels(QPainter& painter, const QRect& plot, const std::vector<TrendMarker>& markers,
                            const QFontMetrics& fm);

// The status-change marker lines, dashed, over the plot's height.
void paintTrendMarkerLines(QPainter& painter, const QRect& plot, const std::vector<TrendMarker>& markers);

// The traces of a plot zoomed out to two rows or more a pixel column: for
// each drawn channel, lowest first, one vertical span of rows a pixel column.
struct TrendSpans {
    // Rows from the plot's top, both ends included, inside the plot's clip;
    // empty when y0 > y1.
    struct Span {
        int y0 = 1, y1 = 0;
    };
    std::vector<std::vector<Span>> channels;  // [channel][pixel column]
    std::vector<QRgb> colours;                // opaque
    int penWidth = 1;
};
// Fills `spans` and returns true when the plot is zoomed out that far;
// returns false when its rows are to be joined by lines instead.
bool trendTraceSpans(TrendSpans& spans, const QRect& plot, const TrendState& state);
// Writes the spans' pixels into `image` (32 bits a pixel, no scaling),
// `plot` given in the image's pixels, inside the plot's clip only; what the
// spans do not cover is left as it was.
void paintTrendSpans(QImage& image, const QRect& plot, const TrendSpans& spans);

// The layer's pixel (0, 0) is the area's top left corner; it is meant to be
// drawn there with the plot's clip.
QImage trendTraceLayer(const QRect& area, const QRect& plot, const TrendState& state,
                       const std::vector<TrendMarker>& markers);
// The same into `layer`, whose memory is reused when it has the size.
void trendTraceLayer(QImage& layer, const QRect& area, const QRect& plot, const TrendState& state,
                     const std::vector<TrendMarker>& markers);
