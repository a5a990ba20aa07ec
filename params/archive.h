// Binary archive of the parameter file: little-endian, no padding, strings
// with a length prefix. One object serves one direction; reading past the end
// sets a sticky end-of-file flag and yields zeros, so a caller checks
// endOfFile() once after a complete read.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

class Archive {
public:
    // An archive that stores into an internal byte buffer.
    Archive();
    // An archive that loads from the given bytes (not copied; they must
    // outlive the archive).
    explicit Archive(std::span<const std::uint8_t> data);

    bool isStoring() const { return storing_; }
    bool isLoading() const { return !storing_; }

    // Storing.
    void writeU8(std::uint8_t v);
    void writeU16(std::uint16_t v);
    void writeU32(std::uint32_t v);
    void writeI32(std::int32_t v);
    void writeFloat(float v);
    void writeString(const std::string& s);
    const std::vector<std::uint8_t>& bytes() const { return out_; }

    // Loading. After the end of the data every read returns 0 / "".
    std::uint8_t readU8();
    std::uint16_t readU16();
    std::uint32_t readU32();
    std::int32_t readI32();
    float readFloat();
    // Accepts the narrow prefixes and the wide (UTF-16) form; wide text is
    // converted to UTF-8. A length that runs past the data is end-of-file,
    // detected before anything is allocated.
    std::string readString();
    bool endOfFile() const { return eof_; }
    std::size_t position() const { return pos_; }
    std::size_t remaining() const { return in_.size() - pos_; }

    // Both directions, chosen by the archive's mode.
    void io(std::uint32_t& v) {
        if (storing_)
            writeU32(v);
        else
            v = readU32();
    }
    void io(float& v) {
        if (storing_)
            writeFloat(v);
        else
            v = readFloat();
    }
    void io(std::string& s) {
        if (storing_)
            writeString(s);
        else
            s = readString();
    }

private:
    bool take(void* dst, std::size_t n);
    std::uint64_t readLength();

    bool storing_;
    std::vector<std::uint8_t> out_;
    std::span<const std::uint8_t> in_;
    std::size_t pos_ = 0;
    bool eof_ = false;
};
