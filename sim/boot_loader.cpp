#include "sim/boot_loader.h"

#include <cstdio>

namespace sim {

const char* const BootLoader::kBanner[4] = {
    "TQ BOOT LOADER",
    "BAUD AUTO",
    "BL17 READY",
    "WAIT CMD",
};

namespace {

constexpr std::uint32_t kAddressMask = 0xFFFFFF;
constexpr std::size_t kMaxWords = 64;

int hexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

std::string hex6(std::uint32_t v)
{
    char text[16];
    std::snprintf(text, sizeof text, "%06X", static_cast<unsigned>(v & kAddressMask));
    return text;
}

bool isAllB(const std::string& line)
{
    for (char c : line)
        if (c != 'B')
            return false;
    return true;
}

}  // namespace

void BootLoader::enter()
{
    address_ = 0;
}

Reply BootLoader::handle(const std::string& line, bool& leave)
{
    leave = false;
    Reply r;
    r.eol = "\n\r";
    if (line.empty() || isAllB(line))
        return r;  // the search pattern of "Search board": ignored
    if (line == "$B") {
        r.echo = true;  // already in the loader
        return r;
    }
    if (line == "i") {
        r.echo = true;
        char text[16];
        std::snprintf(text, sizeof text, "%X", static_cast<unsigned>(kBoardId));
        r.data = {text, locked_ ? "L" : "U"};
        return r;
    }
    if (line == "g") {
        r.echo = true;
        leave = true;
        return r;
    }
    if (line == "d01") {
        r.echo = true;
        return readWords();
    }
    if (line[0] == 'a') {
        std::uint32_t v = 0;
        std::size_t digits = 0;
        for (std::size_t i = 1; i < line.size(); ++i) {
            const int d = hexDigit(line[i]);
            if (d < 0 || ++digits > 8) {
                digits = 0;
                break;
            }
            v = v * 16 + static_cast<std::uint32_t>(d);
        }
        r.echo = true;
        if (digits == 0) {
            r.data = {"?ERR"};
            return r;
        }
        address_ = v & kAddressMask;
        r.data = {hex6(address_)};
        return r;
    }
    if (line[0] == 'p')
        return writeWords(line.substr(1));
    return r;  // unknown to the loader: no answer
}

Reply BootLoader::writeWords(const std::string& hex)
{
    Reply r;
    r.eol = "\n\r";
    r.echo = true;
    r.flashWrite = true;
    if (hex.size() % 4 != 0 || hex.size() / 4 > kMaxWords) {
        r.data = {"?ERR"};
        return r;
    }
    std::map<std::uint32_t, std::uint16_t> words;
    std::uint32_t at = address_;
    for (std::size_t i = 0; i < hex.size(); i += 4) {
        unsigned w = 0;
        for (std::size_t j = 0; j < 4; ++j) {
            const int d = hexDigit(hex[i + j]);
            if (d < 0) {
                r.data = {"?ERR"};
                return r;
            }
            w = w * 16 + static_cast<unsigned>(d);
        }
        words[at] = static_cast<std::uint16_t>(w);
        at = (at + 2) & kAddressMask;
    }
    for (const auto& [a, w] : words)
        flash_[a] = badWords_.count(a) ? static_cast<std::uint16_t>(~w) : w;
    r.data = {hex6(address_)};
    address_ = at;
    return r;
}

Reply BootLoader::readWords()
{
    Reply r;
    r.eol = "\n\r";
    r.echo = true;
    std::string text = hex6(address_) + ":";
    std::uint32_t at = address_;
    for (int i = 0; i < 8; ++i) {
        const auto it = flash_.find(at);
        char word[8];
        std::snprintf(word, sizeof word, "%04X ", it == flash_.end() ? 0xFFFFu : it->second);
        text += word;
        at = (at + 2) & kAddressMask;
    }
    if (readAdvances_)
        address_ = at;
    r.data = {text};
    return r;
}

}  // namespace sim
