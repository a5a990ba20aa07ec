// hexinfo: reads an Intel HEX firmware image and reports it as the firmware
// download dialog does.
#include <cstdio>
#include <string>
#include <vector>

#include "command.h"
#include "firmware/firmware_file.h"

namespace tqctl {
namespace {

constexpr int kExitInvalidFile = 1;

int runHexInfo(Context& ctx, const std::vector<std::string>& args);

const Command kHexInfo{"hexinfo", "hexinfo FILE.hex",
                       "print the record count and program range of a firmware image",
                       runHexInfo};

int runHexInfo(Context&, const std::vector<std::string>& args) {
    if (args.size() != 1)
        return usageError(kHexInfo, args.empty() ? "missing FILE.hex" : "too many arguments");
    IntelHexFile reader;
    const FirmwareFileCheck check = checkFirmwareFile(reader, args.front());
    std::printf("Records: %d\n", check.recordCount);
    std::printf("%s\n", check.fileInfo.c_str());
    if (!check.valid) {
        std::fprintf(stderr, "%s\n", firmwareFileErrorText(check).c_str());
        return kExitInvalidFile;
    }
    return 0;
}

const Registrar kRegisterHexInfo{kHexInfo};

}  // namespace
}  // namespace tqctl
