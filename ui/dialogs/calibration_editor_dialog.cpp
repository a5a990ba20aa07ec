#include "ui/dialogs/calibration_editor_dialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QStackedWidget>
#include <QVBoxLayout>

#include "ui/widgets/numeric_entry.h"

namespace {

const char* const kPointLabels[6] = {"T low (kelvin)", "R low (ohm)",     "T mid (kelvin)",
                                     "R mid (ohm)",    "T high (kelvin)", "R high (ohm)"};
const char* const kCoefficientLabels[3] = {"coff A", "coff B", "Ro"};

NumericEdit* numberEdit(double value, QWidget* parent) {
    auto* edit = new NumericEdit(parent);
    edit->setPrecision(6);
    edit->setValue(value);
    edit->setMinimumWidth(edit->fontMetrics().horizontalAdvance(QStringLiteral("-0.000000e-00")) + 12);
    return edit;
}

}  // namespace

CCalibrationEditorDlg::CCalibrationEditorDlg(const CalibrationEdits& e, QWidget* parent)
    : QDialog(parent), original_(e) {
    setWindowTitle(QStringLiteral("Change Temperature Calibration Data"));
    auto* layout = new QVBoxLayout(this);

    auto* form = new QFormLayout;
    name_ = new QLineEdit(QString::fromStdString(e.name), this);
    name_->setMaxLength(static_cast<int>(kSensorNameMax));
    name_->setMinimumWidth(name_->fontMetrics().horizontalAdvance(QLatin1Char('x')) * 32);
    gain_ = numberEdit(e.gain, this);
    offset_ = numberEdit(e.offset, this);
    mode_ = new QComboBox(this);
    for (const char* m : kCalibrationModeNames) mode_->addItem(QString::fromLatin1(m));
    form->addRow(QStringLiteral("Name"), name_);
    form->addRow(QStringLiteral("Gain"), gain_);
    form->addRow(QStringLiteral("Offset"), offset_);
    form->addRow(QStringLiteral("Mode"), mode_);
    layout->addLayout(form);

    // Both sets of edits keep their values; the mode picks the one shown.
    pages_ = new QStackedWidget(this);
    auto* pointsBox = new QGroupBox(QStringLiteral("Calibration points"));
    auto* pointsGrid = new QGridLayout(pointsBox);
    for (int i = 0; i < 6; ++i) {
        points_[i] = numberEdit(e.points[i], pointsBox);
        auto* label = new QLabel(QString::fromLatin1(kPointLabels[i]), pointsBox);
        label->setBuddy(points_[i]);
        const int row = i / 2;
        const int column = (i % 2) * 2;
        pointsGrid->addWidget(label, row, column);
        pointsGrid->addWidget(points_[i], row, column + 1);
    }
    pointsGrid->setRowStretch(3, 1);
    auto* coefficientBox = new QGroupBox(QStringLiteral("Coefficients"));
    auto* coefficientGrid = new QGridLayout(coefficientBox);
    for (int i = 0; i < 3; ++i) {
        coefficients_[i] = numberEdit(e.coefficients[i], coefficientBox);
        auto* label = new QLabel(QString::fromLatin1(kCoefficientLabels[i]), coefficientBox);
        label->setBuddy(coefficients_[i]);
        coefficientGrid->addWidget(label, i, 0);
        coefficientGrid->addWidget(coefficients_[i], i, 1);
    }
    coefficientGrid->setColumnStretch(2, 1);
    pages_->addWidget(pointsBox);
    pages_->addWidget(coefficientBox);
    layout->addWidget(pages_);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(mode_, &QComboBox::currentIndexChanged, pages_, &QStackedWidget::setCurrentIndex);
    mode_->setCurrentIndex(e.mode == kCalibrationModePt ? kCalibrationModePt : kCalibrationModeNtc);
    pages_->setCurrentIndex(mode_->currentIndex());
}

// An edit the operator did not touch keeps the record's exact value (the
// edits show six digits, a float can need nine).
CalibrationEdits CCalibrationEditorDlg::edits() const {
    CalibrationEdits e = original_;
    auto take = [](const NumericEdit* edit, float& value) {
        if (edit->isModified()) value = static_cast<float>(edit->value());
    };
    if (name_->isModified()) e.name = name_->text().toStdString();
    take(gain_, e.gain);
    take(offset_, e.offset);
    e.mode = mode_->currentIndex() == kCalibrationModePt ? kCalibrationModePt : kCalibrationModeNtc;
    for (int i = 0; i < 6; ++i) take(points_[i], e.points[i]);
    for (int i = 0; i < 3; ++i) take(coefficients_[i], e.coefficients[i]);
    return e;
}

bool EditCalibration(QWidget* parent, SensorCalibrationEx& record) {
    CCalibrationEditorDlg dialog(CalibrationEditsFrom(record), parent);
    if (dialog.exec() != QDialog::Accepted) return false;
    return ApplyCalibrationEdits(dialog.edits(), record);
}

bool EditCalibration(QWidget* parent, SensorCalibration& record) {
    CCalibrationEditorDlg dialog(CalibrationEditsFrom(record), parent);
    if (dialog.exec() != QDialog::Accepted) return false;
    return ApplyCalibrationEdits(dialog.edits(), record);
}
