#include "ui/trend/trend_painter.h"

#include <QDateTime>
#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <cmath>

#include "runtime/alarm_latch.h"

namespace {

// A step of 1, 2 or 5 times a power of ten giving about `pixels` between ticks.
double niceStep(double span, int width, int pixels) {
    const double raw = span * pixels / std::max(width, 1);
    const double p = std::pow(10.0, std::floor(std::log10(raw)));
    for (double m : {1.0, 2.0, 5.0, 10.0})
        if (m * p >= raw) return m * p;
    return 10 * p;
}

QString secondsLabel(double s, double step) {
    const int decimals = step >= 1 ? 0 : step >= 0.1 ? 1 : 2;
    return QString::number(s, 'f', decimals) + QStringLiteral(" s");
}

int yOf(const QRect& plot, float v, float lo, float hi) {
    if (!(hi != lo) || std::isnan(v)) return plot.center().y();
    const double f = std::clamp((v - lo) / static_cast<double>(hi - lo), -0.02, 1.02);
    return plot.bottom() - static_cast<int>(std::lround(f * (plot.height() - 1)));
}

}  // namespace

std::size_t trendCursorRow(const TrendState& s) {
    if (!s.log || s.log->rowCount() == 0 || !s.cursor) return 0;
    return std::min(s.log->rowAtOrAfter(*s.cursor), s.log->rowCount() - 1);
}

QRect trendPlotRect(const QRect& area, int fontHeight) {
    return area.adjusted(6, 6, -6, -(2 * fontHeight + 10));
}

double trendTimeAt(const QRect& plot, const TrendState& s, int x) {
    return s.t0 + (x - plot.left()) * (s.t1 - s.t0) / std::max(plot.width(), 1);
}

int trendXOf(const QRect& plot, const TrendState& s, double seconds) {
    return plot.left() + static_cast<int>(std::lround((seconds - s.t0) / (s.t1 - s.t0) * plot.width()));
}

void paintTrend(QPainter& p, const QRect& area, const TrendState& s) {
    p.fillRect(area, s.background);
    const QFontMetrics fm(p.font());
    const QRect plot = trendPlotRect(area, fm.height());
    if (plot.width() < 10 || plot.height() < 10) return;
    p.setPen(s.grid);
    p.drawRect(plot.adjusted(0, 0, -1, -1));

    // Time grid and axis: seconds on the first line, clock time on the second.
    const double step = niceStep(s.t1 - s.t0, plot.width(), 110);
    QPen gridPen(s.grid, 1, Qt::DotLine);
    for (double t = std::ceil(s.t0 / step) * step; t <= s.t1; t += step) {
        const int x = trendXOf(plot, s, t);
        p.setPen(gridPen);
        p.drawLine(x, plot.top(), x, plot.bottom());
        p.setPen(s.grid.lighter(170));
        const QString label = secondsLabel(t, step);
        auto inside = [&](int width) { return std::clamp(x - width / 2, area.left() + 2, area.right() - width - 2); };
        p.drawText(inside(fm.horizontalAdvance(label)), plot.bottom() + fm.ascent() + 4, label);
        if (s.log && s.log->rowCount() > 0) {
            const std::size_t row = std::min(s.log->rowAtOrAfter(t), s.log->rowCount() - 1);
            const double clock = s.log->clockSeconds(row);
            if (clock >= 0) {
                const double at = clock - (s.log->seconds(row) - t);
                const QString c = QDateTime::fromMSecsSinceEpoch(static_cast<qint64>(at * 1000))
                                      .toString(QStringLiteral("HH:mm:ss"));
                p.drawText(inside(fm.horizontalAdvance(c)), plot.bottom() + fm.height() + fm.ascent() + 6, c);
            }
        }
    }
    for (int i = 1; i < 4; ++i) {
        p.setPen(gridPen);
        const int y = plot.top() + plot.height() * i / 4;
        p.drawLine(plot.left(), y, plot.right(), y);
    }
    if (!s.log || !s.index) return;

    p.save();
    p.setClipRect(plot.adjusted(1, 1, -1, -1));

    // The selected range.
    if (s.selection) {
        const int a = trendXOf(plot, s, s.selection->first), b = trendXOf(plot, s, s.selection->second);
        QColor shade = s.grid;
        shade.setAlpha(45);
        p.fillRect(QRect(QPoint(std::min(a, b), plot.top()), QPoint(std::max(a, b), plot.bottom())), shade);
    }

    // Status changes: a marker with the alarm text where there is room.
    const auto& changes = s.index->statusChanges();
    const std::size_t firstRow = s.log->rowAtOrAfter(s.t0), endRow = s.log->rowAtOrAfter(s.t1);
    auto it = std::lower_bound(changes.begin(), changes.end(), firstRow);
    int lastLabelRight = -1000000;
    QPen markerPen(QColor(255, 160, 0), 1, Qt::DashLine);
    markerPen.setCosmetic(true);
    int lastMarkerX = -1;
    for (; it != changes.end() && *it < endRow; ++it) {
        if (*it == 0) continue;  // the first row is no change
        const int x = trendXOf(plot, s, s.log->seconds(*it));
        if (x == lastMarkerX) continue;  // one marker a pixel column
        lastMarkerX = x;
        p.setPen(markerPen);
        p.drawLine(x, plot.top(), x, plot.bottom());
        if (x > lastLabelRight + 6) {
            AlarmLatch latch;
            QString text = QString::fromStdString(latch.decode(s.log->status(*it)));
            text = text.section(QLatin1Char('\n'), 0, 0).trimmed();
            if (text.isEmpty()) text = QStringLiteral("Status %1").arg(s.log->status(*it), 4, 16, QLatin1Char('0'));
            p.setPen(QColor(255, 190, 80));
            p.drawText(x + 3, plot.top() + fm.ascent() + 2, text);
            lastLabelRight = x + 3 + fm.horizontalAdvance(text);
        }
    }

    // Traces, channel 18 down to 0 so that Main lies on top.
    const double rowsPerPixel = (endRow - firstRow) / std::max(1.0, static_cast<double>(plot.width()));
    const std::vector<std::size_t> bounds =
        rowsPerPixel < 2 ? std::vector<std::size_t>{} : s.index->columnBounds(s.t0, s.t1, plot.width());
    QImage layer;
    if (!bounds.empty()) {
        layer = QImage(plot.size(), QImage::Format_ARGB32_Premultiplied);
        layer.fill(Qt::transparent);
    }
    for (int ch = kGraphChannelCount - 1; ch >= 0; --ch) {
        const TrendChannel& c = s.channels[ch];
        if (!c.enabled || c.column == LogColumn::Count) continue;
        const auto [lo, hi] = s.range(ch);
        QPen pen(c.colour, s.penWidth, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin);
        pen.setCosmetic(true);  // the raster engine's fast line path
        p.setPen(pen);
        // Segments drawn as one batch of lines: much cheaper than a path.
        QVector<QLineF> lines;
        if (rowsPerPixel < 2) {
            // Zoomed in: every row, joined, a gap where blocks part.
            const std::size_t from = firstRow > 0 ? firstRow - 1 : 0;
            const std::size_t to = std::min(endRow + 1, s.log->rowCount());
            lines.reserve(static_cast<int>(to - from));
            bool open = false;
            QPointF last;
            for (std::size_t r = from; r < to; ++r) {
                const float v = s.log->value(c.column, r);
                if (std::isnan(v)) { open = false; continue; }
                const QPointF pt(trendXOf(plot, s, s.log->seconds(r)), yOf(plot, v, lo, hi));
                if (open && r > 0 && s.log->blockOf(r) != s.log->blockOf(r - 1)) open = false;
                if (open) lines.append(QLineF(last, pt));
                last = pt;
                open = true;
            }
        } else {
            // Many rows a column: each column is one vertical span from the
            // last value of the column before through its own min and max,
            // written straight into a layer (a frame then costs the same for
            // any number of rows, and no spike is lost).
            const std::vector<TrendColumn> cols = s.index->columns(c.column, bounds);
            const QRgb rgb = c.colour.rgb();
            const int w = std::max(1, s.penWidth);
            const int top = plot.top();
            QRgb* const pixels = reinterpret_cast<QRgb*>(layer.bits());
            const std::ptrdiff_t stride = layer.bytesPerLine() / 4;
            bool open = false;
            int lastY = 0;
            for (int x = 0; x < plot.width(); ++x) {
                const TrendColumn& col = cols[x];
                if (!col.any) { open = false; continue; }
                int y0 = std::min(yOf(plot, col.min, lo, hi), yOf(plot, col.max, lo, hi));
                int y1 = std::max(yOf(plot, col.min, lo, hi), yOf(plot, col.max, lo, hi));
                const int firstY = yOf(plot, col.first, lo, hi);
                if (open) {
                    y0 = std::min({y0, lastY, firstY});
                    y1 = std::max({y1, lastY, firstY});
                }
                y0 = std::clamp(y0 - (w - 1) / 2 - top, 0, layer.height() - 1);
                y1 = std::clamp(y1 + w / 2 - top, 0, layer.height() - 1);
                for (int dx = 0; dx < w && x + dx < layer.width(); ++dx) {
                    QRgb* px = pixels + static_cast<std::ptrdiff_t>(y0) * stride + x + dx;
                    for (int y = y0; y <= y1; ++y, px += stride) *px = rgb;
                }
                lastY = yOf(plot, col.last, lo, hi);
                open = true;
            }
            continue;
        }
        p.drawLines(lines);
    }
    if (!layer.isNull()) p.drawImage(plot.topLeft(), layer);

    // The cursor: a line and the value of every visible channel at it.
    if (s.cursor && s.log->rowCount() > 0) {
        const std::size_t row = trendCursorRow(s);
        const int x = trendXOf(plot, s, s.log->seconds(row));
        p.setPen(QPen(Qt::white, 1));
        p.drawLine(x, plot.top(), x, plot.bottom());
        QStringList lines;
        lines << QStringLiteral("%1 s  (row %2)").arg(QString::number(s.log->seconds(row), 'f', 2)).arg(row + 1);
        QList<QColor> colours{Qt::white};
        for (int ch = 0; ch < kGraphChannelCount; ++ch) {
            const TrendChannel& c = s.channels[ch];
            if (!c.enabled || c.column == LogColumn::Count) continue;
            lines << QStringLiteral("%1  %2").arg(c.name, QString::number(s.log->value(c.column, row), 'f', 3));
            colours << c.colour;
        }
        int w = 0;
        for (const QString& l : lines) w = std::max(w, fm.horizontalAdvance(l));
        QRect box(x + 8, plot.top() + fm.height() + 8, w + 10, lines.size() * fm.height() + 6);
        if (box.right() > plot.right()) box.moveRight(x - 8);
        QColor fill = s.background;
        fill.setAlpha(220);
        p.fillRect(box, fill);
        p.setPen(s.grid);
        p.drawRect(box);
        for (int i = 0; i < lines.size(); ++i) {
            p.setPen(colours[i]);
            p.drawText(box.left() + 5, box.top() + 3 + fm.ascent() + i * fm.height(), lines[i]);
        }
    }
    p.restore();
}
