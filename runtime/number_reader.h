// Number readers for runtime lines with the C library's conventions, but
// independent of the process locale (a UI may switch LC_NUMERIC to one with
// a decimal comma).
#pragma once

#include <cstdint>

// As strtoul(text, end, 16) on a 32-bit unsigned long: leading blanks, a
// sign and a "0x" prefix are accepted; a value beyond 32 bits reads as
// 0xFFFFFFFF. *end == text when no digit was found.
std::uint32_t readHex32(const char* text, const char** end);

// As strtod(text, end) in the "C" locale. *end == text when no number was
// found.
double readReal(const char* text, const char** end);
