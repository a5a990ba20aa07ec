// "Change Temperature Calibration Data": the window of the calibration
// editor. It lays out and forwards; the rules (what a record puts into the
// edits and what OK writes back) are params/calibration_editor.h.
#pragma once

#include <QDialog>

#include "params/calibration_editor.h"

class NumericEdit;
class QComboBox;
class QLineEdit;
class QStackedWidget;

class CCalibrationEditorDlg : public QDialog {
    Q_OBJECT
public:
    explicit CCalibrationEditorDlg(const CalibrationEdits& edits, QWidget* parent = nullptr);

    // The edits as they stand (a text that is not a number reads as 0).
    CalibrationEdits edits() const;
    // Why OK is refused ("" when it is not): an edit that is not a number,
    // or points that describe no sensor.
    QString problem() const;

public slots:
    // OK: refused with a message naming the problem; the record stays as it was.
    void accept() override;

    QLineEdit* nameEdit() const { return name_; }
    QComboBox* modeList() const { return mode_; }
    NumericEdit* pointEdit(int i) const { return points_[i]; }
    NumericEdit* coefficientEdit(int i) const { return coefficients_[i]; }

private:
    CalibrationEdits original_;
    QLineEdit* name_;
    NumericEdit* gain_;
    NumericEdit* offset_;
    QComboBox* mode_;
    QStackedWidget* pages_;
    NumericEdit* points_[6] = {};
    NumericEdit* coefficients_[3] = {};
};

// Opens the editor on a copy of `record` and writes the result back on OK.
// Returns whether the record changed.
bool EditCalibration(QWidget* parent, SensorCalibrationEx& record);
bool EditCalibration(QWidget* parent, SensorCalibration& record);
