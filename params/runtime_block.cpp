#include "params/runtime_block.h"

#include "params/archive.h"

void WriteRuntimeBlock(Archive& ar, const RuntimeBlockEntries& entries) {
    ar.writeString(kRuntimeBlockTag);
    ar.writeI32(kRuntimeBlockChannels);
    for (const RuntimeBlockEntry& e : entries) {
        ar.writeFloat(e.min);
        ar.writeFloat(e.max);
        ar.writeU8(e.enabled ? 1 : 0);
    }
}

RuntimeBlock ReadRuntimeBlock(Archive& ar) {
    RuntimeBlock block;
    if (ar.readString() != kRuntimeBlockTag || ar.endOfFile())
        return block;
    block.tagMatched = true;
    block.count = ar.readI32();
    // Entries of a table with more channels than ours are read over; the
    // count bounds the loop, so a huge count just runs into the end of file.
    const bool keep = block.count <= kRuntimeBlockChannels;
    for (std::int32_t i = 0; i < block.count && !ar.endOfFile(); ++i) {
        RuntimeBlockEntry e;
        e.min = ar.readFloat();
        e.max = ar.readFloat();
        e.enabled = ar.readU8() != 0;
        if (keep)
            block.entries.push_back(e);
    }
    if (ar.endOfFile())
        block.entries.clear();
    return block;
}
