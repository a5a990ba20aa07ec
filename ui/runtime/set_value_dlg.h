// "Set new value": the range of one graph channel, its max (top of the
// graph) and min (bottom). Any two numbers are taken; max below min draws
// the channel upside down.
#pragma once

#include <QDialog>
#include <QString>

class NumericEdit;

// What the dialog does, without a widget: the values shown with "%.*g" at
// precision 15, and the texts read back on OK (a text that is not a number
// reads as 0), stored in single precision as the channel table holds them.
class SetValueModel {
public:
    static constexpr int kPrecision = 15;

    SetValueModel(double max, double min) : max_(max), min_(min) {}

    QString maxText() const;
    QString minText() const;
    void accept(const QString& maxText, const QString& minText);
    float max() const { return static_cast<float>(max_); }
    float min() const { return static_cast<float>(min_); }

private:
    double max_;
    double min_;
};

class CSetValueDlg : public QDialog {
    Q_OBJECT
public:
    CSetValueDlg(double max, double min, QWidget* parent = nullptr);

    const SetValueModel& model() const { return model_; }
    NumericEdit* maxEdit() const { return maxEdit_; }
    NumericEdit* minEdit() const { return minEdit_; }

    void accept() override;

private:
    SetValueModel model_;
    NumericEdit* maxEdit_;
    NumericEdit* minEdit_;
};
