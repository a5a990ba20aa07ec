// printf-style text that reads the same under every process locale (the
// window's application sets the user's, where a decimal comma is common).
#pragma once

#include <string>

namespace tuning {

std::string cText(const char* format, ...) __attribute__((format(printf, 1, 2)));

}  // namespace tuning
