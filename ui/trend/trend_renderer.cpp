#include "ui/trend/trend_renderer.h"

#include <QFontMetrics>
#include <QPainter>
#include <QPaintDevice>
#include <cstring>

#include "ui/trend/trend_painter.h"

TrendRenderer::Scene TrendRenderer::sceneOf(const QPainter& p, const QRect& area, const TrendState& s) {
    Scene scene;
    scene.area = area;
    scene.pixelRatio = p.device() ? p.device()->devicePixelRatioF() : 1.0;
    scene.font = p.font();
    scene.log = s.log;
    scene.index = s.index;
    scene.t0 = s.t0;
    scene.t1 = s.t1;
    for (int ch = 0; ch < kGraphChannelCount; ++ch) {
        const TrendChannel& c = s.channels[ch];
        Scene::Channel& k = scene.channels[ch];
        k.drawn = c.enabled && c.column != LogColumn::Count;
        if (!k.drawn) continue;
        k.colour = c.colour.rgb();
        std::tie(k.lo, k.hi) = s.range(ch);
        k.column = c.column;
    }
    scene.background = s.background.rgba();
    scene.grid = s.grid.rgba();
    scene.penWidth = s.penWidth;
    return scene;
}

void TrendRenderer::paint(QPainter& p, const QRect& area, const TrendState& s) {
    Scene scene = sceneOf(p, area, s);
    const QFontMetrics fm(p.font());
    const QRect plot = trendPlotRect(area, fm.height());
    if (scene_ != scene) {
        // The base is drawn at the device's resolution, with the area's
        // top left corner at (0, 0).
        const QSize pixels = (area.size().toSizeF() * scene.pixelRatio).toSize();
        if (base_.size() != pixels) base_ = QImage(pixels, QImage::Format_RGB32);  // else its pages are reused
        base_.setDevicePixelRatio(scene.pixelRatio);
        QPainter q(&base_);
        q.setFont(p.font());
        q.translate(-area.topLeft());
        paintTrendBase(q, area, s);
        q.end();
        hasPlot_ = trendHasPlot(plot, s);
        markers_ = hasPlot_ ? trendMarkers(plot, s, fm) : std::vector<TrendMarker>{};
        // At one device pixel a pixel the spans of a zoomed-out plot go
        // straight into the picture; otherwise through the layer.
        direct_ = hasPlot_ && scene.pixelRatio == 1 && trendTraceSpans(spans_, plot, s);
        if (hasPlot_ && !direct_) trendTraceLayer(layer_, area, plot, s, markers_);
        scene_ = std::move(scene);
        pictureValid_ = false;
        ++layerBuilds_;
    }
    if (!pictureValid_ || selection_ != s.selection) {
        if (picture_.size() == base_.size() && picture_.format() == base_.format() && !picture_.isNull()) {
            std::memcpy(picture_.bits(), base_.constBits(), static_cast<std::size_t>(base_.sizeInBytes()));
            picture_.setDevicePixelRatio(base_.devicePixelRatio());
        } else {
            picture_ = base_.copy();
        }
        if (hasPlot_) {
            QPainter q(&picture_);
            q.setFont(p.font());
            q.translate(-area.topLeft());
            q.setClipRect(trendPlotClip(plot));
            paintTrendSelection(q, plot, s);
            paintTrendMarkerLabels(q, plot, markers_, fm);
            if (direct_) {
                paintTrendMarkerLines(q, plot, markers_);
                q.end();
                paintTrendSpans(picture_, plot.translated(-area.topLeft()), spans_);
            } else {
                q.drawImage(area.topLeft(), layer_);
            }
        }
        selection_ = s.selection;
        pictureValid_ = true;
        ++pictureBuilds_;
    }
    p.drawImage(area.topLeft(), picture_);
    if (!hasPlot_) return;
    p.save();
    p.setClipRect(trendPlotClip(plot));
    paintTrendCursor(p, plot, s, fm);
    p.restore();
}
