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

// The layer's pixel (0, 0) is the area's top left corner; it is meant to be
// drawn there with the plot's clip.
QImage trendTraceLayer(const QRect& area, const QRect& plot, const TrendState& state,
                       const std::vector<TrendMarker>& markers);
// The same into `layer`, whose memory is reused when it has the size.
void trendTraceLayer(QImage& layer, const QRect& area, const QRect& plot, const TrendState& state,
                     const std::vector<TrendMarker>& markers);
