// One record of an Intel HEX file as read by IntelHexFile::readRecord.
#pragma once

#include <array>
#include <cstdint>

// Record types as the firmware download uses them.
inline constexpr std::uint32_t kHexRecordData = 0;
inline constexpr std::uint32_t kHexRecordEndOfFile = 1;
inline constexpr std::uint32_t kHexRecordUpperAddress = 2;      // taken like type 4
inline constexpr std::uint32_t kHexRecordExtendedLinear = 4;

struct HexRecord {
    bool valid = false;              // the checksum is correct
    std::uint32_t byteCount = 0;     // 0..255
    std::uint32_t address = 0;       // 16-bit load offset
    std::uint32_t recordType = 0;
    std::array<std::uint8_t, 256> data{};
    std::uint32_t checksum = 0;      // as read

    // The upper 16 address bits carried by a type 2 or 4 record.
    std::uint32_t upperAddress() const { return data[0] * 256u + data[1]; }
};
