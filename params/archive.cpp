#include "params/archive.h"

#include <bit>
#include <cstring>
#include <limits>

static_assert(std::endian::native == std::endian::little,
              "the archive assumes a little-endian host");

Archive::Archive() : storing_(true) {}

Archive::Archive(std::span<const std::uint8_t> data) : storing_(false), in_(data) {}

void Archive::writeU8(std::uint8_t v) {
    out_.push_back(v);
}

void Archive::writeU16(std::uint16_t v) {
    out_.push_back(static_cast<std::uint8_t>(v));
    out_.push_back(static_cast<std::uint8_t>(v >> 8));
}

void Archive::writeU32(std::uint32_t v) {
    for (int i = 0; i < 4; ++i)
        out_.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}

void Archive::writeI32(std::int32_t v) {
    writeU32(static_cast<std::uint32_t>(v));
}

void Archive::writeFloat(float v) {
    writeU32(std::bit_cast<std::uint32_t>(v));
}

void Archive::writeString(const std::string& s) {
    const std::uint64_t n = s.size();
    if (n < 0xFF) {
        writeU8(static_cast<std::uint8_t>(n));
    } else if (n < 0xFFFE) {
        writeU8(0xFF);
        writeU16(static_cast<std::uint16_t>(n));
    } else if (n < 0xFFFFFFFFu) {
        writeU8(0xFF);
        writeU16(0xFFFF);
        writeU32(static_cast<std::uint32_t>(n));
    } else {
        writeU8(0xFF);
        writeU16(0xFFFF);
        writeU32(0xFFFFFFFFu);
        writeU32(static_cast<std::uint32_t>(n));
        writeU32(static_cast<std::uint32_t>(n >> 32));
    }
    out_.insert(out_.end(), s.begin(), s.end());
}

bool Archive::take(void* dst, std::size_t n) {
    if (eof_ || remaining() < n) {
        eof_ = true;
        pos_ = in_.size();
        std::memset(dst, 0, n);
        return false;
    }
    std::memcpy(dst, in_.data() + pos_, n);
    pos_ += n;
    return true;
}

std::uint8_t Archive::readU8() {
    std::uint8_t v;
    take(&v, 1);
    return v;
}

std::uint16_t Archive::readU16() {
    std::uint8_t b[2];
    take(b, 2);
    return static_cast<std::uint16_t>(b[0] | (b[1] << 8));
}

std::uint32_t Archive::readU32() {
    std::uint8_t b[4];
    take(b, 4);
    return static_cast<std::uint32_t>(b[0]) | (static_cast<std::uint32_t>(b[1]) << 8) |
           (static_cast<std::uint32_t>(b[2]) << 16) | (static_cast<std::uint32_t>(b[3]) << 24);
}

std::int32_t Archive::readI32() {
    return static_cast<std::int32_t>(readU32());
}

float Archive::readFloat() {
    return std::bit_cast<float>(readU32());
}

// The length part of a prefix, after any wide marker. Returns the length in
// characters.
std::uint64_t Archive::readLength() {
    const std::uint8_t b = readU8();
    if (b < 0xFF)
        return b;
    const std::uint16_t w = readU16();
    if (w < 0xFFFF)
        return w;  // 0xFFFE never reaches here: the caller handles it
    const std::uint32_t d = readU32();
    if (d < 0xFFFFFFFFu)
        return d;
    const std::uint64_t lo = readU32();
    const std::uint64_t hi = readU32();
    return lo | (hi << 32);
}

namespace {

void appendUtf8(std::string& out, std::uint32_t cp) {
    if (cp < 0x80) {
        out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
}

}  // namespace

std::string Archive::readString() {
    bool wide = false;
    std::uint64_t n;
    // A wide string is marked by FF FFFE before its own length prefix.
    if (!eof_ && remaining() >= 3 && in_[pos_] == 0xFF && in_[pos_ + 1] == 0xFE &&
        in_[pos_ + 2] == 0xFF) {
        pos_ += 3;
        wide = true;
    }
    n = readLength();
    if (eof_)
        return {};
    const std::uint64_t bytes = wide ? n * 2 : n;
    if ((wide && n > std::numeric_limits<std::uint64_t>::max() / 2) || bytes > remaining()) {
        eof_ = true;
        pos_ = in_.size();
        return {};
    }
    const std::uint8_t* p = in_.data() + pos_;
    pos_ += static_cast<std::size_t>(bytes);
    if (!wide)
        return std::string(reinterpret_cast<const char*>(p), static_cast<std::size_t>(n));

    std::string out;
    out.reserve(static_cast<std::size_t>(n));
    for (std::uint64_t i = 0; i < n; ++i) {
        std::uint32_t u = p[2 * i] | (p[2 * i + 1] << 8);
        if (u >= 0xD800 && u < 0xDC00 && i + 1 < n) {
            const std::uint32_t lo = p[2 * i + 2] | (p[2 * i + 3] << 8);
            if (lo >= 0xDC00 && lo < 0xE000) {
                u = 0x10000 + ((u - 0xD800) << 10) + (lo - 0xDC00);
                ++i;
            }
        }
        if (u >= 0xD800 && u < 0xE000)
            u = '?';  // an unpaired surrogate has no narrow form
        appendUtf8(out, u);
    }
    return out;
}
