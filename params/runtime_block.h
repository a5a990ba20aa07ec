// The "RuntimeData_v1" block of the parameter file: the graph channel table's
// ranges and visibility. The channel table itself lives with the Runtime page;
// the document reaches it only through RuntimeBlockOwner.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

class Archive;

inline constexpr char kRuntimeBlockTag[] = "RuntimeData_v1";
inline constexpr int kRuntimeBlockChannels = 19;

struct RuntimeBlockEntry {
    float min = -100.0f;
    float max = 100.0f;
    bool enabled = false;
};

using RuntimeBlockEntries = std::array<RuntimeBlockEntry, kRuntimeBlockChannels>;

// What a load found. `entries` holds the entries to apply to channels
// 0 .. entries.size()-1: empty when the tag differed or the count exceeded 19.
struct RuntimeBlock {
    bool tagMatched = false;
    std::int32_t count = 0;
    std::vector<RuntimeBlockEntry> entries;
};

void WriteRuntimeBlock(Archive& ar, const RuntimeBlockEntries& entries);
// Reads the tag string; on "RuntimeData_v1" also the count and every entry
// (entries beyond 19 are read and discarded).
RuntimeBlock ReadRuntimeBlock(Archive& ar);

class RuntimeBlockOwner {
public:
    virtual ~RuntimeBlockOwner() = default;
    virtual RuntimeBlockEntries runtimeBlockEntries() const = 0;
    // Called only after the whole file has loaded.
    virtual void applyRuntimeBlock(const RuntimeBlock& block) = 0;
};
