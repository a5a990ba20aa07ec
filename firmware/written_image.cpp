#include "firmware/written_image.h"

void WrittenImage::add(std::uint32_t address, const std::uint8_t* bytes, int count) {
    for (int i = 0; i < count; ++i) {
        const std::uint32_t at = address + static_cast<std::uint32_t>(i);
        Page& page = pages_[at / kPageBytes];
        const std::uint32_t offset = at % kPageBytes;
        page.bytes[offset] = bytes[i];
        page.written.set(offset);
        if (i == 0)
            page.writeStart.set(offset);
    }
}

std::size_t WrittenImage::byteCount() const {
    std::size_t count = 0;
    for (const auto& [index, page] : pages_)
        count += page.written.count();
    return count;
}

std::vector<WrittenImage::Run> WrittenImage::runs() const {
    std::vector<Run> result;
    bool open = false;
    std::uint32_t end = 0;
    for (const auto& [index, page] : pages_) {
        for (std::uint32_t offset = 0; offset < kPageBytes; ++offset) {
            if (!page.written.test(offset))
                continue;
            const std::uint32_t at = index * kPageBytes + offset;
            const bool continues = open && at == end &&
                                   !(page.writeStart.test(offset) && (at - result.back().start) % 2 != 0);
            if (!continues) {
                result.push_back(Run{at, {}});
                open = true;
            }
            result.back().bytes.push_back(page.bytes[offset]);
            end = at + 1;
        }
    }
    return result;
}
