// The Sensor page: record lists and summaries, the calibration editor,
// Copy and Paste through the Edit menu and the context menu.
#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>

#include "app/command_ids.h"
#include "page_test_support.h"
#include "ui/dialogs/calibration_editor_dialog.h"
#include "ui/pages/sensor_page.h"
#include "ui/widgets/numeric_entry.h"

namespace {

class SensorPageTest : public PageWindowTest {
protected:
    void SetUp() override {
        PageWindowTest::SetUp();
        frame->activateWindow();
        ASSERT_TRUE(spinUntil([&] { return frame->isActiveWindow(); }, 3000));
        sensor = page<CSensorPage>(CTQ_InterfaceView::SensorPage);
        ASSERT_NE(sensor, nullptr);
    }
    QAction* command(int id) const { return frame->command(id); }
    // Gives a slot's list the focus and lets the Edit commands follow.
    void focusList(int slot) {
        frame->activateWindow();
        ASSERT_TRUE(spinUntil([&] { return frame->isActiveWindow(); }, 3000));
        sensor->list(slot)->setFocus();
        ASSERT_TRUE(spinUntil([&] { return sensor->focusedSlot() == slot; }, 2000));
        view->updateCommandUi();
    }
    // Answers the next message box with `button` and remembers its text.
    void answerNextBox(QMessageBox::StandardButton button) {
        onNextModal([this, button](QWidget* w) {
            auto* box = qobject_cast<QMessageBox*>(w);
            ASSERT_NE(box, nullptr);
            question = box->text();
            box->button(button)->click();
        });
    }

    CSensorPage* sensor = nullptr;
    QString question;
};

}  // namespace

TEST_F(SensorPageTest, ListsShowTheRecordsTheSelectionAndItsSummary) {
    for (int slot = 1; slot <= 4; ++slot) ASSERT_EQ(sensor->list(slot)->count(), 32);
    EXPECT_EQ(sensor->list(1)->item(6)->text(), "Unkown 7");
    EXPECT_EQ(sensor->list(4)->currentRow(), 3);
    EXPECT_TRUE(sensor->summary(4)->text().startsWith("[3] REL-09060\n\nGain\t1\nOffset\t0\n"));
    sensor->list(3)->setCurrentRow(4);
    EXPECT_EQ(document.sensor3.select, 4u);
    EXPECT_EQ(sensor->summary(3)->text(), QString::fromStdString(CalibrationSummary(4, document.sensor3.records[4])));
    EXPECT_TRUE(sensor->summary(3)->text().contains("PT mode"));
    EXPECT_TRUE(document.IsModified());
    EXPECT_TRUE(frame->windowTitle().endsWith(" *"));
}

// Points that make no curve (all 0 as an unknown record starts, falling
// temperatures, a resistance of 0) are refused by name and the record stays;
// three sound points make it an NTC record.
TEST_F(SensorPageTest, EditorRefusesPointsThatMakeNoCurveAndTakesSoundOnes) {
    sensor->list(2)->setCurrentRow(6);
    document.SetModifiedFlag(false);
    const SensorCalibration before = document.sensor2.records[6];
    QStringList refusals;
    onNextModal([&refusals](QWidget* w) {
        auto* dialog = qobject_cast<CCalibrationEditorDlg*>(w);
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(dialog->windowTitle(), "Change Temperature Calibration Data");
        EXPECT_EQ(dialog->nameEdit()->text(), "Unkown 7");
        EXPECT_EQ(dialog->modeList()->currentText(), "NTC Stainhart mode");
        for (int i = 0; i < 6; ++i) EXPECT_EQ(dialog->pointEdit(i)->text(), "0");
        auto refusedWith = [&](const QStringList& points) {
            const qsizetype n = refusals.size();
            for (int i = 0; i < 6; ++i) typeInto(dialog->pointEdit(i), points[i]);
            onNextModal([&refusals](QWidget* box) {
                auto* message = qobject_cast<QMessageBox*>(box);
                ASSERT_NE(message, nullptr);
                refusals << message->text();
                message->accept();
            });
            dialog->accept();
            EXPECT_EQ(refusals.size(), n + 1);
            EXPECT_TRUE(dialog->isVisible());
        };
        refusedWith({"0", "0", "0", "0", "0", "0"});
        refusedWith({"273.15", "32650", "260", "10000", "358.15", "970"});   // T mid below T low
        refusedWith({"273.15", "32650", "298.15", "0", "358.15", "970"});     // a resistance of 0
        for (int i = 0; i < 6; ++i)
            typeInto(dialog->pointEdit(i), QStringList{"273.15", "32650", "298.15", "10000", "358.15", "970"}[i]);
        dialog->accept();
    });
    sensor->editButton(2)->click();
    ASSERT_EQ(refusals.size(), 3);
    EXPECT_TRUE(refusals[0].contains("above 0 kelvin"));
    EXPECT_TRUE(refusals[1].contains("The temperatures must rise"));
    EXPECT_TRUE(refusals[2].contains("above 0 ohm"));
    const SensorCalibration& r = document.sensor2.records[6];
    EXPECT_EQ(r.type, 4u);
    EXPECT_EQ(r.d[2], 298.15f);
    EXPECT_EQ(r.d[5], 970.0f);
    EXPECT_NE(std::memcmp(&before, &r, sizeof r), 0);
    EXPECT_TRUE(document.IsModified());
    EXPECT_TRUE(sensor->summary(2)->text().contains("NTC steinhart mode"));
}

TEST_F(SensorPageTest, EditorWritesThePtModeAndCancelChangesNothing) {
    const SensorCalibrationEx before = document.sensor1.records[1];
    onNextModal([](QWidget* w) {
        auto* dialog = qobject_cast<CCalibrationEditorDlg*>(w);
        ASSERT_NE(dialog, nullptr);
        typeInto(dialog->pointEdit(0), QStringLiteral("1"));
        dialog->reject();
    });
    sensor->editButton(1)->click();
    EXPECT_EQ(std::memcmp(&before, &document.sensor1.records[1], sizeof before), 0);
    EXPECT_FALSE(document.IsModified());

    onNextModal([](QWidget* w) {
        auto* dialog = qobject_cast<CCalibrationEditorDlg*>(w);
        ASSERT_NE(dialog, nullptr);
        // The PT edits start at the PT100 values for an NTC record.
        EXPECT_EQ(dialog->coefficientEdit(0)->text(), "0.003908");
        dialog->modeList()->setCurrentIndex(1);
        typeInto(dialog->coefficientEdit(2), QStringLiteral("1000"));
        typeInto(dialog->nameEdit(), QStringLiteral("Probe"));
        dialog->accept();
    });
    sensor->editButton(1)->click();
    const SensorCalibrationEx& r = document.sensor1.records[1];
    EXPECT_EQ(r.type, 16u);
    EXPECT_EQ(r.nameText(), "Probe");
    EXPECT_EQ(r.d[0], 0.003908f);
    EXPECT_EQ(r.d[1], -5.775e-07f);
    EXPECT_EQ(r.d[2], 1000.0f);
    EXPECT_EQ(r.d[3], 0.0f);
    EXPECT_EQ(r.potGain, 10u);
    EXPECT_EQ(sensor->list(1)->item(1)->text(), "Probe");
    EXPECT_TRUE(document.IsModified());
}

TEST_F(SensorPageTest, CopyFromSensorTwoPastesIntoSensorOneWithItsPotValues) {
    document.sensor1.records[1].potGain = 3;
    document.sensor1.records[1].potOffset = 4;
    sensor->list(2)->setCurrentRow(2);  // TC-NTC-2
    document.SetModifiedFlag(false);
    focusList(2);
    ASSERT_TRUE(command(cmd::EditCopy)->isEnabled());
    command(cmd::EditCopy)->trigger();
    EXPECT_EQ(sensor->clipboard().record().nameText(), "TC-NTC-2");

    focusList(1);
    answerNextBox(QMessageBox::No);
    command(cmd::EditPaste)->trigger();
    EXPECT_EQ(question, "Would you like to replace sensor data 1 with new data?");
    EXPECT_EQ(document.sensor1.records[1].nameText(), "TC-NTC-1");
    EXPECT_FALSE(document.IsModified());

    focusList(1);  // back from the message box
    answerNextBox(QMessageBox::Yes);
    command(cmd::EditPaste)->trigger();
    const SensorCalibrationEx& r = document.sensor1.records[1];
    EXPECT_EQ(r.nameText(), "TC-NTC-2");
    EXPECT_EQ(r.potGain, 10u);
    EXPECT_EQ(r.potOffset, 128u);
    EXPECT_EQ(r.d[1], 48976.5f);
    EXPECT_TRUE(document.IsModified());
    EXPECT_EQ(sensor->list(1)->item(1)->text(), "TC-NTC-2");
    EXPECT_TRUE(sensor->summary(1)->text().startsWith("[1] TC-NTC-2"));
}

TEST_F(SensorPageTest, ContextMenuCopiesTheSlotsRecord) {
    sensor->list(4)->setCurrentRow(5);  // PT1000
    auto* timer = new QTimer(sensor);
    QObject::connect(timer, &QTimer::timeout, [timer] {
        if (auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget())) {
            timer->stop();
            ASSERT_EQ(menu->actions().size(), 1);
            EXPECT_EQ(menu->actions().first()->text(), "Copy");
            menu->actions().first()->trigger();
            menu->close();
        }
    });
    timer->start(10);
    emit sensor->list(4)->customContextMenuRequested(QPoint(5, 5));
    EXPECT_EQ(sensor->clipboard().record().nameText(), "PT1000");
    EXPECT_EQ(sensor->clipboard().record().type, 16u);
}

TEST_F(SensorPageTest, EditCommandsAreEnabledOnlyWhereTheyAct) {
    view->tabs()->setCurrentIndex(CTQ_InterfaceView::BasePage);
    view->updateCommandUi();
    for (int id : {cmd::EditUndo, cmd::EditCut, cmd::EditCopy, cmd::EditPaste})
        EXPECT_FALSE(command(id)->isEnabled()) << id;

    view->tabs()->setCurrentIndex(CTQ_InterfaceView::SensorPage);
    focusList(3);
    EXPECT_TRUE(command(cmd::EditCopy)->isEnabled());
    EXPECT_TRUE(command(cmd::EditPaste)->isEnabled());
    EXPECT_FALSE(command(cmd::EditUndo)->isEnabled());
    EXPECT_FALSE(command(cmd::EditCut)->isEnabled());
    // The focus moving to another control takes them away at once.
    sensor->editButton(3)->setFocus();
    ASSERT_TRUE(spinUntil([&] { return sensor->focusedSlot() == 0; }, 2000));
    EXPECT_FALSE(command(cmd::EditCopy)->isEnabled());
    EXPECT_FALSE(command(cmd::EditPaste)->isEnabled());
    // Ctrl+C and Ctrl+V reach them through their shortcuts.
    EXPECT_TRUE(command(cmd::EditCopy)->shortcuts().contains(QKeySequence(Qt::CTRL | Qt::Key_C)));
    EXPECT_TRUE(command(cmd::EditPaste)->shortcuts().contains(QKeySequence(Qt::CTRL | Qt::Key_V)));
}
