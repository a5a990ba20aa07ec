// What the step-response figures and the exports take from a log.
#pragma once

#include <string>

#include "runtime/log_reader.h"
#include "runtime/step_response.h"

// Tr1 (frTa) against Sp1 (fgTr) over the whole log, time in seconds since
// its first row.
StepSeries stepSeriesOf(const LogData& log);

// Local clock time as "YYYY-MM-DDTHH:MM:SS.mmm" (no time zone), or an empty
// text for a time below 0 (a block without its START line).
std::string isoLocalTime(double clockSeconds);

// Rows [firstRow, endRow) as comma-separated text appended to `out`: "time"
// (local ISO time), "seconds", then the 23 columns of the log by their names
// (status words as decimal numbers), after a header line when asked.
// Independent of the process locale.
void writeLogCsv(const LogData& log, std::string& out, std::size_t firstRow, std::size_t endRow,
                 bool header);
