// Verification after writing: everything the write loop wrote is read back
// through the boot loader and compared with the file's bytes.
#include <cstdio>

#include "firmware/firmware_loader.h"

namespace {

constexpr std::uint32_t kAddressMask = 0xFFFFFF;   // the boot loader's 24 bits
// readBlock's result when the address could not be set (not a link code).
constexpr int kReadBlockAddressFailed = -1;

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

// Boards differ in what "d01" does to the loader's address: some move it past
// the eight words they read, others leave it where it was. Each run starts
// with "a%06X"; when a later block comes back from another address than the
// one asked for, the address is set again and the block read once more, and
// from then on the address is set before every read of this verification.
int FirmwareLoader::readBlock(std::uint32_t at, bool addressIsSet, std::uint32_t& readAt,
                              std::array<std::uint32_t, 8>& words) {
    if (!addressIsSet && readBackSetsAddress_ && link_.setAddress(at) != 0)
        return kReadBlockAddressFailed;
    int result = link_.readData(readAt, words);
    if (result == 0 && readAt != (at & kAddressMask) && !addressIsSet && !readBackSetsAddress_) {
        readBackSetsAddress_ = true;
        if (link_.setAddress(at) != 0)
            return kReadBlockAddressFailed;
        result = link_.readData(readAt, words);
    }
    return result;
}

bool FirmwareLoader::verifyImage() {
    const std::vector<WrittenImage::Run> runs = written_.runs();
    int blocks = 0;
    for (const WrittenImage::Run& run : runs)
        blocks += static_cast<int>((run.bytes.size() + kReadBackBytes - 1) / kReadBackBytes);
    startPhase(LoaderPhase::Verifying, blocks);
    setProgress(0);
    verifyFailedAt_ = 0;
    readBackSetsAddress_ = false;

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
            const int result = readBlock(at, offset == 0, readAt, words);
            if (result == kReadBlockAddressFailed) {
                verifyFailedAt_ = at;
                setStatus("Error to set base adress at %06X, time %d s", at, startMs);
                ok = false;
            } else if (result != 0 || readAt != (at & kAddressMask)) {
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
