#include "app/splash_screen.h"

#include <QElapsedTimer>
#include <QGuiApplication>
#include <QLinearGradient>
#include <QPainter>
#include <QScreen>
#include <QThread>
#include <QTimer>

CSplashScreenEx::CSplashScreenEx(const QString& text, int timeoutMs, int styleFlags)
    : QWidget(nullptr, Qt::SplashScreen | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                           Qt::Tool),
      text_(text), timeoutMs_(timeoutMs), style_(styleFlags), timer_(new QTimer(this)) {
    setAttribute(Qt::WA_ShowWithoutActivating);
    timer_->setSingleShot(true);
    // Start-up lets events through to draw the progress texts, so the
    // time-out may pass before the main window is up: the splash waits for it.
    connect(timer_, &QTimer::timeout, this, [this] {
        timedOut_ = true;
        if (mainWindowShown_) hideSplash();
    });
    setBitmap(drawDefaultBitmap());
}

void CSplashScreenEx::setBitmap(const QPixmap& pixmap) {
    bitmap_ = pixmap;
    setFixedSize(bitmap_.deviceIndependentSize().toSize());
}

void CSplashScreenEx::showSplash() {
    if (style_ & CenterScreen) {
        if (QScreen* screen = QGuiApplication::primaryScreen()) {
            const QRect area = screen->availableGeometry();
            move(area.x() + (area.width() - width()) / 2, area.y() + (area.height() - height()) / 2);
        }
    }
    const bool fade = (style_ & FadeIn) && QGuiApplication::platformName() != QLatin1String("offscreen");
    if (fade) setWindowOpacity(0.0);
    show();
    repaint();
    QCoreApplication::processEvents();
    if (fade) {
        // Start-up does not run the event loop yet, so the fade is stepped here.
        QElapsedTimer clock;
        clock.start();
        while (clock.elapsed() < 300) {
            setWindowOpacity(clock.elapsed() / 300.0);
            QCoreApplication::processEvents();
            QThread::msleep(15);
        }
        setWindowOpacity(1.0);
    }
    timer_->start(timeoutMs_);
}

void CSplashScreenEx::setText(const QString& text) {
    text_ = text;
    if (isVisible()) {
        repaint();
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    }
}

void CSplashScreenEx::hideSplash() {
    timer_->stop();
    hide();
    deleteLater();
}

void CSplashScreenEx::mainWindowShown() {
    mainWindowShown_ = true;
    if (timedOut_) QTimer::singleShot(0, this, &CSplashScreenEx::hideSplash);
}

void CSplashScreenEx::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.drawPixmap(0, 0, bitmap_);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QColor(255, 255, 255, 200));
    p.setBrush(QColor(255, 255, 255, 120));
    p.drawRoundedRect(QRectF(textRect_).adjusted(-4, -4, 4, 4), 5, 5);
    p.setPen(Qt::black);
    p.drawText(textRect_, Qt::AlignHCenter | Qt::TextWordWrap, text_);
}

QPixmap CSplashScreenEx::drawDefaultBitmap() {
    const qreal dpr = qApp ? qApp->devicePixelRatio() : 1.0;
    QPixmap pm(QSize(270, 287) * dpr);
    pm.setDevicePixelRatio(dpr);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient bg(0, 0, 0, 287);
    bg.setColorAt(0, QColor(28, 52, 92));
    bg.setColorAt(1, QColor(220, 228, 240));
    p.fillRect(QRect(0, 0, 270, 287), bg);
    // A Peltier element: hot and cold plates around a row of legs.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(220, 70, 50));
    p.drawRoundedRect(QRectF(45, 40, 180, 16), 4, 4);
    p.setBrush(QColor(60, 140, 220));
    p.drawRoundedRect(QRectF(45, 110, 180, 16), 4, 4);
    for (int i = 0; i < 8; ++i) {
        p.setBrush(i % 2 ? QColor(90, 90, 100) : QColor(150, 150, 160));
        p.drawRect(QRectF(55 + i * 21, 58, 13, 50));
    }
    QFont title = p.font();
    title.setPixelSize(28);
    title.setBold(true);
    p.setFont(title);
    p.setPen(Qt::white);
    p.drawText(QRect(0, 140, 270, 40), Qt::AlignCenter, QStringLiteral("TQ_Interface"));
    QFont sub = p.font();
    sub.setPixelSize(12);
    sub.setBold(false);
    p.setFont(sub);
    p.setPen(QColor(30, 40, 60));
    p.drawText(QRect(0, 180, 270, 20), Qt::AlignCenter,
               QStringLiteral("Thermoelectric regulator set-up"));
    p.end();
    return pm;
}
