// Setting parameter-set values by name from text ("st1=25",
// "sensor2.select=4", "sensor1.record5.gain=1.2", "channel3.max=80").
#pragma once

#include <string>
#include <string_view>

#include "params/parameter_set.h"
#include "params/runtime_block.h"

// Assigns `value` to the field called `name`. Channel names ("channelN.min",
// ".max", ".enabled") need `channels`; pass null when there is no table.
// Returns false with a reason in `error` for an unknown name (with the names
// it was probably meant to be: "unknown parameter kp (did you mean kP?)"), a
// value that does not parse (with what the field takes: "bad value for st1:
// \"abc\", expected a number in -200 .. 500 °C") or a scalar value outside
// its field's entry range ("kP=-5 is out of range (0 .. 10000)"); nothing is
// changed then.
bool AssignParameter(ParameterSet& params, RuntimeBlockEntries* channels, std::string_view name,
                     std::string_view value, std::string& error);

// Text to number, the whole text or nothing. Floats must be finite; unsigned
// values are decimal or 0x-prefixed hexadecimal.
bool ParseFloatText(std::string_view text, float& out);
bool ParseUnsignedText(std::string_view text, std::uint32_t& out);

// The shortest text that reads back as the same float.
std::string FloatText(float value);
