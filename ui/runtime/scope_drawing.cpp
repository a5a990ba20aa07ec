#include "ui/runtime/scope_drawing.h"

#include <QFont>
#include <QFontMetrics>
#include <QPainter>
#include <algorithm>
#include <cmath>
#include <vector>

#include "ui/runtime/trace_raster.h"

namespace {

// |trunc(log10(|v|))|: digits of the integer part, or leading zeros of a
// small value; 0 for a bound of exactly 0.
int digitCount(double v) {
    if (v == 0.0 || !std::isfinite(v)) return 0;
    const double d = std::trunc(std::log10(std::fabs(v)));
    return static_cast<int>(std::min(std::fabs(d), 400.0));
}

QFont labelFont() {
    QFont font(QStringLiteral("Arial"));
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(kScopeFontPixels);
    font.setWeight(QFont::Light);
    font.setItalic(false);
    font.setUnderline(false);
    return font;
}

enum class Anchor { RightTop, RightBaseline, LeftTop, CentreTop };

void drawLabel(QPainter& p, const QFontMetrics& fm, const QString& text, int x, int y, Anchor anchor) {
    const int width = fm.horizontalAdvance(text);
    int left = x;
    int baseline = y + fm.ascent();
    switch (anchor) {
    case Anchor::RightTop: left = x - width; break;
    case Anchor::RightBaseline: left = x - width; baseline = y; break;
    case Anchor::LeftTop: break;
    case Anchor::CentreTop: left = x - width / 2; break;
    }
    p.drawText(QPoint(left, baseline), text);
}

}  // namespace

int scopeLabelCharacters(const ScopeState& s) {
    if (!s.topLabel.isEmpty() || !s.bottomLabel.isEmpty())
        return static_cast<int>(std::max(s.topLabel.size(), s.bottomLabel.size())) + 2;
    return std::max(digitCount(s.top), digitCount(s.bottom)) + s.decimals + 4;
}

ScopePlot scopePlot(const ScopeState& s, int width, int height) {
    ScopePlot plot;
    plot.left = 2 + kScopeCharWidth * scopeLabelCharacters(s);
    plot.top = 2;
    plot.right = width - 5;
    plot.bottom = height - 5 - 20;
    return plot;
}

int scopeRow(const ScopeState& s, const ScopePlot& plot, double v) {
    const int height = plot.bottom - plot.top;
    const double span = s.top - s.bottom;
    if (std::isnan(v) || span == 0.0 || !std::isfinite(span))
        return plot.top + height / 2;
    if (v > s.top) v = s.top;
    if (v < s.bottom) v = s.bottom;
    const double scale = (height - 4) / span;
    return static_cast<int>(plot.top + 2 + (s.top - v) * scale);
}

void drawScope(QPainter& p, const ScopeState& s, int width, int height) {
    const QColor background = colorFromRef(s.background);
    const QColor grid = colorFromRef(s.grid);
    p.setRenderHint(QPainter::Antialiasing, false);
    p.fillRect(0, 0, width, height, background);
    p.setBackgroundMode(Qt::OpaqueMode);
    p.setBackground(background);

    const ScopePlot plot = scopePlot(s, width, height);
    const bool room = plot.right - plot.left >= 3 && plot.bottom - plot.top >= 5;

    if (room) {
        // Frame.
        p.setPen(QPen(grid, 1));
        p.drawLine(plot.left, plot.top, plot.right, plot.top);
        p.drawLine(plot.right, plot.top, plot.right, plot.bottom);
        p.drawLine(plot.right, plot.bottom, plot.left, plot.bottom);
        p.drawLine(plot.left, plot.bottom, plot.left, plot.top);
        // Dotted grid: three rows, every fourth pixel.
        const int mid = (plot.top + plot.bottom) / 2;
        const int quarter = (plot.bottom - plot.top) / 4;
        QPoint dots[3 * 1024];
        int n = 0;
        for (int x = plot.left; x < plot.right; x += 4) {
            if (n + 3 > static_cast<int>(std::size(dots))) {
                p.drawPoints(dots, n);
                n = 0;
            }
            dots[n++] = QPoint(x, mid - quarter);
            dots[n++] = QPoint(x, mid);
            dots[n++] = QPoint(x, mid + quarter);
        }
        p.drawPoints(dots, n);
    }

    // Labels.
    const QFont font = labelFont();
    p.setFont(font);
    const QFontMetrics fm(font, p.device());
    p.setPen(colorFromRef(s.text));
    const int labelX = plot.left - 4;
    const QString topText = s.topLabel.isEmpty() ? QString::number(s.top, 'f', s.decimals) : s.topLabel;
    const QString bottomText =
        s.bottomLabel.isEmpty() ? QString::number(s.bottom, 'f', s.decimals) : s.bottomLabel;
    drawLabel(p, fm, topText, labelX, plot.top, Anchor::RightTop);
    drawLabel(p, fm, s.middleLabel, labelX, (plot.top + plot.bottom) / 2 + 3, Anchor::RightBaseline);
    drawLabel(p, fm, bottomText, labelX, plot.bottom, Anchor::RightBaseline);
    drawLabel(p, fm, QString::number(0), plot.left, plot.bottom + 4, Anchor::LeftTop);
    drawLabel(p, fm, s.xAxisLabel, (plot.left + plot.right) / 2, plot.bottom + 4, Anchor::CentreTop);
    drawLabel(p, fm, QString::number(kScopeHistory), plot.right, plot.bottom + 4, Anchor::RightTop);
    p.setBackgroundMode(Qt::TransparentMode);

    if (!room) return;
    // Traces, channel 0 last so that it lies on top. The oldest sample
    // covers the first step as a level segment.
    const double step = (plot.right - plot.left - 2) / static_cast<double>(kScopeHistory);
    QImage* direct = directTraceTarget(p);
    const QTransform toDevice = p.deviceTransform();
    const int deviceWidth = std::max(1, static_cast<int>(std::lround(s.penWidth * toDevice.m11())));
    QPoint points[kScopeHistory + 1];
    for (int channel = kScopeChannels - 1; channel >= 0; --channel) {
        if (!s.enabled[channel]) continue;
        const auto& history = s.samples[channel];
        double x = plot.left + 1;
        points[0] = QPoint(static_cast<int>(x), scopeRow(s, plot, history[0]));
        for (int i = 0; i < kScopeHistory; ++i) {
            x += step;
            points[i + 1] = QPoint(static_cast<int>(x), scopeRow(s, plot, history[i]));
        }
        const QColor colour = colorFromRef(s.channelColors[channel]);
        if (direct) {
            for (QPoint& point : points) point = toDevice.map(point);
            rasterPolyline(*direct, points, kScopeHistory + 1, deviceWidth, colour.rgb());
        } else {
            p.setPen(QPen(colour, s.penWidth, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
            p.drawPolyline(points, kScopeHistory + 1);
        }
    }
}

QImage renderScope(const ScopeState& state, QSize size, qreal dpr) {
    QImage image(size * dpr, QImage::Format_RGB32);
    image.setDevicePixelRatio(dpr);
    if (image.isNull()) return image;
    QPainter painter(&image);
    drawScope(painter, state, size.width(), size.height());
    return image;
}

QImage renderScopeWithLegend(const ScopeState& state, QSize size, qreal dpr) {
    const QFont font = labelFont();
    const QFontMetrics fm(font);
    const int swatch = 18;
    const int pad = 6;
    std::vector<int> shown;
    int widest = 0;
    for (int ch = 0; ch < kScopeChannels; ++ch) {
        if (!state.enabled[ch] || state.legend[ch].isEmpty()) continue;
        shown.push_back(ch);
        widest = std::max(widest, fm.horizontalAdvance(state.legend[ch]));
    }
    if (shown.empty()) return renderScope(state, size, dpr);
    const int entryWidth = swatch + pad + widest + 2 * pad;
    const int columns = std::max(1, (size.width() - pad) / entryWidth);
    const int rows = (static_cast<int>(shown.size()) + columns - 1) / columns;
    const int line = fm.height() + 4;
    const int band = rows * line + 2 * pad;

    QImage image(QSize(size.width(), size.height() + band) * dpr, QImage::Format_RGB32);
    image.setDevicePixelRatio(dpr);
    if (image.isNull()) return image;
    QPainter p(&image);
    drawScope(p, state, size.width(), size.height());
    const QColor background = colorFromRef(state.background);
    p.fillRect(0, size.height(), size.width(), band, background);
    p.setFont(font);
    for (std::size_t i = 0; i < shown.size(); ++i) {
        const int ch = shown[i];
        const int x = pad + static_cast<int>(i) % columns * entryWidth;
        const int y = size.height() + pad + static_cast<int>(i) / columns * line;
        const QColor colour = colorFromRef(state.channelColors[ch]);
        const QRect text(x + swatch + pad, y, fm.horizontalAdvance(state.legend[ch]) + 2 * pad, line - 2);
        p.fillRect(text, readableBackground(colour, background));
        p.setPen(QPen(colour, 3));
        p.drawLine(x, y + line / 2, x + swatch, y + line / 2);
        p.setPen(colour);
        p.drawText(text, Qt::AlignCenter, state.legend[ch]);
    }
    return image;
}
