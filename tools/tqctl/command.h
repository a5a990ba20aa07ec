// tqctl command table. Every command lives in its own cmd_*.cpp file and
// registers itself with a static Registrar, so adding a command touches no
// other file.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class SerialManager;
namespace sim { class VirtualRegulator; }

namespace tqctl {

constexpr int kExitUsage = 64;        // bad command line
constexpr int kExitOpenError = 6;     // "Cmd open error"
constexpr int kExitFileError = 1;     // a file cannot be read or written

// Prints MESSAGE on stderr; returns kExitFileError.
int fileError(const std::string& message);

struct GlobalOptions {
    std::string port;         // --port PATH (empty: the configured default)
    std::uint32_t baud = 0;   // --baud N (0: the default rate)
    bool simulate = false;    // --simulate: in-process virtual regulator
    bool demo = false;        // --demo: the same, running its demonstration
    std::string plant;                     // --plant NAME of the virtual regulator
    std::vector<std::string> plantParams;  // --plant-param KEY=VALUE,... (each as given)
    double simSpeed = 1.0;                 // --sim-speed X
};

class Context {
public:
    explicit Context(GlobalOptions options);
    ~Context();
    Context(const Context&) = delete;
    Context& operator=(const Context&) = delete;

    const GlobalOptions& options() const { return options_; }

    // Starts the virtual regulator when --simulate was given, then opens the
    // port. Returns 0 or a protocol result code (6 when the port cannot be
    // opened, after printing "Cmd open error").
    int openLink();
    // For the commands that watch the live data: with --simulate (not
    // --demo) a note that the virtual regulator idles and how to see it
    // regulate (lines ending in a line feed); empty otherwise.
    std::string idleSimulationNote(const char* command) const;
    // Reopens the port at another rate (boot loader rate switching).
    int reopenLink(std::uint32_t baud);
    void closeLink();
    SerialManager& link();
    // The in-process virtual regulator, or null without --simulate.
    sim::VirtualRegulator* simulator();
    // The port path actually used (the pseudo-terminal with --simulate).
    std::string portPath() const;
    std::uint32_t baudRate() const;

private:
    GlobalOptions options_;
    std::unique_ptr<sim::VirtualRegulator> sim_;
    std::unique_ptr<SerialManager> link_;
};

struct Command {
    const char* name;      // "version"
    const char* usage;     // "version"  or  "log FILE [--seconds N] ..."
    const char* summary;   // one line for the usage text
    int (*run)(Context& ctx, const std::vector<std::string>& args);
};

void registerCommand(const Command& command);
const std::vector<Command>& commands();

// Prints "usage: tqctl [--port PATH] [--baud N] [--simulate] <usage>" and the
// reason to stderr; returns kExitUsage.
int usageError(const Command& command, const std::string& why);

struct Registrar {
    explicit Registrar(const Command& command) { registerCommand(command); }
};

}  // namespace tqctl
