// What the command line asks of a start.
#pragma once

#include <QString>
#include <QStringList>

struct CommandLine {
    enum class Action { NewDocument, OpenFile, Print, PrintTo, Invalid };
    Action action = Action::NewDocument;
    QString fileName;
    QString printerName;
    bool simulate = false;    // run against the in-process virtual regulator
    QString port;             // --port PATH: this run's port (not saved), connects at once
    QString screenshotDir;    // --screenshots DIR: grab the windows and quit
    QString error;            // set for Invalid

    static CommandLine parse(const QStringList& arguments);  // arguments()[1...]
};
