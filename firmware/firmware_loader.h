// The board side of the firmware download: identifying the board, searching
// for it, starting the user program, and writing an Intel HEX image record
// by record through the boot loader.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "firmware/boot_loader_link.h"
#include "firmware/intel_hex_file.h"
#include "firmware/written_image.h"

// Data records are written only inside this window (the boot area lies
// below it, configuration and other data above it).
inline constexpr std::uint32_t kProgramWindowStart = 0x000300;
inline constexpr std::uint32_t kProgramWindowEnd = 0x200000;   // exclusive
inline constexpr int kSearchBoardRepeats = 101;
inline constexpr int kProgressSkipEvery = 20;
inline constexpr std::uint32_t kReadBackBytes = 16;   // one "d01": eight words

inline constexpr char kBoardInitialText[] = "<no board found>";
inline constexpr char kStatusInitialText[] = "0x000000 - 0xFFFFFF";
inline constexpr char kBoardGettingId[] = "Get board id...";
inline constexpr char kBoardSearching[] = "Search for the regulator board...";
inline constexpr char kBoardNotDetected[] = "<no board detected>";
inline constexpr char kBoardRunUserProgram[] = "Run user program, in regulator.....";
inline constexpr char kErrorBoardIdNotValid[] = "Error - Board ID not valid";
inline constexpr char kErrorFileNotValid[] = "Error - File not valid";

inline constexpr char kStatusVerifyOk[] = "Verify ok";

inline constexpr char kBootCommandBoardId[] = "$B\n\r";
inline constexpr char kBootCommandSearch[] = "$B\n\rBBBB\n\r";
inline constexpr char kBootCommandSearchEnd[] = "$B\n\r\n\r";

enum class LoaderPhase {
    Writing,     // progress counts the file's records
    Verifying,   // progress counts the read-back blocks
};

// Receives what the dialog shows. Every member has an empty default.
class FirmwareLoaderObserver {
public:
    virtual ~FirmwareLoaderObserver() = default;
    // Comes before the phase's progressRangeChanged.
    virtual void phaseChanged(LoaderPhase /*phase*/) {}
    virtual void boardTextChanged(const std::string& /*text*/) {}
    virtual void statusTextChanged(const std::string& /*text*/) {}
    virtual void progressRangeChanged(int /*maximum*/) {}
    virtual void progressChanged(int /*position*/) {}
    // Called before each record; the window dispatches its waiting messages
    // here so that it repaints during the write loop.
    virtual void beforeRecord() {}
};

struct BoardIdentity {
    std::uint32_t id = 0;
    bool locked = true;
    char rev1 = '-';
    char rev2 = '-';
};

enum class DownloadOutcome {
    Written,          // image written and the user program started
    BoardNotValid,    // "Error - Board ID not valid"
    FileNotValid,     // "Error - File not valid"
    WriteFailed,      // the status line tells why
    VerifyFailed,     // read back differs (or could not be read): the board
                      // stays in its boot loader, the status line tells where
};

class FirmwareLoader {
public:
    explicit FirmwareLoader(BootLoaderLink& link, FirmwareLoaderObserver* observer = nullptr);

    // Milliseconds of a steady clock; replaceable for tests.
    void setClock(std::function<std::int64_t()> milliseconds) { clock_ = std::move(milliseconds); }

    // "$B\n\r" (echo only), then identify. True when the board answered.
    bool boardId();
    // 101 x "$B\n\rBBBB\n\r" without waiting, "$B\n\r\n\r", then identify.
    bool searchBoard();
    // Starts the user program; the dialog stays open.
    int go();
    // Starts the user program before the dialog closes.
    int cancel() { return link_.runUserProgram(); }

    // The Download button: checks the board and the file, writes the image,
    // reads it back when `verify` is set, and on success starts the user
    // program.
    DownloadOutcome download(IntelHexFile& file, bool fileValid, bool verify = false);
    // The write loop alone; true when no record stopped it.
    bool writeImage(IntelHexFile& file);
    // Reads back everything the last writeImage wrote ("a%06X" at the start
    // of each run, then "d01" per eight words, with "a%06X" before each read
    // on a board whose "d01" does not move its address on) and compares it. The status
    // line then reads "Verify ok, time %d s" or names the first address
    // that differs or could not be read.
    bool verifyImage();

    bool boardFound() const { return boardFound_; }
    const BoardIdentity& board() const { return board_; }
    const std::string& boardText() const { return boardText_; }
    const std::string& statusText() const { return statusText_; }
    // Result of the "g\n\r" after the last successful download.
    int startResult() const { return startResult_; }
    // The first byte address whose read-back differed (or could not be read)
    // in the last verification.
    std::uint32_t verifyFailedAt() const { return verifyFailedAt_; }
    const WrittenImage& written() const { return written_; }
    // Data records the last writeImage wrote (those inside the program window).
    int recordsWritten() const { return recordsWritten_; }
    // True when the last verification found that the board's "d01" leaves
    // its address where it was, so that the address was set before each read.
    bool readBackSetsAddress() const { return readBackSetsAddress_; }

private:
    void identifyBoard();
    void setBoardText(std::string text);
    void setStatus(const char* format, std::uint32_t address, std::int64_t startMs);
    void setProgress(int position);
    void startPhase(LoaderPhase phase, int total);
    // Compares one read-back block with the written bytes from `offset` of
    // `run`; false (and verifyFailedAt_ set) at the first difference.
    bool compareBlock(const WrittenImage::Run& run, std::size_t offset,
                      const std::array<std::uint32_t, 8>& words);
    // Reads the block at `at` (the address already set when `addressIsSet`);
    // a link result code, or a negative value when setting the address failed.
    int readBlock(std::uint32_t at, bool addressIsSet, std::uint32_t& readAt,
                  std::array<std::uint32_t, 8>& words);

    BootLoaderLink& link_;
    FirmwareLoaderObserver* observer_;
    std::function<std::int64_t()> clock_;
    bool boardFound_ = false;
    BoardIdentity board_;
    std::string boardText_ = kBoardInitialText;
    std::string statusText_;
    int startResult_ = 0;
    WrittenImage written_;
    int recordsWritten_ = 0;
    std::int64_t writeStartMs_ = 0;
    std::uint32_t verifyFailedAt_ = 0;
    bool readBackSetsAddress_ = false;
};

// "BL%c%c with id %X is %s" with "Locked" or "Unlocked".
std::string boardIdentityText(const BoardIdentity& board);
