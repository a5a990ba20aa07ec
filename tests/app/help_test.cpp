// Help: the manual built into the program, F1 at the page of each tab, the
// search, What's This mode, and a What's This text on every control of the
// window and of every window or dialog its commands open (offscreen, against
// the virtual regulator).
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QKeyEvent>
#include <QLabel>
#include <QScrollBar>
#include <QLineEdit>
#include <QListWidget>
#include <QRegularExpression>
#include <QSet>
#include <QTemporaryDir>
#include <QTextBrowser>
#include <QTimer>
#include <QWhatsThis>
#include <iostream>
#include <map>
#include <memory>

#include "app/command_ids.h"
#include "app/connection_manager.h"
#include "app/frame_commands.h"
#include "app/main_frame.h"
#include "params/tq_interface_doc.h"
#include "sim/virtual_regulator.h"
#include "test_support.h"
#include "ui/about_box.h"
#include "ui/help/help_coverage.h"
#include "ui/help/help_window.h"
#include "ui/help/manual.h"
#include "ui/help/whats_this.h"
#include "ui/tab_strip.h"
#include "ui/tq_interface_view.h"

namespace {

// Pages whose editors add their What's This texts with their controls; their
// missing texts are listed but do not fail. Remove a title once its page is done.
const QStringList kPendingPages = {};

// Commands whose effect would end the test's connection or window, or change
// the operator's settings.
const QSet<int> kNotTriggered = {cmd::AppExit, cmd::Disconnect, cmd::ToolDisconnect, cmd::RebootRegulator,
                                 cmd::ReadFromFlash, cmd::ToolHelp, cmd::VerifyAfterDownload};

class HelpTest : public ::testing::Test {
protected:
    void SetUp() override {
        previousDir = QDir::currentPath();
        QDir::setCurrent(workDir.path());
        frame = new CMainFrame;
        view = new CTQ_InterfaceView(frame, &document);
        frame->setCentralWidget(view);
        document.OnNewDocument();
        view->initialUpdate();
        frame->show();
    }
    void TearDown() override {
        if (QWhatsThis::inWhatsThisMode()) QWhatsThis::leaveWhatsThisMode();
        delete frame;
        regulator.stop();
        QDir::setCurrent(previousDir);
    }
    void connectToRegulator() {
        ASSERT_TRUE(regulator.start());
        view->setup().portName = regulator.slavePath();
        view->connection().connectPort();
        ASSERT_TRUE(spinUntil([&] { return view->connection().mode() == ConnectionManager::ModeOnline; }, 5000));
    }
    HelpWindow* helpWindow() const { return view->findChild<HelpWindow*>(); }

    // The title of the pending page a control sits on, or "".
    QString pendingPageOf(QWidget* control) const {
        for (int i = 0; i < view->tabs()->count(); ++i) {
            QWidget* page = view->tabs()->page(i);
            const QString title = view->tabs()->bar()->tabText(i);
            if (kPendingPages.contains(title) && (page == control || page->isAncestorOf(control))) return title;
        }
        return {};
    }
    // Missing texts below `window`: failures go into `missing`, controls of
    // pending pages into `pending`.
    void walk(const QString& owner, QWidget* window) {
        for (QWidget* control : controlsWithoutHelpText(window)) {
            const QString page = pendingPageOf(control);
            (page.isEmpty() ? missing[owner] : pending[page]) << describeControl(control);
        }
        walked << owner;
    }

    QTemporaryDir workDir;
    QString previousDir;
    CTQ_InterfaceDoc document;
    CMainFrame* frame = nullptr;
    CTQ_InterfaceView* view = nullptr;
    sim::VirtualRegulator regulator;
    std::map<QString, QStringList> missing, pending;
    QStringList walked;
};

QString report(const std::map<QString, QStringList>& byOwner) {
    QString text;
    for (const auto& [owner, controls] : byOwner) text += owner + QStringLiteral(":\n  ") + controls.join(QStringLiteral("\n  ")) + QLatin1Char('\n');
    return text;
}

bool isOwnWindow(const QWidget* w) {
    // Qt's own dialogs (file, message, print) carry Qt's texts.
    return !QString::fromLatin1(w->metaObject()->className()).startsWith(QLatin1Char('Q'));
}

TEST_F(HelpTest, ManualHasEveryPageItLinksAndOnePagePerTab) {
    const Manual manual;
    ASSERT_GE(manual.topics().size(), 10u);
    QSet<QString> titles;
    static const QRegularExpression link(QStringLiteral("\\]\\(([^)#:]+\\.md)(#[^)]*)?\\)"));
    static const QRegularExpression image(QStringLiteral("!\\[[^]]*\\]\\(([^)]+\\.png)\\)"));
    for (const ManualTopic& topic : manual.topics()) {
        EXPECT_FALSE(titles.contains(topic.title)) << topic.title.toStdString() << " twice";
        titles << topic.title;
        const QString text = manual.text(topic.file);
        for (auto it = link.globalMatch(text); it.hasNext();) {
            const QString target = it.next().captured(1);
            EXPECT_FALSE(manual.text(target).isEmpty())
                << topic.file.toStdString() << " links " << target.toStdString() << ", which is not in the contents";
        }
        for (auto it = image.globalMatch(text); it.hasNext();) {
            const QString picture = QDir::cleanPath(QStringLiteral(":/manual/") + it.next().captured(1));
            EXPECT_TRUE(QFile::exists(picture)) << topic.file.toStdString() << " shows " << picture.toStdString();
        }
    }
    for (int i = 0; i < view->tabs()->count(); ++i) {
        const QString file = Manual::pageForTab(view->tabs()->bar()->tabText(i));
        EXPECT_NE(file, Manual::contentsFile()) << "no page for tab " << i;
        EXPECT_FALSE(manual.text(file).isEmpty()) << file.toStdString();
    }
    EXPECT_EQ(Manual::pageForTab(QStringLiteral("Nonesuch")), Manual::contentsFile());
}

TEST_F(HelpTest, F1OpensTheManualAtThePageOfTheTabShown) {
    for (int i = 0; i < view->tabs()->count(); ++i) {
        ASSERT_TRUE(view->tabs()->setCurrentIndex(i));
        frame->command(cmd::HelpTopics)->trigger();   // F1, below
        ASSERT_NE(helpWindow(), nullptr);
        EXPECT_TRUE(helpWindow()->isVisible());
        const QString expected = Manual::pageForTab(view->tabs()->bar()->tabText(i));
        EXPECT_EQ(helpWindow()->currentPage(), expected);
        EXPECT_FALSE(helpWindow()->browser()->toPlainText().trimmed().isEmpty());
        EXPECT_EQ(helpWindow()->contents()->currentItem()->data(Qt::UserRole).toString(), expected);
        helpWindow()->hide();
    }
    // One window, reused.
    EXPECT_EQ(view->findChildren<HelpWindow*>().size(), 1);
    EXPECT_EQ(frame->command(cmd::HelpTopics)->shortcuts().value(0), QKeySequence(Qt::Key_F1));
}

TEST_F(HelpTest, SearchKeepsThePagesHoldingEveryWordAndMarksTheFirstPlace) {
    HelpWindow help;
    const int all = help.contents()->count();
    ASSERT_EQ(all, static_cast<int>(help.manual().topics().size()));
    help.searchBox()->setText(QStringLiteral("dialout"));
    ASSERT_GE(help.contents()->count(), 1);
    EXPECT_LT(help.contents()->count(), all);
    for (int i = 0; i < help.contents()->count(); ++i)
        EXPECT_TRUE(help.manual().text(help.contents()->item(i)->data(Qt::UserRole).toString())
                        .contains(QStringLiteral("dialout"), Qt::CaseInsensitive));
    help.showPage(help.contents()->item(0)->data(Qt::UserRole).toString());
    EXPECT_EQ(help.browser()->textCursor().selectedText().toLower(), QStringLiteral("dialout"));
    help.searchBox()->setText(QStringLiteral("dialout zzzznothing"));
    EXPECT_EQ(help.contents()->count(), 0);
    help.searchBox()->clear();
    EXPECT_EQ(help.contents()->count(), all);
    // An unknown page shows the contents page; a link to another page follows it.
    help.showPage(QStringLiteral("nonesuch.md"));
    EXPECT_EQ(help.currentPage(), Manual::contentsFile());
}

TEST_F(HelpTest, HelpButtonAndShiftF1EnterWhatsThisMode) {
    EXPECT_EQ(frame->command(cmd::ToolHelp)->shortcuts().value(0), QKeySequence(Qt::SHIFT | Qt::Key_F1));
    frame->command(cmd::ToolHelp)->trigger();
    EXPECT_TRUE(QWhatsThis::inWhatsThisMode());
    QWhatsThis::leaveWhatsThisMode();

    // In a modal dialog the frame's shortcut does not reach: Shift+F1 still works.
    bool entered = false;
    QTimer::singleShot(0, [&] {
        QWidget* dialog = QApplication::activeModalWidget();
        if (!dialog) return;
        QKeyEvent press(QEvent::KeyPress, Qt::Key_F1, Qt::ShiftModifier);
        QApplication::sendEvent(dialog, &press);
        entered = QWhatsThis::inWhatsThisMode();
        QWhatsThis::leaveWhatsThisMode();
        static_cast<QDialog*>(dialog)->reject();
    });
    frame->command(cmd::AppAbout)->trigger();
    EXPECT_TRUE(entered);
}

TEST_F(HelpTest, EveryControlOfTheWindowAndOfWhatItsCommandsOpenHasAWhatsThisText) {
    connectToRegulator();
    view->setServiceMode(true);   // the service mode's controls too
    walk(QStringLiteral("main window"), frame);

    for (const FrameCommand& c : frameCommands()) {
        QAction* action = frame->command(c.id);
        if (!action || kNotTriggered.contains(c.id)) continue;
        EXPECT_FALSE(action->whatsThis().isEmpty()) << "command " << c.id;
        if (!action->isEnabled()) continue;
        document.st1 += 1.0f;   // so that a compare has something to list
        const QList<QWidget*> before = QApplication::topLevelWidgets();
        int handled = 0;
        QTimer poll;
        QObject::connect(&poll, &QTimer::timeout, [&] {
            auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            if (!dialog || ++handled > 20) return;
            if (isOwnWindow(dialog)) walk(QString::fromLatin1(dialog->metaObject()->className()), dialog);
            dialog->done(QDialog::Rejected);
        });
        poll.start(50);
        action->trigger();
        spinFor(100);
        poll.stop();
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (before.contains(w) || !w->isVisible() || w == frame) continue;
            if (isOwnWindow(w)) walk(QString::fromLatin1(w->metaObject()->className()), w);
            w->close();
        }
    }
    EXPECT_TRUE(walked.contains(QStringLiteral("CAboutDlg"))) << walked.join(QLatin1Char(' ')).toStdString();
    EXPECT_TRUE(walked.contains(QStringLiteral("CompareDialog"))) << walked.join(QLatin1Char(' ')).toStdString();
    EXPECT_TRUE(walked.contains(QStringLiteral("HelpWindow"))) << walked.join(QLatin1Char(' ')).toStdString();
    EXPECT_TRUE(missing.empty()) << "controls without a What's This text:\n" << report(missing).toStdString();
    if (!pending.empty())
        std::cout << "[ pending  ] pages still without What's This texts:\n" << report(pending).toStdString();
}

TEST_F(HelpTest, EveryRegisteredWindowHasAWhatsThisTextOnEveryControl) {
    view->setServiceMode(true);
    QStringList names;
    for (const HelpCoverageEntry& entry : helpCoverage()) {
        std::unique_ptr<QWidget> window(entry.make(*view));
        ASSERT_NE(window, nullptr) << entry.name;
        walk(QString::fromLatin1(entry.name), window.get());
        names << QString::fromLatin1(entry.name);
    }
    for (const char* known : {"HelpWindow", "CAboutDlg", "CompareDialog", "CSetValueDlg", "CCalibrationEditorDlg",
                              "TrendWindow"})
        EXPECT_TRUE(names.contains(QLatin1String(known))) << known;
    EXPECT_TRUE(missing.empty()) << "controls without a What's This text:\n" << report(missing).toStdString();
}

TEST(WhatsThisRules, ControlsNeedATextTheirPartsAndLabelsDoNot) {
    QWidget root;
    auto* edit = new QLineEdit(&root);
    auto* list = new QListWidget(&root);
    auto* browser = new QTextBrowser(&root);
    auto* label = new QLabel(QStringLiteral("x"), &root);
    EXPECT_TRUE(needsHelpText(edit));
    EXPECT_TRUE(needsHelpText(list));
    EXPECT_FALSE(needsHelpText(label));
    EXPECT_FALSE(needsHelpText(list->verticalScrollBar()));
    EXPECT_EQ(controlsWithoutHelpText(&root).size(), 3);
    setHelpText(edit, "e");
    setHelpText(list, "l");
    EXPECT_TRUE(setHelpText(&root, "page", "b") == false);
    browser->setObjectName(QStringLiteral("page"));
    EXPECT_TRUE(setHelpText(&root, "page", "b"));
    EXPECT_TRUE(controlsWithoutHelpText(&root).isEmpty());
}

}  // namespace
