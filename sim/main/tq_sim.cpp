// tq-sim: serves a virtual regulator on a pseudo-terminal until SIGINT or
// SIGTERM, printing the port to open on its first line of output.
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include <semaphore.h>

#include "project_version.h"
#include "sim/virtual_regulator.h"

namespace {

sem_t stopSignal;

void onSignal(int)
{
    sem_post(&stopSignal);  // async-signal-safe
}

int usage(const char* argv0, FILE* to = stderr)
{
    std::fprintf(to,
                 "usage: %s [--link PATH] [--baud N] [--latency MS] [--format 6|7] [--demo]\n"
                 "       [--transcript FILE] [--fault NAME[@REG]] [--read-back advance|fixed]\n"
                 "       [--plant NAME] [--plant-param KEY=VALUE,...] [--speed X]\n"
                 "  --link PATH   symlink to the port (replaced if stale)\n"
                 "  --baud N      pace the output to N baud (default: no pacing)\n"
                 "  --latency MS  delay every reply by MS milliseconds\n"
                 "  --format 6|7  stream runtime lines from the start in this format\n"
                 "  --demo        regulate from the start: PID mode, St1 10 C, fans on\n"
                 "  --transcript FILE  append every streamed runtime line to FILE\n"
                 "  --fault NAME[@REG] misbehave from the start: no-echo, echo-without-data,\n"
                 "                late-reply, garbage or wrong-write-reply; with @REG only\n"
                 "                when that register is accessed\n"
                 "  --read-back advance|fixed  whether the boot loader's \"d01\" moves its\n"
                 "                address past the words it read (default: advance)\n"
                 "  --plant NAME  the thermal load: bench (default; a load plate of 120 J/K),\n"
                 "                laser-mount (small and fast: time constants of seconds) or\n"
                 "                cold-plate (slow and heavy, transport delay and sensor lag)\n"
                 "  --plant-param KEY=VALUE,...  change constants of the load (repeatable):\n"
                 "%s"
                 "  --speed X     run the board X times faster than real time (0.1 .. 50;\n"
                 "                default 1): 20 x X runtime lines per second\n"
                 "  --version     print the version and end\n",
                 argv0, sim::plantHelpText().c_str());
    return 64;
}

bool parseNumber(const char* text, long min, long max, long& out)
{
    char* end = nullptr;
    const long v = std::strtol(text, &end, 10);
    if (end == text || *end != '\0' || v < min || v > max)
        return false;
    out = v;
    return true;
}

struct FaultOption {
    sim::Fault fault = sim::Fault::None;
    int reg = -1;   // -1: every command
};

bool parseFault(const std::string& text, FaultOption& out)
{
    static const std::pair<const char*, sim::Fault> names[] = {
        {"no-echo", sim::Fault::NoEcho},
        {"echo-without-data", sim::Fault::EchoWithoutData},
        {"late-reply", sim::Fault::LateReply},
        {"garbage", sim::Fault::Garbage},
        {"wrong-write-reply", sim::Fault::WrongWriteReply},
    };
    const std::size_t at = text.find('@');
    const std::string name = text.substr(0, at);
    long reg = -1;
    if (at != std::string::npos && !parseNumber(text.c_str() + at + 1, 0, 96, reg))
        return false;
    for (const auto& [n, fault] : names) {
        if (name == n) {
            out = {fault, static_cast<int>(reg)};
            return true;
        }
    }
    return false;
}

}  // namespace

int main(int argc, char** argv)
{
    sim::SimOptions options;
    std::vector<FaultOption> faults;
    std::string plant;
    std::vector<std::string> plantParams;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        long v = 0;
        if (arg == "--link" && hasValue) {
            options.linkPath = argv[++i];
        } else if (arg == "--baud" && hasValue && parseNumber(argv[i + 1], 0, 4000000, v)) {
            options.baud = static_cast<std::uint32_t>(v);
            ++i;
        } else if (arg == "--latency" && hasValue && parseNumber(argv[i + 1], 0, 60000, v)) {
            options.replyLatencyMs = static_cast<int>(v);
            ++i;
        } else if (arg == "--format" && hasValue && parseNumber(argv[i + 1], 6, 7, v)) {
            options.startStreaming = true;
            options.streamFormat = static_cast<int>(v);
            ++i;
        } else if (arg == "--transcript" && hasValue) {
            options.transcriptPath = argv[++i];
        } else if (arg == "--fault" && hasValue) {
            FaultOption fault;
            if (!parseFault(argv[++i], fault))
                return usage(argv[0]);
            faults.push_back(fault);
        } else if (arg == "--read-back" && hasValue) {
            const std::string mode = argv[++i];
            if (mode != "advance" && mode != "fixed")
                return usage(argv[0]);
            options.readBackAdvances = mode == "advance";
        } else if (arg == "--plant" && hasValue) {
            plant = argv[++i];
        } else if (arg == "--plant-param" && hasValue) {
            plantParams.emplace_back(argv[++i]);
        } else if (arg == "--speed" && hasValue) {
            const char* text = argv[++i];
            char* end = nullptr;
            const double speed = std::strtod(text, &end);   // "C" locale: the program never sets one
            if (end == text || *end != '\0' || !(speed >= 0.1 && speed <= 50)) {
                std::fprintf(stderr, "tq-sim: bad value for --speed: %s (0.1 .. 50)\n", text);
                return 64;
            }
            options.speed = speed;
        } else if (arg == "--demo") {
            options.demo = true;
        } else if (arg == "--help" || arg == "-h") {
            usage(argv[0], stdout);
            return 0;
        } else if (arg == "--version") {
            std::printf("tq-sim %s\n", kProjectVersion);
            return 0;
        } else {
            return usage(argv[0]);
        }
    }

    if (const std::string why = sim::plantFromOptions(plant, plantParams, options.plant);
        !why.empty()) {
        std::fprintf(stderr, "tq-sim: %s\n", why.c_str());
        return 64;
    }

    sem_init(&stopSignal, 0, 0);
    struct sigaction sa {};
    sa.sa_handler = onSignal;
    sigemptyset(&sa.sa_mask);
    sigaction(SIGINT, &sa, nullptr);
    sigaction(SIGTERM, &sa, nullptr);
    std::signal(SIGPIPE, SIG_IGN);

    sim::VirtualRegulator regulator(options);
    std::string error;
    if (!regulator.start(&error)) {
        std::fprintf(stderr, "tq-sim: %s\n", error.c_str());
        return 1;
    }
    for (const FaultOption& f : faults) {
        if (f.reg >= 0)
            regulator.failAtRegister(f.reg, f.fault);
        else
            regulator.setFault(f.fault);
    }
    std::printf("%s\n", regulator.slavePath().c_str());
    std::fflush(stdout);

    while (sem_wait(&stopSignal) != 0) {
    }
    regulator.stop();  // removes the symlink
    return 0;
}
