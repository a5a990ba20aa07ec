// Wide trace lines written straight into an image's pixels. The painter's
// stroker needs several milliseconds for 19 polylines of 100 segments with
// a pen wider than one pixel; stepping along each segment and setting spans
// of pixels needs a fraction of one. Used for images in 32-bit formats; any
// other device takes the painter's own lines.
#pragma once

#include <QImage>
#include <QPoint>
#include <QRgb>

class QPainter;

// The image `painter` draws on when it can take the traces directly (a
// 32-bit image, a transform that only scales and moves, no clip, plain
// opaque drawing); null otherwise.
QImage* directTraceTarget(QPainter& painter);

// A polyline of `count` points (device pixels) with a pen `width` pixels
// wide: perpendicular thickness `width` along the segments and a round
// blob at every point. Pixels outside the image are skipped.
void rasterPolyline(QImage& image, const QPoint* points, int count, int width, QRgb colour);
