// The "Download firmware" command and dialog against the virtual regulator,
// on Qt's offscreen platform.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QKeyEvent>
#include <QLabel>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>
#include <algorithm>
#include <memory>

#include "app/recent_folders.h"
#include "app/command_ids.h"
#include "app/connection_manager.h"
#include "app/main_frame.h"
#include "firmware/serial_boot_loader_link.h"
#include "hex_text.h"
#include "params/tq_interface_doc.h"
#include "sim/virtual_regulator.h"
#include "test_support.h"
#include "ui/dialogs/firmware_dialog.h"
#include "ui/tq_interface_view.h"

namespace {

constexpr int kGenerousMs = 60000;  // sanitizer builds on a loaded machine are slow

std::vector<std::uint8_t> pattern(std::size_t n, unsigned seed) {
    std::vector<std::uint8_t> v(n);
    for (std::size_t i = 0; i < n; ++i) v[i] = static_cast<std::uint8_t>(seed * 13 + i * 5 + (i >> 5));
    return v;
}

// Closes the next modal message box and keeps its text.
void closeNextMessageBox(QString* text) {
    auto* poll = new QTimer;
    QObject::connect(poll, &QTimer::timeout, poll, [poll, text] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box) return;
        *text = box->text();
        box->done(QMessageBox::Ok);
        poll->deleteLater();
    });
    poll->start(20);
}

// Holds the UI thread after a firmware dialog's show event has run (and so
// has started its first worker operation).
class ShowDelay : public QObject {
public:
    explicit ShowDelay(int ms) : ms_(ms) {}
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::Show || inside_ || !qobject_cast<CFirmwareDownloadDlg*>(watched)) return false;
        inside_ = true;
        QCoreApplication::sendEvent(watched, event);   // the dialog's own show handling
        inside_ = false;
        QThread::msleep(static_cast<unsigned long>(ms_));
        return true;
    }

private:
    int ms_;
    bool inside_ = false;
};

class FirmwareWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (const int ms = qEnvironmentVariableIntValue("FIRMWARE_TEST_START_DELAY_MS"); ms > 0)
            delayAfterWorkerStart(ms);
        previousDir = QDir::currentPath();
        QDir::setCurrent(workDir.path());
        frame = new CMainFrame;
        view = new CTQ_InterfaceView(frame, &document);
        frame->setCentralWidget(view);
        document.OnNewDocument();
        view->initialUpdate();
        // The saved settings of an earlier test do not count.
        view->setup().baudRate = 115200;
        view->setup().bootBaudRate = 115200;
        view->setFirmwareFileChooser([this](QWidget*, const QString& initial) -> std::optional<QString> {
            offered = initial;
            if (chosenFile.isEmpty()) return std::nullopt;
            return chosenFile;
        });
    }
    void TearDown() override {
        delete frame;
        if (regulator) regulator->stop();
        QDir::setCurrent(previousDir);
    }

    void startRegulator(sim::SimOptions options = {}) {
        regulator = std::make_unique<sim::VirtualRegulator>(options);
        std::string error;
        ASSERT_TRUE(regulator->start(&error)) << error;
        view->setup().portName = regulator->slavePath();
    }
    void goOnline() {
        view->connection().connectPort();
        ASSERT_TRUE(spinUntil([&] { return view->connection().mode() == ConnectionManager::ModeOnline; }, kGenerousMs));
        // The stream's "$A7" has no echo to wait for: wait until the board has
        // it, so that it is not taken for a later command.
        ASSERT_TRUE(spinUntil([&] { return regulator->streaming(); }, kGenerousMs));
    }
    // Writes a HEX file into the work directory; the chooser will pick it.
    QString writeHexFile(const std::string& text, const QString& name = QStringLiteral("new.hex")) {
        const QString path = QDir(workDir.path()).filePath(name);
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(text.data(), static_cast<qint64>(text.size()));
        return path;
    }
    // Runs Setup › Download firmware; `script` drives the open dialog
    // once its board identification and file choice are over. A dialog the
    // script leaves open is cancelled. The script runs from a timer of its
    // own, never from inside an earlier posted event: a nested wait there
    // would hold back what the dialog's worker posts.
    void runCommand(const std::function<void(CFirmwareDownloadDlg&)>& script) {
        QElapsedTimer clock;
        clock.start();
        bool ran = false;
        QTimer poll;
        poll.setInterval(10);
        QObject::connect(&poll, &QTimer::timeout, view, [&] {
            CFirmwareDownloadDlg* d = view->firmwareDialog();
            const bool open = d && d->started();
            if (!open && clock.elapsed() < kGenerousMs) return;
            poll.stop();
            ran = true;
            EXPECT_TRUE(open) << "the dialog did not open";
            // A dialog that did not get going is still closed, so that the
            // test fails instead of waiting in the dialog for ever.
            if (open) script(*d);
            if ((d = view->firmwareDialog())) {
                spinUntil([d] { return !d->logic().busy(); }, kGenerousMs);
                if (d->isVisible()) d->done(QDialog::Rejected);
            }
        });
        poll.start();
        frame->command(cmd::DownloadFirmware)->trigger();
        poll.stop();
        EXPECT_TRUE(ran) << "the command returned before its dialog was driven";
    }
    // The UI thread stalls this long right after the dialog has started its
    // first operation (the board identification), so that the operation ends
    // before the dialog's event loop begins. FIRMWARE_TEST_START_DELAY_MS
    // sets it for every test.
    void delayAfterWorkerStart(int ms) {
        startDelay = std::make_unique<ShowDelay>(ms);
        qApp->installEventFilter(startDelay.get());
    }
    std::vector<std::string> received(const std::string& prefix) const {
        std::vector<std::string> out;
        for (const std::string& line : regulator->receivedCommands())
            if (line.rfind(prefix, 0) == 0) out.push_back(line);
        return out;
    }
    static bool idle(CFirmwareDownloadDlg& d) { return !d.logic().busy(); }

    QTemporaryDir workDir;
    QString previousDir;
    CTQ_InterfaceDoc document;
    CMainFrame* frame = nullptr;
    CTQ_InterfaceView* view = nullptr;
    std::unique_ptr<sim::VirtualRegulator> regulator;
    std::unique_ptr<ShowDelay> startDelay;
    QString chosenFile;
    QString offered;
};

}  // namespace

TEST_F(FirmwareWindowTest, AGoodFileIsWrittenVerifiedAndStartedAndTheLinkReturnsOnline) {
    startRegulator();
    goOnline();
    const std::vector<hextest::Block> blocks{{0x000000, pattern(0x300, 1)},   // boot area: not written
                                             {0x000300, pattern(0x500, 2)},
                                             {0x010000, pattern(0x40, 3)}};
    writeHexFile(hextest::image(blocks), QStringLiteral("new.hex"));
    chosenFile = QDir(workDir.path()).filePath(QStringLiteral("new"));   // ".hex" is added
    view->setup().targetPath = "previous.hex";
    bool accepted = false;
    runCommand([&](CFirmwareDownloadDlg& d) {
        EXPECT_EQ(view->connection().mode(), ConnectionManager::ModeFirmware);
        EXPECT_EQ(view->connection().messageText(), " Download new firmware...");
        // Equal rates: the loader was entered by the dialog's "$B\n\r", whose
        // banner no transaction stored, so the revision reads "--".
        EXPECT_EQ(d.boardLabel()->text().toStdString(), "BL-- with id 2A3 is Unlocked");
        EXPECT_EQ(d.fileInfoLabel()->text().toStdString(), "Program Data 0x0000 - 0x10040,  no config data");
        EXPECT_TRUE(d.pathLabel()->toolTip().endsWith("/new.hex"));
        EXPECT_TRUE(d.verifyCheck()->isChecked());
        QObject::connect(&d, &QDialog::accepted, [&] { accepted = true; });
        d.button(CFirmwareDownloadDlg::Download)->click();
        EXPECT_TRUE(spinUntil([&] { return accepted; }, kGenerousMs)) << d.statusLabel()->text().toStdString();
        EXPECT_TRUE(d.statusLabel()->text().startsWith("Verify ok, time ")) << d.statusLabel()->text().toStdString();
    });
    EXPECT_TRUE(accepted);
    EXPECT_EQ(offered, "previous.hex") << "the chooser offers TARGET_PATH";
    EXPECT_EQ(view->setup().targetPath, "new.hex") << "and remembers the file name";
    EXPECT_EQ(recentFolder(FileKind::Firmware), QDir(workDir.path()).absolutePath()) << "and its folder";

    // The flash holds the file's words inside the program window, and nothing else.
    std::map<std::uint32_t, std::uint16_t> expected;
    for (const auto& b : blocks)
        for (std::size_t i = 0; i + 1 < b.bytes.size(); i += 2)
            if (b.address + i >= 0x300)
                expected[b.address + static_cast<std::uint32_t>(i)] =
                    static_cast<std::uint16_t>(b.bytes[i] << 8 | b.bytes[i + 1]);
    EXPECT_EQ(regulator->flashWords(), expected);
    EXPECT_EQ(received("d01").size(), (0x500u + 0x40u) / 16u) << "every written byte was read back";
    EXPECT_FALSE(regulator->inBootLoader()) << "the new firmware was started";
    // The message line names what was written, unlike after Cancel; the
    // file writes 16 bytes a record, and the boot area is left out.
    const std::size_t writtenBytes = blocks[1].bytes.size() + blocks[2].bytes.size();
    EXPECT_EQ(view->connection().messageText().toStdString(),
              " new.hex written and verified: " + std::to_string(writtenBytes) + " bytes in " +
                  std::to_string(writtenBytes / 16) + " records; new firmware started");
    EXPECT_EQ(view->connection().mode(), ConnectionManager::ModeOnline);
    EXPECT_TRUE(spinUntil([&] { return regulator->streaming(); }, kGenerousMs)) << "the stream was started again";
    EXPECT_TRUE(view->connection().isPortOpen());
}

TEST_F(FirmwareWindowTest, ABadFlashWordIsReportedAndTheBoardStaysInItsLoader) {
    startRegulator();
    chosenFile = writeHexFile(hextest::image({{0x000300, pattern(0x100, 4)}}));
    regulator->setBadFlashWord(0x000346);
    QString status;
    runCommand([&](CFirmwareDownloadDlg& d) {
        d.button(CFirmwareDownloadDlg::Download)->click();
        ASSERT_TRUE(spinUntil([&] { return idle(d); }, kGenerousMs));
        status = d.statusLabel()->text();
        EXPECT_TRUE(d.isVisible()) << "a failed verification leaves the dialog open";
        EXPECT_TRUE(regulator->inBootLoader());
        EXPECT_TRUE(d.button(CFirmwareDownloadDlg::Download)->isEnabled());
        EXPECT_TRUE(received("g").empty());
        d.button(CFirmwareDownloadDlg::Cancel)->click();
        EXPECT_TRUE(spinUntil([&] { return !d.isVisible(); }, kGenerousMs));
    });
    EXPECT_TRUE(status.startsWith("Verify error at 000346, time ")) << status.toStdString();
    EXPECT_EQ(received("g").size(), 1u) << "closing the dialog starts the user program";
    EXPECT_FALSE(view->connection().isPortOpen()) << "the port was closed before and is closed again";
}

TEST_F(FirmwareWindowTest, ABoardThatKeepsItsAddressAfterAReadIsVerifiedToo) {
    sim::SimOptions fixed;
    fixed.readBackAdvances = false;
    startRegulator(fixed);
    chosenFile = writeHexFile(hextest::image({{0x000300, pattern(0x100, 6)}}));
    regulator->setBadFlashWord(0x000346);
    QString failed;
    bool accepted = false;
    runCommand([&](CFirmwareDownloadDlg& d) {
        d.button(CFirmwareDownloadDlg::Download)->click();
        ASSERT_TRUE(spinUntil([&] { return idle(d); }, kGenerousMs));
        failed = d.statusLabel()->text();
        EXPECT_TRUE(regulator->inBootLoader());
        regulator->clearFaults();   // the word takes the next write
        QObject::connect(&d, &QDialog::accepted, [&] { accepted = true; });
        d.button(CFirmwareDownloadDlg::Download)->click();
        EXPECT_TRUE(spinUntil([&] { return accepted; }, kGenerousMs)) << d.statusLabel()->text().toStdString();
        EXPECT_TRUE(d.statusLabel()->text().startsWith("Verify ok, time ")) << d.statusLabel()->text().toStdString();
    });
    EXPECT_TRUE(failed.startsWith("Verify error at 000346, time ")) << failed.toStdString();
    EXPECT_TRUE(accepted);
    EXPECT_FALSE(regulator->inBootLoader());
}

TEST_F(FirmwareWindowTest, AnOperationEndingBeforeTheDialogsLoopFinishesUnderANestedLoop) {
    // The board identification ends while the UI thread is still in the show
    // event, before the dialog's loop runs; the first thing that loop then
    // runs is an older posted event that waits in a nested loop for the
    // dialog. The dialog must get going all the same (the worker's queued
    // call is held back behind that event).
    delayAfterWorkerStart(300);
    startRegulator();
    goOnline();
    bool started = false;
    QString board;
    QTimer::singleShot(0, view, [&] {
        started = spinUntil([&] { return view->firmwareDialog() && view->firmwareDialog()->started(); }, 10000);
        CFirmwareDownloadDlg* d = view->firmwareDialog();
        if (!d) return;
        board = d->boardLabel()->text();
        if (started) {
            d->button(CFirmwareDownloadDlg::Cancel)->click();
            spinUntil([d] { return !d->isVisible(); }, 10000);
        }
        if (d->isVisible()) d->done(QDialog::Rejected);   // a stuck dialog fails the test, not the run
    });
    frame->command(cmd::DownloadFirmware)->trigger();
    EXPECT_TRUE(started);
    EXPECT_EQ(board.toStdString(), "BL-- with id 2A3 is Unlocked");
    EXPECT_EQ(received("g").size(), 1u);
}

TEST_F(FirmwareWindowTest, WithoutABoardDownloadIsRefused) {
    startRegulator();
    regulator->setFault(sim::Fault::NoEcho);
    view->connection().link().setTimeout(0.3);
    QString refusal;
    runCommand([&](CFirmwareDownloadDlg& d) {
        EXPECT_EQ(d.boardLabel()->text(), "<no board detected>");
        EXPECT_EQ(d.pathLabel()->text(), "<not selected>") << "the chooser was cancelled";
        closeNextMessageBox(&refusal);
        d.button(CFirmwareDownloadDlg::Download)->click();
    });
    EXPECT_EQ(refusal, "Error - Board ID not valid");
}

TEST_F(FirmwareWindowTest, AnInvalidFileIsRefusedAndCancelStartsTheUserProgram) {
    startRegulator();
    chosenFile = writeHexFile(":10030000FFFF\nnot a record\n", QStringLiteral("broken.hex"));
    QString fileError, refusal;
    closeNextMessageBox(&fileError);   // the check right after the chooser
    runCommand([&](CFirmwareDownloadDlg& d) {
        EXPECT_EQ(d.fileInfoLabel()->text(), "<not a valid intelhex file>");
        closeNextMessageBox(&refusal);
        d.button(CFirmwareDownloadDlg::Download)->click();
        EXPECT_TRUE(received("g").empty());
        d.button(CFirmwareDownloadDlg::Cancel)->click();
        EXPECT_TRUE(spinUntil([&] { return !d.isVisible(); }, kGenerousMs));
    });
    EXPECT_EQ(fileError.toStdString(), "File error - The file is not a Intelhex file we support: "
                                       "line 1: short record: 13 characters where its byte count needs 43");
    EXPECT_EQ(refusal, "Error - File not valid");
    EXPECT_EQ(received("g").size(), 1u) << "Cancel sends g even when nothing was written";
    EXPECT_TRUE(received("p").empty());
}

TEST_F(FirmwareWindowTest, EqualRatesWithThePortOpenSendNoBootCommandAndKeepThePort) {
    startRegulator();
    goOnline();
    ASSERT_EQ(view->setup().baudRate, view->setup().bootBaudRate);
    regulator->clearReceived();
    bool stayedOpen = true;
    runCommand([&](CFirmwareDownloadDlg& d) {
        stayedOpen = view->connection().isPortOpen() && view->connection().isLinkUp();
        d.button(CFirmwareDownloadDlg::Cancel)->click();
        EXPECT_TRUE(spinUntil([&] { return !d.isVisible(); }, kGenerousMs));
    });
    EXPECT_TRUE(stayedOpen);
    // One "$B" (the dialog's board id, "$B\n\r"); the firmware's "$B\r\n" would be a second.
    EXPECT_EQ(received("$B").size(), 1u);
    EXPECT_EQ(view->connection().mode(), ConnectionManager::ModeOnline);
    EXPECT_EQ(view->connection().messageText(), " Restart new firmware") << "nothing was written";
}

TEST_F(FirmwareWindowTest, DifferentRatesEnterTheLoaderAndRestoreTheModeAfterwards) {
    startRegulator();
    view->setup().bootBaudRate = 57600;
    goOnline();
    regulator->clearReceived();
    runCommand([&](CFirmwareDownloadDlg& d) {
        EXPECT_TRUE(view->connection().isPortOpen());
        EXPECT_EQ(d.boardLabel()->text().toStdString(), "BL17 with id 2A3 is Unlocked")
            << "the banner of the firmware's $B carries the revision";
        d.button(CFirmwareDownloadDlg::Cancel)->click();
        EXPECT_TRUE(spinUntil([&] { return !d.isVisible(); }, kGenerousMs));
    });
    EXPECT_TRUE(view->connection().isPortOpen());
    EXPECT_EQ(view->connection().mode(), ConnectionManager::ModeOnline);
    EXPECT_TRUE(spinUntil([&] { return regulator->streaming(); }, kGenerousMs));
    // The firmware's "$B\r\n" first, then the mode change's "$A\r" (which
    // the loader ignores), the dialog's board id, "g" from Cancel and, back
    // online, the stream's "$A7" (read once the board has it).
    EXPECT_EQ(regulator->receivedCommands(), (std::vector<std::string>{"$B", "$A", "$B", "i", "g", "$A7"}));
}

TEST_F(FirmwareWindowTest, ClosingIsRefusedWhileWritingAndTheWindowKeepsRepainting) {
    sim::SimOptions paced;
    paced.baud = 115200;   // about 10 ms a record: the write takes seconds
    startRegulator(paced);
    chosenFile = writeHexFile(hextest::image({{0x000300, pattern(0x1800, 5)}}));
    runCommand([&](CFirmwareDownloadDlg& d) {
        d.verifyCheck()->setChecked(false);
        d.button(CFirmwareDownloadDlg::Download)->click();
        ASSERT_TRUE(spinUntil([&] { return d.progressBar()->value() >= 40; }, kGenerousMs));
        for (QPushButton* b : d.findChildren<QPushButton*>()) EXPECT_FALSE(b->isEnabled()) << b->text().toStdString();
        EXPECT_FALSE(d.verifyCheck()->isEnabled());
        EXPECT_TRUE(d.statusLabel()->text().startsWith(" Writing at ")) << d.statusLabel()->text().toStdString();
        EXPECT_TRUE(d.progressLabel()->text().startsWith("Record ")) << d.progressLabel()->text().toStdString();
        EXPECT_TRUE(d.progressLabel()->text().contains(" s left"));
        EXPECT_EQ(d.progressBar()->maximum(), 1 + 0x1800 / 16 + 1);
        EXPECT_FALSE(d.close());
        d.reject();
        QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
        QApplication::sendEvent(&d, &escape);
        spinFor(100);
        EXPECT_TRUE(d.isVisible()) << "the dialog stays while the loop runs";
        const int before = d.progressBar()->value();
        EXPECT_TRUE(spinUntil([&] { return d.progressBar()->value() > before; }, kGenerousMs))
            << "the progress moves while the window handles events";
    });
    EXPECT_EQ(received("d01").size(), 0u) << "verification was switched off";
}

TEST_F(FirmwareWindowTest, APortThatDoesNotOpenIsReportedAndNoDialogIsShown) {
    view->setup().portName = QDir(workDir.path()).filePath(QStringLiteral("no-such-tty")).toStdString();
    QString shown;
    closeNextMessageBox(&shown);
    frame->command(cmd::DownloadFirmware)->trigger();
    EXPECT_EQ(shown.toStdString(), "On open port - error\nError 6 [Cmd open error]");
    EXPECT_TRUE(offered.isNull()) << "the dialog did not run";
    EXPECT_FALSE(view->connection().isPortOpen());
    EXPECT_EQ(view->connection().mode(), ConnectionManager::ModeSearch);
}

TEST(FirmwareDialog, ServiceButtonsOnlyInServiceModeWithTheirToolTips) {
    SerialManager unopened;
    SerialBootLoaderLink link(unopened);
    CFirmwareDownloadDlg plain(link, false, QString());
    CFirmwareDownloadDlg service(link, true, QString());
    using B = CFirmwareDownloadDlg;
    const std::pair<B::Button, const char*> tips[] = {
        {B::Go, "Start to run user software. This will exit firmware mode"},
        {B::BoardId, "Enter firmware mode, and get ID"},
        {B::SearchBoard, "Enter firmware mode by searching after the board"},
        {B::SelectFile, "Select a new firmware file"}};
    for (const auto& [b, tip] : tips) {
        EXPECT_TRUE(plain.button(b)->isHidden());
        EXPECT_FALSE(service.button(b)->isHidden());
        EXPECT_EQ(service.button(b)->toolTip(), tip);
    }
    for (B::Button b : {B::Download, B::Cancel}) {
        EXPECT_FALSE(plain.button(b)->isHidden());
        EXPECT_FALSE(service.button(b)->isHidden());
    }
    EXPECT_TRUE(plain.button(B::Download)->isDefault());
    EXPECT_EQ(plain.fileInfoLabel()->text(), "Fileinfo");
    EXPECT_EQ(plain.pathLabel()->text(), "<select intelhex file>");
    EXPECT_EQ(plain.boardLabel()->text(), "<no board found>");
}
