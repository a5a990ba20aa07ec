// Decoding of one runtime record line, "[7 v1 v2 ... v25]" or
// "[6 v1 ... v22]": an opening bracket, the format digit, then each value
// preceded by exactly one blank, and the closing bracket right after the
// last value. Text after the bracket is ignored.
#pragma once

#include <optional>

#include "runtime/runtime_sample.h"

// Fills `sample` field by field and returns the line's format, or nothing
// when the line is malformed. A malformed line leaves the fields read before
// the fault with their new values. A format-6 line keeps F1_curr and F2_curr
// and sets adTemp1 and digipotOffset to 0.
std::optional<RuntimeFormat> decodeRuntimeLine(const char* text, RuntimeSample& sample);
