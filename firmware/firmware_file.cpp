#include "firmware/firmware_file.h"

#include <cstdio>

std::string programDataText(std::uint32_t start, std::uint32_t end, bool hasConfig) {
    char text[96];
    std::snprintf(text, sizeof text, "Program Data 0x%04X - 0x%04X,  %s config data",
                  static_cast<unsigned>(start), static_cast<unsigned>(end),
                  hasConfig ? "with" : "no");
    return text;
}

std::string withHexExtension(const std::string& path) {
    const std::size_t slash = path.find_last_of('/');
    const std::size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
    if (path.find('.', nameStart) != std::string::npos)
        return path;
    return path + ".hex";
}

FirmwareFileCheck checkFirmwareFile(IntelHexFile& reader, const std::string& path) {
    FirmwareFileCheck check;
    const bool opened = reader.open(path);
    check.recordCount = reader.count();
    check.valid = reader.scan(check.start, check.end, check.hasConfig);
    check.fileInfo = check.valid ? programDataText(check.start, check.end, check.hasConfig)
                                 : std::string(kFirmwareFileNotValid);
    if (!check.valid)
        check.problem = opened ? reader.scanError() : reader.error();
    return check;
}

std::string firmwareFileErrorText(const FirmwareFileCheck& check) {
    if (check.problem.empty())
        return kFirmwareFileError;
    return std::string(kFirmwareFileError) + ": " + check.problem;
}
