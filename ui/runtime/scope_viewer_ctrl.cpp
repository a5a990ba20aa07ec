#include "ui/runtime/scope_viewer_ctrl.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QFileDialog>
#include <QImageWriter>
#include <QMenu>
#include <QMessageBox>
#include <QPainter>

#include "ui/runtime/scope_drawing.h"

CScopeViewerCtrl::CScopeViewerCtrl(QWidget* parent) : QWidget(parent) {
    // The paint covers every pixel: no erase before it.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_NoSystemBackground);
    setCursor(Qt::CrossCursor);
    setFocusPolicy(Qt::StrongFocus);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
}

void CScopeViewerCtrl::setRange(double bottom, double top, int decimals) {
    state_.bottom = bottom;
    state_.top = top;
    state_.decimals = decimals;
}

void CScopeViewerCtrl::setPenWidth(int n) { state_.setPenWidth(n); }
void CScopeViewerCtrl::setBackgroundColor(std::uint32_t color) { state_.background = color; }
void CScopeViewerCtrl::setGridColor(std::uint32_t color) { state_.grid = color; }
void CScopeViewerCtrl::setTextColor(std::uint32_t color) { state_.text = color; }
void CScopeViewerCtrl::setChannelColors(const ScopeColors& colors) { state_.channelColors = colors; }

void CScopeViewerCtrl::setChannelsEnabled(const ScopeFlags& enabled) {
    state_.enabled = enabled;
    repaintNow();
}

void CScopeViewerCtrl::addSample(const ScopeSample& values) {
    state_.addSample(values);
    repaintNow();
}

void CScopeViewerCtrl::repaintNow() {
    if (isVisible()) repaint();
}

QImage CScopeViewerCtrl::image() const {
    return renderScopeWithLegend(state_, size(), devicePixelRatioF());
}

bool CScopeViewerCtrl::saveImage(const QString& path, QString* error) const {
    QImageWriter writer(path, "png");
    if (writer.write(image())) return true;
    if (error) *error = writer.errorString();
    return false;
}

void CScopeViewerCtrl::copyImage() const {
    QApplication::clipboard()->setImage(image());
}

void CScopeViewerCtrl::paintEvent(QPaintEvent*) {
    const qreal dpr = devicePixelRatioF();
    const QSize pixels = size() * dpr;
    if (offscreen_.size() != pixels || offscreen_.devicePixelRatio() != dpr) {
        offscreen_ = QImage(pixels, QImage::Format_RGB32);
        offscreen_.setDevicePixelRatio(dpr);
    }
    if (offscreen_.isNull()) return;  // no memory for the picture: leave the screen as it is
    {
        QPainter off(&offscreen_);
        drawScope(off, state_, width(), height());
    }
    QPainter screen(this);
    screen.drawImage(QPoint(0, 0), offscreen_);
}

void CScopeViewerCtrl::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) emit doubleClicked();
    QWidget::mouseDoubleClickEvent(event);
}

void CScopeViewerCtrl::contextMenuEvent(QContextMenuEvent* event) {
    QMenu menu(this);
    menu.addAction(QStringLiteral("Copy image"), this, &CScopeViewerCtrl::copyImage);
    menu.addAction(QStringLiteral("Save image…"), this, &CScopeViewerCtrl::askAndSaveImage);
    menu.exec(event->globalPos());
}

void CScopeViewerCtrl::askAndSaveImage() {
    QString path = QFileDialog::getSaveFileName(this, QStringLiteral("Save image"),
                                                QStringLiteral("runtime.png"),
                                                QStringLiteral("PNG image (*.png)"));
    if (path.isEmpty()) return;
    if (!path.endsWith(QStringLiteral(".png"), Qt::CaseInsensitive)) path += QStringLiteral(".png");
    QString error;
    if (!saveImage(path, &error))
        QMessageBox::warning(this, QStringLiteral("TQ_Interface"),
                             QStringLiteral("Unable to save \"%1\": %2.").arg(path, error));
}
