#include "ui/runtime/trace_raster.h"

#include <QPainter>
#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace {

class PixelWriter {
public:
    PixelWriter(QImage& image, QRgb colour)
        : bits_(image.bits()), stride_(image.bytesPerLine()), w_(image.width()), h_(image.height()),
          colour_(colour | 0xFF000000u) {}

    void hspan(int x0, int x1, int y) {
        if (y < 0 || y >= h_) return;
        x0 = std::max(x0, 0);
        x1 = std::min(x1, w_ - 1);
        QRgb* row = reinterpret_cast<QRgb*>(bits_ + static_cast<qsizetype>(y) * stride_);
        for (int x = x0; x <= x1; ++x) row[x] = colour_;
    }
    void vspan(int x, int y0, int y1) {
        if (x < 0 || x >= w_) return;
        y0 = std::max(y0, 0);
        y1 = std::min(y1, h_ - 1);
        for (int y = y0; y <= y1; ++y) reinterpret_cast<QRgb*>(bits_ + static_cast<qsizetype>(y) * stride_)[x] = colour_;
    }
    // A disc of diameter `width` over the same pixels a span covers:
    // offsets -(width / 2) .. width - 1 - width / 2 around (x, y).
    void blob(int x, int y, int width) {
        const int lo = -(width / 2);
        const double centre = lo + width / 2.0;
        const double r2 = width * width / 4.0;
        for (int j = lo; j < lo + width; ++j) {
            const double cy = j + 0.5 - centre;
            int first = lo + width, last = lo - 1;
            for (int i = lo; i < lo + width; ++i) {
                const double cx = i + 0.5 - centre;
                if (cx * cx + cy * cy <= r2) {
                    first = std::min(first, i);
                    last = std::max(last, i);
                }
            }
            if (first <= last) hspan(x + first, x + last, y + j);
        }
    }

private:
    uchar* bits_;
    qsizetype stride_;
    int w_, h_;
    QRgb colour_;
};

// Steps along the longer axis from a to b, both ends included, setting a
// span across the line whose length keeps the perpendicular thickness.
void segment(PixelWriter& out, QPoint a, QPoint b, int width) {
    const int dx = b.x() - a.x();
    const int dy = b.y() - a.y();
    const int adx = std::abs(dx);
    const int ady = std::abs(dy);
    const int major = std::max(adx, ady);
    if (major == 0) return;
    int span = width;
    if (width > 1) span = std::max(1, static_cast<int>(std::lround(width * std::hypot(dx, dy) / major)));
    const int lo = -(span / 2);
    const int sx = dx < 0 ? -1 : 1;
    const int sy = dy < 0 ? -1 : 1;
    int x = a.x();
    int y = a.y();
    if (adx >= ady) {
        int err = 2 * ady - adx;
        for (int i = 0; i <= adx; ++i) {
            out.vspan(x, y + lo, y + lo + span - 1);
            if (err > 0) {
                y += sy;
                err -= 2 * adx;
            }
            err += 2 * ady;
            x += sx;
        }
    } else {
        int err = 2 * adx - ady;
        for (int i = 0; i <= ady; ++i) {
            out.hspan(x + lo, x + lo + span - 1, y);
            if (err > 0) {
                x += sx;
                err -= 2 * ady;
            }
            err += 2 * adx;
            y += sy;
        }
    }
}

}  // namespace

QImage* directTraceTarget(QPainter& painter) {
    QPaintDevice* device = painter.device();
    if (!device || device->devType() != QInternal::Image) return nullptr;
    auto* image = static_cast<QImage*>(device);
    const QImage::Format f = image->format();
    if (f != QImage::Format_RGB32 && f != QImage::Format_ARGB32 && f != QImage::Format_ARGB32_Premultiplied)
        return nullptr;
    if (painter.deviceTransform().type() > QTransform::TxScale || painter.hasClipping() ||
        painter.opacity() != 1.0 || painter.compositionMode() != QPainter::CompositionMode_SourceOver)
        return nullptr;
    return image;
}

void rasterPolyline(QImage& image, const QPoint* points, int count, int width, QRgb colour) {
    if (count <= 0 || image.isNull()) return;
    width = std::max(1, width);
    PixelWriter out(image, colour);
    for (int i = 0; i + 1 < count; ++i) segment(out, points[i], points[i + 1], width);
    if (width > 1)
        for (int i = 0; i < count; ++i) out.blob(points[i].x(), points[i].y(), width);
    else
        out.hspan(points[0].x(), points[0].x(), points[0].y());
}
