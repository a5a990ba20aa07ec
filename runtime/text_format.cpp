#include "runtime/text_format.h"

#include <charconv>
#include <cstdio>

void appendFixed(std::string& out, double value, int decimals)
{
    // Fixed notation of the largest double needs some 310 digits.
    char buffer[400];
    const auto result =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, decimals);
    if (result.ec == std::errc()) out.append(buffer, result.ptr);
}

std::string fixedText(double value, int decimals)
{
    std::string out;
    appendFixed(out, value, decimals);
    return out;
}

void appendHex(std::string& out, std::uint32_t value, int width)
{
    char buffer[16];
    const int n = std::snprintf(buffer, sizeof buffer, "%0*X", width, static_cast<unsigned>(value));
    if (n > 0) out.append(buffer, static_cast<std::size_t>(n));
}

void appendDecimal(std::string& out, std::int32_t value, int width)
{
    char buffer[24];
    const int n = std::snprintf(buffer, sizeof buffer, "%0*d", width, static_cast<int>(value));
    if (n > 0) out.append(buffer, static_cast<std::size_t>(n));
}
