#include "runtime/number_reader.h"

#include <clocale>
#include <cstdlib>
#include <locale.h>

namespace {

bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

int hexDigit(char c)
{
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// The "C" locale, made once; uselocale() switches only the calling thread.
locale_t cLocale()
{
    static const locale_t locale = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(0));
    return locale;
}

}  // namespace

std::uint32_t readHex32(const char* text, const char** end)
{
    const char* p = text;
    while (isBlank(*p)) ++p;
    bool negative = false;
    if (*p == '+' || *p == '-') {
        negative = *p == '-';
        ++p;
    }
    if (p[0] == '0' && (p[1] == 'x' || p[1] == 'X') && hexDigit(p[2]) >= 0) p += 2;
    if (hexDigit(*p) < 0) {
        *end = text;
        return 0;
    }
    std::uint64_t value = 0;
    bool overflow = false;
    for (int d; (d = hexDigit(*p)) >= 0; ++p) {
        if (!overflow) {
            value = value * 16 + static_cast<std::uint64_t>(d);
            overflow = value > 0xFFFFFFFFull;
        }
    }
    *end = p;
    if (overflow) return 0xFFFFFFFFu;
    const auto magnitude = static_cast<std::uint32_t>(value);
    return negative ? static_cast<std::uint32_t>(0u - magnitude) : magnitude;
}

double readReal(const char* text, const char** end)
{
    const locale_t c = cLocale();
    const locale_t previous = c ? uselocale(c) : static_cast<locale_t>(0);
    char* stop = nullptr;
    const double value = std::strtod(text, &stop);
    if (c) uselocale(previous);
    *end = stop;
    return value;
}
