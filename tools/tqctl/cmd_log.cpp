// tqctl log: records a runtime log file as the program's log does: finds
// the regulator, starts the stream, writes the header, one row per kept
// sample, and the stop lines at the end (after --seconds, or on Ctrl-C).
#include <atomic>
#include <chrono>
#include <optional>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "command.h"
#include "interrupt_scope.h"
#include "link/serial_manager.h"
#include "runtime/runtime_fan_out.h"
#include "runtime/runtime_log.h"
#include "runtime/runtime_ticker.h"

namespace tqctl {
namespace {

int runLog(Context& ctx, const std::vector<std::string>& args);

const Command kLog{"log", "log FILE [--seconds N] [--rate 0..3] [--limit]",
                   "record a runtime log file (rate: 20, 10, 1, 0.1 samples/sec)", runLog};


// The log needs no panel.
class NoPanel : public RuntimeSink {
public:
    void panelText(PanelField, const std::string&) override {}
    void statusText(const std::string&) override {}
    void versionText(const std::string&) override {}
    void lampFlash(PanelLamp, int) override {}
    void graphValues(const GraphValues&) override {}
};

bool parseInt(const std::string& text, int low, int high, int& out)
{
    try {
        std::size_t used = 0;
        const int value = std::stoi(text, &used);
        if (used != text.size() || value < low || value > high) return false;
        out = value;
        return true;
    } catch (...) {
        return false;
    }
}

// As the view's search: stream off twice, then the version query.
int findRegulator(SerialManager& link, std::string& version)
{
    int result = Ok;
    for (int attempt = 0; attempt < 3; ++attempt) {
        link.autoSendOff();
        std::this_thread::sleep_for(std::chrono::milliseconds(150));
        link.autoSendOff();
        std::this_thread::sleep_for(std::chrono::milliseconds(150));
        result = link.getVersion(version);
        if (result == Ok) return Ok;
    }
    return result;
}

int runLog(Context& ctx, const std::vector<std::string>& args)
{
    std::string path;
    int seconds = 10;
    LogSettings settings;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--seconds" || arg == "--rate") {
            if (i + 1 == args.size()) return usageError(kLog, arg + " needs a value");
            const bool ok = arg == "--seconds" ? parseInt(args[++i], 1, 86400 * 7, seconds)
                                               : parseInt(args[++i], 0, 3, settings.sampleRate);
            if (!ok) return usageError(kLog, "bad value for " + arg + ": " + args[i]);
        } else if (arg == "--limit") {
            settings.limitSize = true;
        } else if (!arg.empty() && arg[0] == '-') {
            return usageError(kLog, "unknown option " + arg);
        } else if (path.empty()) {
            path = arg;
        } else {
            return usageError(kLog, "unexpected argument " + arg);
        }
    }
    if (path.empty()) return usageError(kLog, "no log file given");

    if (const int opened = ctx.openLink(); opened != Ok) return opened;
    std::fputs(ctx.idleSimulationNote(kLog.name).c_str(), stderr);
    SerialManager& link = ctx.link();
    std::string version;
    if (const int result = findRegulator(link, version); result != Ok) {
        std::fprintf(stderr, "error - no regulator found (error %d [%s])\n", result,
                     resultText(result));
        return result;
    }
    std::printf("Get version = %s\n", version.c_str());

    RuntimeLog log([](const std::string& text) { std::printf("%s\n", text.c_str()); });
    if (!log.start(path, version, settings)) {
        std::fprintf(stderr, "tqctl: cannot write the log file %s\n",
                     withDefaultLogExtension(path).c_str());
        return 1;
    }
    NoPanel panel;
    RuntimeFanOut fanOut(panel, &log);
    std::atomic<bool> lost{false};
    RuntimeTicker ticker(fanOut, [&lost](int missed) {
        if (missed > 3) lost.store(true);
    });
    link.setNotify([&fanOut](int kind, int length, const char* text) {
        fanOut.onNotify(kind, length, text);
    });

    std::optional<InterruptScope> interrupt;
    interrupt.emplace();
    link.autoSend(7);
    ticker.start();
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    bool reportedLost = false;
    // A port that went away (an unplugged adapter, a closed connection)
    // brings nothing more: the log ends and tqctl says why.
    while (!interrupt->requested() && std::chrono::steady_clock::now() < end && link.isOpen()) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        if (lost.exchange(false)) {
            fanOut.resetMissedSampleTicks();
            if (!reportedLost) std::fprintf(stderr, "error - no regulator found\n");
            reportedLost = true;
        }
    }
    link.autoSendOff();
    ticker.stop();
    // Closing joins the worker thread: no line reaches the fan-out after it.
    ctx.closeLink();
    link.setNotify(SerialManager::ClientNotify{});
    interrupt.reset();
    const int rows = log.rowCount();
    const bool written = log.isOpen();
    log.stop();
    std::printf("%d rows in %s\n", rows, log.path().c_str());
    return written ? 0 : 1;
}

const Registrar registerLog(kLog);

}  // namespace
}  // namespace tqctl
