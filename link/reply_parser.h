// Pure conversions of the regulator's reply lines. Each reads a number from
// the start of the text (leading blanks skipped, stopping at the first
// character that does not belong to it); a text without a number gives 0.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

float parseReplyFloat(std::string_view text);
std::uint32_t parseReplyHex(std::string_view text);
int parseReplyInt(std::string_view text);
std::uint32_t parseReplyUnsigned(std::string_view text);

// "12,7": the number at the start, then the number that starts one
// character after it. Missing numbers are 0.
void parseStatusPair(std::string_view text, int& a, int& b);

// "ADDRESS:W0 W1 ... W7 " (hexadecimal). False when the ":" or a space
// between two words is missing.
bool parseReadData(std::string_view text, std::uint32_t& address,
                   std::array<std::uint32_t, 8>& words);
