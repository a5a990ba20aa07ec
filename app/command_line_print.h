// tq_interface --print FILE / --print-to PRINTER FILE: the report of a
// parameter file sent to a printer without showing the main window.
#pragma once

#include <QString>

#include "app/command_line.h"

struct CommandLinePrintResult {
    int exitCode = 0;  // 0 printed; 1 the file or the printer failed
    QString error;     // for the error stream when not empty
};

CommandLinePrintResult PrintFromCommandLine(const CommandLine& commandLine);

// Before the application object exists: a print run shows no window, so it
// uses Qt's offscreen platform unless one was chosen, and runs without a
// display (from a shell, a service or a file manager's print verb).
void PreparePrintRun(int argc, char** argv);
