// Whole-file reading and crash-safe replacement of a file.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

// Reads the whole file. On failure `error` holds the reason.
bool ReadWholeFile(const std::string& path, std::vector<std::uint8_t>& out, std::string& error);

// Writes `data` to a new file in the target's directory, flushes it to disk
// and renames it over the target, so the target is either the old file or
// the complete new one. Keeps an existing target's permissions; a symbolic
// link is followed and stays a link. On failure `error` holds the reason and
// the target is untouched.
bool ReplaceFileContents(const std::string& path, std::span<const std::uint8_t> data,
                         std::string& error);
