#include "ui/runtime/runtime_page_logic.h"

#include <climits>

#include "ui/runtime/channel_lists.h"

namespace runtime_page {

QString intervalLabel(int ms) {
    const float seconds = static_cast<float>(ms) / 1000.0f;
    return QString::number(static_cast<double>(seconds), 'f', seconds < 1.0f ? 3 : 0) +
           QStringLiteral(" sec/sample");
}

int halvedInterval(int ms) { return ms / 2; }

int doubledInterval(int ms) { return ms > INT_MAX / 2 ? INT_MAX : ms * 2; }

bool opensValueDialog(int row, int column) {
    return row >= 0 && row < kScopeChannels && column >= RuntimeChannelList::NameColumn &&
           column < RuntimeChannelList::ColumnCount;
}

ScopeSample toScopeSample(const GraphValues& values) {
    ScopeSample sample{};
    for (int i = 0; i < kScopeChannels; ++i) sample[i] = static_cast<double>(values[i]);
    return sample;
}

}  // namespace runtime_page
