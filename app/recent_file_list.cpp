#include "app/recent_file_list.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>

void RecentFileList::load(QSettings& s) {
    files_.clear();
    s.beginGroup(QStringLiteral("Recent File List"));
    for (int i = 1; i <= kMaxFiles; ++i) {
        const QString f = s.value(QStringLiteral("File%1").arg(i)).toString();
        if (!f.isEmpty() && !files_.contains(f)) files_ << f;
    }
    s.endGroup();
}

void RecentFileList::save(QSettings& s) const {
    s.beginGroup(QStringLiteral("Recent File List"));
    for (int i = 1; i <= kMaxFiles; ++i) {
        const QString key = QStringLiteral("File%1").arg(i);
        if (i <= files_.size())
            s.setValue(key, files_[i - 1]);
        else
            s.remove(key);
    }
    s.endGroup();
}

void RecentFileList::add(const QString& path) {
    const QString full = QFileInfo(path).absoluteFilePath();
    files_.removeAll(full);
    files_.prepend(full);
    while (files_.size() > kMaxFiles) files_.removeLast();
}

void RecentFileList::remove(const QString& path) { files_.removeAll(path); }

QString RecentFileList::displayName(const QString& path, const QString& currentDir) {
    const QFileInfo info(path);
    if (QDir::cleanPath(info.absolutePath()) == QDir::cleanPath(currentDir)) return info.fileName();
    constexpr int kMaxLength = 30;
    const QString full = QDir::cleanPath(info.absoluteFilePath());
    if (full.size() <= kMaxLength) return full;
    const int firstDirEnd = full.indexOf(QLatin1Char('/'), 1);
    const QString head = firstDirEnd > 0 ? full.left(firstDirEnd) : QString();
    return head + QStringLiteral("/.../") + info.fileName();
}
