// Splits the bytes a client sends into command lines. Carriage return and
// line feed both end a line (the firmware commands end in CR, the boot
// loader's in LF CR); empty lines vanish, other control characters and
// bytes 0x80..0xFF are dropped, and a line is cut at kMaxLine characters.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace sim {

class LineSplitter {
public:
    static constexpr std::size_t kMaxLine = 1023;

    // Appends the complete lines found in the bytes to `lines`.
    void feed(const char* data, std::size_t size, std::vector<std::string>& lines);
    void reset() { current_.clear(); }

private:
    std::string current_;
};

}  // namespace sim
