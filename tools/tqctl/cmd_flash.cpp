// Firmware update: board-id identifies the board through its boot loader,
// flash writes an Intel HEX image, reads it back with --verify, and starts it. Both switch to the boot
// loader's rate and back as the program's "Download firmware" command does.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

#include "command.h"
#include "json_report.h"
#include "firmware/firmware_file.h"
#include "firmware/firmware_loader.h"
#include "firmware/firmware_update_session.h"
#include "firmware/serial_boot_loader_link.h"
#include "link/port_url.h"
#include "link/serial_manager.h"

namespace tqctl {
namespace {

constexpr int kExitNoBoard = 1;
constexpr int kExitWriteFailed = 1;
constexpr int kExitVerifyFailed = 2;
constexpr std::uint32_t kDefaultBootBaud = 115200;   // BOOTSPEED default
constexpr int kProgressBarWidth = 40;

std::string terminalText(std::string text) {
    for (char& c : text)
        if (c == '\r')
            c = '\n';
    return text;
}

// The link of tqctl behind the firmware command's rate switching.
class ToolPortHost : public FirmwarePortHost {
public:
    explicit ToolPortHost(Context& ctx) : ctx_(ctx) {}
    bool isOpen() const override { return ctx_.link().isOpen(); }
    int open(std::uint32_t baud) override { return ctx_.reopenLink(baud); }
    void close() override { ctx_.closeLink(); }
    int enterBootLoader() override { return ctx_.link().enterBootLoader(); }
    int setConnectionMode(int mode) override {
        const int old = mode_;
        mode_ = mode;
        return old;
    }
    void showMessage(const std::string& text) override { std::printf(" %s\n", text.c_str()); }
    void openFailed(int code) override {
        std::fprintf(stderr, "%s\n", terminalText(openPortErrorText(code)).c_str());
    }
    void pause(int milliseconds) override {
        std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
    }
    bool rateIsFixed() const override { return portRateIsFixed(ctx_.portPath()); }
    void rateSwitchRefused(const std::string& text) override {
        std::fprintf(stderr, "%s\n", terminalText(text).c_str());
        runReport().text = text;
    }

private:
    Context& ctx_;
    int mode_ = 0;
};

// Prints the board and status lines as they change. On a terminal the
// status shares one line, redrawn in place, with a progress bar of the
// records done and the seconds elapsed; otherwise the writing status is
// printed at most once per second and every other status at once.
class TerminalObserver : public FirmwareLoaderObserver {
public:
    TerminalObserver() : tty_(isatty(STDOUT_FILENO) == 1) {}

    void boardTextChanged(const std::string& text) override { printLine(text); }
    void statusTextChanged(const std::string& text) override {
        status_ = text;
        if (tty_) {
            drawBar();
            return;
        }
        const long now = elapsedSeconds();
        const bool running = text.rfind(" Writing at", 0) == 0 || text.rfind(" Verifying at", 0) == 0;
        if (!running || now != lastPrintedSecond_) {
            printLine(text);
            lastPrintedSecond_ = now;
            printed_ = text;
        }
    }
    void phaseChanged(LoaderPhase phase) override {
        if (barShown_)
            std::printf("\n");   // the writing bar stays on screen
        barShown_ = false;
        unit_ = phase == LoaderPhase::Verifying ? "blocks read back" : "records";
        done_ = 0;
    }
    void progressRangeChanged(int maximum) override {
        total_ = maximum;
        start_ = std::chrono::steady_clock::now();
    }
    void progressChanged(int position) override {
        if (position > 0)
            done_ = position;
        if (tty_ && position > 0)
            drawBar();
    }
    void finish() {
        if (barShown_)
            std::printf("\n");
        else if (!tty_ && !status_.empty() && status_ != printed_)
            std::printf("%s\n", status_.c_str());
        barShown_ = false;
        std::fflush(stdout);
    }

private:
    long elapsedSeconds() const {
        return static_cast<long>(std::chrono::duration_cast<std::chrono::seconds>(
                                     std::chrono::steady_clock::now() - start_)
                                     .count());
    }
    void printLine(const std::string& text) {
        if (barShown_)
            std::printf("\r\033[K");
        std::printf("%s\n", text.c_str());
        barShown_ = false;
        std::fflush(stdout);
    }
    void drawBar() {
        const int filled = total_ > 0 ? done_ * kProgressBarWidth / total_ : 0;
        std::printf("\r\033[K[%s%s] %d/%d %s, %ld s %s", std::string(filled, '#').c_str(),
                    std::string(kProgressBarWidth - filled, '.').c_str(), done_, total_, unit_,
                    elapsedSeconds(), status_.c_str());
        barShown_ = true;
        std::fflush(stdout);
    }

    bool tty_;
    bool barShown_ = false;
    int total_ = 0;
    int done_ = 0;
    const char* unit_ = "records";
    long lastPrintedSecond_ = -1;
    std::string status_;
    std::string printed_;
    std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
};

bool parseBaud(const std::string& text, std::uint32_t& baud) {
    char* end = nullptr;
    const unsigned long value = std::strtoul(text.c_str(), &end, 10);
    if (text.empty() || *end != '\0' || value == 0 || value > 4000000)
        return false;
    baud = static_cast<std::uint32_t>(value);
    return true;
}

struct FlashArgs {
    std::string path;
    std::uint32_t bootBaud = kDefaultBootBaud;
    bool search = false;
    bool verify = false;
};

int runBoardId(Context& ctx, const std::vector<std::string>& args);
int runFlash(Context& ctx, const std::vector<std::string>& args);

const Command kBoardId{"board-id", "board-id [--search] [--boot-baud N]",
                       "identify the board through its boot loader, then start its program",
                       runBoardId};
const Command kFlash{"flash", "flash FILE.hex [--boot-baud N] [--search] [--verify]",
                     "write a firmware image through the boot loader (--verify: read it back and "
                     "compare) and start it",
                     runFlash};

std::string parseFlashArgs(const std::vector<std::string>& args, bool wantFile, FlashArgs& out) {
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--search") {
            out.search = true;
        } else if (a == "--verify" && wantFile) {
            out.verify = true;
        } else if (a == "--boot-baud") {
            if (i + 1 >= args.size() || !parseBaud(args[i + 1], out.bootBaud))
                return "--boot-baud takes a baud rate";
            ++i;
        } else if (!a.empty() && a[0] == '-') {
            return "unknown option " + a;
        } else if (wantFile && out.path.empty()) {
            out.path = a;
        } else {
            return "unexpected argument " + a;
        }
    }
    return wantFile && out.path.empty() ? "no file name given" : "";
}

// Opens the link at the normal rate and runs `dialog` at the boot rate.
int withBootLoaderRate(Context& ctx, std::uint32_t bootBaud, const std::function<void()>& dialog) {
    if (const int opened = ctx.openLink(); opened != Ok)
        return opened;
    ToolPortHost host(ctx);
    // tqctl prints its own result line ("Image written ..."); the message
    // line after it stays "Restart new firmware".
    return runFirmwareUpdate(host, ctx.baudRate(), bootBaud, [&] {
        dialog();
        return std::string();
    });
}

bool findBoard(FirmwareLoader& loader, bool search) {
    return search ? loader.searchBoard() : loader.boardId();
}

int runBoardId(Context& ctx, const std::vector<std::string>& args) {
    FlashArgs parsed;
    if (const std::string error = parseFlashArgs(args, false, parsed); !error.empty())
        return usageError(kBoardId, error);
    int exitCode = kExitNoBoard;
    const int opened = withBootLoaderRate(ctx, parsed.bootBaud, [&] {
        SerialBootLoaderLink link(ctx.link());
        TerminalObserver observer;
        FirmwareLoader loader(link, &observer);
        if (findBoard(loader, parsed.search))
            exitCode = 0;
        loader.go();   // leave the boot loader as closing the dialog does
    });
    return opened != Ok ? opened : exitCode;
}

int runFlash(Context& ctx, const std::vector<std::string>& args) {
    FlashArgs parsed;
    if (const std::string error = parseFlashArgs(args, true, parsed); !error.empty())
        return usageError(kFlash, error);
    IntelHexFile reader;
    const FirmwareFileCheck check = checkFirmwareFile(reader, parsed.path);
    std::printf("%s\n", check.fileInfo.c_str());
    if (!check.valid) {
        std::fprintf(stderr, "%s\n", firmwareFileErrorText(check).c_str());
        return kExitFileError;
    }

    int exitCode = kExitWriteFailed;
    const int opened = withBootLoaderRate(ctx, parsed.bootBaud, [&] {
        SerialBootLoaderLink link(ctx.link());
        TerminalObserver observer;
        FirmwareLoader loader(link, &observer);
        findBoard(loader, parsed.search);
        const DownloadOutcome outcome = loader.download(reader, check.valid, parsed.verify);
        observer.finish();
        // The outcome is the text of --json, whatever the link prints after it.
        switch (outcome) {
        case DownloadOutcome::Written:
            exitCode = loader.startResult();
            if (exitCode != Ok)
                std::fprintf(stderr, "Run user program - error %d [%s]\n", exitCode,
                             resultText(exitCode));
            else
                std::printf("Image written%s, user program started\n",
                            parsed.verify ? " and verified" : "");
            runReport().text = exitCode == Ok ? std::string("Image written") + (parsed.verify ? " and verified" : "") +
                                                    ", user program started"
                                              : "Run user program - error " + std::to_string(exitCode);
            break;
        case DownloadOutcome::BoardNotValid:
            std::fprintf(stderr, "%s\n", kErrorBoardIdNotValid);
            runReport().text = kErrorBoardIdNotValid;
            exitCode = kExitNoBoard;
            break;
        case DownloadOutcome::FileNotValid:
            std::fprintf(stderr, "%s\n", kErrorFileNotValid);
            runReport().text = kErrorFileNotValid;
            exitCode = kExitFileError;
            break;
        case DownloadOutcome::VerifyFailed:
            std::fprintf(stderr, "Verification failed: %s\nThe board stays in its boot loader.\n",
                         loader.statusText().c_str());
            runReport().text = "Verification failed: " + loader.statusText();
            exitCode = kExitVerifyFailed;
            break;
        case DownloadOutcome::WriteFailed:
            // The image is incomplete: the board stays in its boot loader
            // so that the download can be repeated.
            std::fprintf(stderr, "Download stopped: %s\nThe board stays in its boot loader.\n",
                         loader.statusText().c_str());
            runReport().text = "Download stopped: " + loader.statusText();
            exitCode = kExitWriteFailed;
            break;
        }
    });
    return opened != Ok ? opened : exitCode;
}

const Registrar kRegisterBoardId{kBoardId};
const Registrar kRegisterFlash{kFlash};

}  // namespace
}  // namespace tqctl
