#include "ui/pages/base_page.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QVBoxLayout>

#include "ui/help/whats_this.h"
#include "ui/widgets/numeric_entry.h"

CBasePage::CBasePage(ParameterSet* params, std::function<void()> modified, QWidget* parent)
    : ParameterPage(params, std::move(modified), parent) {
    setObjectName(QStringLiteral("Base"));
    auto* layout = new QHBoxLayout(this);

    auto* notesBox = new QGroupBox(this);
    auto* notesLayout = new QVBoxLayout(notesBox);
    auto* notesLabel = new QLabel(QStringLiteral("Notes:"), notesBox);
    notes_ = new QPlainTextEdit(notesBox);
    notes_->setObjectName(QStringLiteral("notes"));
    notes_->setTabChangesFocus(true);
    notesLabel->setBuddy(notes_);
    notesLayout->addWidget(notesLabel);
    notesLayout->addWidget(notes_, 1);
    layout->addWidget(notesBox, 3);

    QGridLayout* grid = nullptr;
    QGroupBox* regulator = groupWithGrid(QStringLiteral("Regulator"), grid, this);
    binder_.addRow(grid, 0, "st1");
    auto* sensorLabel = new QLabel(QStringLiteral("Temperature sensor"), regulator);
    sensor_ = new QComboBox(regulator);
    sensor_->setObjectName(QStringLiteral("sensor1.select"));
    sensor_->setMaxVisibleItems(16);
    sensorLabel->setBuddy(sensor_);
    grid->addWidget(sensorLabel, 1, 0);
    grid->addWidget(sensor_, 1, 1, 1, 2);
    grid->setRowStretch(2, 1);
    layout->addWidget(regulator, 2);

    setHelpText(notes_, "Notes\n\nA free comment kept in the parameter file and printed in the report. It is "
                        "not sent to the regulator.");
    setHelpText(sensor_, "Temperature sensor\n\nThe calibration record sensor 1 (T1) uses, out of its 32 "
                         "records. The same choice as the Sensor 1 list on the Sensor page; the record is "
                         "sent with the next download.");
    connect(notes_, &QPlainTextEdit::textChanged, this, [this] {
        if (refreshing_) return;
        params_->notes = notes_->toPlainText().toStdString();
        changed();
    });
    connect(sensor_, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (refreshing_ || index < 0) return;
        params_->sensor1.select = static_cast<std::uint32_t>(index);
        changed();
    });
    refreshFromDocument();
}

void CBasePage::refreshFromDocument() {
    refreshing_ = true;
    QString notes = QString::fromStdString(params_->notes);
    notes.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    if (notes_->toPlainText() != notes) notes_->setPlainText(notes);
    sensor_->clear();
    for (const SensorCalibrationEx& r : params_->sensor1.records)
        sensor_->addItem(QString::fromUtf8(r.nameText().data(), static_cast<int>(r.nameText().size())));
    const std::uint32_t select = params_->sensor1.select;
    sensor_->setCurrentIndex(select < params_->sensor1.records.size() ? static_cast<int>(select) : -1);
    binder_.refresh();
    refreshing_ = false;
}
