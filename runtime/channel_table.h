// The runtime graph's channel table: for each of the 19 channels whether its
// trace is drawn and the value range that maps onto the graph's height.
// Saved in the parameter file as the "RuntimeData_v1" block.
#pragma once

#include <array>
#include <functional>

#include "params/runtime_block.h"

inline constexpr int kGraphChannelCount = kRuntimeBlockChannels;  // 19

struct GraphChannelInfo {
    const char* name;         // "Main", "T1", ...
    const char* description;  // tool tip of the name cell
    bool defaultEnabled;
};

// Main, T1, T2, T3, T4, Tr1, Sp1, Uext.ctrl, P, I, D, Sp1f, e, Fan1, Fan2,
// V+, Curr, F1_curr, F2_curr.
const std::array<GraphChannelInfo, kGraphChannelCount>& GraphChannels();

struct GraphChannelSetting {
    bool enabled = false;
    float min = -100.0f;  // drawn at the bottom of the graph
    float max = 100.0f;   // drawn at the top

    bool operator==(const GraphChannelSetting&) const = default;
};

class ChannelTable : public RuntimeBlockOwner {
public:
    ChannelTable();  // the defaults

    // Every channel back to its default enabled flag, min -100, max 100.
    void reset();

    GraphChannelSetting& operator[](int channel) { return channels_[channel]; }
    const GraphChannelSetting& operator[](int channel) const { return channels_[channel]; }
    const std::array<GraphChannelSetting, kGraphChannelCount>& channels() const {
        return channels_;
    }
    bool operator==(const ChannelTable& other) const { return channels_ == other.channels_; }

    // A sample value scaled to -100 .. +100 by the channel's range, in
    // single precision and pinned to the range. A channel whose min equals
    // its max (or a value that is not a number) gives 0.
    float scaled(int channel, float value) const;

    // Called after a block with the right tag has been applied (the page
    // refreshes its lists and scopes).
    void setOnBlockLoaded(std::function<void()> callback) { onBlockLoaded_ = std::move(callback); }

    // RuntimeBlockOwner
    RuntimeBlockEntries runtimeBlockEntries() const override;
    void applyRuntimeBlock(const RuntimeBlock& block) override;

private:
    std::array<GraphChannelSetting, kGraphChannelCount> channels_;
    std::function<void()> onBlockLoaded_;
};
