// The ".tq" loader: any bytes load or fail cleanly; what loads saves, and the
// saved bytes load again and save to the same bytes.
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "params/archive.h"
#include "params/tq_file.h"

namespace {

std::vector<std::uint8_t> saved(TQFile1& document) {
    Archive out;
    if (!document.Serialize(out))
        __builtin_trap();   // storing never fails
    return out.bytes();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    TQFile1 first;
    Archive in{std::span<const std::uint8_t>(data, size)};
    if (!first.Serialize(in))
        return 0;
    const std::vector<std::uint8_t> once = saved(first);

    TQFile1 second;
    Archive again{std::span<const std::uint8_t>(once)};
    if (!second.Serialize(again))
        __builtin_trap();   // a saved file must load
    if (saved(second) != once)
        __builtin_trap();   // load -> save -> load must be stable
    return 0;
}
