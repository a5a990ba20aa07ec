// --json on verify, download, flash, status and version: the command's own
// output goes to standard error and standard output gets one JSON object
// (port, command, result code, text, seconds, differences) for test
// frameworks.
#pragma once

#include <string>
#include <vector>

#include "command.h"
#include "params/register_compare.h"

namespace tqctl {

// What a command adds to its JSON object beyond its result code.
struct RunReport {
    std::string text;                           // "" : the last line the command printed
    std::vector<RegisterDifference> differences;
};
RunReport& runReport();

bool takesJson(const std::string& command);

// Runs `command` with its output captured and prints the JSON object on
// standard output; returns the command's exit code.
int runWithJson(const Command& command, Context& ctx, const std::vector<std::string>& args);

// True for the commands that end in a verify (verify, download --verify):
// their exit code 1 means "differences" and 66 an unreadable file.
bool verifies(const std::string& command, const std::vector<std::string>& args);

// Text of an exit code for people: the protocol's text, or what tqctl
// means by it.
std::string exitCodeText(int code, bool verifying);

}  // namespace tqctl
