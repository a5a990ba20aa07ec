#include "link/reply_parser.h"

#include <charconv>
#include <climits>
#include <cstdlib>
#include <string>

namespace {

// strto* need a terminated text; reply lines are at most 1023 characters.
std::string terminated(std::string_view text) { return std::string(text); }

std::uint32_t hexAt(const char* from, const char** end) {
    char* stop = nullptr;
    const unsigned long long value = std::strtoull(from, &stop, 16);
    *end = stop;
    return static_cast<std::uint32_t>(value);
}

int clampToInt(long value) {
    if (value > INT_MAX)
        return INT_MAX;
    if (value < INT_MIN)
        return INT_MIN;
    return static_cast<int>(value);
}

}  // namespace

float parseReplyFloat(std::string_view text) {
    // from_chars, unlike strtof, ignores the process locale (a desktop
    // session may use a decimal comma).
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r')))
        ++i;
    if (i < text.size() && text[i] == '+')
        ++i;
    float value = 0.0f;
    const auto [end, error] = std::from_chars(text.data() + i, text.data() + text.size(), value);
    (void)end;
    return error == std::errc() ? value : 0.0f;
}

std::uint32_t parseReplyHex(std::string_view text) {
    const std::string s = terminated(text);
    const char* end = nullptr;
    return hexAt(s.c_str(), &end);
}

int parseReplyInt(std::string_view text) {
    const std::string s = terminated(text);
    return clampToInt(std::strtol(s.c_str(), nullptr, 10));
}

std::uint32_t parseReplyUnsigned(std::string_view text) {
    const std::string s = terminated(text);
    return static_cast<std::uint32_t>(std::strtoull(s.c_str(), nullptr, 10));
}

void parseStatusPair(std::string_view text, int& a, int& b) {
    a = 0;
    b = 0;
    const std::string s = terminated(text);
    char* end = nullptr;
    const long first = std::strtol(s.c_str(), &end, 10);
    if (end == s.c_str())
        return;
    a = clampToInt(first);
    const std::size_t next = static_cast<std::size_t>(end - s.c_str()) + 1;
    if (next < s.size())
        b = parseReplyInt(std::string_view(s).substr(next));
}

bool parseReadData(std::string_view text, std::uint32_t& address,
                   std::array<std::uint32_t, 8>& words) {
    const std::string s = terminated(text);
    const char* p = nullptr;
    address = hexAt(s.c_str(), &p);
    if (*p != ':')
        return false;
    ++p;
    for (std::size_t i = 0; i < words.size(); ++i) {
        words[i] = hexAt(p, &p);
        if (i + 1 < words.size()) {
            if (*p != ' ')
                return false;
            ++p;
        }
    }
    return true;
}
