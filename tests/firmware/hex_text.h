// Builds Intel HEX text and temporary files for the tests.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "firmware/intel_hex_file.h"

namespace hextest {

// One record line with its checksum and a line feed.
std::string record(std::uint32_t type, std::uint32_t address,
                   const std::vector<std::uint8_t>& data, bool lowerCase = false);
std::string extendedLinear(std::uint32_t upper);
std::string endOfFile();

// N bytes that differ with SEED and do not repeat within 4 KiB.
std::vector<std::uint8_t> pattern(std::size_t n, unsigned seed);

// Bytes of a data image at their full addresses.
struct Block {
    std::uint32_t address;
    std::vector<std::uint8_t> bytes;
};
// Records of at most 16 bytes with extended linear address records where the
// upper address changes, and the end-of-file record.
std::string image(const std::vector<Block>& blocks);

// A file in a fresh temporary directory, removed at exit of the test process.
class TempFile {
public:
    explicit TempFile(const std::string& text, const std::string& name = "image.hex");
    ~TempFile();
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;
    const std::string& path() const { return path_; }
    const std::string& dir() const { return dir_; }

private:
    std::string dir_;
    std::string path_;
};

// An image written to a temporary file and opened by the reader.
struct Loaded {
    explicit Loaded(const std::string& text) : file(text) { reader.open(file.path()); }
    TempFile file;
    IntelHexFile reader;
};

}  // namespace hextest
