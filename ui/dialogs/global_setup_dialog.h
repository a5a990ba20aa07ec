// The global setup dialog: serial port and baud rates, units, runtime data
// format, graph pen width and colours, log sample rate and size limit. It
// edits a GlobalSetupValues; the caller fills it before and takes the values
// back after OK. Its rules live in global_setup_model.h.
#pragma once

#include <QDialog>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "ui/dialogs/global_setup_model.h"

class QCheckBox;
class QDialogButtonBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class ColourTestList;

class CGlobalSetupDlg : public QDialog {
    Q_OBJECT
public:
    // Returns the picked colour, or nothing when the operator cancels.
    using ColourPicker = std::function<std::optional<std::uint32_t>(std::uint32_t current, QWidget* parent)>;

    // `ports` are the entries of the port combo (see findPorts()).
    CGlobalSetupDlg(const GlobalSetupValues& values, const std::vector<std::string>& ports,
                    QWidget* parent = nullptr);

    // The serial ports present, stable names beside their devices.
    static std::vector<std::string> findPorts();
    // The standard picker, titled "Color Picker".
    static std::optional<std::uint32_t> pickColour(std::uint32_t current, QWidget* parent);

    // Valid after OK.
    const GlobalSetupValues& values() const { return values_; }
    void setColourPicker(ColourPicker picker) { picker_ = std::move(picker); }

    // Checks the pen width and takes every value; stays open on a bad width.
    void accept() override;

    // Double-click on a colour row: the picker, then the row's new colour.
    void editColour(int row);
    void setDefaultColours();

    QComboBox* portCombo() const { return port_; }
    QComboBox* baudList() const { return baud_; }
    QComboBox* bootBaudList() const { return bootBaud_; }
    QLabel* bootBaudLabel() const { return bootBaudLabel_; }
    QCheckBox* fahrenheitBox() const { return fahrenheit_; }
    QCheckBox* ieeeBox() const { return ieee_; }
    QLineEdit* penWidthEdit() const { return penWidth_; }
    QComboBox* sampleRateList() const { return sampleRate_; }
    QCheckBox* stopAt65000Box() const { return stopAt65000_; }
    ColourTestList* colourList() const { return colours_; }
    QPushButton* defaultColourButton() const { return defaultColours_; }

private:
    QWidget* buildSerialGroup(const std::vector<std::string>& ports);
    QWidget* buildLogGroup();
    void describeControls(QDialogButtonBox* buttons);
    QWidget* buildGraphGroup();
    void fillFromValues();

    GlobalSetupValues values_;
    ColourPicker picker_ = &CGlobalSetupDlg::pickColour;
    QComboBox* port_ = nullptr;
    QComboBox* baud_ = nullptr;
    QComboBox* bootBaud_ = nullptr;
    QLabel* bootBaudLabel_ = nullptr;
    QCheckBox* fahrenheit_ = nullptr;
    QCheckBox* ieee_ = nullptr;
    QLineEdit* penWidth_ = nullptr;
    QComboBox* sampleRate_ = nullptr;
    QCheckBox* stopAt65000_ = nullptr;
    ColourTestList* colours_ = nullptr;
    QPushButton* defaultColours_ = nullptr;
};
