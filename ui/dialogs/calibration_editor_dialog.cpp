#include "ui/dialogs/calibration_editor_dialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QStackedWidget>
#include <QVBoxLayout>

#include "ui/help/help_coverage.h"
#include "ui/help/whats_this.h"
#include "ui/tq_interface_view.h"
#include "ui/widgets/numeric_entry.h"

namespace {

const char* const kPointLabels[6] = {"T low (kelvin)", "R low (ohm)",     "T mid (kelvin)",
                                     "R mid (ohm)",    "T high (kelvin)", "R high (ohm)"};
const char* const kCoefficientLabels[3] = {"coff A", "coff B", "Ro"};

const char* const kPointTexts[6] = {
    "T low\n\nThe lowest calibration temperature of the NTC, in kelvin (0 degrees Celsius is 273.15 K).",
    "R low\n\nThe NTC's resistance at T low, in ohm.",
    "T mid\n\nThe middle calibration temperature, in kelvin.",
    "R mid\n\nThe NTC's resistance at T mid, in ohm.",
    "T high\n\nThe highest calibration temperature, in kelvin.",
    "R high\n\nThe NTC's resistance at T high, in ohm."};
const char* const kCoefficientTexts[3] = {
    "coff A\n\nThe platinum sensor's first coefficient A, per degree, in R = Ro (1 + A T + B T^2) with T in "
    "degrees Celsius (3.908e-03 for a standard PT100 or PT1000).",
    "coff B\n\nThe platinum sensor's second coefficient B, per degree squared (-5.775e-07 for a standard "
    "sensor).",
    "Ro\n\nThe platinum sensor's resistance at 0 degrees Celsius, in ohm (100 for a PT100, 1000 for a PT1000)."};

// Opened from the Edit buttons of the Sensor page.
const HelpCoverageRegistrar kCoverage{"CCalibrationEditorDlg", [](CTQ_InterfaceView& v) -> QWidget* {
    return new CCalibrationEditorDlg(CalibrationEdits{}, &v);
}};

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
        setHelpText(points_[i], kPointTexts[i]);
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
        setHelpText(coefficients_[i], kCoefficientTexts[i]);
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
    setHelpText(name_, "Name\n\nThe record's name, shown in the Sensor page's list (up to 255 characters).");
    setHelpText(gain_, "Gain\n\nA factor that corrects the measurement of the input (1 leaves it as it is).");
    setHelpText(offset_, "Offset\n\nA value added to the measurement of the input, to match a reference "
                         "thermometer (0 leaves it as it is).");
    setHelpText(mode_, "Mode\n\nNTC Stainhart mode: an NTC thermistor described by three points (temperature "
                       "and resistance); the Steinhart-Hart coefficients are computed from them. PT mode: a "
                       "platinum sensor described by A, B and Ro. Both sets of edits keep their values while the "
                       "editor is open; OK writes those of the mode chosen.");
    setHelpText(buttons->button(QDialogButtonBox::Ok), "OK\n\nWrites the values into the record. The regulator "
                                                       "gets them with the next download.");
    setHelpText(buttons->button(QDialogButtonBox::Cancel), "Cancel\n\nCloses the editor; the record stays as it "
                                                           "was.");
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

QString CCalibrationEditorDlg::problem() const {
    const bool pt = mode_->currentIndex() == kCalibrationModePt;
    QList<std::pair<const NumericEdit*, const char*>> shown{{gain_, "Gain"}, {offset_, "Offset"}};
    if (pt) {
        for (int i = 0; i < 3; ++i) shown.append({coefficients_[i], kCoefficientLabels[i]});
    } else {
        for (int i = 0; i < 6; ++i) shown.append({points_[i], kPointLabels[i]});
    }
    for (const auto& [edit, label] : shown)
        if (edit->isModified() && !edit->entry())
            return QStringLiteral("%1 is not a number.").arg(QString::fromLatin1(label));
    return QString::fromStdString(CalibrationEditsProblem(edits()));
}

void CCalibrationEditorDlg::accept() {
    const QString why = problem();
    if (why.isEmpty()) {
        QDialog::accept();
        return;
    }
    QMessageBox::warning(this, windowTitle(),
                         QStringLiteral("These values describe no sensor, so they are not taken:\n\n%1").arg(why));
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
