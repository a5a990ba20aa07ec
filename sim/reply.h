// What the board sends back for one received line: its echo, its data
// lines, and what the fault injection needs to know about the command.
#pragma once

#include <string>
#include <vector>

namespace sim {

struct Reply {
    bool echo = false;               // echo the received line first
    std::vector<std::string> data;   // data lines, without terminator
    const char* eol = "\r\n";        // line terminator of this mode
    int reg = -1;                    // register the command accessed
    bool flashWrite = false;         // boot loader "p" command
};

}  // namespace sim
