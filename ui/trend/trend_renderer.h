// Draws a trend as paintTrend does, keeping what it drew between redraws:
// the base (background, grid, axis) and the opaque layer of markers and
// traces (for a zoomed-out plot at one device pixel a pixel, the traces'
// spans, written straight into the picture) until the range, the channels,
// the size, the font or the colours change; the picture with the selection until the selection changes too.
// A redraw that only moves the cursor copies that picture and draws the
// cursor over it.
#pragma once

#include <QFont>
#include <QImage>
#include <array>
#include <optional>
#include <utility>
#include <vector>

#include "ui/trend/trend_state.h"
#include "ui/trend/trend_traces.h"

class QPainter;

class TrendRenderer {
public:
    void paint(QPainter& painter, const QRect& area, const TrendState& state);

    // How many times the layers and the picture were drawn anew.
    int layerBuilds() const { return layerBuilds_; }
    int pictureBuilds() const { return pictureBuilds_; }

private:
    // Everything the base and the layer are drawn from.
    struct Scene {
        struct Channel {
            bool drawn = false;
            QRgb colour = 0;
            float lo = 0, hi = 0;
            LogColumn column = LogColumn::Count;
            bool operator==(const Channel&) const = default;
        };
        QRect area;
        qreal pixelRatio = 1;
        QFont font;
        const LogData* log = nullptr;
        const TrendIndex* index = nullptr;
        double t0 = 0, t1 = 0;
        std::array<Channel, kGraphChannelCount> channels;
        QRgb background = 0, grid = 0;
        int penWidth = 1;
        bool operator==(const Scene&) const = default;
    };
    static Scene sceneOf(const QPainter& painter, const QRect& area, const TrendState& state);

    std::optional<Scene> scene_;
    QImage base_;
    QImage layer_;
    TrendSpans spans_;     // instead of the layer when direct_
    bool direct_ = false;
    std::vector<TrendMarker> markers_;
    bool hasPlot_ = false;
    bool pictureValid_ = false;
    std::optional<std::pair<double, double>> selection_;  // the picture's
    QImage picture_;
    int layerBuilds_ = 0;
    int pictureBuilds_ = 0;
};
