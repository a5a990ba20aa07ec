#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QMouseEvent>
#include <QTemporaryDir>

#include "app/command_ids.h"
#include "app/connection_manager.h"
#include "app/main_frame.h"
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

    CAboutDlg on(true);
    on.show();
    EXPECT_TRUE(on.serviceLabelVisible());
    doubleClick(&on, on.smallPicture()->geometry().center(), Qt::LeftButton, Qt::NoModifier);
    EXPECT_FALSE(on.serviceMode()) << "any other double-click switches it off";
}
