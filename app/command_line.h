// What the command line asks of a start.
#pragma once

#include <QDir>
#include <QString>
#include <QStringList>

struct CommandLine {
    enum class Action { NewDocument, OpenFile, Print, PrintTo, Invalid };
    Action action = Action::NewDocument;
    QString fileName;
    QString printerName;
    bool simulate = false;    // run against the in-process virtual regulator
    QString plant;            // --plant NAME: its thermal load (implies --simulate)
    QStringList plantParams;  // --plant-param KEY=VALUE,... (repeatable)
    double simSpeed = 1.0;    // --sim-speed X: regulator seconds per second
    QString port;             // --port PATH: this run's port (not saved), connects at once
    QString screenshotDir;    // --screenshots DIR: grab the windows and quit
    QString logFile;          // --log FILE: record a log into FILE from the start
    QString error;            // set for Invalid

    // arguments()[1...]. File names are made absolute against `startDir`,
    // the directory the program was started from: the working directory
    // changes to USER_PATH before any file is opened.
    static CommandLine parse(const QStringList& arguments, const QString& startDir = QDir::currentPath());
};
