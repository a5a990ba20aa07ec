#include "ui/dialogs/autotune_chart.h"

#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <cmath>

#include "runtime/text_format.h"

namespace {

const QColor kActualColour(200, 0, 0);
const QColor kOutputColour(0, 90, 200);
const QColor kPointColour(90, 90, 90);

QString numberText(double v, int decimals) { return QString::fromStdString(fixedText(v, decimals)); }

}  // namespace

void paintAutotuneChart(QPainter& painter, const QRect& area, const AutotuneTrace& trace) {
    painter.save();
    painter.fillRect(area, Qt::white);
    painter.setPen(Qt::gray);
    painter.drawRect(area.adjusted(0, 0, -1, -1));
    const QFontMetrics fm = painter.fontMetrics();
    const int margin = fm.horizontalAdvance(QStringLiteral("-100.0")) + 6;
    const QRect plot = area.adjusted(margin, fm.height(), -margin, -fm.height());
    if (plot.width() < 10 || plot.height() < 10) {
        painter.restore();
        return;
    }
    // Tr1's scale: the operating point in the middle, wide enough for every sample.
    double span = 0.5;
    for (const AutotuneTrace::Point& p : trace.points)
        if (std::isfinite(p.actual)) span = std::max(span, std::abs(p.actual - trace.operatingPoint) * 1.1);
    const double t0 = trace.points.empty() ? 0 : trace.points.front().seconds;
    const double t1 = trace.points.empty() ? 1 : std::max(trace.points.back().seconds, t0 + 1);
    const double limit = std::max(1.0, trace.outputLimit) * 1.1;
    auto x = [&](double s) { return plot.left() + (s - t0) / (t1 - t0) * plot.width(); };
    auto yActual = [&](double v) { return plot.center().y() - (v - trace.operatingPoint) / span * plot.height() / 2; };
    auto yOutput = [&](double v) { return plot.center().y() - v / limit * plot.height() / 2; };

    painter.setPen(QPen(kPointColour, 1, Qt::DashLine));
    painter.drawLine(plot.left(), plot.center().y(), plot.right(), plot.center().y());
    painter.setPen(kActualColour);
    painter.drawText(QRect(area.left(), plot.top() - fm.height() / 2, margin - 4, fm.height()),
                     Qt::AlignRight | Qt::AlignVCenter, numberText(trace.operatingPoint + span, 2));
    painter.drawText(QRect(area.left(), plot.bottom() - fm.height() / 2, margin - 4, fm.height()),
                     Qt::AlignRight | Qt::AlignVCenter, numberText(trace.operatingPoint - span, 2));
    painter.setPen(kOutputColour);
    painter.drawText(QRect(plot.right() + 4, plot.top() - fm.height() / 2, margin - 4, fm.height()),
                     Qt::AlignLeft | Qt::AlignVCenter, numberText(limit, 0) + QLatin1Char('%'));
    painter.drawText(QRect(plot.right() + 4, plot.bottom() - fm.height() / 2, margin - 4, fm.height()),
                     Qt::AlignLeft | Qt::AlignVCenter, numberText(-limit, 0) + QLatin1Char('%'));

    if (trace.points.size() >= 2) {
        painter.setRenderHint(QPainter::Antialiasing);
        QPainterPath actual, output;
        bool first = true;
        for (const AutotuneTrace::Point& p : trace.points) {
            if (!std::isfinite(p.actual) || !std::isfinite(p.output)) continue;
            const QPointF a(x(p.seconds), yActual(p.actual)), o(x(p.seconds), yOutput(p.output));
            if (first) {
                actual.moveTo(a);
                output.moveTo(o);
                first = false;
            } else {
                actual.lineTo(a);
                output.lineTo(o);
            }
        }
        painter.setPen(QPen(kOutputColour, 1));
        painter.drawPath(output);
        painter.setPen(QPen(kActualColour, 1.5));
        painter.drawPath(actual);
    }
    painter.setPen(Qt::black);
    painter.drawText(QRect(plot.left(), area.bottom() - fm.height(), plot.width(), fm.height()), Qt::AlignCenter,
                     numberText(t1 - t0, 0) + QStringLiteral(" s"));
    painter.restore();
}

AutotuneChart::AutotuneChart(QWidget* parent) : QWidget(parent) {
    setMinimumSize(fontMetrics().averageCharWidth() * 40, fontMetrics().height() * 8);
}

void AutotuneChart::setTrace(const AutotuneTrace& trace) {
    trace_ = trace;
    update();
}

QSize AutotuneChart::sizeHint() const {
    return {fontMetrics().averageCharWidth() * 60, fontMetrics().height() * 12};
}

void AutotuneChart::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    paintAutotuneChart(painter, rect(), trace_);
}
