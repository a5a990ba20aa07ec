#include "ui/runtime/scope_state.h"

#include <algorithm>

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
