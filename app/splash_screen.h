// The start-up splash: a borderless, top-most picture with one progress
// text, faded in where the window system supports opacity, hidden a fixed
// time after the main window is up.
#pragma once

#include <QPixmap>
#include <QRect>
#include <QWidget>

class QTimer;

class CSplashScreenEx : public QWidget {
    Q_OBJECT
public:
    enum Style { FadeIn = 1, Shadow = 4, CenterScreen = 8 };

    explicit CSplashScreenEx(const QString& text, int timeoutMs = 1000, int styleFlags = 13);

    void setBitmap(const QPixmap& pixmap);
    void setTextRect(const QRect& rect) { textRect_ = rect; }
    void showSplash();
    void setText(const QString& text);  // redraws at once
    QString text() const { return text_; }
    void hideSplash();
    // Starts the time-out now: the splash stays that long once the main window is up.
    void startTimeout();

    static QPixmap drawDefaultBitmap();  // 270 x 287

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QPixmap bitmap_;
    QRect textRect_{146, 238, 255 - 146, 275 - 238};
    QString text_;
    int timeoutMs_;
    int style_;
    QTimer* timer_;
};
