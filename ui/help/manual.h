// The user manual as the program carries it: the Markdown pages of
// docs/manual/ built into the executable (resource ":/manual/"), their
// titles in reading order, the page for each tab of the main form, and a
// search over all pages. No widgets: the help window shows what this holds.
#pragma once

#include <QString>
#include <QStringList>
#include <vector>

struct ManualTopic {
    QString file;   // "alarm.md"
    QString title;  // the page's first heading
};

class Manual {
public:
    // Reads the contents page and every page it lists (":/manual/" unless
    // another folder is given, for tests).
    explicit Manual(const QString& folder = QStringLiteral(":/manual"));

    const QString& folder() const { return folder_; }
    const std::vector<ManualTopic>& topics() const { return topics_; }
    // The Markdown text of a page; empty for an unknown file.
    QString text(const QString& file) const;
    // The title of a page; empty for an unknown file.
    QString title(const QString& file) const;
    // The pages whose text holds every word of `query` (case-insensitive), in
    // reading order; all pages for an empty query.
    QStringList search(const QString& query) const;

    // The contents page.
    static QString contentsFile() { return QStringLiteral("index.md"); }
    // The page that describes the tab with this title ("Alarm" -> "alarm.md");
    // the contents page for a tab the manual does not know.
    static QString pageForTab(const QString& tabTitle);

private:
    QString folder_;
    std::vector<ManualTopic> topics_;
    std::vector<QString> texts_;
};
