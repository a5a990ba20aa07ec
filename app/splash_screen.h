// The start-up splash: a borderless, top-most picture with one progress
// text, faded in where the window system supports opacity. Its time-out
// runs from the moment it is shown; it goes when the time-out has passed
// and the main window is up, as soon as the event loop runs, so it stays at
// least until the main window has been shown and never longer than needed.
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
    // The main window has been shown: the splash goes at the first pass of
    // the event loop once its time-out has passed (at once if it has).
    void mainWindowShown();

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
    bool timedOut_ = false;
    bool mainWindowShown_ = false;
};
