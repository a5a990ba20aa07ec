// A small status lamp: one 16 x 16 picture from the lamp image strip
// (3 columns lit / unlit / grey, 8 rows: round red, green, yellow, blue,
// then square in the same colours). Flashing lights it for a while.
#pragma once

#include <QPixmap>
#include <QTimer>
#include <QWidget>

class LampWidget : public QWidget {
    Q_OBJECT
public:
    enum State { Lit = 0, Unlit = 1, Grey = 2 };
    enum Colour { Red = 0, Green = 16, Yellow = 32, Blue = 48 };  // row offsets in pixels
    enum Shape { Round = 0, Square = 64 };

    explicit LampWidget(QWidget* parent = nullptr);

    // Redraws at once.
    void configure(int colourOffset, int state, int shapeOffset);
    void flash(int ms);
    int state() const { return state_; }
    int colourOffset() const { return colour_; }
    int shapeOffset() const { return shape_; }

    QSize sizeHint() const override { return {16, 16}; }
    // The strip of 3 x 8 images, 48 x 128 pixels (twice that for high DPI).
    static const QPixmap& imageStrip();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int colour_ = Red;
    int state_ = Unlit;
    int shape_ = Round;
    QTimer flashTimer_;
};
