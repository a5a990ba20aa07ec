// Verification after writing: everything the write loop wrote is read back
// through the boot loader and compared with the file's bytes.
#include <cstdio>

#include "firmware/firmware_loader.h"

namespace {

constexpr std::uint32_t kAddressMask = 0xFFFFFF;   // the boot loader's 24 bits

// Byte `index` (0..15) of a read-back block: the words hold the bytes in
// file order, first byte in the high half, as "p" sent them.
std::uint8_t blockByte(const std::array<std::uint32_t, 8>& words, std::size_t index) {
    const std::uint32_t word = words[index / 2];
    return static_cast<std::uint8_t>(index % 2 == 0 ? word >> 8 : word);
}

}  // namespace

bool FirmwareLoader::compareBlock(const WrittenImage::Run& run, std::size_t offset,
                                  const std::array<std::uint32_t, 8>& words) {
    for (std::size_t i = 0; i < kReadBackBytes && offset + i < run.bytes.size(); ++i) {
        if (blockByte(words, i) != run.bytes[offset + i]) {
            verifyFailedAt_ = run.start + static_cast<std::uint32_t>(offset + i);
            return false;
        }
    }
    return true;
}

bool FirmwareLoader::verifyImage() {
    const std::vector<WrittenImage::Run> runs = written_.runs();
    int blocks = 0;
    for (const WrittenImage::Run& run : runs)
        blocks += static_cast<int>((run.bytes.size() + kReadBackBytes - 1) / kReadBackBytes);
    startPhase(LoaderPhase::Verifying, blocks);
    setProgress(0);
    verifyFailedAt_ = 0;

    const std::int64_t startMs = writeStartMs_;   // the seconds go on from the write
    bool ok = true;
    int done = 0;
    for (const WrittenImage::Run& run : runs) {
        if (observer_)
            observer_->beforeRecord();
        setStatus(" Verifying at %06X, time %d s", run.start, startMs);
        if (link_.setAddress(run.start) != 0) {
            verifyFailedAt_ = run.start;
            setStatus("Error to set base adress at %06X, time %d s", run.start, startMs);
            ok = false;
            break;
        }
        for (std::size_t offset = 0; ok && offset < run.bytes.size(); offset += kReadBackBytes) {
            const std::uint32_t at = run.start + static_cast<std::uint32_t>(offset);
            if (offset > 0 && observer_)
                observer_->beforeRecord();
            std::uint32_t readAt = 0;
            std::array<std::uint32_t, 8> words{};
            if (link_.readData(readAt, words) != 0 || readAt != (at & kAddressMask)) {
                verifyFailedAt_ = at;
                setStatus("Error to read data at %06X, time %d s", at, startMs);
                ok = false;
            } else if (!compareBlock(run, offset, words)) {
                setStatus("Verify error at %06X, time %d s", verifyFailedAt_, startMs);
                ok = false;
            } else {
                setProgress(++done);
            }
        }
        if (!ok)
            break;
    }
    setProgress(0);
    if (ok) {
        char text[64];
        std::snprintf(text, sizeof text, "%s, time %d s", kStatusVerifyOk,
                      static_cast<int>((clock_() - startMs) / 1000));
        statusText_ = text;
        if (observer_)
            observer_->statusTextChanged(statusText_);
    }
    return ok;
}
