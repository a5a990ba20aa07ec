#include "ui/trend/trend_painter.h"

#include <QDateTime>
#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <cmath>

#include "ui/trend/trend_traces.h"

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

}  // namespace

std::size_t trendCursorRow(const TrendState& s) {
    if (!s.log || s.log->rowCount() == 0 || !s.cursor) return 0;
    return std::min(s.log->rowAtOrAfter(*s.cursor), s.log->rowCount() - 1);
}

QRect trendPlotRect(const QRect& area, int fontHeight) {
    return area.adjusted(6, 6, -6, -(2 * fontHeight + 10));
}

QRect trendPlotClip(const QRect& plot) { return plot.adjusted(1, 1, -1, -1); }

bool trendHasPlot(const QRect& plot, const TrendState& s) {
    return plot.width() >= 10 && plot.height() >= 10 && s.log && s.index;
}

double trendTimeAt(const QRect& plot, const TrendState& s, int x) {
    return s.t0 + (x - plot.left()) * (s.t1 - s.t0) / std::max(plot.width(), 1);
}

int trendXOf(const QRect& plot, const TrendState& s, double seconds) {
    return plot.left() + static_cast<int>(std::lround((seconds - s.t0) / (s.t1 - s.t0) * plot.width()));
}

void paintTrendBase(QPainter& p, const QRect& area, const TrendState& s) {
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
}

void paintTrendSelection(QPainter& p, const QRect& plot, const TrendState& s) {
    if (!s.selection) return;
    const int a = trendXOf(plot, s, s.selection->first), b = trendXOf(plot, s, s.selection->second);
    QColor shade = s.grid;
    shade.setAlpha(45);
    p.fillRect(QRect(QPoint(std::min(a, b), plot.top()), QPoint(std::max(a, b), plot.bottom())), shade);
}

// The cursor: a line and the value of every visible channel at it.
void paintTrendCursor(QPainter& p, const QRect& plot, const TrendState& s, const QFontMetrics& fm) {
    if (!s.cursor || s.log->rowCount() == 0) return;
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

void paintTrend(QPainter& p, const QRect& area, const TrendState& s) {
    paintTrendBase(p, area, s);
    const QFontMetrics fm(p.font());
    const QRect plot = trendPlotRect(area, fm.height());
    if (!trendHasPlot(plot, s)) return;
    p.save();
    p.setClipRect(trendPlotClip(plot));
    paintTrendSelection(p, plot, s);
    // The markers' texts lie under their lines and the traces, which are
    // opaque and come in one layer.
    const std::vector<TrendMarker> markers = trendMarkers(plot, s, fm);
    paintTrendMarkerLabels(p, plot, markers, fm);
    p.drawImage(area.topLeft(), trendTraceLayer(area, plot, s, markers));
    paintTrendCursor(p, plot, s, fm);
    p.restore();
}
