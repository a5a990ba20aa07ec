// tqctl monitor: the live status panel on a terminal. Finds the regulator,
// starts the stream and shows version, status and every panel field at the
// refresh rate: redrawn in place on a terminal, one line per update
// otherwise. Returns to searching when the regulator falls silent; on exit
// the stream is stopped ("$A") and the port closed.
#include <unistd.h>

#include <array>
#include <atomic>
#include <chrono>
#include <optional>
#include <cstdio>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "command.h"
#include "interrupt_scope.h"
#include "link/serial_manager.h"
#include "runtime/runtime_fan_out.h"
#include "runtime/runtime_ticker.h"

namespace tqctl {
namespace {

int runMonitor(Context& ctx, const std::vector<std::string>& args);

const Command kMonitor{"monitor", "monitor [--seconds N] [--format 6|7] [--fahrenheit] [--service]",
                       "show the live status panel (until Ctrl-C without --seconds)", runMonitor};


// The panel's texts, written by the fan-out on the worker thread and read
// by the drawing loop.
class ConsolePanel : public RuntimeSink {
public:
    struct Texts {
        std::string version = kUnknownVersion;
        std::string status = "--";
        std::array<std::string, kPanelFieldCount> fields;
        int updates = 0;
    };

    ConsolePanel() { snapshot_.fields.fill("--"); }

    void panelText(PanelField field, const std::string& text) override
    {
        std::lock_guard lock(mutex_);
        snapshot_.fields[static_cast<int>(field)] = text;
    }
    void statusText(const std::string& text) override
    {
        std::lock_guard lock(mutex_);
        snapshot_.status = text;
        ++snapshot_.updates;
    }
    void versionText(const std::string& text) override { setVersion(text); }
    void lampFlash(PanelLamp, int) override {}
    void graphValues(const GraphValues&) override {}

    void setVersion(const std::string& text)
    {
        std::lock_guard lock(mutex_);
        snapshot_.version = text;
        ++snapshot_.updates;
    }
    Texts texts() const
    {
        std::lock_guard lock(mutex_);
        return snapshot_;
    }

private:
    mutable std::mutex mutex_;
    Texts snapshot_;
};

std::string trimmed(std::string text)
{
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
    return text;
}

void drawScreen(const ConsolePanel::Texts& t, const char* unit, bool service, const std::string& note)
{
    auto f = [&t](PanelField field) { return t.fields[static_cast<int>(field)].c_str(); };
    std::printf("\033[H");
    std::printf("Version   %-40s\033[K\n", t.version.c_str());
    std::printf("Status    %-40s\033[K\n\033[K\n", trimmed(t.status).c_str());
    std::printf("Main      %8s %%     Fan1      %8s V    Fan2  %8s V\033[K\n",
                f(PanelField::Main), f(PanelField::Fan1), f(PanelField::Fan2));
    std::printf("I(main)   %8s A     Uext.ctrl %8s V    Uin   %8s V\033[K\n",
                f(PanelField::MainCurrent), f(PanelField::Uext), f(PanelField::Uin));
    std::printf("T1        %8s %s    T2        %8s %s   T3    %8s %s\033[K\n", f(PanelField::T1),
                unit, f(PanelField::T2), unit, f(PanelField::T3), unit);
    std::printf("T4        %8s %s    Sp1       %8s %s   Tr1   %8s %s\033[K\n", f(PanelField::T4),
                unit, f(PanelField::Sp1), unit, f(PanelField::Tr1), unit);
    if (service)
        std::printf("FAN       %8s A     %8s A\033[K\n", f(PanelField::Fan1Current),
                    f(PanelField::Fan2Current));
    if (!note.empty()) std::printf("\033[K\n%s", note.c_str());
    std::printf("\033[J");
    std::fflush(stdout);
}

void printLine(const ConsolePanel::Texts& t, int fieldCount)
{
    std::string line = "version=" + t.version + " status=" + trimmed(t.status);
    for (int i = 0; i < fieldCount; ++i)
        line += std::string(" ") + panelFieldName(static_cast<PanelField>(i)) + "=" + t.fields[i];
    std::printf("%s\n", line.c_str());
    std::fflush(stdout);
}

bool parseArgs(const std::vector<std::string>& args, int& seconds, int& format, bool& fahrenheit,
               bool& service, std::string& why)
{
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--seconds" || arg == "--format") {
            if (i + 1 == args.size()) {
                why = arg + " needs a value";
                return false;
            }
            const std::string& value = args[++i];
            int parsed = -1;
            try {
                std::size_t used = 0;
                parsed = std::stoi(value, &used);
                if (used != value.size()) parsed = -1;
            } catch (...) {
                parsed = -1;
            }
            const bool ok = arg == "--seconds" ? parsed >= 1 : (parsed == 6 || parsed == 7);
            if (!ok) {
                why = "bad value for " + arg + ": " + value;
                return false;
            }
            (arg == "--seconds" ? seconds : format) = parsed;
        } else if (arg == "--fahrenheit") {
            fahrenheit = true;
        } else if (arg == "--service") {
            service = true;
        } else {
            why = "unexpected argument " + arg;
            return false;
        }
    }
    return true;
}

// One search step of the view: stream off twice, then the version query;
// on an answer the stream starts.
bool searchStep(SerialManager& link, ConsolePanel& panel, int format)
{
    link.autoSendOff();
    std::this_thread::sleep_for(std::chrono::milliseconds(150));
    link.autoSendOff();
    std::this_thread::sleep_for(std::chrono::milliseconds(150));
    std::string version;
    if (link.getVersion(version) != Ok) return false;
    panel.setVersion(version);
    link.autoSend(format);
    return true;
}

int runMonitor(Context& ctx, const std::vector<std::string>& args)
{
    int seconds = 0;
    int format = 7;
    bool fahrenheit = false;
    bool service = false;
    std::string why;
    if (!parseArgs(args, seconds, format, fahrenheit, service, why))
        return usageError(kMonitor, why);

    if (const int opened = ctx.openLink(); opened != Ok) return opened;
    SerialManager& link = ctx.link();

    ConsolePanel panel;
    RuntimeFanOut fanOut(panel);
    fanOut.setCelsius(!fahrenheit);
    fanOut.setServiceMode(service);
    fanOut.setLinkProbe([&link] { return link.isOpen() && link.isLinkUp(); });
    std::atomic<bool> online{false};
    std::atomic<bool> lost{false};
    RuntimeTicker ticker(fanOut, [&](int missed) {
        if (missed > 3 && online.load()) lost.store(true);
    });
    link.setNotify([&fanOut](int kind, int length, const char* text) {
        fanOut.onNotify(kind, length, text);
    });

    std::optional<InterruptScope> interrupt;
    interrupt.emplace();
    const bool screen = isatty(STDOUT_FILENO) != 0;
    // On a terminal the note stays under the panel, which is redrawn in place.
    const std::string note = ctx.idleSimulationNote(kMonitor.name);
    if (!screen) std::fputs(note.c_str(), stderr);
    if (screen) std::printf("\033[2J");
    const char* unit = fahrenheit ? "\xC2\xB0" "F" : "\xC2\xB0" "C";
    const int fieldCount = service ? kPanelFieldCount : kClearedPanelFields;
    ticker.start();

    using Clock = std::chrono::steady_clock;
    const auto end = Clock::now() + std::chrono::seconds(seconds);
    auto nextSearch = Clock::now();
    int drawn = -1;
    while (!interrupt->requested() && (seconds == 0 || Clock::now() < end)) {
        if (!online.load() && Clock::now() >= nextSearch) {
            nextSearch = Clock::now() + std::chrono::milliseconds(500);
            if (searchStep(link, panel, format)) {
                fanOut.resetMissedSampleTicks();
                online.store(true);
            }
        }
        if (lost.exchange(false)) {
            // As the view: stream off, panel cleared, back to searching.
            online.store(false);
            link.autoSendOff();
            fanOut.clearPanel();
            panel.setVersion("--");
            panel.statusText("error - no regulator found");
            fanOut.resetMissedSampleTicks();
        }
        ConsolePanel::Texts texts = panel.texts();
        if (!screen && texts.updates != drawn) {
            // Let the fan-out finish the update it has begun.
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
            texts = panel.texts();
        }
        if (screen) {
            drawScreen(texts, unit, service, note);
        } else if (texts.updates != drawn) {
            printLine(texts, fieldCount);
        }
        drawn = texts.updates;
        std::this_thread::sleep_for(std::chrono::milliseconds(125));
    }
    ticker.stop();
    link.autoSendOff();
    ctx.closeLink();  // joins the worker: no line reaches the fan-out after it
    link.setNotify(SerialManager::ClientNotify{});
    interrupt.reset();
    if (screen) std::printf("\n");
    return 0;
}

const Registrar registerMonitor(kMonitor);

}  // namespace
}  // namespace tqctl
