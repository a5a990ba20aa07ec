// The lines of a runtime log file: tab-separated text, one row per kept
// sample, framed by start and stop lines with the local date and time.
#pragma once

#include <ctime>
#include <string>

#include "runtime/runtime_sample.h"

inline constexpr char kLogSoftwareVersion[] = "TQ_Interface 1.1.9a";

// Lines 1-6: rule, "START LOGG - MM/DD/YY : HH:MM:SS", software and target
// version, rule, column header.
std::string logHeader(const std::tm& localTime, const std::string& targetVersion);

// One row, line feed included.
std::string logRow(const RuntimeSample& sample);
// The same into `out` (cleared first), for callers that reuse a buffer.
void appendLogRow(std::string& out, const RuntimeSample& sample);

// Rule, "STOP LOGG - MM/DD/YY : HH:MM:SS", rule, empty line.
std::string logFooter(const std::tm& localTime);
