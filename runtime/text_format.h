// Small locale-independent formatters for panel and log texts, equal to the
// printf conversions they replace ("%0.2f" -> appendFixed(out, v, 2)).
#pragma once

#include <cstdint>
#include <string>

void appendFixed(std::string& out, double value, int decimals);
std::string fixedText(double value, int decimals);
// "%0*X": upper-case hexadecimal, at least `width` digits.
void appendHex(std::string& out, std::uint32_t value, int width);
// "%0*d": signed decimal, zero-filled to at least `width` characters.
void appendDecimal(std::string& out, std::int32_t value, int width);
