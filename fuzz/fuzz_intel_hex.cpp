// The Intel HEX reader (record count, scan, record by record) and the whole
// download loop against a boot loader in memory.
#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <string>

#include "fake_boot_loader.h"
#include "firmware/firmware_file.h"
#include "firmware/firmware_loader.h"
#include "firmware/intel_hex_file.h"

namespace {

// The input as a file the reader opens by name, without touching the disk.
const std::string& inputPath() {
    static const std::string path = [] {
        const int fd = memfd_create("fuzz-hex", 0);
        if (fd < 0)
            __builtin_trap();
        return "/proc/self/fd/" + std::to_string(fd);
    }();
    return path;
}

void setInput(const std::uint8_t* data, std::size_t size) {
    const int fd = std::stoi(inputPath().substr(inputPath().rfind('/') + 1));
    if (ftruncate(fd, 0) != 0 || pwrite(fd, data, size, 0) != static_cast<ssize_t>(size))
        __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    setInput(data, size);
    IntelHexFile reader;
    const FirmwareFileCheck check = checkFirmwareFile(reader, inputPath());
    if (check.valid && check.recordCount <= 0)
        __builtin_trap();   // a downloadable file has records

    FakeBootLoader board;
    // A few inputs also see a board that fails in the middle of the image.
    if (size > 0 && data[size - 1] == 'F')
        board.failWriteAt = check.start;
    if (size > 0 && data[size - 1] == 'R')
        board.wrongReplyAt = check.start;
    FirmwareLoader loader(board);
    std::int64_t now = 0;
    loader.setClock([&now] { return now += 7; });
    if (!loader.boardId())
        __builtin_trap();   // the fake always answers
    const DownloadOutcome outcome = loader.download(reader, check.valid);
    if (!check.valid && outcome != DownloadOutcome::FileNotValid)
        __builtin_trap();
    if (outcome == DownloadOutcome::Written && board.commands.back() != "g\n\r")
        __builtin_trap();   // the user program starts after a written image
    return 0;
}
