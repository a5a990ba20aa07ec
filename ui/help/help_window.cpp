#include "ui/help/help_window.h"

#include <QHBoxLayout>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSplitter>
#include <QTextBrowser>
#include <QVBoxLayout>

#include "ui/help/whats_this.h"

namespace {

// Shows the manual's pictures no wider than the page, so a screenshot does
// not push the text sideways.
class ManualBrowser : public QTextBrowser {
public:
    using QTextBrowser::QTextBrowser;
    QVariant loadResource(int type, const QUrl& name) override {
        QVariant data = QTextBrowser::loadResource(type, name);
        if (type != QTextDocument::ImageResource) return data;
        QImage image = data.typeId() == QMetaType::QImage ? data.value<QImage>() : QImage::fromData(data.toByteArray());
        constexpr int widest = 600;   // the page's width as the window opens
        if (image.isNull() || image.width() <= widest) return data;
        return image.scaledToWidth(widest, Qt::SmoothTransformation);
    }
};

}  // namespace

HelpWindow::HelpWindow(QWidget* parent) : QWidget(parent, Qt::Window) {
    setWindowTitle(QStringLiteral("TQ_Interface Help"));
    setObjectName(QStringLiteral("helpWindow"));

    search_ = new QLineEdit(this);
    search_->setObjectName(QStringLiteral("helpSearch"));
    search_->setPlaceholderText(QStringLiteral("Search the manual"));
    search_->setClearButtonEnabled(true);
    contents_ = new QListWidget(this);
    contents_->setObjectName(QStringLiteral("helpContents"));
    browser_ = new ManualBrowser(this);
    browser_->setObjectName(QStringLiteral("helpPage"));
    browser_->setOpenExternalLinks(true);
    browser_->setSearchPaths({manual_.folder(), QStringLiteral(":/")});
    back_ = new QPushButton(QStringLiteral("&Back"), this);
    back_->setObjectName(QStringLiteral("helpBack"));
    back_->setEnabled(false);
    home_ = new QPushButton(QStringLiteral("&Contents"), this);
    home_->setObjectName(QStringLiteral("helpHome"));

    auto* searchLabel = new QLabel(QStringLiteral("&Search:"), this);
    searchLabel->setBuddy(search_);
    auto* left = new QWidget(this);
    auto* leftLayout = new QVBoxLayout(left);
    leftLayout->setContentsMargins(0, 0, 0, 0);
    leftLayout->addWidget(searchLabel);
    leftLayout->addWidget(search_);
    leftLayout->addWidget(contents_, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(back_);
    buttons->addWidget(home_);
    leftLayout->addLayout(buttons);

    auto* splitter = new QSplitter(this);
    splitter->addWidget(left);
    splitter->addWidget(browser_);
    splitter->setStretchFactor(1, 1);
    splitter->setSizes({300, 700});
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(splitter);
    resize(1000, 660);

    setHelpText(search_, "Words to look for in the whole manual. The list below keeps the pages that "
                         "hold every word; Enter marks the next place on the page shown.");
    setHelpText(contents_, "The pages of the manual. Click one to read it.");
    setHelpText(browser_, "The page of the manual. Links lead to other pages; Back returns.");
    setHelpText(back_, "Returns to the page shown before.");
    setHelpText(home_, "Shows the manual's contents page.");

    fillContents(manual_.search({}));
    connect(contents_, &QListWidget::itemActivated, this,
            [this](QListWidgetItem* item) { showPage(item->data(Qt::UserRole).toString()); });
    connect(contents_, &QListWidget::itemClicked, this,
            [this](QListWidgetItem* item) { showPage(item->data(Qt::UserRole).toString()); });
    connect(search_, &QLineEdit::textChanged, this, [this](const QString& text) {
        fillContents(manual_.search(text));
    });
    connect(search_, &QLineEdit::returnPressed, this, &HelpWindow::findInPage);
    connect(back_, &QPushButton::clicked, browser_, &QTextBrowser::backward);
    connect(browser_, &QTextBrowser::backwardAvailable, back_, &QPushButton::setEnabled);
    connect(home_, &QPushButton::clicked, this, [this] { showPage(Manual::contentsFile()); });
    setTabOrder(search_, contents_);
    setTabOrder(contents_, back_);
    setTabOrder(back_, home_);
    setTabOrder(home_, browser_);
    showPage(Manual::contentsFile());
}

void HelpWindow::showPage(const QString& file) {
    const QString page = file.section(QLatin1Char('#'), 0, 0);
    const QString known = manual_.text(page).isEmpty() ? Manual::contentsFile() : page;
    QUrl url(QStringLiteral("qrc%1/%2").arg(manual_.folder(), known));
    if (manual_.folder().startsWith(QLatin1Char('/'))) url = QUrl::fromLocalFile(manual_.folder() + QLatin1Char('/') + known);
    if (file.contains(QLatin1Char('#'))) url.setFragment(file.section(QLatin1Char('#'), 1));
    browser_->setSource(url, QTextDocument::MarkdownResource);
    for (int i = 0; i < contents_->count(); ++i)
        if (contents_->item(i)->data(Qt::UserRole).toString() == known) contents_->setCurrentRow(i);
    if (!search_->text().trimmed().isEmpty()) findInPage();
}

QString HelpWindow::currentPage() const {
    return browser_->source().fileName();
}

void HelpWindow::search(const QString& query) {
    search_->setText(query);
    findInPage();
}

void HelpWindow::fillContents(const QStringList& files) {
    contents_->clear();
    for (const QString& file : files) {
        auto* item = new QListWidgetItem(manual_.title(file), contents_);
        item->setData(Qt::UserRole, file);
        if (file == currentPage()) contents_->setCurrentItem(item);
    }
}

// The next place of the first word on the page shown, from the top again
// when there is none below.
void HelpWindow::findInPage() {
    const QString word = search_->text().split(QLatin1Char(' '), Qt::SkipEmptyParts).value(0);
    if (word.isEmpty()) return;
    if (!browser_->find(word)) {
        browser_->moveCursor(QTextCursor::Start);
        browser_->find(word);
    }
}
