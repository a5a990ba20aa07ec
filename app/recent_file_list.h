// The most recently used parameter files, kept in the settings store under
// "Recent File List" as File1 ... File6.
#pragma once

#include <QStringList>

class QSettings;

class RecentFileList {
public:
    static constexpr int kMaxFiles = 6;

    void load(QSettings& settings);
    void save(QSettings& settings) const;
    void add(const QString& path);     // puts it first, drops duplicates and the oldest
    void remove(const QString& path);
    const QStringList& files() const { return files_; }
    // The menu text of an entry: the bare name for a file in `currentDir`,
    // else the path, shortened to its first directory, "..." and the name
    // when it is longer than 30 characters.
    static QString displayName(const QString& path, const QString& currentDir);

private:
    QStringList files_;
};
