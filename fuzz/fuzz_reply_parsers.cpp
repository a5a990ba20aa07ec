// The pure parsers of the regulator's reply lines, each fed every line of the
// input.
#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "link/reply_parser.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view rest(reinterpret_cast<const char*>(data), size);
    while (!rest.empty()) {
        const std::size_t end = rest.find('\r');
        const std::string_view line = rest.substr(0, end);
        rest.remove_prefix(end == std::string_view::npos ? rest.size() : end + 1);

        volatile float f = parseReplyFloat(line);
        volatile std::uint32_t h = parseReplyHex(line);
        volatile int i = parseReplyInt(line);
        volatile std::uint32_t u = parseReplyUnsigned(line);
        (void)f, (void)h, (void)i, (void)u;
        int a = -1, b = -1;
        parseStatusPair(line, a, b);
        std::uint32_t address = 0;
        std::array<std::uint32_t, 8> words{};
        const bool ok = parseReadData(line, address, words);
        if (ok && line.find(':') == std::string_view::npos)
            __builtin_trap();   // a read-data reply has its ":"
    }
    return 0;
}
