// The manual's table of parameter fields (docs/manual/fields.md), written
// from the one field description (parameter_fields.h), the register map and
// the defaults, so the manual cannot drift from the code. `tqctl fields
// --markdown` prints it; a test compares it with the checked-in page.
#pragma once

#include <string>

// The whole Markdown page, ending in a line feed.
std::string FieldTableMarkdown();
