#include "sim/line_splitter.h"

namespace sim {

void LineSplitter::feed(const char* data, std::size_t size, std::vector<std::string>& lines)
{
    for (std::size_t i = 0; i < size; ++i) {
        const unsigned char c = static_cast<unsigned char>(data[i]);
        if (c == '\r' || c == '\n') {
            if (!current_.empty())
                lines.push_back(current_);
            current_.clear();
        } else if (c >= 0x20 && c < 0x7F) {
            if (current_.size() < kMaxLine)
                current_.push_back(static_cast<char>(c));
        }
    }
}

}  // namespace sim
