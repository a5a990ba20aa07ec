// `tqctl help COMMAND`: what each command does, its options and examples,
// beyond the one-line usage of its registration. Kept apart from the
// commands so that the texts read as one manual.
#pragma once

#include <string>

namespace tqctl {

// The description, options and examples of a command; null when it has none.
const char* commandDetails(const std::string& name);
// The exit status list every command shares.
const char* exitStatusText();
// The global options, which come before the command, under their heading.
const char* globalOptionsText();

}  // namespace tqctl
