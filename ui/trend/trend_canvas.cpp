#include "ui/trend/trend_canvas.h"

#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>
#include <cmath>

#include "ui/trend/trend_painter.h"

TrendCanvas::TrendCanvas(QWidget* parent) : QWidget(parent) {
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::StrongFocus);
    setMinimumSize(320, 200);
}

QRect TrendCanvas::plotRect() const { return trendPlotRect(rect(), fontMetrics().height()); }

QImage TrendCanvas::renderImage(const QSize& size) const {
    QImage image(size, QImage::Format_RGB32);
    QPainter p(&image);
    p.setFont(font());
    paintTrend(p, QRect(QPoint(0, 0), size), state_);
    return image;
}

void TrendCanvas::paintEvent(QPaintEvent*) {
    QPainter p(this);
    renderer_.paint(p, rect(), state_);
}

void TrendCanvas::wheelEvent(QWheelEvent* event) {
    const double notches = event->angleDelta().y() / 120.0;
    if (notches == 0) return;
    const double anchor = trendTimeAt(plotRect(), state_, static_cast<int>(event->position().x()));
    state_.zoom(std::pow(0.8, notches), anchor);
    update();
    event->accept();
}

void TrendCanvas::mousePressEvent(QMouseEvent* event) {
    const bool select = event->button() == Qt::RightButton ||
                        (event->button() == Qt::LeftButton && (event->modifiers() & Qt::ShiftModifier));
    const int x = static_cast<int>(event->position().x());
    if (select) {
        drag_ = Drag::Select;
        selectStart_ = trendTimeAt(plotRect(), state_, x);
        state_.selection.reset();
    } else if (event->button() == Qt::LeftButton) {
        drag_ = Drag::Pan;
        dragStartX_ = x;
        dragStartT0_ = state_.t0;
        setCursor(Qt::ClosedHandCursor);
    }
}

void TrendCanvas::mouseMoveEvent(QMouseEvent* event) {
    const int x = static_cast<int>(event->position().x());
    const QRect plot = plotRect();
    if (drag_ == Drag::Pan) {
        const double perPixel = (state_.t1 - state_.t0) / std::max(plot.width(), 1);
        state_.pan(dragStartT0_ - (x - dragStartX_) * perPixel - state_.t0);
    } else if (drag_ == Drag::Select) {
        const double t = trendTimeAt(plot, state_, x);
        state_.selection = std::make_pair(std::min(selectStart_, t), std::max(selectStart_, t));
    }
    state_.cursor = trendTimeAt(plot, state_, x);
    emit cursorMoved();
    update();
}

void TrendCanvas::mouseReleaseEvent(QMouseEvent*) {
    if (drag_ == Drag::Select) emit selectionChanged();
    drag_ = Drag::None;
    unsetCursor();
}

void TrendCanvas::mouseDoubleClickEvent(QMouseEvent*) {
    state_.zoomToFit();
    update();
}

void TrendCanvas::leaveEvent(QEvent*) {
    if (drag_ != Drag::None) return;
    state_.cursor.reset();
    update();
}
