#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPushButton>
#include <QTimer>
#include <QTemporaryDir>

#include "app/command_ids.h"
#include "app/connection_manager.h"
#include "app/main_frame.h"
#include "app/recent_file_list.h"
#include "params/tq_interface_doc.h"
#include "sim/virtual_regulator.h"
#include "test_support.h"
#include "ui/about_box.h"
#include "ui/status_panel.h"
#include "ui/tab_strip.h"
#include "ui/tq_interface_view.h"

namespace {

class MainViewTest : public ::testing::Test {
protected:
    void SetUp() override {
        previousDir = QDir::currentPath();
        QDir::setCurrent(workDir.path());
        frame = new CMainFrame;
        view = new CTQ_InterfaceView(frame, &document);
        frame->setCentralWidget(view);
        document.OnNewDocument();
        view->initialUpdate();
    }
    void TearDown() override {
        delete frame;
        QDir::setCurrent(previousDir);
    }
    bool enabled(int id) const { return frame->command(id)->isEnabled(); }

    QTemporaryDir workDir;
    QString previousDir;
    CTQ_InterfaceDoc document;
    CMainFrame* frame = nullptr;
    CTQ_InterfaceView* view = nullptr;
};

void doubleClick(QWidget* target, QPoint pos, Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers) {
    QMouseEvent event(QEvent::MouseButtonDblClick, QPointF(pos), target->mapToGlobal(QPointF(pos)),
                      Qt::LeftButton, buttons, modifiers);
    QApplication::sendEvent(target, &event);
}

}  // namespace

TEST_F(MainViewTest, TitleShowsDocumentVersionServiceModeAndModified) {
    EXPECT_EQ(frame->windowTitle(), "Untitled - TQ_Interface 1.1.9a");
    view->markDocumentModified();
    EXPECT_EQ(frame->windowTitle(), "Untitled - TQ_Interface 1.1.9a *");
    view->setServiceMode(true);
    view->updateTitle();
    EXPECT_EQ(frame->windowTitle(), "Untitled - TQ_Interface 1.1.9a SERVICE MODE *");
}

TEST_F(MainViewTest, FormHasSixPagesOnceAndStartsOnBase) {
    ASSERT_EQ(view->tabs()->count(), 6);
    const char* titles[6] = {"Base", "Runtime", "Alarm", "Fan", "Sensor", "Regulator"};
    for (int i = 0; i < 6; ++i) EXPECT_EQ(view->tabs()->bar()->tabText(i), titles[i]);
    EXPECT_EQ(view->tabs()->currentIndex(), 0);
    view->initialUpdate();  // a second document adds no tabs
    EXPECT_EQ(view->tabs()->count(), 6);
    EXPECT_EQ(view->panel()->messageText(), "Status...");
}

TEST_F(MainViewTest, TabSwitchShowsOnlyTheSelectedPageAndRefusesDisabledTabs) {
    frame->show();
    TabStrip* tabs = view->tabs();
    EXPECT_TRUE(tabs->setCurrentIndex(2));
    EXPECT_TRUE(tabs->page(2)->isVisible());
    EXPECT_FALSE(tabs->page(0)->isVisible());
    EXPECT_TRUE(tabs->setCurrentIndex(2));  // the current tab: nothing changes
    EXPECT_TRUE(tabs->page(2)->isVisible());
    tabs->setTabEnabled(3, false);
    EXPECT_FALSE(tabs->setCurrentIndex(3));
    EXPECT_EQ(tabs->currentIndex(), 2);
    EXPECT_EQ(tabs->bar()->textColour(3), QColor(255, 255, 255));
    EXPECT_EQ(tabs->bar()->textColour(2), QColor(0, 0, 200));
    EXPECT_EQ(tabs->bar()->textColour(0), QColor(100, 100, 100));
}

TEST_F(MainViewTest, UnitsFollowTheCelsiusSetting) {
    for (int i = 0; i < StatusPanel::kTemperatureUnits; ++i)
        EXPECT_EQ(view->panel()->temperatureUnit(i), QStringLiteral("°C"));
    view->setCelsius(false);
    for (int i = 0; i < StatusPanel::kTemperatureUnits; ++i)
        EXPECT_EQ(view->panel()->temperatureUnit(i), QStringLiteral("°F"));
    EXPECT_FALSE(view->fanOut().celsius());
}

TEST_F(MainViewTest, CommandsAreEnabledByPortState) {
    view->updateCommandUi();
    EXPECT_TRUE(enabled(cmd::Connect));
    EXPECT_TRUE(enabled(cmd::ToolConnect));
    for (int id : {cmd::Disconnect, cmd::ToolDisconnect, cmd::ToolGetVersion, cmd::Stop, cmd::SaveToFlash,
                   cmd::DownloadParameters, cmd::GetParameters, cmd::RebootRegulator})
        EXPECT_FALSE(enabled(id)) << id;
    EXPECT_FALSE(view->panel()->sendButton()->isEnabled());
    EXPECT_FALSE(view->panel()->stopButton()->isEnabled());
    EXPECT_TRUE(enabled(cmd::DownloadFirmware));
    EXPECT_TRUE(enabled(cmd::LogStart));
    EXPECT_FALSE(enabled(cmd::LogStop));

    sim::VirtualRegulator regulator;
    ASSERT_TRUE(regulator.start());
    view->setup().portName = regulator.slavePath();
    view->connection().connectPort();
    ASSERT_TRUE(view->connection().isPortOpen());
    EXPECT_FALSE(enabled(cmd::Connect));
    for (int id : {cmd::Disconnect, cmd::ToolDisconnect, cmd::ToolGetVersion, cmd::Stop, cmd::SaveToFlash,
                   cmd::ReadFromFlash, cmd::FlashToDefault, cmd::DownloadParameters, cmd::GetParameters,
                   cmd::ToolSendParameters, cmd::ToolGetParameters, cmd::RebootRegulator})
        EXPECT_TRUE(enabled(id)) << id;
    EXPECT_TRUE(view->panel()->sendButton()->isEnabled());
    EXPECT_TRUE(view->panel()->stopButton()->isEnabled());

    // Online, the panel follows the live values.
    ASSERT_TRUE(spinUntil([&] { return view->connection().mode() == ConnectionManager::ModeOnline; }, 5000));
    EXPECT_TRUE(spinUntil([&] { return view->panel()->fieldText(PanelField::T1) != "--"; }, 3000));
    EXPECT_EQ(frame->connectionText(), "CONN: Online");
    view->connection().disconnectPort();
    EXPECT_TRUE(enabled(cmd::Connect));
    EXPECT_FALSE(enabled(cmd::Disconnect));
}

TEST_F(MainViewTest, LostRegulatorShowsItsErrorAndClearedFieldsOnThePanel) {
    QTemporaryDir dir;
    sim::SimOptions options;
    options.linkPath = dir.filePath("ttyTQ").toStdString();
    sim::VirtualRegulator regulator(options);
    std::string error;
    ASSERT_TRUE(regulator.start(&error)) << error;
    view->setup().portName = options.linkPath;
    view->connection().connectPort();
    ASSERT_TRUE(spinUntil([&] { return view->connection().mode() == ConnectionManager::ModeOnline; }, 5000));
    ASSERT_TRUE(spinUntil([&] { return view->panel()->fieldText(PanelField::T1) != "--"; }, 3000));

    regulator.vanish();
    ASSERT_TRUE(spinUntil([&] { return view->connection().mode() == ConnectionManager::ModeSearch; }, 3000));
    spinFor(300);  // whatever was queued meanwhile has arrived
    EXPECT_EQ(view->connection().statusText(), "error - no regulator found");
    EXPECT_EQ(view->panel()->statusText(), "error - no regulator found");
    EXPECT_EQ(view->panel()->versionText(), "--");
    EXPECT_EQ(view->panel()->fieldText(PanelField::T1), "--");
    EXPECT_EQ(view->panel()->fieldText(PanelField::Main), "--");

    // While the search tries to open the vanished device again, Disconnect ends that.
    ASSERT_TRUE(spinUntil([&] { return !view->connection().isPortOpen(); }, 2000));
    view->updateCommandUi();
    EXPECT_TRUE(enabled(cmd::Disconnect));
    EXPECT_TRUE(enabled(cmd::ToolDisconnect));
    frame->command(cmd::Disconnect)->trigger();
    ASSERT_TRUE(regulator.reappear(&error)) << error;
    spinFor(1500);
    EXPECT_FALSE(view->connection().isPortOpen());
    EXPECT_EQ(view->connection().mode(), ConnectionManager::ModeSearch);
    view->updateCommandUi();
    EXPECT_FALSE(enabled(cmd::Disconnect));
    EXPECT_TRUE(enabled(cmd::Connect));
}

// Answers the next modal message box with `button` and records its text.
void answerNextMessageBox(QMessageBox::StandardButton button, QString* text) {
    auto* poll = new QTimer;
    QObject::connect(poll, &QTimer::timeout, poll, [poll, button, text] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box) return;
        *text = box->text();
        box->button(button)->click();
        poll->deleteLater();
    });
    poll->start(20);
}

TEST_F(MainViewTest, ClosingAModifiedDocumentAsksToSaveIt) {
    frame->show();
    EXPECT_TRUE(frame->close()) << "an unmodified document closes without asking";
    frame->show();
    view->markDocumentModified();
    QString asked;
    answerNextMessageBox(QMessageBox::Cancel, &asked);
    EXPECT_FALSE(frame->close());
    EXPECT_EQ(asked, "Save changes to Untitled?");
    EXPECT_TRUE(frame->isVisible());
    asked.clear();
    answerNextMessageBox(QMessageBox::No, &asked);
    EXPECT_TRUE(frame->close());
    EXPECT_EQ(asked, "Save changes to Untitled?");
}

TEST_F(MainViewTest, ARecentFileThatNoLongerOpensLeavesTheList) {
    const QString missing = QDir(workDir.path()).absoluteFilePath(QStringLiteral("gone.tq"));
    frame->addRecentFile(missing);
    ASSERT_TRUE(frame->recentFiles().files().contains(missing));
    QString shown;
    answerNextMessageBox(QMessageBox::Ok, &shown);
    emit frame->recentFileChosen(missing);
    spinFor(100);
    EXPECT_FALSE(frame->recentFiles().files().contains(missing));
}

TEST_F(MainViewTest, SavingANamedDocumentPutsItFirstInTheRecentFiles) {
    const QString path = QDir(workDir.path()).absoluteFilePath(QStringLiteral("run.tq"));
    ASSERT_TRUE(static_cast<bool>(document.SaveAs(path.toStdString())));
    frame->addRecentFile(QDir(workDir.path()).absoluteFilePath(QStringLiteral("other.tq")));
    view->markDocumentModified();
    frame->command(cmd::FileSave)->trigger();
    EXPECT_FALSE(document.IsModified());
    ASSERT_FALSE(frame->recentFiles().files().isEmpty());
    EXPECT_EQ(frame->recentFiles().files().first(), path);
    EXPECT_EQ(frame->windowTitle(), "run.tq - TQ_Interface 1.1.9a");
}

TEST_F(MainViewTest, ServiceModeFromTheAboutBoxShowsInTheTitleAtOnce) {
    frame->show();
    auto* poll = new QTimer;
    QObject::connect(poll, &QTimer::timeout, poll, [poll] {
        auto* box = qobject_cast<CAboutDlg*>(QApplication::activeModalWidget());
        if (!box) return;
        doubleClick(box, box->smallPicture()->geometry().center(), Qt::LeftButton | Qt::MiddleButton,
                    Qt::ShiftModifier);
        box->accept();
        poll->deleteLater();
    });
    poll->start(20);
    frame->command(cmd::AppAbout)->trigger();
    EXPECT_TRUE(view->serviceMode());
    EXPECT_EQ(frame->windowTitle(), "Untitled - TQ_Interface 1.1.9a SERVICE MODE");
    EXPECT_TRUE(view->panel()->fanCurrentsVisible());
}

TEST(RecentFiles, MenuTextIsTheNameInTheWorkingDirectoryElseAShortPath) {
    EXPECT_EQ(RecentFileList::displayName("/home/op/run.tq", "/home/op"), "run.tq");
    EXPECT_EQ(RecentFileList::displayName("/data/a/run.tq", "/home/op"), "/data/a/run.tq");
    EXPECT_EQ(RecentFileList::displayName("/data/projects/cooling/bench/run.tq", "/home/op"),
              "/data/.../run.tq");
}

TEST(AboutBox, ServiceModeDoubleClickRule) {
    // Shift with the left and the middle button held; Ctrl, the right button
    // or an extra button spoil it, Alt does not count.
    const Qt::MouseButtons leftMiddle = Qt::LeftButton | Qt::MiddleButton;
    EXPECT_TRUE(CAboutDlg::isServiceGesture(leftMiddle, Qt::ShiftModifier));
    EXPECT_TRUE(CAboutDlg::isServiceGesture(leftMiddle, Qt::ShiftModifier | Qt::AltModifier));
    EXPECT_FALSE(CAboutDlg::isServiceGesture(Qt::LeftButton, Qt::ShiftModifier));
    EXPECT_FALSE(CAboutDlg::isServiceGesture(leftMiddle, Qt::NoModifier));
    EXPECT_FALSE(CAboutDlg::isServiceGesture(leftMiddle, Qt::ShiftModifier | Qt::ControlModifier));
    EXPECT_FALSE(CAboutDlg::isServiceGesture(leftMiddle | Qt::RightButton, Qt::ShiftModifier));

    CAboutDlg about(false);
    about.show();
    const QPoint onPicture = about.smallPicture()->geometry().center();
    doubleClick(&about, onPicture, leftMiddle, Qt::ShiftModifier);
    EXPECT_TRUE(about.serviceMode());
    EXPECT_TRUE(about.serviceLabelVisible());
    doubleClick(&about, QPoint(5, 5), leftMiddle, Qt::ShiftModifier);  // outside the picture
    EXPECT_FALSE(about.serviceMode());
    EXPECT_FALSE(about.serviceLabelVisible());

    doubleClick(&about, onPicture, leftMiddle, Qt::ShiftModifier);
    ASSERT_TRUE(about.serviceMode());
    QMouseEvent right(QEvent::MouseButtonDblClick, QPointF(onPicture), about.mapToGlobal(QPointF(onPicture)),
                      Qt::RightButton, leftMiddle | Qt::RightButton, Qt::ShiftModifier);
    QApplication::sendEvent(&about, &right);
    EXPECT_FALSE(about.serviceMode()) << "a right double-click switches it off";
    // The picture itself passes the double-click on to the box.
    doubleClick(about.smallPicture(), QPoint(10, 10), leftMiddle, Qt::ShiftModifier);
    EXPECT_TRUE(about.serviceMode());
    EXPECT_TRUE(about.serviceLabelVisible());

    CAboutDlg on(true);
    on.show();
    EXPECT_TRUE(on.serviceLabelVisible());
    doubleClick(&on, on.smallPicture()->geometry().center(), Qt::LeftButton, Qt::NoModifier);
    EXPECT_FALSE(on.serviceMode()) << "any other double-click switches it off";
}

// Each kind of file dialog opens in the folder where the last file of its
// kind was chosen: parameter files and logs keep their own.
TEST_F(MainViewTest, FileDialogsOpenWhereTheLastFileOfTheirKindWasChosen) {
    QTemporaryDir parameters, logs;
    // Answers the next file dialog with `file` (or cancels) and tells the folder it opened in.
    auto answer = [](const QString& file, QString* openedIn) {
        auto* poll = new QTimer;
        QObject::connect(poll, &QTimer::timeout, poll, [poll, file, openedIn] {
            auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            if (!dialog) return;
            poll->stop();
            poll->deleteLater();
            *openedIn = dialog->directory().absolutePath();
            if (file.isEmpty()) {
                dialog->reject();
            } else {
                // Typed into the name field: selectFile() leaves the field as it
                // is once the field has the focus, which comes when it comes.
                if (auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit")))
                    name->setText(file);
                else
                    dialog->selectFile(file);
                static_cast<QDialog*>(dialog)->accept();  // QFileDialog's own accept, protected there
            }
        });
        poll->start(10);
    };
    // The commands as the menus show them (a disabled action does not trigger).
    view->updateCommandUi();
    ASSERT_TRUE(enabled(cmd::LogStart));
    QString openedIn;
    answer(parameters.filePath("bench.tq"), &openedIn);
    frame->command(cmd::FileSaveAs)->trigger();
    ASSERT_TRUE(QFileInfo::exists(parameters.filePath("bench.tq")));
    answer(logs.filePath("run.txt"), &openedIn);
    frame->command(cmd::LogStart)->trigger();
    ASSERT_FALSE(openedIn.isEmpty()) << "the log's file dialog opened";
    ASSERT_TRUE(enabled(cmd::LogStop));
    frame->command(cmd::LogStop)->trigger();
    ASSERT_TRUE(QFileInfo::exists(logs.filePath("run.txt")));

    answer(QString(), &openedIn);
    frame->command(cmd::FileOpen)->trigger();
    EXPECT_EQ(openedIn, QDir(parameters.path()).absolutePath());
    answer(QString(), &openedIn);
    frame->command(cmd::FileOpenLog)->trigger();
    EXPECT_EQ(openedIn, QDir(logs.path()).absolutePath());
    answer(QString(), &openedIn);
    frame->command(cmd::LogStart)->trigger();
    EXPECT_EQ(openedIn, QDir(logs.path()).absolutePath());
}
