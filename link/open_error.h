// Why a port did not open, in the operating system's words, with the port
// named: "/dev/ttyUSB0: Permission denied (is the user in the dialout group?)".
#pragma once

#include <string>
#include <string_view>

// The system's English text of an errno value, whatever the locale.
std::string systemErrorText(int error);

// "<port>: <reason>". `name` is the configured name, `path` the device it
// maps to; both are shown when they differ ("COM1 (/dev/ttyS0): ...").
// Access errors add the group that owns the device as a hint.
std::string describeOpenError(std::string_view name, std::string_view path, int error);

// The same prefix with a reason given as text.
std::string describeOpenFailure(std::string_view name, std::string_view path,
                                std::string_view reason);
