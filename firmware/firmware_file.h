// The file side of the firmware download: choosing an Intel HEX file and
// checking that it can be downloaded, with the texts the dialog shows.
#pragma once

#include <cstdint>
#include <string>

#include "firmware/intel_hex_file.h"

inline constexpr char kFirmwarePathNotSelected[] = "<not selected>";
inline constexpr char kFirmwareFileFilter[] = "Intelhex File (*.hex)|*.hex|All Files (*.*)|*.*||";
inline constexpr char kFirmwareFileNotValid[] = "<not a valid intelhex file>";
inline constexpr char kFirmwareFileError[] =
    "File error - The file is not a Intelhex file we support";

// "Program Data 0x%04X - 0x%04X,  %s config data" with "with" or "no".
std::string programDataText(std::uint32_t start, std::uint32_t end, bool hasConfig);

// Appends ".hex" when the file name (the part after the last "/") has no ".".
std::string withHexExtension(const std::string& path);

struct FirmwareFileCheck {
    bool valid = false;          // the dialog's file-valid flag
    int recordCount = 0;
    std::uint32_t start = 0;
    std::uint32_t end = 0;
    bool hasConfig = false;
    std::string fileInfo;        // the file-information field
    // Why the file is refused, with its line when a record is at fault
    // ("line 12: checksum 0x3A, expected 0x3B"); empty for a valid file.
    std::string problem;
};

// Opens `path` in `reader`, counts and scans it. On failure fileInfo is
// "<not a valid intelhex file>" and the caller shows firmwareFileErrorText.
FirmwareFileCheck checkFirmwareFile(IntelHexFile& reader, const std::string& path);

// kFirmwareFileError followed by the reason: "File error - The file is not a
// Intelhex file we support: line 12: checksum 0x3A, expected 0x3B".
std::string firmwareFileErrorText(const FirmwareFileCheck& check);
