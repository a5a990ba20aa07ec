// Reading text lines whose length is not under our control (standard input,
// files named by the operator) without letting one endless line take memory.
#pragma once

#include <cstddef>
#include <cstdio>
#include <string>

enum class LineRead {
    Line,       // a line of at most maxLength characters (without its "\n")
    Overlong,   // longer: `line` holds its first maxLength characters, the rest was skipped
    End,        // nothing more to read (end of input or a read error)
};

// Reads up to and including the next "\n"; never stores more than maxLength
// characters. A last line without "\n" counts as a line.
LineRead readBoundedLine(std::FILE* in, std::string& line, std::size_t maxLength);
