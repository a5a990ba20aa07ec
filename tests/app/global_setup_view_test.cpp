// Setup › Global setup from the main view, against the virtual regulator:
// the connection follows the dialog, Cancel changes nothing, the settings
// survive a restart, and a USB adapter's stable name survives re-plugging.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QSettings>
#include <QTemporaryDir>
#include <QTimer>
#include <functional>

#include "app/connection_manager.h"
#include "app/global_setup.h"
#include "app/main_frame.h"
#include "link/port_list.h"
#include "params/tq_interface_doc.h"
#include "sim/virtual_regulator.h"
#include "test_support.h"
#include "ui/dialogs/colour_test_list.h"
#include "ui/dialogs/global_setup_dialog.h"
#include "ui/status_panel.h"
#include "ui/tq_interface_view.h"

namespace {

class GlobalSetupViewTest : public ::testing::Test {
protected:
    // Each test starts from an empty store and leaves one behind.
    void SetUp() override {
        clearStore();
        openView();
    }
    void TearDown() override {
        closeView();
        clearStore();
    }
    static void clearStore() {
        QSettings(QString::fromLatin1(settingsOrganization()), QString::fromLatin1(settingsApplication())).clear();
    }
    void openView() {
        frame = new CMainFrame;
        view = new CTQ_InterfaceView(frame, &document);
        frame->setCentralWidget(view);
        document.OnNewDocument();
        view->initialUpdate();
    }
    void closeView() {
        delete frame;   // the view writes the global setup back
        frame = nullptr;
        view = nullptr;
    }
    // Runs Setup › Global setup; `edit` changes the open dialog, which then
    // ends with OK (`ok`) or Cancel.
    bool runSetup(const std::function<void(CGlobalSetupDlg&)>& edit, bool ok = true) {
        bool seen = false;
        QTimer watcher;
        watcher.setInterval(10);
        QObject::connect(&watcher, &QTimer::timeout, [&] {
            auto* dialog = qobject_cast<CGlobalSetupDlg*>(QApplication::activeModalWidget());
            if (!dialog || seen) return;
            seen = true;
            edit(*dialog);
            ok ? dialog->accept() : dialog->reject();
        });
        watcher.start();
        view->onGlobalSetup();
        return seen;
    }
    bool online() const { return view->connection().mode() == ConnectionManager::ModeOnline; }
    bool connectTo(const std::string& port) {
        view->setup().portName = port;
        view->connection().connectPort();
        return spinUntil([&] { return online(); }, 5000);
    }
    static bool hasCommand(const sim::VirtualRegulator& r, const std::string& command) {
        const auto all = r.receivedCommands();
        return std::find(all.begin(), all.end(), command) != all.end();
    }

    CTQ_InterfaceDoc document;
    CMainFrame* frame = nullptr;
    CTQ_InterfaceView* view = nullptr;
};

}  // namespace

TEST_F(GlobalSetupViewTest, ChangingThePortWhileOnlineReopensOnTheNewPort) {
    sim::VirtualRegulator first, second;
    std::string error;
    ASSERT_TRUE(first.start(&error)) << error;
    ASSERT_TRUE(second.start(&error)) << error;
    ASSERT_TRUE(connectTo(first.slavePath()));
    ASSERT_TRUE(spinUntil([&] { return first.streaming(); }, 3000));

    ASSERT_TRUE(runSetup([&](CGlobalSetupDlg& d) {
        EXPECT_EQ(d.portCombo()->currentText().toStdString(), first.slavePath()) << "shown as typed";
        d.portCombo()->setEditText(QString::fromStdString(second.slavePath()));
    }));
    EXPECT_EQ(view->panel()->messageText().toStdString(),
              " Port " + second.slavePath() + " at 115200, status = open");
    EXPECT_EQ(view->setup().portName, second.slavePath());
    EXPECT_TRUE(hasCommand(first, "$A")) << "the stream of the old port was stopped before it closed";
    EXPECT_FALSE(first.streaming());
    EXPECT_TRUE(spinUntil([&] { return hasCommand(second, "$A7"); }, 3000)) << "the previous mode came back";
    EXPECT_TRUE(spinUntil([&] { return online() && view->panel()->fieldText(PanelField::T1) != "--"; }, 5000));
    spinFor(800);   // longer than the lost-regulator time: samples keep coming
    EXPECT_TRUE(online());
    EXPECT_EQ(view->connection().link().isOpen(), true);
}

TEST_F(GlobalSetupViewTest, CancelLeavesEverySettingAsItWas) {
    const GlobalSetup before = view->setup();
    ASSERT_TRUE(runSetup([](CGlobalSetupDlg& d) {
        d.portCombo()->setEditText("COM7");
        d.baudList()->setCurrentIndex(0);
        d.fahrenheitBox()->setChecked(true);
        d.penWidthEdit()->setText("5");
        d.colourList()->setRowColour(0, 0x00010101);
    }, false));
    const GlobalSetup& after = view->setup();
    EXPECT_EQ(after.portName, before.portName);
    EXPECT_EQ(after.baudRate, before.baudRate);
    EXPECT_EQ(after.celsius, before.celsius);
    EXPECT_EQ(after.penSize, before.penSize);
    EXPECT_EQ(after.colorBackground, before.colorBackground);
    EXPECT_EQ(view->panel()->messageText(), " Port COM1 at 115200, status = closed");
}

TEST_F(GlobalSetupViewTest, UnitsFormatPenAndColoursApplyAndSurviveARestart) {
    ASSERT_TRUE(runSetup([](CGlobalSetupDlg& d) {
        d.setColourPicker([](std::uint32_t, QWidget*) { return std::optional<std::uint32_t>(0x00336699); });
        d.editColour(0);    // background
        d.editColour(20);   // F2_curr
        d.fahrenheitBox()->setChecked(true);
        d.ieeeBox()->setChecked(false);
        d.penWidthEdit()->setText("5");
        d.sampleRateList()->setCurrentIndex(3);
        d.stopAt65000Box()->setChecked(true);
        d.baudList()->setCurrentIndex(6);   // 9600
        d.portCombo()->setEditText("/dev/tq-not-here * typed");
    }));
    EXPECT_FALSE(view->celsius());
    EXPECT_EQ(view->panel()->temperatureUnit(0), "°F");
    EXPECT_EQ(view->panel()->messageText(), " Port /dev/tq-not-here at 9600, status = closed");

    closeView();
    openView();
    const GlobalSetup& s = view->setup();
    EXPECT_FALSE(s.celsius);
    EXPECT_FALSE(s.ieeeFormat);
    EXPECT_EQ(s.penSize, 5);
    EXPECT_EQ(s.sampleRate, 3);
    EXPECT_TRUE(s.logLimitSize);
    EXPECT_EQ(s.baudRate, 9600);
    EXPECT_EQ(s.portName, "/dev/tq-not-here");
    EXPECT_EQ(s.colorBackground, 0x00336699u);
    EXPECT_EQ(s.channelColors[18], 0x00336699u);
    EXPECT_EQ(s.channelColors[0], GlobalSetup::kDefaultChannelColors[0]);
    EXPECT_EQ(view->panel()->temperatureUnit(0), "°F");

    // The next dialog starts from what was stored.
    ASSERT_TRUE(runSetup([](CGlobalSetupDlg& d) {
        EXPECT_TRUE(d.fahrenheitBox()->isChecked());
        EXPECT_EQ(d.penWidthEdit()->text(), "5");
        EXPECT_EQ(d.baudList()->currentText(), "9600");
        EXPECT_EQ(d.portCombo()->currentText(), "/dev/tq-not-here");
    }, false));
}

// A USB adapter keeps its /dev/serial/by-id name when it is plugged in again
// and comes back as another ttyUSBn; here the name is a link that the virtual
// regulator removes when it vanishes and makes again to a new pseudo-terminal.
TEST_F(GlobalSetupViewTest, AStableNameBringsAReplugedAdapterBackOnline) {
    QTemporaryDir dev;
    ASSERT_TRUE(QDir(dev.path()).mkpath("serial/by-id"));
    const std::string stable = dev.filePath("serial/by-id/usb-TQ_Virtual_Regulator_0001-if00-port0").toStdString();
    sim::SimOptions options;
    options.linkPath = stable;
    sim::VirtualRegulator regulator(options);
    std::string error;
    ASSERT_TRUE(regulator.start(&error)) << error;

    // The port list shows the name with its note and preselects it.
    PortListRoots roots;
    roots.sysfs = dev.filePath("no-sysfs").toStdString();
    roots.dev = dev.path().toStdString();
    const std::vector<std::string> choices =
        global_setup::portChoices(listPorts(roots), &global_setup::resolvePortLink);
    ASSERT_EQ(choices.size(), 1u);
    EXPECT_EQ(choices[0], stable + " * stable name, survives re-plugging");
    EXPECT_EQ(global_setup::portChoiceIndex(choices, stable), 0);

    ASSERT_TRUE(runSetup([&](CGlobalSetupDlg& d) {
        d.portCombo()->setEditText(QString::fromStdString(choices[0]));
    }));
    EXPECT_EQ(view->setup().portName, stable);
    view->connection().connectPort();
    ASSERT_TRUE(spinUntil([&] { return online(); }, 5000));
    const QString firstTarget = QFileInfo(QString::fromStdString(stable)).symLinkTarget();

    regulator.vanish();   // unplugged: the name is gone
    EXPECT_FALSE(QFileInfo::exists(QString::fromStdString(stable)));
    ASSERT_TRUE(spinUntil([&] { return view->connection().mode() == ConnectionManager::ModeSearch; }, 3000));
    ASSERT_TRUE(spinUntil([&] { return !view->connection().isPortOpen(); }, 3000));

    ASSERT_TRUE(regulator.reappear(&error)) << error;   // plugged in again
    EXPECT_TRUE(QFileInfo::exists(QString::fromStdString(stable)));
    EXPECT_FALSE(QFileInfo(QString::fromStdString(stable)).symLinkTarget().isEmpty());
    EXPECT_TRUE(spinUntil([&] { return online(); }, 10000)) << "back online with no action of the operator";
    EXPECT_TRUE(firstTarget.startsWith("/dev/pts/"));
}

// OK on a port that is not there yet: the message says why, and the search
// opens the port as soon as it appears.
TEST_F(GlobalSetupViewTest, AReopenThatFailsSaysWhyAndTheSearchKeepsTrying) {
    sim::VirtualRegulator first;
    std::string error;
    ASSERT_TRUE(first.start(&error)) << error;
    ASSERT_TRUE(connectTo(first.slavePath()));

    QTemporaryDir dir;
    const std::string later = dir.filePath("ttyLater").toStdString();
    ASSERT_TRUE(runSetup([&](CGlobalSetupDlg& d) { d.portCombo()->setEditText(QString::fromStdString(later)); }));
    EXPECT_EQ(view->panel()->messageText().toStdString(),
              " Port " + later + " at 115200, status = closed\n " + later + ": No such file or directory");
    EXPECT_FALSE(view->connection().isPortOpen());
    EXPECT_EQ(view->connection().mode(), ConnectionManager::ModeSearch) << "not online with nothing behind it";

    sim::SimOptions options;
    options.linkPath = later;
    sim::VirtualRegulator second(options);
    ASSERT_TRUE(second.start(&error)) << error;
    EXPECT_TRUE(spinUntil([&] { return online(); }, 10000));
}
