// The Base page: the user's notes, the set point St1 and the temperature
// sensor of slot 1 (its 32 record names; the selection is sensor 1's select).
#pragma once

#include "ui/pages/parameter_page.h"

class QComboBox;
class QPlainTextEdit;

class CBasePage : public ParameterPage {
    Q_OBJECT
public:
    CBasePage(ParameterSet* params, std::function<void()> modified, QWidget* parent = nullptr);

    void refreshFromDocument() override;

    QPlainTextEdit* notesEdit() const { return notes_; }
    QComboBox* sensorList() const { return sensor_; }

private:
    QPlainTextEdit* notes_;
    QComboBox* sensor_;
    bool refreshing_ = false;
};
