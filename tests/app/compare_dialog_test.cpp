// Regulator > Compare with regulator... and Verify after download, on the
// offscreen platform against the virtual regulator.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QSettings>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <bit>

#include "app/command_ids.h"
#include "app/connection_manager.h"
#include "app/global_setup.h"
#include "app/main_frame.h"
#include "params/tq_interface_doc.h"
#include "sim/virtual_regulator.h"
#include "test_support.h"
#include "ui/dialogs/compare_dialog.h"
#include "ui/status_panel.h"
#include "ui/tq_interface_view.h"

namespace {

std::uint32_t bitsOf(float v) { return std::bit_cast<std::uint32_t>(v); }

class CompareWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        previousDir = QDir::currentPath();
        QDir::setCurrent(workDir.path());
        QSettings(settingsOrganization(), settingsApplication()).remove(kVerifyAfterDownloadKey);
        frame = new CMainFrame;
        view = new CTQ_InterfaceView(frame, &document);
        frame->setCentralWidget(view);
        document.OnNewDocument();
        view->initialUpdate();
        ASSERT_TRUE(regulator.start());
        view->setup().portName = regulator.slavePath();
        view->connection().connectPort();
        ASSERT_TRUE(view->connection().isPortOpen());
        ASSERT_TRUE(spinUntil([&] { return view->connection().mode() == ConnectionManager::ModeOnline; }, 5000));
    }
    void TearDown() override {
        delete frame;
        regulator.stop();
        QDir::setCurrent(previousDir);
    }
    QString message() const { return view->panel()->messageText(); }

    // Runs the compare command; `inspect` sees the dialog, then `take`
    // decides which button closes it.
    void compare(const std::function<void(CompareDialog&)>& inspect, bool take) {
        bool seen = false;
        auto* poll = new QTimer;
        QObject::connect(poll, &QTimer::timeout, poll, [&, poll] {
            auto* dialog = qobject_cast<CompareDialog*>(QApplication::activeModalWidget());
            if (!dialog) return;
            seen = true;
            poll->stop();
            poll->deleteLater();
            inspect(*dialog);
            QPushButton* button = take && dialog->takeButton() ? dialog->takeButton() : dialog->closeButton();
            button->click();
        });
        poll->start(20);
        frame->command(cmd::CompareWithRegulator)->trigger();
        EXPECT_TRUE(seen) << "the compare dialog was not shown";
    }

    QTemporaryDir workDir;
    QString previousDir;
    CTQ_InterfaceDoc document;
    CMainFrame* frame = nullptr;
    CTQ_InterfaceView* view = nullptr;
    sim::VirtualRegulator regulator;
};

}  // namespace

TEST_F(CompareWindowTest, DownloadVerifiesAndTheDialogListsWhatChangedBehindItsBack) {
    QAction* verify = frame->command(cmd::VerifyAfterDownload);
    ASSERT_TRUE(verify->isCheckable());
    EXPECT_TRUE(verify->isChecked()) << "on by default";
    EXPECT_TRUE(frame->command(cmd::CompareWithRegulator)->isEnabled());

    document.decay = 0.1f;
    frame->command(cmd::DownloadParameters)->trigger();
    EXPECT_EQ(message(), " Write parameter -- done, verified");
    EXPECT_FALSE(document.IsModified());

    compare([](CompareDialog& d) {
        EXPECT_EQ(d.table(), nullptr);
        EXPECT_EQ(d.takeButton(), nullptr);
        EXPECT_EQ(d.summaryLabel()->text(), "No differences: the regulator holds the values of this document.");
    }, false);
    EXPECT_EQ(message(), " Compare with regulator -- no differences");

    // Behind the program's back: the dead-band and fan 2's mode.
    regulator.setRegisterBits(7, bitsOf(4.5f));
    regulator.setRegisterBits(23, 3);
    compare([](CompareDialog& d) {
        ASSERT_NE(d.table(), nullptr);
        ASSERT_EQ(d.table()->rowCount(), 2);
        EXPECT_EQ(d.table()->horizontalHeaderItem(2)->text(), "This document");
        EXPECT_EQ(d.table()->item(0, 0)->text(), "deadBand (7)");
        EXPECT_EQ(d.table()->item(0, 1)->text(), "Dead-band");
        EXPECT_EQ(d.table()->item(0, 2)->text(), "3");
        EXPECT_EQ(d.table()->item(0, 3)->text(), "4.5");
        EXPECT_EQ(d.table()->item(1, 0)->text(), "fan2Mode (23)");
        EXPECT_EQ(d.table()->item(1, 3)->text(), "3");
        ASSERT_NE(d.takeButton(), nullptr);
        EXPECT_EQ(d.takeButton()->text(), "Take the regulator's values");
    }, false);
    EXPECT_EQ(document.deadBand, 3.0f) << "Close leaves the document alone";
    EXPECT_FALSE(document.IsModified());

    compare([](CompareDialog&) {}, true);
    EXPECT_EQ(document.deadBand, 4.5f);
    EXPECT_EQ(document.fan2Mode, 3u);
    EXPECT_EQ(document.sensor1.select, 0u) << "as Get parameters stores the sensors";
    EXPECT_TRUE(document.IsModified());
    EXPECT_TRUE(frame->windowTitle().endsWith(" *")) << frame->windowTitle().toStdString();
    EXPECT_EQ(view->connection().mode(), ConnectionManager::ModeOnline) << "the stream runs again";

    // The taken values go back down and verify.
    frame->command(cmd::DownloadParameters)->trigger();
    EXPECT_EQ(message(), " Write parameter -- done, verified");
}

TEST_F(CompareWindowTest, VerifyAfterDownloadIsRememberedAndCanBeSwitchedOff) {
    frame->command(cmd::VerifyAfterDownload)->setChecked(false);
    EXPECT_FALSE(QSettings(settingsOrganization(), settingsApplication()).value(kVerifyAfterDownloadKey).toBool());
    regulator.clearReceived();
    frame->command(cmd::DownloadParameters)->trigger();
    EXPECT_EQ(message(), " Write parameter -- done");
    for (const std::string& c : regulator.receivedCommands())
        EXPECT_EQ(c.find('?'), std::string::npos) << "no read-back: " << c;

    CMainFrame second;
    EXPECT_FALSE(second.command(cmd::VerifyAfterDownload)->isChecked()) << "remembered";
    second.command(cmd::VerifyAfterDownload)->setChecked(true);
}

TEST(CompareModelTest, RowsSummaryAndTaking) {
    RegisterComparison c;
    c.differences.push_back({12, "decay", "Decay when stoped", "0.1", "0.2"});
    c.regulator.decay = 0.2f;
    c.regulator.kP = 7.0f;
    CompareModel model(c);
    EXPECT_EQ(model.rowCount(), 1);
    EXPECT_EQ(model.row(0)[CompareModel::Field], "decay (12)");
    EXPECT_EQ(model.row(0)[CompareModel::Label], "Decay when stoped");
    EXPECT_EQ(model.summary(), "The regulator differs from this document in 1 register.");
    EXPECT_TRUE(model.canTake());
    CTQ_InterfaceDoc doc;
    model.takeInto(doc);
    EXPECT_EQ(doc.kP, 7.0f);
    EXPECT_TRUE(doc.IsModified());

    c.result = 3;
    CompareModel failed(c);
    EXPECT_FALSE(failed.canTake());
    EXPECT_EQ(failed.summary(), "Error when reading data - error 3 [Timeout - echo msg]");
    CTQ_InterfaceDoc untouched;
    failed.takeInto(untouched);
    EXPECT_EQ(untouched.kP, 20.0f);
    EXPECT_FALSE(untouched.IsModified());
}
