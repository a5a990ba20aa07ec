#include "runtime/channel_table.h"

#include <cmath>

namespace {

const std::array<GraphChannelInfo, kGraphChannelCount> kChannels = {{
    {"Main", "Main is the main power output", true},
    {"T1", "T1 is temperature 1 sensor", false},
    {"T2", "T2 is temperature 2 sensor", false},
    {"T3", "T3 is temperature 3 sensor", false},
    {"T4", "T4 is temperature sensor messuring the FET temperature", false},
    {"Tr1", "Tr1 is the regulator sensor 1 actual value", true},
    {"Sp1", "Sp1 is the set point 1 for the regulator", true},
    {"Uext.ctrl", "Uext.ctrl is the external control temperature setpoint", false},
    {"P", "P is the Proportional part of PID regulator", true},
    {"I", "I is the Integral part of PID regulator", true},
    {"D", "D is the Derivative part of PID regulator", true},
    {"Sp1f", "Sp1f is the filtrated Sp1 signal in PID regulator", false},
    {"e", "e is the difference of Sp1 and Tr1 (Sp1-Tr1) i.e. deviation", false},
    {"Fan1", "Fan1 is the power output to Fan 1", false},
    {"Fan2", "Fan2 is the power output to Fan 2", false},
    {"V+", "V+ is the input voltage to the system", false},
    {"Curr", "Curr is the current to the main output", false},
    {"F1_curr", "F1_curr is the current to the FAN 1 output", false},
    {"F2_curr", "F2_curr is the current to the FAN 2 output", false},
}};

}  // namespace

const std::array<GraphChannelInfo, kGraphChannelCount>& GraphChannels() {
    return kChannels;
}

ChannelTable::ChannelTable() {
    reset();
}

void ChannelTable::reset() {
    for (int i = 0; i < kGraphChannelCount; ++i)
        channels_[i] = GraphChannelSetting{kChannels[i].defaultEnabled, -100.0f, 100.0f};
}

float ChannelTable::scaled(int channel, float value) const {
    const GraphChannelSetting& c = channels_[channel];
    const float span = c.max - c.min;
    if (span == 0.0f || std::isnan(value))  // an empty range draws at the centre line
        return 0.0f;
    float v = (value - c.min) / span * 200.0f - 100.0f;
    if (std::isnan(v))
        return 0.0f;
    if (v > 100.0f)
        v = 100.0f;
    if (v < -100.0f)
        v = -100.0f;
    return v;
}

RuntimeBlockEntries ChannelTable::runtimeBlockEntries() const {
    RuntimeBlockEntries entries;
    for (int i = 0; i < kGraphChannelCount; ++i)
        entries[i] = RuntimeBlockEntry{channels_[i].min, channels_[i].max, channels_[i].enabled};
    return entries;
}

void ChannelTable::applyRuntimeBlock(const RuntimeBlock& block) {
    if (!block.tagMatched)
        return;
    const std::size_t n =
        block.entries.size() < channels_.size() ? block.entries.size() : channels_.size();
    for (std::size_t i = 0; i < n; ++i)
        channels_[i] = GraphChannelSetting{block.entries[i].enabled, block.entries[i].min,
                                           block.entries[i].max};
    if (onBlockLoaded_)
        onBlockLoaded_();
}
