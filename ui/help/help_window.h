// The help window: the manual's contents and a search box on the left, the
// page on the right (Help > Help Topics, F1). One window per main window; it
// stays open beside the main window and is reused.
#pragma once

#include <QWidget>

#include "ui/help/manual.h"

class QLineEdit;
class QListWidget;
class QPushButton;
class QTextBrowser;

class HelpWindow : public QWidget {
    Q_OBJECT
public:
    explicit HelpWindow(QWidget* parent = nullptr);

    // Shows a page of the manual ("alarm.md"), optionally at an anchor.
    void showPage(const QString& file);
    // The file name of the page shown.
    QString currentPage() const;
    // Lists the pages holding every word of `query` and marks its first
    // place on the page shown.
    void search(const QString& query);

    const Manual& manual() const { return manual_; }
    QLineEdit* searchBox() const { return search_; }
    QListWidget* contents() const { return contents_; }
    QTextBrowser* browser() const { return browser_; }

private:
    void fillContents(const QStringList& files);
    void findInPage();

    Manual manual_;
    QLineEdit* search_ = nullptr;
    QListWidget* contents_ = nullptr;
    QTextBrowser* browser_ = nullptr;
    QPushButton* back_ = nullptr;
    QPushButton* home_ = nullptr;
};
