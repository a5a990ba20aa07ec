// tqctl help [COMMAND].
#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "command.h"
#include "help_texts.h"

namespace tqctl {
namespace {

int runHelp(Context& ctx, const std::vector<std::string>& args);

const Command kHelp{"help", "help [COMMAND]", "describe a command: usage, options, exit status", runHelp};

void printCommandList() {
    std::vector<const Command*> sorted;
    for (const Command& c : commands()) sorted.push_back(&c);
    std::sort(sorted.begin(), sorted.end(),
              [](const Command* a, const Command* b) { return std::string(a->name) < b->name; });
    std::printf("tqctl help COMMAND describes one of:\n");
    for (const Command* c : sorted) std::printf("  %-16s %s\n", c->name, c->summary);
    std::printf("\n%s", globalOptionsText());
}

int runHelp(Context&, const std::vector<std::string>& args) {
    if (args.size() > 1) return usageError(kHelp, "give one command");
    if (args.empty()) {
        printCommandList();
        return 0;
    }
    for (const Command& c : commands()) {
        if (args[0] != c.name) continue;
        std::printf("usage: tqctl [--port PATH] [--baud N] [--simulate] %s\n\n%s.\n\n", c.usage, c.summary);
        if (const char* details = commandDetails(c.name)) std::printf("%s\n", details);
        std::printf("%s\n%s", globalOptionsText(), exitStatusText());
        return 0;
    }
    return usageError(kHelp, "unknown command " + args[0]);
}


const Registrar kRegisterHelp{kHelp};

}  // namespace
}  // namespace tqctl
