// Where the operator last chose a file of each kind: parameter files, logs
// and firmware each keep their own folder across runs (settings group
// "Folders"), so a file dialog opens where the last one of its kind ended.
#pragma once

#include <QString>

enum class FileKind { Parameters, Logs, Firmware };

// The folder of the last file chosen of this kind, or "" when none was
// chosen yet or the folder is gone (the dialog then opens where it would).
QString recentFolder(FileKind kind);
// `name` in the recent folder of its kind ("" or a bare name: unchanged when
// there is none; a path with a folder is kept as it is).
QString inRecentFolder(FileKind kind, const QString& name);
// Remembers the folder of `chosenFile` (a file path) for its kind.
void rememberFolder(FileKind kind, const QString& chosenFile);
