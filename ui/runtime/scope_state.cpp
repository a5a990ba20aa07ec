#include "ui/runtime/scope_state.h"

#include <algorithm>
#include <cmath>

const ScopeColors ScopeState::kDefaultChannelColors = {
    0x0000FF, 0x000080, 0x008080, 0xFF4000, 0x90DDE8, 0x008000, 0x00FF00, 0x808000, 0xFFFF00, 0x00FFFF,
    0xFF0000, 0x800080, 0xFF00FF, 0xFF4040, 0xFFFF40, 0x4040FF, 0x00C0C0, 0x6699FF, 0x00CC99};

void ScopeState::addSample(const ScopeSample& values) {
    for (int c = 0; c < kScopeChannels; ++c) {
        auto& history = samples[c];
        std::move(history.begin() + 1, history.end(), history.begin());
        history[kScopeHistory - 1] = values[c];
    }
}

namespace {

// Relative luminance, 0 (black) .. 1 (white).
double luminance(const QColor& c) {
    auto linear = [](int v) {
        const double x = v / 255.0;
        return x <= 0.03928 ? x / 12.92 : std::pow((x + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * linear(c.red()) + 0.7152 * linear(c.green()) + 0.0722 * linear(c.blue());
}

}  // namespace

QColor readableBackground(const QColor& text, const QColor& background) {
    const double a = luminance(text);
    const double b = luminance(background);
    const double contrast = (std::max(a, b) + 0.05) / (std::min(a, b) + 0.05);
    if (contrast >= 4.5) return background;
    return a < 0.25 ? QColor(232, 232, 232) : QColor(32, 32, 32);
}
