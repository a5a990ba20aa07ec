#include "ui/pages/sensor_page.h"

#include <QApplication>
#include <QFontDatabase>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>

#include "ui/dialogs/calibration_editor_dialog.h"

namespace {

// Calls `action` with slot `slot`'s SensorSlot (sensor 1 in the Ex form).
template <typename Action>
void withSlot(ParameterSet& p, int slot, Action action) {
    switch (slot) {
    case 1: action(p.sensor1); break;
    case 2: action(p.sensor2); break;
    case 3: action(p.sensor3); break;
    case 4: action(p.sensor4); break;
    default: break;
    }
}

QString nameOf(std::string_view name) {
    return QString::fromUtf8(name.data(), static_cast<int>(name.size()));
}

}  // namespace

CSensorPage::CSensorPage(ParameterSet* params, std::function<void()> modified, QWidget* parent)
    : ParameterPage(params, std::move(modified), parent) {
    setObjectName(QStringLiteral("Sensor"));
    confirm_ = [this](const QString& question) {
        return QMessageBox::question(this, QStringLiteral("TQ_Interface"), question,
                                     QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
    };
    auto* layout = new QHBoxLayout(this);
    QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    for (int slot = 1; slot <= 4; ++slot) {
        auto* box = new QGroupBox(QStringLiteral("Sensor %1").arg(slot), this);
        auto* column = new QVBoxLayout(box);
        auto* list = lists_[slot - 1] = new QListWidget(box);
        list->setObjectName(QStringLiteral("sensor%1.records").arg(slot));
        list->setContextMenuPolicy(Qt::CustomContextMenu);
        list->setMinimumHeight(list->fontMetrics().height() * 6);
        auto* summary = summaries_[slot - 1] = new QLabel(box);
        summary->setObjectName(QStringLiteral("sensor%1.summary").arg(slot));
        summary->setFont(fixed);
        summary->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        summary->setTextInteractionFlags(Qt::TextSelectableByMouse);
        // Room for "A -1.23456789e-03" and the ten lines of a summary.
        summary->setMinimumSize(QFontMetrics(fixed).horizontalAdvance(QStringLiteral("Ro -0.00000000e+00 ")),
                                QFontMetrics(fixed).lineSpacing() * 10);
        auto* edit = editButtons_[slot - 1] = new QPushButton(QStringLiteral("Edit"), box);
        list->setWhatsThis(QStringLiteral(
            "Sensor %1 calibrations\n\nThe 32 calibration records of sensor %1 (T%1). The record selected is the "
            "one sent with the next download; its values are shown below. Edit > Copy (Ctrl+C) or the "
            "right-click menu copies it, Edit > Paste (Ctrl+V) pastes a copied calibration into it after asking.")
                               .arg(slot));
        edit->setWhatsThis(QStringLiteral("Edit\n\nOpens the selected record of sensor %1 in the calibration "
                                          "editor: name, gain, offset and the NTC points or PT coefficients.")
                               .arg(slot));
        column->addWidget(list, 1);
        column->addWidget(summary);
        column->addWidget(edit, 0, Qt::AlignRight);
        layout->addWidget(box);

        connect(list, &QListWidget::currentRowChanged, this, [this, slot](int row) {
            if (refreshing_ || row < 0) return;
            withSlot(*params_, slot, [row](auto& s) { s.select = static_cast<std::uint32_t>(row); });
            refreshSlot(slot);
            changed();
        });
        connect(list, &QWidget::customContextMenuRequested, this, [this, slot, list](const QPoint& at) {
            QMenu menu(this);
            menu.addAction(QStringLiteral("Copy"), this, [this, slot] { copySlot(slot); });
            menu.exec(list->viewport()->mapToGlobal(at));
        });
        connect(edit, &QPushButton::clicked, this, [this, slot] { editSlot(slot); });
    }
    refreshFromDocument();
}

int CSensorPage::focusedSlot() const {
    const QWidget* focus = QApplication::focusWidget();
    for (int slot = 1; slot <= 4; ++slot)
        if (focus == lists_[slot - 1] && lists_[slot - 1]->isVisible()) return slot;
    return 0;
}

void CSensorPage::refreshFromDocument() {
    for (int slot = 1; slot <= 4; ++slot) refreshSlot(slot);
}

void CSensorPage::refreshSlot(int slot) {
    refreshing_ = true;
    QListWidget* list = lists_[slot - 1];
    withSlot(*params_, slot, [&](auto& s) {
        for (int i = 0; i < static_cast<int>(s.records.size()); ++i) {
            const QString name = nameOf(s.records[i].nameText());
            if (i < list->count())
                list->item(i)->setText(name);
            else
                list->addItem(name);
        }
        const bool valid = s.select < s.records.size();
        list->setCurrentRow(valid ? static_cast<int>(s.select) : -1);
        summaries_[slot - 1]->setText(QString::fromStdString(
            CalibrationSummary(static_cast<int>(valid ? s.select : 0), s.selected())));
    });
    refreshing_ = false;
}

void CSensorPage::copy() {
    if (const int slot = focusedSlot()) copySlot(slot);
}

void CSensorPage::paste() {
    if (const int slot = focusedSlot()) pasteSlot(slot);
}

void CSensorPage::copySlot(int slot) { clipboard_.copy(*params_, slot); }

void CSensorPage::pasteSlot(int slot) {
    if (slot < 1 || slot > 4) return;
    const QString question = QString::fromStdString(CalibrationClipboard::pasteQuestion(*params_, slot));
    if (confirm_(question) && clipboard_.paste(*params_, slot)) changed();
    refreshSlot(slot);
}

void CSensorPage::editSlot(int slot) {
    bool edited = false;
    withSlot(*params_, slot, [&](auto& s) { edited = EditCalibration(this, s.selected()); });
    if (edited) changed();
    refreshSlot(slot);
}
