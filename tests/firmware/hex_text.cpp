#include "hex_text.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>

namespace hextest {

std::string record(std::uint32_t type, std::uint32_t address,
                   const std::vector<std::uint8_t>& data, bool lowerCase) {
    const char* byteFormat = lowerCase ? "%02x" : "%02X";
    char field[8];
    std::string text = ":";
    auto add = [&](std::uint32_t byte) {
        std::snprintf(field, sizeof field, byteFormat, static_cast<unsigned>(byte & 0xFF));
        text += field;
    };
    std::uint32_t sum = static_cast<std::uint32_t>(data.size()) + (address >> 8) +
                        (address & 0xFF) + type;
    add(static_cast<std::uint32_t>(data.size()));
    add(address >> 8);
    add(address);
    add(type);
    for (std::uint8_t b : data) {
        add(b);
        sum += b;
    }
    add((256 - (sum & 0xFF)) & 0xFF);
    return text + "\n";
}

std::string extendedLinear(std::uint32_t upper) {
    return record(4, 0, {static_cast<std::uint8_t>(upper >> 8), static_cast<std::uint8_t>(upper)});
}

std::string endOfFile() { return record(1, 0, {}); }

std::string image(const std::vector<Block>& blocks) {
    std::string text;
    std::uint32_t upper = 0xFFFFFFFF;
    for (const Block& block : blocks) {
        for (std::size_t i = 0; i < block.bytes.size(); i += 16) {
            const std::uint32_t address = block.address + static_cast<std::uint32_t>(i);
            if (address >> 16 != upper) {
                upper = address >> 16;
                text += extendedLinear(upper);
            }
            const std::size_t n = std::min<std::size_t>(16, block.bytes.size() - i);
            std::vector<std::uint8_t> chunk(block.bytes.begin() + static_cast<long>(i),
                                            block.bytes.begin() + static_cast<long>(i + n));
            text += record(0, address & 0xFFFF, chunk);
        }
    }
    return text + endOfFile();
}

TempFile::TempFile(const std::string& text, const std::string& name) {
    char pattern[] = "/tmp/tq_firmware_test_XXXXXX";
    if (!mkdtemp(pattern))
        throw std::runtime_error("mkdtemp failed");
    dir_ = pattern;
    path_ = dir_ + "/" + name;
    std::ofstream out(path_, std::ios::binary);
    out << text;
}

TempFile::~TempFile() {
    std::error_code ignored;
    std::filesystem::remove_all(dir_, ignored);
}

std::vector<std::uint8_t> pattern(std::size_t n, unsigned seed) {
    std::vector<std::uint8_t> v(n);
    for (std::size_t i = 0; i < n; ++i)
        v[i] = static_cast<std::uint8_t>(seed * 29 + i * 7 + (i >> 4));
    return v;
}

}  // namespace hextest
