// The trend's drawing surface: wheel zooms the time axis around the mouse,
// a left drag pans, a Shift+drag (or a right drag) selects a range, moving
// the mouse sets the cursor, a double-click zooms to fit.
#pragma once

#include <QWidget>

#include "ui/trend/trend_renderer.h"
#include "ui/trend/trend_state.h"

class TrendCanvas : public QWidget {
    Q_OBJECT
public:
    explicit TrendCanvas(QWidget* parent = nullptr);

    TrendState& state() { return state_; }
    const TrendState& state() const { return state_; }
    QRect plotRect() const;
    QImage renderImage(const QSize& size) const;

signals:
    void selectionChanged();
    void cursorMoved();

protected:
    void paintEvent(QPaintEvent*) override;
    void wheelEvent(QWheelEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    enum class Drag { None, Pan, Select };
    TrendState state_;
    TrendRenderer renderer_;  // keeps the picture while only the cursor moves
    Drag drag_ = Drag::None;
    int dragStartX_ = 0;
    double dragStartT0_ = 0;
    double selectStart_ = 0;
};
