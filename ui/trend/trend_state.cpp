#include "ui/trend/trend_state.h"

#include <algorithm>
#include <cmath>

double TrendState::duration() const {
    if (!log || log->rowCount() == 0) return 1.0;
    return std::max(log->seconds(log->rowCount() - 1), 0.05);
}

void TrendState::zoomToFit() {
    const double d = duration();
    t0 = -d * 0.01;
    t1 = d * 1.01;
}

void TrendState::zoom(double factor, double anchor) {
    const double minSpan = 0.25;  // five samples
    const double maxSpan = duration() * 1.5;
    const double span = std::clamp((t1 - t0) * factor, minSpan, std::max(maxSpan, minSpan));
    const double f = (t1 - t0) > 0 ? (anchor - t0) / (t1 - t0) : 0.5;
    t0 = anchor - f * span;
    t1 = t0 + span;
    pan(0);
}

void TrendState::pan(double seconds) {
    const double span = t1 - t0;
    const double d = duration();
    // Keep at least a tenth of the view on the log.
    const double lo = -span * 0.9, hi = d - span * 0.1;
    t0 = std::clamp(t0 + seconds, lo, std::max(lo, hi));
    t1 = t0 + span;
}

std::pair<float, float> TrendState::range(int channel) const {
    const TrendChannel& c = channels[channel];
    if (autoScale && index) {
        float lo = 0, hi = 0;
        if (index->extremes(c.column, lo, hi)) {
            if (hi - lo < 1e-3f) {  // a flat channel sits in the middle
                lo -= 1;
                hi += 1;
            }
            const float pad = (hi - lo) * 0.05f;
            return {lo - pad, hi + pad};
        }
    }
    return {c.min, c.max};
}
