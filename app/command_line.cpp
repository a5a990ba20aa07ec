#include "app/command_line.h"

#include <QLocale>

namespace {
QString absoluteIn(const QString& dir, const QString& path) {
    return path.isEmpty() ? path : QDir::cleanPath(QDir(dir).absoluteFilePath(path));
}
}  // namespace

CommandLine CommandLine::parse(const QStringList& args, const QString& startDir) {
    CommandLine cl;
    QStringList files;
    for (int i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        auto next = [&](QString& out) {
            if (i + 1 >= args.size()) {
                cl.action = Action::Invalid;
                cl.error = QStringLiteral("%1 needs an argument").arg(a);
                return false;
            }
            out = args[++i];
            return true;
        };
        if (a == QLatin1String("--simulate")) {
            cl.simulate = true;
        } else if (a == QLatin1String("--plant")) {
            if (!next(cl.plant)) return cl;
            cl.simulate = true;
        } else if (a == QLatin1String("--plant-param")) {
            QString value;
            if (!next(value)) return cl;
            cl.plantParams << value;
            cl.simulate = true;
        } else if (a == QLatin1String("--sim-speed")) {
            QString value;
            if (!next(value)) return cl;
            bool ok = false;
            cl.simSpeed = QLocale::c().toDouble(value, &ok);
            if (!ok || !(cl.simSpeed >= 0.1 && cl.simSpeed <= 50)) {
                cl.action = Action::Invalid;
                cl.error = QStringLiteral("--sim-speed takes a number from 0.1 to 50");
                return cl;
            }
            cl.simulate = true;
        } else if (a == QLatin1String("--port")) {
            if (!next(cl.port)) return cl;
        } else if (a == QLatin1String("--screenshots")) {
            if (!next(cl.screenshotDir)) return cl;
            cl.screenshotDir = absoluteIn(startDir, cl.screenshotDir);
        } else if (a == QLatin1String("--log")) {
            if (!next(cl.logFile)) return cl;
            cl.logFile = absoluteIn(startDir, cl.logFile);
        } else if (a == QLatin1String("--print")) {
            cl.action = Action::Print;
        } else if (a == QLatin1String("--print-to")) {
            cl.action = Action::PrintTo;
            if (!next(cl.printerName)) return cl;
        } else if (a.startsWith(QLatin1String("--"))) {
            cl.action = Action::Invalid;
            cl.error = QStringLiteral("unknown option %1").arg(a);
            return cl;
        } else {
            files << a;
        }
    }
    if (files.size() > 1) {
        cl.action = Action::Invalid;
        cl.error = QStringLiteral("only one file can be opened");
        return cl;
    }
    if (!files.isEmpty()) {
        cl.fileName = absoluteIn(startDir, files.first());
        if (cl.action == Action::NewDocument) cl.action = Action::OpenFile;
    } else if (cl.action == Action::Print || cl.action == Action::PrintTo) {
        cl.action = Action::Invalid;
        cl.error = QStringLiteral("printing needs a file");
    }
    return cl;
}
