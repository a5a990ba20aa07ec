#include "ui/trend/trend_traces.h"

#include <QFontMetrics>
#include <QPainter>
#include <algorithm>
#include <cmath>

#include "runtime/alarm_latch.h"
#include "ui/trend/trend_painter.h"

namespace {

int yOf(const QRect& plot, float v, float lo, float hi) {
    if (!(hi != lo) || std::isnan(v)) return plot.center().y();
    const double f = std::clamp((v - lo) / static_cast<double>(hi - lo), -0.02, 1.02);
    return plot.bottom() - static_cast<int>(std::floor(f * (plot.height() - 1) + 0.5));
}

using Span = TrendSpans::Span;

// Many rows a column: each column is one vertical span from the last value
// of the column before through its own min and max, `width` pixels wide.
std::vector<Span> channelSpans(const QRect& plot, const TrendState& s, int ch, const std::vector<TrendColumn>& cols) {
    const auto [lo, hi] = s.range(ch);
    const int w = std::max(1, s.penWidth);
    const int top = plot.top(), height = plot.height();
    std::vector<Span> spans(cols.size());
    bool open = false;
    int lastY = 0;
    for (std::size_t x = 0; x < cols.size(); ++x) {
        const TrendColumn& col = cols[x];
        if (!col.any) {
            open = false;
            continue;
        }
        const int a = yOf(plot, col.min, lo, hi), b = yOf(plot, col.max, lo, hi);
        int y0 = std::min(a, b), y1 = std::max(a, b);
        if (open) {
            const int firstY = yOf(plot, col.first, lo, hi);
            y0 = std::min({y0, lastY, firstY});
            y1 = std::max({y1, lastY, firstY});
        }
        // Cut to the plot's clip: the rows inside its frame.
        spans[x] = {std::max(y0 - (w - 1) / 2 - top, 1), std::min(y1 + w / 2 - top, height - 2)};
        lastY = yOf(plot, col.last, lo, hi);
        open = true;
    }
    return spans;
}

// The rows of one pixel column already painted: sorted, disjoint runs.
class CoveredRows {
public:
    void clear() { runs_.clear(); }
    // Calls paint(a, b) for each part of [y0, y1] not covered yet, then
    // covers the whole of it.
    template <class Paint>
    void add(int y0, int y1, Paint&& paint) {
        int y = y0;
        std::size_t i = 0;
        while (i < runs_.size() && runs_[i].second < y0) ++i;
        const std::size_t first = i;
        for (; i < runs_.size() && runs_[i].first <= y1; ++i) {
            if (runs_[i].first > y) paint(y, runs_[i].first - 1);
            y = std::max(y, runs_[i].second + 1);
        }
        if (y <= y1) paint(y, y1);
        // Merge [y0, y1] with the runs it touches, runs [first, i).
        const int lo = first < i ? std::min(y0, runs_[first].first) : y0;
        const int hi = first < i ? std::max(y1, runs_[i - 1].second) : y1;
        runs_.erase(runs_.begin() + static_cast<std::ptrdiff_t>(first), runs_.begin() + static_cast<std::ptrdiff_t>(i));
        runs_.insert(runs_.begin() + static_cast<std::ptrdiff_t>(first), {lo, hi});
    }
    const std::vector<std::pair<int, int>>& runs() const { return runs_; }

private:
    std::vector<std::pair<int, int>> runs_;
};

// Writes the spans into the layer a tile of 16 columns at a time, so that
// the lowest channel wins. A tile whose spans are short (a quiet log: a few
// pixels a channel) is written straight into the layer, channel 18 first:
// neighbouring columns touch the same rows, so the writes stay in the cache.
// A tile of long spans (noise over the whole height) is painted channel 0
// first, each later channel only where no earlier one is, so that each pixel
// is written once however many spans cover it, into a small column-major
// buffer that then goes into the layer a row at a time instead of a pixel
// per row.
void fillSpans(QImage& layer, const QRect& plot, const std::vector<std::vector<Span>>& spans,
               const std::vector<QRgb>& colours, int penWidth) {
    constexpr int kTile = 16;
    const int width = plot.width(), height = plot.height();
    if (width < 3 || height < 3) return;
    const int tileStride = height + 16;  // keeps the tile's columns off the same cache sets
    std::vector<QRgb> tile(static_cast<std::size_t>(kTile) * tileStride);
    const int w = std::max(1, penWidth);
    const qsizetype stride = layer.bytesPerLine() / static_cast<qsizetype>(sizeof(QRgb));
    QRgb* origin = reinterpret_cast<QRgb*>(layer.bits()) + plot.top() * stride + plot.left();
    CoveredRows covered;
    // Paints column x through `put(y0, y1, colour)`; returns the rows covered.
    auto paintColumn = [&](int x, auto&& put) -> const std::vector<std::pair<int, int>>& {
        covered.clear();
        for (std::size_t ch = 0; ch < spans.size(); ++ch)
            for (int from = std::max(0, x - w + 1); from <= x; ++from) {
                const Span& sp = spans[ch][from];
                if (sp.y0 <= sp.y1) covered.add(sp.y0, sp.y1, [&](int a, int b) { put(a, b, colours[ch]); });
            }
        return covered.runs();
    };
    // The columns inside the frame (the clip), 1 .. width - 2.
    for (int x0 = 1; x0 < width - 1; x0 += kTile) {
        const int n = std::min(kTile, width - 1 - x0);
        int top = height, bottom = -1;
        long pixels = 0;
        for (const auto& channel : spans)
            for (int x = std::max(0, x0 - w + 1); x < x0 + n; ++x)
                if (channel[x].y0 <= channel[x].y1) {
                    top = std::min(top, channel[x].y0);
                    bottom = std::max(bottom, channel[x].y1);
                    pixels += channel[x].y1 - channel[x].y0 + 1;
                }
        if (bottom < top) continue;
        if (pixels * 4 < static_cast<long>(bottom - top + 1) * n) {
            // Few pixels: channel 18 first, each later one over it.
            for (int i = 0; i < n; ++i) {
                QRgb* column = origin + x0 + i;
                for (std::size_t ch = spans.size(); ch-- > 0;)
                    for (int from = std::max(0, x0 + i - w + 1); from <= x0 + i; ++from) {
                        const Span& sp = spans[ch][from];
                        for (int y = sp.y0; y <= sp.y1; ++y) column[y * stride] = colours[ch];
                    }
            }
            continue;
        }
        for (int i = 0; i < n; ++i) {
            QRgb* column = tile.data() + static_cast<std::ptrdiff_t>(i) * tileStride;
            const auto& runs = paintColumn(x0 + i, [&](int a, int b, QRgb colour) {
                std::fill(column + a, column + b + 1, colour);
            });
            // What no span covers stays clear (0: not copied).
            int y = top;
            for (const auto& [a, b] : runs) {
                if (a > y) std::fill(column + y, column + a, QRgb(0));
                y = b + 1;
            }
            if (y <= bottom) std::fill(column + y, column + bottom + 1, QRgb(0));
        }
        for (int y = top; y <= bottom; ++y) {
            QRgb* line = origin + y * stride + x0;
            const QRgb* from = tile.data() + y;
            for (int i = 0; i < n; ++i, from += tileStride)
                if (*from) line[i] = *from;
        }
    }
}

}  // namespace

std::vector<TrendMarker> trendMarkers(const QRect& plot, const TrendState& s, const QFontMetrics& fm) {
    std::vector<TrendMarker> markers;
    const auto& changes = s.index->statusChanges();
    const std::size_t firstRow = s.log->rowAtOrAfter(s.t0), endRow = s.log->rowAtOrAfter(s.t1);
    auto it = std::lower_bound(changes.begin(), changes.end(), firstRow);
    int lastLabelRight = -1000000;
    int lastMarkerX = -1;
    for (; it != changes.end() && *it < endRow; ++it) {
        if (*it == 0) continue;  // the first row is no change
        const int x = trendXOf(plot, s, s.log->seconds(*it));
        if (x == lastMarkerX) continue;  // one marker a pixel column
        lastMarkerX = x;
        TrendMarker m{x, {}};
        if (x > lastLabelRight + 6) {
            AlarmLatch latch;
            QString text = QString::fromStdString(latch.decode(s.log->status(*it)));
            text = text.section(QLatin1Char('\n'), 0, 0).trimmed();
            if (text.isEmpty()) text = QStringLiteral("Status %1").arg(s.log->status(*it), 4, 16, QLatin1Char('0'));
            lastLabelRight = x + 3 + fm.horizontalAdvance(text);
            m.label = text;
        }
        markers.push_back(std::move(m));
    }
    return markers;
}

void paintTrendMarkerLabels(QPainter& p, const QRect& plot, const std::vector<TrendMarker>& markers,
                            const QFontMetrics& fm) {
    p.setPen(QColor(255, 190, 80));
    for (const TrendMarker& m : markers)
        if (!m.label.isEmpty()) p.drawText(m.x + 3, plot.top() + fm.ascent() + 2, m.label);
}

void paintTrendMarkerLines(QPainter& p, const QRect& plot, const std::vector<TrendMarker>& markers) {
    QPen markerPen(QColor(255, 160, 0), 1, Qt::DashLine);
    markerPen.setCosmetic(true);
    p.setPen(markerPen);
    for (const TrendMarker& m : markers) p.drawLine(m.x, plot.top(), m.x, plot.bottom());
}

bool trendTraceSpans(TrendSpans& out, const QRect& plot, const TrendState& s) {
    const std::size_t firstRow = s.log->rowAtOrAfter(s.t0), endRow = s.log->rowAtOrAfter(s.t1);
    const double rowsPerPixel = (endRow - firstRow) / std::max(1.0, static_cast<double>(plot.width()));
    if (rowsPerPixel < 2) return false;
    const std::vector<std::size_t> bounds = s.index->columnBounds(s.t0, s.t1, plot.width());
    std::vector<int> drawn;
    std::vector<LogColumn> logColumns;
    for (int ch = 0; ch < kGraphChannelCount; ++ch) {
        const TrendChannel& c = s.channels[ch];
        if (!c.enabled || c.column == LogColumn::Count) continue;
        drawn.push_back(ch);
        logColumns.push_back(c.column);
    }
    out.channels.clear();
    out.colours.clear();
    out.penWidth = s.penWidth;
    if (bounds.empty()) return true;
    const std::vector<std::vector<TrendColumn>> columns = s.index->columns(logColumns, bounds);
    for (std::size_t i = 0; i < drawn.size(); ++i) {
        out.channels.push_back(channelSpans(plot, s, drawn[i], columns[i]));
        out.colours.push_back(s.channels[drawn[i]].colour.rgb());  // opaque, never 0
    }
    return true;
}

void paintTrendSpans(QImage& image, const QRect& plot, const TrendSpans& spans) {
    if (!spans.channels.empty()) fillSpans(image, plot, spans.channels, spans.colours, spans.penWidth);
}

QImage trendTraceLayer(const QRect& area, const QRect& plot, const TrendState& s,
                       const std::vector<TrendMarker>& markers) {
    QImage layer;
    trendTraceLayer(layer, area, plot, s, markers);
    return layer;
}

void trendTraceLayer(QImage& layer, const QRect& area, const QRect& plot, const TrendState& s,
                     const std::vector<TrendMarker>& markers) {
    // As large as the area, so that lines running out of the plot are cut
    // by the clip exactly as when drawn straight onto the area. A layer of
    // that size is reused: a new one costs its pages again.
    if (layer.size() != area.size() || layer.format() != QImage::Format_ARGB32_Premultiplied)
        layer = QImage(area.size(), QImage::Format_ARGB32_Premultiplied);
    layer.fill(Qt::transparent);
    QPainter p(&layer);
    p.translate(-area.topLeft());
    p.setClipRect(trendPlotClip(plot));

    paintTrendMarkerLines(p, plot, markers);
    TrendSpans spans;
    if (trendTraceSpans(spans, plot, s)) {
        p.end();
        paintTrendSpans(layer, plot.translated(-area.topLeft()), spans);
        return;
    }

    const std::size_t firstRow = s.log->rowAtOrAfter(s.t0), endRow = s.log->rowAtOrAfter(s.t1);
    // Zoomed in: every row, joined, a gap where blocks part; segments drawn
    // as one batch of lines, much cheaper than a path.
    for (int ch = kGraphChannelCount - 1; ch >= 0; --ch) {
        const TrendChannel& c = s.channels[ch];
        if (!c.enabled || c.column == LogColumn::Count) continue;
        const auto [lo, hi] = s.range(ch);
        QPen pen(c.colour, s.penWidth, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin);
        pen.setCosmetic(true);  // the raster engine's fast line path
        p.setPen(pen);
        QVector<QLineF> lines;
        const std::size_t from = firstRow > 0 ? firstRow - 1 : 0;
        const std::size_t to = std::min(endRow + 1, s.log->rowCount());
        lines.reserve(static_cast<int>(to - from));
        bool open = false;
        QPointF last;
        for (std::size_t r = from; r < to; ++r) {
            const float v = s.log->value(c.column, r);
            if (std::isnan(v)) {
                open = false;
                continue;
            }
            const QPointF pt(trendXOf(plot, s, s.log->seconds(r)), yOf(plot, v, lo, hi));
            if (open && r > 0 && s.log->blockOf(r) != s.log->blockOf(r - 1)) open = false;
            if (open) lines.append(QLineF(last, pt));
            last = pt;
            open = true;
        }
        p.drawLines(lines);
    }
}
