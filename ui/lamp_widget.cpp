#include "ui/lamp_widget.h"

#include <QPainter>
#include <QRadialGradient>

namespace {

QColor baseColour(int row) {
    switch (row % 4) {
    case 0: return QColor(230, 30, 30);
    case 1: return QColor(30, 200, 60);
    case 2: return QColor(250, 200, 20);
    default: return QColor(40, 110, 240);
    }
}

QPixmap drawStrip() {
    constexpr int scale = 2;
    QPixmap strip(48 * scale, 128 * scale);
    strip.fill(Qt::transparent);  // the transparent colour of the strip
    QPainter p(&strip);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(scale, scale);
    for (int row = 0; row < 8; ++row) {
        for (int col = 0; col < 3; ++col) {
            const QRectF cell(col * 16 + 2, row * 16 + 2, 12, 12);
            QColor c = baseColour(row);
            if (col == 1) c = c.darker(260);
            if (col == 2) c = QColor(150, 150, 150);
            QRadialGradient g(cell.center() - QPointF(2, 2), 8);
            g.setColorAt(0, col == 0 ? c.lighter(170) : c.lighter(120));
            g.setColorAt(1, c);
            p.setBrush(g);
            p.setPen(QPen(QColor(60, 60, 60), 0.8));
            if (row < 4)
                p.drawEllipse(cell);
            else
                p.drawRoundedRect(cell, 2, 2);
        }
    }
    p.end();
    strip.setDevicePixelRatio(scale);
    return strip;
}

}  // namespace

const QPixmap& LampWidget::imageStrip() {
    static const QPixmap strip = drawStrip();
    return strip;
}

LampWidget::LampWidget(QWidget* parent) : QWidget(parent) {
    setFixedSize(16, 16);
    flashTimer_.setSingleShot(true);
    connect(&flashTimer_, &QTimer::timeout, this, [this] { configure(colour_, Unlit, shape_); });
}

void LampWidget::configure(int colourOffset, int state, int shapeOffset) {
    colour_ = colourOffset;
    state_ = state;
    shape_ = shapeOffset;
    repaint();
}

void LampWidget::flash(int ms) {
    configure(colour_, Lit, shape_);
    flashTimer_.start(ms);
}

void LampWidget::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const QPixmap& strip = imageStrip();
    const qreal dpr = strip.devicePixelRatio();
    const QRect source(QPoint(state_ * 16, colour_ + shape_) * dpr, QSize(16, 16) * dpr);
    QPoint at(0, 0);
    if (width() > 15 && height() > 15) at = QPoint((width() - 16) / 2, (height() - 16) / 2);
    p.drawPixmap(QRect(at, QSize(16, 16)), strip, source);
}
