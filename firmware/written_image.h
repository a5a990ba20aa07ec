// The bytes a download has written, by address, so that they can be read
// back and compared. A later write to a byte replaces the earlier one.
#pragma once

#include <array>
#include <bitset>
#include <cstdint>
#include <map>
#include <vector>

class WrittenImage {
public:
    struct Run {
        std::uint32_t start = 0;
        std::vector<std::uint8_t> bytes;
    };

    void clear() { pages_.clear(); }
    bool empty() const { return pages_.empty(); }
    // Bytes written, each address counted once.
    std::size_t byteCount() const;
    void add(std::uint32_t address, const std::uint8_t* bytes, int count);

    // Contiguous runs of written bytes in address order. The boot loader
    // stores a write's words from the address it was given, so a run also
    // ends where a write began an odd number of bytes after the run's start:
    // that write is read back from its own start.
    std::vector<Run> runs() const;

private:
    static constexpr std::uint32_t kPageBytes = 256;
    struct Page {
        std::array<std::uint8_t, kPageBytes> bytes{};
        std::bitset<kPageBytes> written;
        std::bitset<kPageBytes> writeStart;
    };
    std::map<std::uint32_t, Page> pages_;   // address / kPageBytes -> page
};
