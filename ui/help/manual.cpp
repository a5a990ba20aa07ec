#include "ui/help/manual.h"

#include <QFile>
#include <QRegularExpression>

namespace {

QString readText(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return {};
    return QString::fromUtf8(file.readAll());
}

QString firstHeading(const QString& markdown) {
    static const QRegularExpression heading(QStringLiteral("^#\\s+(.+)$"), QRegularExpression::MultilineOption);
    const auto match = heading.match(markdown);
    return match.hasMatch() ? match.captured(1).trimmed() : QString();
}

}  // namespace

Manual::Manual(const QString& folder) : folder_(folder) {
    // The contents page lists the pages as Markdown links "[Title](file.md)".
    const QString contents = readText(folder_ + QLatin1Char('/') + contentsFile());
    QStringList files{contentsFile()};
    static const QRegularExpression link(QStringLiteral("\\]\\(([A-Za-z0-9_-]+\\.md)\\)"));
    for (auto it = link.globalMatch(contents); it.hasNext();) {
        const QString file = it.next().captured(1);
        if (!files.contains(file)) files << file;
    }
    for (const QString& file : files) {
        const QString text = readText(folder_ + QLatin1Char('/') + file);
        if (text.isEmpty()) continue;
        topics_.push_back({file, firstHeading(text).isEmpty() ? file : firstHeading(text)});
        texts_.push_back(text);
    }
}

QString Manual::text(const QString& file) const {
    for (size_t i = 0; i < topics_.size(); ++i)
        if (topics_[i].file == file) return texts_[i];
    return {};
}

QString Manual::title(const QString& file) const {
    for (const ManualTopic& t : topics_)
        if (t.file == file) return t.title;
    return {};
}

QStringList Manual::search(const QString& query) const {
    const QStringList words = query.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    QStringList found;
    for (size_t i = 0; i < topics_.size(); ++i) {
        bool all = true;
        for (const QString& w : words)
            all = all && (texts_[i].contains(w, Qt::CaseInsensitive) || topics_[i].title.contains(w, Qt::CaseInsensitive));
        if (all) found << topics_[i].file;
    }
    return found;
}

QString Manual::pageForTab(const QString& tabTitle) {
    static const char* const pages[][2] = {
        {"Base", "base.md"},   {"Runtime", "runtime.md"}, {"Alarm", "alarm.md"},
        {"Fan", "fan.md"},     {"Sensor", "sensor.md"},   {"Regulator", "regulator.md"},
    };
    for (const auto& p : pages)
        if (tabTitle == QLatin1String(p[0])) return QString::fromLatin1(p[1]);
    return contentsFile();
}
