#include "ui/runtime/runtime_page_logic.h"

#include <climits>

#include "ui/runtime/channel_lists.h"

namespace runtime_page {

QString intervalLabel(int ms) {
    const float seconds = static_cast<float>(ms) / 1000.0f;
    return QString::number(static_cast<double>(seconds), 'f', seconds < 1.0f ? 3 : 0) +
           QStringLiteral(" sec/sample");
}

ScaleLabels scaleLabels(const ChannelTable& table) {
    const GraphChannelSetting* shared = nullptr;
    bool same = true;
    for (int ch = 0; ch < kGraphChannelCount; ++ch) {
        const GraphChannelSetting& c = table[ch];
        if (!c.enabled) continue;
        if (!shared)
            shared = &c;
        else if (c.min != shared->min || c.max != shared->max)
            same = false;
    }
    if (!shared || !same) return {QStringLiteral("Max"), QStringLiteral("Mid"), QStringLiteral("Min")};
    const double top = shared->max;
    const double bottom = shared->min;
    return {channelRangeCell(shared->max), QString::number((top + bottom) / 2.0, 'f', 1),
            channelRangeCell(shared->min)};
}

std::array<QString, kScopeChannels> legendTexts(const ChannelTable& table) {
    std::array<QString, kScopeChannels> texts;
    for (int ch = 0; ch < kScopeChannels && ch < kGraphChannelCount; ++ch)
        texts[ch] = QStringLiteral("%1  %2 .. %3")
                        .arg(QString::fromLatin1(GraphChannels()[ch].name), channelRangeCell(table[ch].min),
                             channelRangeCell(table[ch].max));
    return texts;
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
