// The Alarm page: every limit with its enable box (a bit of alarmEnable1 or
// alarmEnable2), its value and a lamp that the alarm decoding flashes. The
// "Voltage Internal" group is shown in service mode only.
#pragma once

#include "runtime/alarm_latch.h"
#include "ui/pages/parameter_page.h"

class LampWidget;
class QCheckBox;
class QGroupBox;
class QLabel;

class CAlarmPage : public ParameterPage {
    Q_OBJECT
public:
    CAlarmPage(ParameterSet* params, std::function<void()> modified, QWidget* parent = nullptr);

    void refreshFromDocument() override;
    void setServiceMode(bool on) override;

    QCheckBox* enableBox(AlarmLamp limit) const { return boxes_[static_cast<int>(limit)]; }
    LampWidget* lamp(AlarmLamp limit) const { return lamps_[static_cast<int>(limit)]; }
    QGroupBox* voltageInternalGroup() const { return voltageInternal_; }
    // Names each pair whose low limit lies above its high one; empty when none does.
    QLabel* crossedWarning() const { return crossedWarning_; }

public slots:
    // Lights each lamp whose bit is set for `ms` milliseconds.
    void flashLamps(const AlarmLamps& lamps, int ms);
    // The same with the lamps as the text of a bit set ("0101...", lamp 0 last).
    void flashLampBits(const QString& lampBits, int ms);

private:
    void applyEnables();
    void showCrossedLimits();

    QCheckBox* boxes_[kAlarmLampCount] = {};
    LampWidget* lamps_[kAlarmLampCount] = {};
    const char* fields_[kAlarmLampCount] = {};
    QGroupBox* voltageInternal_ = nullptr;
    QLabel* crossedWarning_ = nullptr;
    bool serviceMode_ = false;
    bool refreshing_ = false;
};
