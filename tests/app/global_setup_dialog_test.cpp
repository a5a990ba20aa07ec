// The global setup dialog on the offscreen platform: its controls, OK and
// Cancel rules, the port preselection and the colour list.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPainter>
#include <QPushButton>
#include <QTimer>

#include "test_support.h"
#include "ui/dialogs/colour_test_list.h"
#include "ui/dialogs/global_setup_dialog.h"

namespace {

const std::vector<std::string> kPorts = {
    "/dev/ttyS0",
    "/dev/serial/by-id/usb-FTDI_FT232R_A900-if00-port0 * stable name of /dev/ttyUSB0, survives re-plugging",
    "/dev/ttyUSB0 * FT232R USB UART",
};

// Answers the next message box: records its text and closes it.
class MessageBoxCatcher {
public:
    MessageBoxCatcher() {
        timer_.setInterval(10);
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                texts_ << box->text();
                box->accept();
            }
        });
        timer_.start();
    }
    const QStringList& texts() const { return texts_; }

private:
    QTimer timer_;
    QStringList texts_;
};

GlobalSetupValues someValues() {
    GlobalSetupValues v;
    v.portName = "/dev/ttyUSB0";
    v.baudRate = 57600;
    v.bootBaudRate = 9600;
    v.penWidth = 2;
    v.sampleRateIndex = 1;
    return v;
}

QPushButton* okButton(const CGlobalSetupDlg& dialog) {
    return dialog.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok);
}

QStringList itemTexts(const QComboBox* list) {
    QStringList texts;
    for (int i = 0; i < list->count(); ++i) texts << list->itemText(i);
    return texts;
}

}  // namespace

TEST(GlobalSetupDialog, ShowsEveryControlFilledFromTheValues) {
    CGlobalSetupDlg dialog(someValues(), kPorts);
    EXPECT_EQ(dialog.windowTitle(), "Global Setup");
    EXPECT_TRUE(dialog.isModal());
    EXPECT_EQ(dialog.portCombo()->count(), 3);
    EXPECT_TRUE(dialog.portCombo()->isEditable());
    EXPECT_EQ(dialog.portCombo()->currentIndex(), 2) << "the bare PORT selects the entry with its description";
    EXPECT_EQ(dialog.baudList()->count(), 15);
    EXPECT_EQ(dialog.baudList()->currentText(), "57600");
    EXPECT_EQ(dialog.baudList()->itemData(12).toULongLong(), 115200u);
    EXPECT_EQ(itemTexts(dialog.bootBaudList()), itemTexts(dialog.baudList()));
    EXPECT_EQ(dialog.bootBaudList()->currentText(), "9600");
    EXPECT_EQ(dialog.fahrenheitBox()->text(), "Fahrenheit (otherwise Celsius)");
    EXPECT_EQ(dialog.ieeeBox()->text(), "Runtimedata IEEE754 type (high resolution)");
    EXPECT_TRUE(dialog.ieeeBox()->isChecked());
    EXPECT_EQ(dialog.penWidthEdit()->text(), "2");
    EXPECT_EQ(itemTexts(dialog.sampleRateList()),
              QStringList({"20 samples/sec", "10 samples/sec", "1 sampe/sec", "1 sample/10 sec"}));
    EXPECT_EQ(dialog.sampleRateList()->currentIndex(), 1);
    EXPECT_EQ(dialog.stopAt65000Box()->text(), "Stop at 65000 samples");
    EXPECT_EQ(dialog.defaultColourButton()->text(), "Set Default Color");
    ASSERT_EQ(dialog.colourList()->topLevelItemCount(), 21);
    EXPECT_EQ(dialog.colourList()->headerItem()->text(0), "Item");
    EXPECT_EQ(dialog.colourList()->headerItem()->text(1), "Color");
    EXPECT_EQ(dialog.colourList()->topLevelItem(0)->text(0), "--Background--");
    EXPECT_EQ(dialog.colourList()->topLevelItem(1)->text(0), "--grid--");
    EXPECT_EQ(dialog.colourList()->topLevelItem(2)->text(0), "  Main ");
    EXPECT_EQ(dialog.colourList()->topLevelItem(20)->text(1), "COLOR TEST");
    bool noteFound = false;
    for (const QLabel* label : dialog.findChildren<QLabel*>())
        noteFound |= label->text() == "All speeds may not be avalible on your computer. Select and try.";
    EXPECT_TRUE(noteFound);
}

TEST(GlobalSetupDialog, BootRateOnlyInServiceModeAndOtherwisePassedThrough) {
    GlobalSetupValues values = someValues();
    {
        CGlobalSetupDlg dialog(values, kPorts);
        dialog.show();
        EXPECT_FALSE(dialog.bootBaudList()->isVisible());
        EXPECT_FALSE(dialog.bootBaudLabel()->isVisible());
        dialog.accept();
        EXPECT_EQ(dialog.result(), QDialog::Accepted);
        EXPECT_EQ(dialog.values().bootBaudRate, 9600);
    }
    values.bootBaudRate = 230400;   // a rate the list does not hold stays as it is
    {
        CGlobalSetupDlg dialog(values, kPorts);
        EXPECT_EQ(dialog.bootBaudList()->currentIndex(), -1);
        dialog.accept();
        EXPECT_EQ(dialog.values().bootBaudRate, 230400);
    }
    values.showBootBaudRate = true;
    CGlobalSetupDlg dialog(values, kPorts);
    dialog.show();
    EXPECT_TRUE(dialog.bootBaudList()->isVisible());
    EXPECT_EQ(dialog.bootBaudLabel()->text(), "Boot Baudrate");
    dialog.bootBaudList()->setCurrentIndex(12);
    dialog.accept();
    EXPECT_EQ(dialog.values().bootBaudRate, 115200);
}

TEST(GlobalSetupDialog, PenWidthOutsideZeroToSixKeepsTheDialogOpen) {
    CGlobalSetupDlg dialog(someValues(), kPorts);
    dialog.show();
    MessageBoxCatcher catcher;
    for (const char* bad : {"7", "-1", "x"}) {
        SCOPED_TRACE(bad);
        dialog.fahrenheitBox()->setFocus();
        dialog.penWidthEdit()->setText(QString::fromLatin1(bad));
        const int shown = catcher.texts().size();
        QTimer::singleShot(0, &dialog, [&] { okButton(dialog)->click(); });
        ASSERT_TRUE(spinUntil([&] { return catcher.texts().size() > shown; }, 5000));
        EXPECT_EQ(catcher.texts().back(), "Please enter an integer between 0 and 6.");
        EXPECT_TRUE(dialog.isVisible());
        EXPECT_EQ(dialog.result(), QDialog::Rejected) << "not accepted";
        EXPECT_EQ(dialog.focusWidget(), dialog.penWidthEdit());
    }
    dialog.penWidthEdit()->setText("0");
    okButton(dialog)->click();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.values().penWidth, 0);
}

TEST(GlobalSetupDialog, PortTakenUpToItsFirstSeparatorAndTypedPortsKept) {
    {
        CGlobalSetupDlg dialog(someValues(), kPorts);
        dialog.portCombo()->setEditText("COM4 *");
        dialog.accept();
        EXPECT_EQ(dialog.values().portName, "COM4");
    }
    {
        CGlobalSetupDlg dialog(someValues(), kPorts);
        dialog.portCombo()->setCurrentIndex(1);
        dialog.accept();
        EXPECT_EQ(dialog.values().portName, "/dev/serial/by-id/usb-FTDI_FT232R_A900-if00-port0");
    }
    GlobalSetupValues unplugged = someValues();
    unplugged.portName = "COM1";   // a fresh store, or an adapter not plugged in
    CGlobalSetupDlg dialog(unplugged, kPorts);
    EXPECT_EQ(dialog.portCombo()->currentIndex(), -1);
    EXPECT_EQ(dialog.portCombo()->currentText(), "COM1");
    dialog.accept();
    EXPECT_EQ(dialog.values().portName, "COM1") << "never replaced by an empty name";
}

TEST(GlobalSetupDialog, NetworkPortTypedIsKeptRememberedAndListedNextTime) {
    GlobalSetupValues start = someValues();
    start.networkPorts = {"socket://[::1]:4001"};
    CGlobalSetupDlg dialog(start, kPorts);
    EXPECT_EQ(itemTexts(dialog.portCombo()).back(), "socket://[::1]:4001 * remembered network port");
    dialog.show();
    MessageBoxCatcher catcher;
    dialog.portCombo()->setEditText("rfc2217://lab-pc");
    QTimer::singleShot(0, &dialog, [&] { okButton(dialog)->click(); });
    ASSERT_TRUE(spinUntil([&] { return !catcher.texts().isEmpty(); }, 5000));
    EXPECT_EQ(catcher.texts().back(), "rfc2217://lab-pc: no port number (the form is rfc2217://HOST:PORT)");
    EXPECT_EQ(dialog.result(), QDialog::Rejected) << "not accepted";
    EXPECT_EQ(dialog.focusWidget(), dialog.portCombo());

    dialog.portCombo()->setEditText(" rfc2217://lab-pc:4000");
    okButton(dialog)->click();
    ASSERT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.values().portName, "rfc2217://lab-pc:4000");
    GlobalSetup setup;
    dialog.values().applyTo(setup);
    EXPECT_EQ(setup.networkPorts, (std::vector<std::string>{"rfc2217://lab-pc:4000", "socket://[::1]:4001"}));

    // Next time both are in the list, the one in use preselected.
    CGlobalSetupDlg again(GlobalSetupValues::fromSetup(setup, false), kPorts);
    const QStringList texts = itemTexts(again.portCombo());
    ASSERT_EQ(texts.size(), 5);
    EXPECT_EQ(texts[3], "rfc2217://lab-pc:4000 * remembered network port");
    EXPECT_EQ(texts[4], "socket://[::1]:4001 * remembered network port");
    EXPECT_EQ(again.portCombo()->currentIndex(), 3);
    again.portCombo()->setCurrentIndex(4);
    again.accept();
    EXPECT_EQ(again.values().portName, "socket://[::1]:4001");
}

TEST(GlobalSetupDialog, CancelTakesNothing) {
    CGlobalSetupDlg dialog(someValues(), kPorts);
    dialog.portCombo()->setEditText("COM9");
    dialog.penWidthEdit()->setText("5");
    dialog.fahrenheitBox()->setChecked(true);
    dialog.colourList()->setRowColour(0, 0x00123456);
    dialog.reject();
    EXPECT_EQ(dialog.values().portName, "/dev/ttyUSB0");
    EXPECT_EQ(dialog.values().penWidth, 2);
    EXPECT_FALSE(dialog.values().fahrenheit);
    EXPECT_EQ(dialog.values().colours[0], 0x005E1E1Eu);
}

TEST(GlobalSetupDialog, DoubleClickPicksAColourAndDefaultsComeBack) {
    GlobalSetupValues values = someValues();
    values.colours[5] = 0x00000001;
    CGlobalSetupDlg dialog(values, kPorts);
    std::vector<std::uint32_t> offered;
    std::optional<std::uint32_t> answer = 0x00ABCDEF;
    dialog.setColourPicker([&](std::uint32_t current, QWidget*) {
        offered.push_back(current);
        return answer;
    });
    dialog.show();
    ColourTestList* list = dialog.colourList();
    QTreeWidgetItem* row = list->topLevelItem(5);
    emit list->itemDoubleClicked(row, 1);
    ASSERT_EQ(offered.size(), 1u);
    EXPECT_EQ(offered[0], 0x00000001u) << "the picker starts from the row's colour";
    EXPECT_EQ(list->colours()[5], 0x00ABCDEFu);

    answer.reset();   // the picker cancelled
    emit list->itemDoubleClicked(list->topLevelItem(0), 0);
    EXPECT_EQ(list->colours()[0], values.colours[0]);

    dialog.setDefaultColours();
    EXPECT_EQ(list->colours(), GlobalSetupValues::defaultColours());
    answer = 0x00224466;
    dialog.editColour(1);
    dialog.accept();
    EXPECT_EQ(dialog.values().colours[1], 0x00224466u);
    EXPECT_EQ(dialog.values().colours[5], GlobalSetupValues::defaultColours()[5]);
}

TEST(GlobalSetupDialog, ColourTestCellsStandOnTheBackgroundColour) {
    auto colours = GlobalSetupValues::defaultColours();
    colours[0] = 0x00102030;   // red 0x30, green 0x20, blue 0x10
    colours[6] = 0x0000FF00;
    QImage image(160, 20, QImage::Format_RGB32);
    QPainter painter(&image);
    ColourTestList::paintColourTest(painter, image.rect(), colours, 6, false, QPalette());
    painter.end();
    EXPECT_EQ(image.pixelColor(1, 1), QColor(0x30, 0x20, 0x10));
    bool sampleDrawn = false;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) sampleDrawn |= image.pixelColor(x, y) == QColor(0, 0xFF, 0);
    EXPECT_TRUE(sampleDrawn) << "the text in the channel's colour";
    EXPECT_EQ(ColourTestList::toColourRef(QColor(0x30, 0x20, 0x10)), 0x00102030u);
}
