// Many boards at once: `tqctl --port A --port B ... COMMAND ARGS` runs the
// command on every port in parallel, one thread and one tqctl child process
// per port, prefixes every line of output with its port and ends with a
// summary table.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tqctl {

// Replaces every --port value holding * ? or [ by the paths it matches (in
// order, without repeats). Returns an error text ("" on success).
std::string expandPorts(const std::vector<std::string>& given, std::vector<std::string>& ports);

// Why `command args` cannot run on several ports at once; "" when it can.
std::string multiPortRefusal(const std::string& command, const std::vector<std::string>& args);

// "{port}" in each argument replaced by the port's file name.
std::vector<std::string> argsForPort(const std::vector<std::string>& args, const std::string& port);

// Runs the command on every port; returns 0 when every port succeeded, else
// the exit code of the first port (in the order given) that failed.
int runOnPorts(const std::vector<std::string>& ports, std::uint32_t baud,
               const std::string& command, const std::vector<std::string>& args);

}  // namespace tqctl
