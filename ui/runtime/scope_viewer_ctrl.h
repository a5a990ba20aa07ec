// CScopeViewerCtrl: a strip chart of up to 19 channels of the last 100
// samples. The owner pushes ready-scaled values, picks the colours, enables
// channels and sets the label texts; the control knows nothing of what the
// channels mean. Each paint draws the whole picture off screen and copies it
// in one piece, and there is no background erase, so nothing flickers.
//
// A context menu copies the picture to the clipboard or saves it as a PNG.
#pragma once

#include <QImage>
#include <QWidget>

#include "ui/runtime/scope_state.h"

class CScopeViewerCtrl : public QWidget {
    Q_OBJECT
public:
    explicit CScopeViewerCtrl(QWidget* parent = nullptr);

    // These store only; the picture changes at the next repaint.
    void setRange(double bottom, double top, int decimals);
    void setPenWidth(int n);  // clamped to 1 .. 10
    void setBackgroundColor(std::uint32_t color);
    void setGridColor(std::uint32_t color);
    void setTextColor(std::uint32_t color);
    void setChannelColors(const ScopeColors& colors);
    void setXAxisLabel(const QString& text) { state_.xAxisLabel = text; }
    void setMiddleLabel(const QString& text) { state_.middleLabel = text; }
    void setTopLabel(const QString& text) { state_.topLabel = text; }
    void setBottomLabel(const QString& text) { state_.bottomLabel = text; }

    // These repaint before they return.
    void setChannelsEnabled(const ScopeFlags& enabled);
    void addSample(const ScopeSample& values);
    void repaintNow();

    const ScopeState& state() const { return state_; }
    void setLegend(const std::array<QString, kScopeChannels>& texts) { state_.legend = texts; }

    // The picture at the control's size, with the legend of the drawn
    // channels below it.
    QImage image() const;
    // Writes the picture as a PNG; false with `error` set when it cannot.
    bool saveImage(const QString& path, QString* error = nullptr) const;
    void copyImage() const;

    QSize sizeHint() const override { return {420, 300}; }
    QSize minimumSizeHint() const override { return {160, 110}; }

signals:
    // A left double-click on the chart (the owner opens a larger view).
    void doubleClicked();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    void askAndSaveImage();

    ScopeState state_;
    QImage offscreen_;  // reused while the size stays
};
