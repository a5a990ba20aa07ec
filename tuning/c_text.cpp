#include "tuning/c_text.h"

#include <clocale>
#include <cstdarg>
#include <cstdio>
#include <locale.h>

namespace tuning {

std::string cText(const char* format, ...) {
    // Made once; uselocale() switches only the calling thread.
    static const locale_t c = newlocale(LC_NUMERIC_MASK, "C", static_cast<locale_t>(nullptr));
    const locale_t previous = c ? uselocale(c) : static_cast<locale_t>(nullptr);
    char text[256];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    if (c) uselocale(previous);
    return text;
}

}  // namespace tuning
