#include "ui/dialogs/global_setup_dialog.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QAbstractItemView>
#include <QVBoxLayout>

#include "app/wait_cursor.h"
#include "link/port_list.h"
#include "ui/dialogs/colour_test_list.h"
#include "ui/help/whats_this.h"

namespace {

void fillBaudList(QComboBox* list, int current) {
    list->clear();
    for (std::uint32_t rate : kBaudRates) list->addItem(QString::number(rate), static_cast<qulonglong>(rate));
    list->setCurrentIndex(global_setup::baudChoiceIndex(current));
}

// Some styles lay a group box out by a rectangle smaller than the widget,
// which lets its contents overlap at the smallest dialog size.
QGroupBox* makeGroup(const QString& title, QWidget* parent) {
    auto* group = new QGroupBox(title, parent);
    group->setAttribute(Qt::WA_LayoutUsesWidgetRect);
    return group;
}

}  // namespace

std::vector<std::string> CGlobalSetupDlg::findPorts() {
    return global_setup::portChoices(listPorts(), &global_setup::resolvePortLink);
}

std::optional<std::uint32_t> CGlobalSetupDlg::pickColour(std::uint32_t current, QWidget* parent) {
    const QColor picked =
        QColorDialog::getColor(ColourTestList::toQColor(current), parent, QStringLiteral("Color Picker"));
    if (!picked.isValid()) return std::nullopt;
    return ColourTestList::toColourRef(picked);
}

CGlobalSetupDlg::CGlobalSetupDlg(const GlobalSetupValues& values, const std::vector<std::string>& ports,
                                 QWidget* parent)
    : QDialog(parent), values_(values) {
    WaitCursor wait;
    setWindowTitle(QStringLiteral("Global Setup"));
    setModal(true);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &CGlobalSetupDlg::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CGlobalSetupDlg::reject);

    auto* layout = new QVBoxLayout(this);
    std::vector<std::string> entries = ports;
    for (std::string& remembered : global_setup::rememberedPortChoices(values_.networkPorts, values_.portName))
        entries.push_back(std::move(remembered));
    layout->addWidget(buildSerialGroup(entries));
    fahrenheit_ = new QCheckBox(QStringLiteral("Fahrenheit (otherwise Celsius)"), this);
    ieee_ = new QCheckBox(QStringLiteral("Runtimedata IEEE754 type (high resolution)"), this);
    layout->addWidget(fahrenheit_);
    layout->addWidget(ieee_);
    layout->addWidget(buildLogGroup());
    layout->addWidget(buildGraphGroup(), 1);
    layout->addWidget(buttons);

    // Reading order for the keyboard.
    QWidget* order[] = {port_, baud_, bootBaud_, fahrenheit_, ieee_, sampleRate_, stopAt65000_, penWidth_,
                        colours_, defaultColours_, buttons};
    for (std::size_t i = 1; i < std::size(order); ++i) setTabOrder(order[i - 1], order[i]);

    describeControls(buttons);
    fillFromValues();
}

void CGlobalSetupDlg::describeControls(QDialogButtonBox* buttons) {
    setHelpText(port_, "Port\n\nThe serial port the regulator is connected to. Pick one from the list or type "
                       "a device path. A /dev/serial/by-id name stays the same when a USB adapter is plugged "
                       "in again.\n\nA port shared on the network by a serial server is typed as "
                       "rfc2217://HOST:PORT (the speed is set at the server) or socket://HOST:PORT (plain TCP, "
                       "the speed is fixed at the server); it is remembered in the list.");
    setHelpText(baud_, "Baudrate\n\nThe speed of the serial port for the regulator's protocol, in bits per "
                       "second (110 to 256000). It must match the regulator's own setting.");
    setHelpText(bootBaud_, "Boot Baudrate\n\nThe speed used for the boot loader during a firmware download, in "
                           "bits per second (service mode only).");
    setHelpText(fahrenheit_, "Fahrenheit\n\nWhen checked, temperatures are shown and entered in degrees "
                             "Fahrenheit; otherwise in degrees Celsius. The regulator always works in Celsius.");
    setHelpText(ieee_, "Runtimedata IEEE754 type\n\nWhen checked, the regulator sends its live data as "
                       "IEEE 754 numbers (higher resolution) instead of the short format.");
    setHelpText(sampleRate_, "Sample rate\n\nHow many live samples the log file keeps: 20 per second (every "
                             "sample), 10 per second, 1 per second, or 1 every 10 seconds.");
    setHelpText(stopAt65000_, "Stop at 65000 samples\n\nWhen checked, a log file ends by itself after 65000 "
                              "rows.");
    setHelpText(penWidth_, "Pen width\n\nThe width of the Runtime graph's traces in points, an integer from "
                           "0 to 6 (0 draws the thinnest line).");
    setHelpText(colours_, "Colours\n\nThe colours of the Runtime graph: background, grid and one per channel. "
                          "Double-click a row to choose its colour.");
    setHelpText(defaultColours_, "Set Default Color\n\nPuts every colour of the list back to its default.");
    setHelpText(buttons->button(QDialogButtonBox::Ok),
                "OK\n\nTakes the settings. An open port is closed and opened again with the new port "
                "and speed.");
    setHelpText(buttons->button(QDialogButtonBox::Cancel), "Cancel\n\nCloses the dialog without changing "
                                                           "the settings.");
}

QWidget* CGlobalSetupDlg::buildSerialGroup(const std::vector<std::string>& ports) {
    auto* group = makeGroup(QStringLiteral("Serial port"), this);
    auto* form = new QFormLayout(group);
    port_ = new QComboBox(group);
    port_->setEditable(true);
    port_->setInsertPolicy(QComboBox::NoInsert);
    port_->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    port_->setMinimumContentsLength(24);
    for (const std::string& entry : ports) port_->addItem(QString::fromStdString(entry));
    // The list opens wide enough for the longest entry (the stable names are long).
    port_->view()->setMinimumWidth(port_->view()->sizeHintForColumn(0) + port_->view()->frameWidth() * 2 + 8);
    port_->setToolTip(QStringLiteral("A /dev/serial/by-id name stays the same when a USB adapter is plugged in "
                                     "again, while its /dev/ttyUSBn number may change. A port on the network: "
                                     "rfc2217://HOST:PORT or socket://HOST:PORT."));
    baud_ = new QComboBox(group);
    bootBaud_ = new QComboBox(group);
    bootBaudLabel_ = new QLabel(QStringLiteral("Boot Baudrate"), group);
    auto* note =
        new QLabel(QStringLiteral("All speeds may not be avalible on your computer. Select and try."), group);
    note->setWordWrap(true);
    // A window's smallest size ignores how wrapped text grows: keep room for
    // the two lines the note takes at the dialog's own width.
    note->setMinimumHeight(note->fontMetrics().lineSpacing() * 2);
    form->addRow(QStringLiteral("Port"), port_);
    form->addRow(QStringLiteral("Baudrate"), baud_);
    form->addRow(bootBaudLabel_, bootBaud_);
    form->addRow(note);
    return group;
}

QWidget* CGlobalSetupDlg::buildLogGroup() {
    auto* group = makeGroup(QStringLiteral("Logg file"), this);
    auto* form = new QFormLayout(group);
    sampleRate_ = new QComboBox(group);
    stopAt65000_ = new QCheckBox(QStringLiteral("Stop at 65000 samples"), group);
    form->addRow(QStringLiteral("Sample rate"), sampleRate_);
    form->addRow(stopAt65000_);
    return group;
}

QWidget* CGlobalSetupDlg::buildGraphGroup() {
    auto* group = makeGroup(QStringLiteral("Runtime graph"), this);
    auto* box = new QVBoxLayout(group);
    auto* penRow = new QHBoxLayout;
    penWidth_ = new QLineEdit(group);
    penWidth_->setMaxLength(8);
    penWidth_->setMaximumWidth(penWidth_->fontMetrics().horizontalAdvance(QStringLiteral("00000")) + 16);
    auto* penLabel = new QLabel(QStringLiteral("Pen width (points)"), group);
    penLabel->setBuddy(penWidth_);
    penRow->addWidget(penLabel);
    penRow->addWidget(penWidth_);
    penRow->addStretch(1);
    box->addLayout(penRow);
    colours_ = new ColourTestList(group);
    colours_->setMinimumHeight(colours_->fontMetrics().height() * 12);
    connect(colours_, &ColourTestList::rowDoubleClicked, this, &CGlobalSetupDlg::editColour);
    box->addWidget(colours_, 1);
    defaultColours_ = new QPushButton(QStringLiteral("Set Default Color"), group);
    connect(defaultColours_, &QPushButton::clicked, this, &CGlobalSetupDlg::setDefaultColours);
    auto* buttonRow = new QHBoxLayout;
    buttonRow->addStretch(1);
    buttonRow->addWidget(defaultColours_);
    box->addLayout(buttonRow);
    return group;
}

void CGlobalSetupDlg::fillFromValues() {
    fahrenheit_->setChecked(values_.fahrenheit);
    ieee_->setChecked(values_.ieee);
    stopAt65000_->setChecked(values_.stopAt65000);
    penWidth_->setText(QString::number(values_.penWidth));
    bootBaudLabel_->setVisible(values_.showBootBaudRate);
    bootBaud_->setVisible(values_.showBootBaudRate);

    std::vector<std::string> entries;
    for (int i = 0; i < port_->count(); ++i) entries.push_back(port_->itemText(i).toStdString());
    const int portIndex = global_setup::portChoiceIndex(entries, values_.portName);
    port_->setCurrentIndex(portIndex);
    if (portIndex < 0) port_->setEditText(QString::fromStdString(values_.portName));   // shown as typed

    fillBaudList(baud_, values_.baudRate);
    fillBaudList(bootBaud_, values_.bootBaudRate);

    sampleRate_->clear();
    for (const char* text : global_setup::sampleRateTexts()) sampleRate_->addItem(QString::fromLatin1(text));
    sampleRate_->setCurrentIndex(values_.sampleRateIndex >= 0 && values_.sampleRateIndex < sampleRate_->count()
                                     ? values_.sampleRateIndex
                                     : -1);
    colours_->setColours(values_.colours);
}

void CGlobalSetupDlg::editColour(int row) {
    if (row < 0 || row >= GlobalSetupValues::kColourRows || !picker_) return;
    const std::optional<std::uint32_t> picked = picker_(colours_->colours()[static_cast<std::size_t>(row)], this);
    if (picked) colours_->setRowColour(row, *picked);
}

void CGlobalSetupDlg::setDefaultColours() { colours_->setColours(GlobalSetupValues::defaultColours()); }

void CGlobalSetupDlg::accept() {
    const std::optional<int> pen = global_setup::parsePenWidth(penWidth_->text().toStdString());
    if (!pen) {
        QMessageBox::warning(this, QStringLiteral("TQ_Interface"),
                             QString::fromStdString(global_setup::penWidthMessage()));
        penWidth_->setFocus(Qt::OtherFocusReason);
        penWidth_->selectAll();
        return;
    }
    GlobalSetupValues taken = values_;
    taken.portName = global_setup::portFromText(port_->currentText().toStdString(), values_.portName);
    if (const std::string problem = global_setup::portProblem(taken.portName); !problem.empty()) {
        QMessageBox::warning(this, QStringLiteral("TQ_Interface"), QString::fromStdString(problem));
        port_->setFocus(Qt::OtherFocusReason);
        return;
    }
    taken.baudRate = global_setup::baudFromChoice(baud_->currentIndex(), values_.baudRate);
    taken.bootBaudRate = global_setup::baudFromChoice(bootBaud_->currentIndex(), values_.bootBaudRate);
    if (sampleRate_->currentIndex() >= 0) taken.sampleRateIndex = sampleRate_->currentIndex();
    taken.colours = colours_->colours();
    taken.fahrenheit = fahrenheit_->isChecked();
    taken.ieee = ieee_->isChecked();
    taken.stopAt65000 = stopAt65000_->isChecked();
    taken.penWidth = *pen;
    values_ = taken;
    QDialog::accept();
}
