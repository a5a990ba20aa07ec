// Honest command results, Enter in the form's fields, the STOP
// double-click, the status text's double-click and exiting while a log
// records, on the window against the virtual regulator.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QKeyEvent>
#include <QListWidget>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <cstdlib>

#include "app/command_ids.h"
#include "app/connection_manager.h"
#include "app/global_setup.h"
#include "app/main_frame.h"
#include "params/parameter_fields.h"
#include "params/tq_interface_doc.h"
#include "runtime/runtime_fan_out.h"
#include "sim/virtual_regulator.h"
#include "test_support.h"
#include "ui/pages/sensor_page.h"
#include "ui/status_panel.h"
#include "ui/tab_strip.h"
#include "ui/tq_interface_view.h"
#include "ui/widgets/numeric_entry.h"

namespace {

class WindowOnRegulator : public ::testing::Test {
protected:
    void SetUp() override {
        previousDir = QDir::currentPath();
        QDir::setCurrent(workDir.path());
        std::string error;
        ASSERT_TRUE(regulator.start(&error)) << error;
        frame = new CMainFrame;
        view = new CTQ_InterfaceView(frame, &document, regulator.slavePath());
        frame->setCentralWidget(view);
        document.OnNewDocument();
        view->initialUpdate();
        frame->show();
    }
    void TearDown() override {
        delete frame;
        QDir::setCurrent(previousDir);
    }
    bool goOnline() {
        view->connection().connectPort();
        return spinUntil([&] { return view->connection().mode() == ConnectionManager::ModeOnline; }, 8000);
    }
    bool sent(const std::string& command) const {
        const auto c = regulator.receivedCommands();
        return std::find(c.begin(), c.end(), command) != c.end();
    }
    // "$Q" and "$W" wait for no echo: the board may have them a moment
    // after the click returns.
    bool arrives(const std::string& command) const {
        return spinUntil([&] { return sent(command); }, 5000);
    }

    QTemporaryDir workDir;
    QString previousDir;
    sim::VirtualRegulator regulator;
    CTQ_InterfaceDoc document;
    CMainFrame* frame = nullptr;
    CTQ_InterfaceView* view = nullptr;
};

// Answers the next modal message box with `button` and records its text and
// default button.
void answerNextMessageBox(QMessageBox::StandardButton button, QString* text,
                          QMessageBox::StandardButton* defaultButton = nullptr) {
    auto* poll = new QTimer;
    QObject::connect(poll, &QTimer::timeout, poll, [poll, button, text, defaultButton] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box) return;
        *text = box->text();
        if (defaultButton) *defaultButton = box->standardButton(box->defaultButton());
        box->button(button)->click();
        poll->deleteLater();
    });
    poll->start(20);
}

// Gives `target` the focus and presses `key` on the widget that has it, as
// the keyboard does; false when the focus did not arrive.
bool pressOnFocus(QWidget* target, int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    target->window()->activateWindow();
    target->setFocus(Qt::OtherFocusReason);
    if (!spinUntil([target] { return QApplication::focusWidget() == target; }, 3000)) return false;
    const QString text = key == Qt::Key_Return || key == Qt::Key_Enter ? QStringLiteral("\r") : QString();
    QKeyEvent press(QEvent::KeyPress, key, modifiers, text);
    QKeyEvent release(QEvent::KeyRelease, key, modifiers, text);
    QApplication::sendEvent(QApplication::focusWidget(), &press);
    QApplication::sendEvent(QApplication::focusWidget(), &release);
    return true;
}

void typeText(QLineEdit* edit, const QString& text) {
    edit->selectAll();
    for (QChar c : text) {
        QKeyEvent press(QEvent::KeyPress, c.unicode(), Qt::NoModifier, QString(c));
        QApplication::sendEvent(edit, &press);
    }
}

void doubleClick(QWidget* target) {
    const QPointF at(target->rect().center());
    QMouseEvent press(QEvent::MouseButtonPress, at, target->mapToGlobal(at), Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QMouseEvent release(QEvent::MouseButtonRelease, at, target->mapToGlobal(at), Qt::LeftButton, Qt::NoButton,
                        Qt::NoModifier);
    QMouseEvent twice(QEvent::MouseButtonDblClick, at, target->mapToGlobal(at), Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QApplication::sendEvent(target, &press);
    QApplication::sendEvent(target, &release);
    QApplication::sendEvent(target, &twice);
    QMouseEvent release2(QEvent::MouseButtonRelease, at, target->mapToGlobal(at), Qt::LeftButton, Qt::NoButton,
                         Qt::NoModifier);
    QApplication::sendEvent(target, &release2);
}

}  // namespace

// A command that fails says so with its code and text; success keeps the
// plain message.
TEST_F(WindowOnRegulator, FailedFlashAndRebootCommandsShowTheErrorText) {
    ConnectionManager& c = view->connection();
    ASSERT_TRUE(goOnline());
    EXPECT_EQ(c.saveToFlash(), 0);
    EXPECT_EQ(c.messageText(), " Save regulator parameters to FLASH");

    regulator.setFault(sim::Fault::NoEcho);  // no regulator answering
    const int failed = c.saveToFlash();
    EXPECT_NE(failed, 0);
    EXPECT_EQ(c.messageText(), QStringLiteral(" Save regulator parameters to FLASH error - error %1 [%2]")
                                   .arg(failed).arg(QString::fromLatin1(resultText(failed))));
    regulator.clearFaults();

    c.disconnectPort();  // with the port closed every command fails at once
    struct Case {
        int (ConnectionManager::*command)();
        const char* message;
    };
    for (const Case& k : {Case{&ConnectionManager::readFromFlash, "Load regulator parameters from FLASH"},
                          Case{&ConnectionManager::flashToDefault, "Set regulator FLASH to default"},
                          Case{&ConnectionManager::rebootRegulator, "Reboot regulator"},
                          Case{&ConnectionManager::saveToFlash, "Save regulator parameters to FLASH"}}) {
        const int result = (c.*k.command)();
        EXPECT_NE(result, 0) << k.message;
        EXPECT_EQ(c.messageText(), QStringLiteral(" %1 error - error %2 [%3]")
                                       .arg(QString::fromLatin1(k.message)).arg(result)
                                       .arg(QString::fromLatin1(resultText(result))));
    }
}

// Enter in an entry field takes the value typed there and goes no further:
// on every parameter page the regulator keeps running and the flags
// (Autostart among them) keep their value. Only an Enter on STOP itself,
// with the focus there, stops the regulator; SEND takes no Enter at all.
TEST_F(WindowOnRegulator, EnterInAFieldTakesTheValueAndNeverStopsTheRegulator) {
    ASSERT_TRUE(goOnline());
    document.regulatorFlags = 6u | kRegulatorAutostart;  // PID, autostart
    document.fan1Mode = 4;
    document.alarmEnable2 = 0xFF;
    view->onDocumentUpdate();
    const ParameterSet flagsBefore = document;
    regulator.clearReceived();
    document.SetModifiedFlag(false);

    struct Entry {
        CTQ_InterfaceView::Page page;
        const char* field;
        const char* typed;
        int key;
        Qt::KeyboardModifiers modifiers;
    };
    const Entry entries[] = {
        {CTQ_InterfaceView::BasePage, "st1", "15", Qt::Key_Return, Qt::NoModifier},
        {CTQ_InterfaceView::AlarmPage, "t1High", "61.5", Qt::Key_Enter, Qt::KeypadModifier},
        {CTQ_InterfaceView::FanPage, "fan1SetPoint", "27", Qt::Key_Return, Qt::NoModifier},
        {CTQ_InterfaceView::RegulatorPage, "kP", "12.5", Qt::Key_Enter, Qt::KeypadModifier},
    };
    for (const Entry& e : entries) {
        SCOPED_TRACE(e.field);
        view->tabs()->setCurrentIndex(e.page);
        auto* edit = view->page(e.page)->findChild<NumericEdit*>(QString::fromLatin1(e.field));
        ASSERT_NE(edit, nullptr);
        ASSERT_TRUE(edit->isEnabled());
        bool finished = false;
        QObject::connect(edit, &QLineEdit::editingFinished, edit, [&finished] { finished = true; });
        typeText(edit, QString::fromLatin1(e.typed));
        ASSERT_TRUE(pressOnFocus(edit, e.key, e.modifiers));
        EXPECT_TRUE(finished) << "Enter commits the field";
        EXPECT_EQ(FindParameterField(e.field)->value(document), std::atof(e.typed));
        EXPECT_EQ(edit->text(), QString::fromLatin1(e.typed));
    }
    EXPECT_TRUE(document.IsModified());

    // The Sensor page has no entry field: Enter on its list changes nothing.
    view->tabs()->setCurrentIndex(CTQ_InterfaceView::SensorPage);
    ASSERT_TRUE(pressOnFocus(static_cast<CSensorPage*>(view->page(CTQ_InterfaceView::SensorPage))->list(1),
                             Qt::Key_Return));
    spinFor(300);  // anything the keys set off has gone out
    EXPECT_FALSE(sent("$Q"));
    EXPECT_EQ(view->connection().mode(), ConnectionManager::ModeOnline);
    EXPECT_NE(view->panel()->messageText(), " Stop regulator");
    for (const char* flags : {"regulatorFlags", "fan1Mode", "fan2Mode", "alarmEnable1", "alarmEnable2"})
        EXPECT_EQ(FindParameterField(flags)->value(document), FindParameterField(flags)->value(flagsBefore))
            << flags;

    // SEND takes no Enter, even with the focus: it would start the regulator.
    ASSERT_TRUE(pressOnFocus(view->panel()->sendButton(), Qt::Key_Return));
    spinFor(300);
    EXPECT_FALSE(sent("$W"));
    ASSERT_TRUE(pressOnFocus(view->panel()->stopButton(), Qt::Key_Return));
    EXPECT_TRUE(arrives("$Q"));
    EXPECT_EQ(document.regulatorFlags & kRegulatorAutostart, 0u);
}

// The first click stops the regulator; the double-click asks before the
// reboot, with No as the default, and No sends nothing more.
TEST_F(WindowOnRegulator, StopDoubleClickAsksBeforeRebooting) {
    ASSERT_TRUE(goOnline());
    QPushButton* stop = view->panel()->stopButton();
    regulator.clearReceived();
    QString asked;
    QMessageBox::StandardButton preset = QMessageBox::NoButton;
    answerNextMessageBox(QMessageBox::No, &asked, &preset);
    doubleClick(stop);
    EXPECT_EQ(asked, "Reboot the regulator? It starts again with the parameters in its FLASH.");
    EXPECT_EQ(preset, QMessageBox::No);
    EXPECT_TRUE(arrives("$Q"));
    EXPECT_FALSE(sent("$BC"));
    EXPECT_EQ(view->panel()->messageText(), " Stop regulator");

    regulator.clearReceived();
    asked.clear();
    answerNextMessageBox(QMessageBox::Yes, &asked);
    doubleClick(stop);
    EXPECT_FALSE(asked.isEmpty());
    EXPECT_TRUE(arrives("$Q"));
    EXPECT_TRUE(sent("$BC"));
    EXPECT_EQ(view->panel()->messageText(), " Reboot regulator");
}

// The commands that replace what the regulator holds ask first, No being
// the default; No sends nothing.
TEST_F(WindowOnRegulator, FlashAndRebootCommandsAskFirst) {
    ASSERT_TRUE(goOnline());
    const struct {
        int id;
        const char* command;
        const char* question;
    } commands[] = {{cmd::FlashToDefault, "$RC", "Set the regulator's FLASH to default?"},
                    {cmd::ReadFromFlash, "$BC", "Read the parameters from the regulator's FLASH?"},
                    {cmd::RebootRegulator, "$BC", "Reboot the regulator?"}};
    for (const auto& c : commands) {
        SCOPED_TRACE(c.question);
        regulator.clearReceived();
        QString asked;
        QMessageBox::StandardButton preset = QMessageBox::NoButton;
        answerNextMessageBox(QMessageBox::No, &asked, &preset);
        frame->command(c.id)->trigger();
        EXPECT_TRUE(asked.startsWith(QString::fromLatin1(c.question))) << asked.toStdString();
        EXPECT_EQ(preset, QMessageBox::No);
        spinFor(300);
        EXPECT_FALSE(sent(c.command));
        answerNextMessageBox(QMessageBox::Yes, &asked);
        frame->command(c.id)->trigger();
        EXPECT_TRUE(arrives(c.command));
        ASSERT_TRUE(spinUntil([&] { return view->connection().mode() == ConnectionManager::ModeOnline; }, 10000));
    }
}

// The alarm latches are reset by the double-click even with the port closed;
// "$SC" goes out only with the port open.
TEST_F(WindowOnRegulator, StatusTextDoubleClickResetsTheLatchesWithThePortClosed) {
    AlarmLatch& latch = view->fanOut().alarmLatch();
    latch.decode(0x00010004u);
    ASSERT_NE(latch.low() | latch.high(), 0);
    ASSERT_FALSE(view->connection().isPortOpen());
    doubleClick(view->panel()->statusLabel());
    EXPECT_EQ(latch.low(), 0);
    EXPECT_EQ(latch.high(), 0);
    EXPECT_FALSE(sent("$SC"));

    ASSERT_TRUE(goOnline());
    latch.decode(0x00010004u);
    doubleClick(view->panel()->statusLabel());
    // Online, a sample that arrives after the reset latches the board's own
    // word again (its start-up delay, bit 0); the alarms of before are gone.
    EXPECT_EQ(latch.low() & 0x0004, 0);
    EXPECT_EQ(latch.high() & 0x0001, 0);
    EXPECT_TRUE(arrives("$SC"));
}

// Closing the window with a log recording asks first; Yes ends the log with
// its stop lines, No keeps both the window and the log.
TEST_F(WindowOnRegulator, ExitWhileLoggingAsksAndEndsTheLogWithItsStopLines) {
    ASSERT_TRUE(goOnline());
    const QString path = QDir(workDir.path()).filePath("exit.txt");
    ASSERT_TRUE(view->startLogInto(path));
    ASSERT_TRUE(spinUntil([&] { return view->runtimeLog().rowCount() > 2; }, 5000));

    QString asked;
    QMessageBox::StandardButton preset = QMessageBox::NoButton;
    answerNextMessageBox(QMessageBox::No, &asked, &preset);
    EXPECT_FALSE(frame->close());
    EXPECT_EQ(asked, "A log file is being recorded. Stop the log and exit?");
    EXPECT_EQ(preset, QMessageBox::No);
    EXPECT_TRUE(view->runtimeLog().isOpen());
    EXPECT_TRUE(frame->isVisible());

    answerNextMessageBox(QMessageBox::Yes, &asked);
    EXPECT_TRUE(frame->close());
    EXPECT_FALSE(view->runtimeLog().isOpen());
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QStringList lines = QString::fromLatin1(f.readAll()).split('\n');
    ASSERT_GE(lines.size(), 4);
    EXPECT_TRUE(lines[lines.size() - 4].startsWith("STOP LOGG - "));
}
