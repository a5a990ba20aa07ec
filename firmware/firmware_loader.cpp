#include "firmware/firmware_loader.h"

#include <chrono>
#include <cstdio>

namespace {

std::int64_t steadyMilliseconds() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

}  // namespace

std::string boardIdentityText(const BoardIdentity& board) {
    char text[64];
    std::snprintf(text, sizeof text, "BL%c%c with id %X is %s", board.rev1, board.rev2,
                  static_cast<unsigned>(board.id), board.locked ? "Locked" : "Unlocked");
    return text;
}

FirmwareLoader::FirmwareLoader(BootLoaderLink& link, FirmwareLoaderObserver* observer)
    : link_(link), observer_(observer), clock_(steadyMilliseconds) {}

void FirmwareLoader::setBoardText(std::string text) {
    boardText_ = std::move(text);
    if (observer_)
        observer_->boardTextChanged(boardText_);
}

void FirmwareLoader::setStatus(const char* format, std::uint32_t address, std::int64_t startMs) {
    const long seconds = static_cast<long>((clock_() - startMs) / 1000);
    char text[96];
    std::snprintf(text, sizeof text, format, static_cast<unsigned>(address),
                  static_cast<int>(seconds));
    statusText_ = text;
    if (observer_)
        observer_->statusTextChanged(statusText_);
}

void FirmwareLoader::setProgress(int position) {
    if (observer_)
        observer_->progressChanged(position);
}

void FirmwareLoader::identifyBoard() {
    BoardIdentity board;
    if (link_.identify(board.id, board.locked, board.rev1, board.rev2) == 0) {
        board_ = board;
        boardFound_ = true;
        setBoardText(boardIdentityText(board_));
    }
    if (!boardFound_)
        setBoardText(kBoardNotDetected);
}

bool FirmwareLoader::boardId() {
    boardFound_ = false;
    setBoardText(kBoardGettingId);
    link_.transact(kBootCommandBoardId, false, 1, true);
    identifyBoard();
    return boardFound_;
}

bool FirmwareLoader::searchBoard() {
    boardFound_ = false;
    setBoardText(kBoardSearching);
    for (int i = 0; i < kSearchBoardRepeats; ++i)
        link_.transact(kBootCommandSearch, false, 1, false);
    link_.transact(kBootCommandSearchEnd, false, 1, true);
    identifyBoard();
    return boardFound_;
}

int FirmwareLoader::go() {
    setBoardText(kBoardRunUserProgram);
    return link_.runUserProgram();
}

void FirmwareLoader::startPhase(LoaderPhase phase, int total) {
    if (!observer_)
        return;
    observer_->phaseChanged(phase);
    observer_->progressRangeChanged(total > 0 ? total : 0);
}

DownloadOutcome FirmwareLoader::download(IntelHexFile& file, bool fileValid, bool verify) {
    if (!boardFound_)
        return DownloadOutcome::BoardNotValid;
    if (!fileValid)
        return DownloadOutcome::FileNotValid;
    if (!writeImage(file))
        return DownloadOutcome::WriteFailed;
    if (verify && !verifyImage())
        return DownloadOutcome::VerifyFailed;
    startResult_ = link_.runUserProgram();
    return DownloadOutcome::Written;
}

bool FirmwareLoader::writeImage(IntelHexFile& file) {
    const int n = file.count();
    written_.clear();
    recordsWritten_ = 0;
    startPhase(LoaderPhase::Writing, n);
    setProgress(0);
    if (n <= 0)
        return false;

    const std::int64_t startMs = clock_();
    writeStartMs_ = startMs;
    file.rewind();
    std::uint32_t address = 0;
    bool stop = false;
    bool done = false;
    HexRecord record;
    for (int k = 0; k < n && !done && !stop;) {
        if (observer_)
            observer_->beforeRecord();
        file.readRecord(record);
        ++k;
        if (k % kProgressSkipEvery != 0)
            setProgress(k);
        if (!record.valid) {
            setStatus("Read file error at %06X, time %d s", address, startMs);
            stop = true;
            break;
        }
        switch (record.recordType) {
        case kHexRecordData: {
            // The upper address bits stay whole: data from 16 MiB up lies
            // outside the window instead of aliasing into the program area.
            address = (record.address & 0xFFFF) | (address & 0xFFFF0000);
            if (address < kProgramWindowStart || address >= kProgramWindowEnd)
                break;
            setStatus(" Writing at %06X, time %d s", address, startMs);
            if (link_.setAddress(address) != 0) {
                setStatus("Error to set base adress at %06X, time %d s", address, startMs);
                stop = true;
                break;
            }
            std::uint32_t reply = 0;
            if (link_.writeData(record.data.data(), static_cast<int>(record.byteCount), false,
                                reply) != 0) {
                setStatus("Error to write data at %06X, time %d s", address, startMs);
                stop = true;
            }
            if (reply != address)
                stop = true;
            if (!stop) {
                written_.add(address, record.data.data(), static_cast<int>(record.byteCount));
                ++recordsWritten_;
            }
            break;
        }
        case kHexRecordEndOfFile:
            done = true;
            break;
        case kHexRecordUpperAddress:
        case kHexRecordExtendedLinear:
            address = (static_cast<std::uint32_t>(record.data[0]) << 24) |
                      (static_cast<std::uint32_t>(record.data[1]) << 16);
            break;
        default:
            setStatus("Error - unsupported record type at %06X, time %d s", address, startMs);
            stop = true;
            break;
        }
    }
    setProgress(0);
    return !stop;
}
