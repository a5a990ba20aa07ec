// The Regulator page: the mode list (bits 0-3 of regulatorFlags; the other
// bits are kept), the set point and constants, the Algo values, the two
// option bits and, in service mode, the loop values. Values the mode does
// not use are disabled.
#pragma once

#include "ui/pages/parameter_page.h"

class QCheckBox;
class QComboBox;
class QGroupBox;

class CRegulatorPage : public ParameterPage {
    Q_OBJECT
public:
    CRegulatorPage(ParameterSet* params, std::function<void()> modified, QWidget* parent = nullptr);

    void refreshFromDocument() override;
    void setServiceMode(bool on) override;

    QComboBox* modeList() const { return mode_; }
    QCheckBox* trExternal() const { return trExternal_; }
    QCheckBox* tcPowerInternal() const { return tcPowerInternal_; }
    QCheckBox* loopTime() const { return loopTime_; }
    // The controls only service mode shows.
    QList<QWidget*> serviceControls() const;

private:
    QCheckBox* flagBox(const char* text, std::uint32_t bit, QWidget* parent);
    void describeControls();
    void applyEnables();

    QComboBox* mode_;
    QCheckBox* trExternal_;
    QCheckBox* tcPowerInternal_;
    QCheckBox* loopTime_;
    QGroupBox* loopBox_;
    bool serviceMode_ = false;
    bool refreshing_ = false;
};
