// tqctl: talks to a regulator (or the in-process virtual regulator) from the
// command line. Global options come before the command name.
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "command.h"
#include "help_texts.h"
#include "json_report.h"
#include "multi_port.h"
#include "params/parameter_assign.h"
#include "project_version.h"
#include "sim/plant_params.h"

namespace tqctl {

namespace {

std::vector<Command>& table() {
    static std::vector<Command> commands;   // filled by the static Registrars
    return commands;
}

constexpr const char* kGlobalUsage = "usage: tqctl [--port PATH] [--baud N] [--simulate] ";


void printUsage(std::FILE* out) {
    std::fprintf(out, "%sCOMMAND [ARGS]\n\n%s\ncommands:\n", kGlobalUsage, globalOptionsText());
    std::vector<Command> sorted = table();
    std::sort(sorted.begin(), sorted.end(), [](const Command& a, const Command& b) {
        return std::strcmp(a.name, b.name) < 0;
    });
    for (const Command& command : sorted) {
        if (std::strlen(command.usage) <= 28)
            std::fprintf(out, "  %-28s %s\n", command.usage, command.summary);
        else
            std::fprintf(out, "  %s\n  %-28s %s\n", command.usage, "", command.summary);
    }
    std::fprintf(out, "\ntqctl help COMMAND describes a command's options and exit status.\n\n%s",
                 exitStatusText());
}

int usage(const std::string& why) {
    if (!why.empty())
        std::fprintf(stderr, "tqctl: %s\n", why.c_str());
    std::fprintf(stderr, "%sCOMMAND [ARGS]\n(tqctl --help lists the commands)\n", kGlobalUsage);
    return kExitUsage;
}

bool parseBaud(const char* text, std::uint32_t& baud) {
    if (text == nullptr || *text < '0' || *text > '9')
        return false;
    errno = 0;
    char* end = nullptr;
    const unsigned long value = std::strtoul(text, &end, 10);
    if (errno != 0 || *end != '\0' || value == 0 || value > 4000000)
        return false;
    baud = static_cast<std::uint32_t>(value);
    return true;
}

}  // namespace

void registerCommand(const Command& command) { table().push_back(command); }

const std::vector<Command>& commands() { return table(); }

int usageError(const Command& command, const std::string& why) {
    if (!why.empty())
        std::fprintf(stderr, "tqctl %s: %s\n", command.name, why.c_str());
    std::fprintf(stderr, "%s%s\n", kGlobalUsage, command.usage);
    return kExitUsage;
}

}  // namespace tqctl

int main(int argc, char** argv) {
    using namespace tqctl;
    GlobalOptions options;
    std::vector<std::string> ports;
    int i = 1;
    for (; i < argc && argv[i][0] == '-'; ++i) {
        const std::string option = argv[i];
        if (option == "--help" || option == "-h") {
            printUsage(stdout);
            return 0;
        }
        if (option == "--version") {
            std::printf("tqctl %s\n", kProjectVersion);
            return 0;
        }
        if (option == "--simulate") {
            options.simulate = true;
        } else if (option == "--demo") {
            options.simulate = true;
            options.demo = true;
        } else if (option == "--plant" || option == "--plant-param") {
            if (i + 1 >= argc || argv[i + 1][0] == '\0')
                return usage(option + " needs a value");
            if (option == "--plant")
                options.plant = argv[++i];
            else
                options.plantParams.emplace_back(argv[++i]);
        } else if (option == "--sim-speed") {
            float speed = 0;
            if (i + 1 >= argc || !ParseFloatText(argv[i + 1], speed) || !(speed >= 0.1f && speed <= 50.0f))
                return usage("--sim-speed needs a factor from 0.1 to 50");
            options.simSpeed = speed;
            ++i;
        } else if (option == "--port") {
            if (i + 1 >= argc || argv[i + 1][0] == '\0')
                return usage("--port needs a path");
            ports.push_back(argv[++i]);
        } else if (option == "--baud") {
            if (i + 1 >= argc || !parseBaud(argv[i + 1], options.baud))
                return usage("--baud needs a rate from 1 to 4000000");
            ++i;
        } else {
            return usage("unknown option " + option);
        }
    }
    if (i >= argc)
        return usage("no command given");
    if (!options.simulate && (!options.plant.empty() || !options.plantParams.empty() || options.simSpeed != 1.0))
        return usage("--plant, --plant-param and --sim-speed need --simulate or --demo");
    sim::PlantParams plant;
    if (const std::string why = sim::plantFromOptions(options.plant, options.plantParams, plant);
        !why.empty())
        return usage(why);

    const std::string name = argv[i++];
    std::vector<std::string> args(argv + i, argv + argc);
    std::vector<std::string> expanded;
    if (const std::string error = expandPorts(ports, expanded); !error.empty())
        return usage(error);
    if (expanded.size() > 1) {
        if (options.simulate)
            return usage("--simulate runs one virtual regulator: give one port or none");
        if (const std::string why = multiPortRefusal(name, args); !why.empty())
            return usage(why);
        return runOnPorts(expanded, options.baud, name, args);
    }
    if (!expanded.empty())
        options.port = expanded.front();
    for (const Command& command : commands()) {
        if (name != command.name)
            continue;
        Context context(options);
        const auto json = std::find(args.begin(), args.end(), "--json");
        if (takesJson(name) && json != args.end()) {
            args.erase(json);
            return runWithJson(command, context, args);
        }
        return command.run(context, args);
    }
    return usage("unknown command " + name);
}
