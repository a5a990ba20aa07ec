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

private:
    QStringList files_;
};
