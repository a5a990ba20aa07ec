#include "ui/pages/alarm_page.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>

#include "ui/help/whats_this.h"
#include "ui/lamp_widget.h"
#include "ui/pages/page_rules.h"
#include "ui/widgets/numeric_entry.h"

namespace {

std::uint32_t& enableWord(ParameterSet& p, int word) { return word == 1 ? p.alarmEnable1 : p.alarmEnable2; }

// Groups in reading order: position on the page's grid and the two limits.
struct AlarmGroup {
    const char* title;
    int row;
    int column;
    int first;  // index into kAlarmLimits; the group holds it and the next
};
const AlarmGroup kGroups[] = {
    {"Voltage In", 0, 0, 0},     {"Current Out", 0, 1, 4}, {"FAN 1 Current", 0, 2, 6},
    {"FAN 2 Current", 0, 3, 8},  {"T1", 1, 0, 10},         {"T2", 1, 1, 12},
    {"T3", 1, 2, 14},            {"T4", 1, 3, 16},         {"Voltage Internal", 2, 0, 2},
};

}  // namespace

CAlarmPage::CAlarmPage(ParameterSet* params, std::function<void()> modified, QWidget* parent)
    : ParameterPage(params, std::move(modified), parent) {
    setObjectName(QStringLiteral("Alarm"));
    auto* layout = new QGridLayout(this);
    layout->setHorizontalSpacing(8);
    for (const AlarmGroup& g : kGroups) {
        QGridLayout* grid = nullptr;
        QGroupBox* box = groupWithGrid(QString::fromLatin1(g.title), grid, this);
        if (g.first == 2) voltageInternal_ = box;
        for (int k = 0; k < 2; ++k) {
            const AlarmLimit& limit = kAlarmLimits[g.first + k];
            const int index = static_cast<int>(limit.lamp);
            NumericEdit* edit = binder_.addRow(grid, k, limit.field);
            // The enable box takes the place of the label.
            QLabel* label = binder_.label(limit.field);
            auto* check = new QCheckBox(label->text(), box);
            check->setObjectName(QStringLiteral("%1Enable").arg(QString::fromLatin1(limit.field)));
            delete grid->replaceWidget(label, check);
            label->hide();
            QWidget::setTabOrder(check, edit);  // reading order: the box, then its value
            auto* lamp = new LampWidget(box);
            lamp->setObjectName(QStringLiteral("%1Lamp").arg(QString::fromLatin1(limit.field)));
            grid->addWidget(lamp, k, 3);
            edit->setMinimumWidth(edit->fontMetrics().horizontalAdvance(QStringLiteral("-00.00000")) + 12);
            check->setWhatsThis(QStringLiteral("%1 %2\n\nWhen checked, the regulator raises an alarm when the "
                                               "value passes this limit. When not checked, the alarm is off "
                                               "and its limit is kept but cannot be edited.")
                                    .arg(box->title(), check->text()));
            setHelpText(lamp, "Alarm lamp\n\nFlashes while the regulator reports this alarm in its live data.");
            boxes_[index] = check;
            lamps_[index] = lamp;
            fields_[index] = limit.field;
            const int word = limit.enableWord;
            const std::uint32_t bit = 1u << limit.bit;
            connect(check, &QCheckBox::toggled, this, [this, word, bit](bool on) {
                if (refreshing_) return;
                std::uint32_t& w = enableWord(*params_, word);
                w = on ? (w | bit) : (w & ~bit);
                applyEnables();
                changed();
            });
        }
        layout->addWidget(box, g.row, g.column);
    }
    crossedWarning_ = new QLabel(this);
    crossedWarning_->setObjectName(QStringLiteral("crossedLimits"));
    crossedWarning_->setStyleSheet(QStringLiteral("color: #b00000"));
    // Room for two warnings, kept when there is none: the page does not
    // grow under the mouse when one appears.
    crossedWarning_->setMinimumHeight(crossedWarning_->fontMetrics().lineSpacing() * 2 + 4);
    crossedWarning_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    layout->addWidget(crossedWarning_, 3, 0, 1, 4);
    connect(&binder_, &FieldBinder::fieldStored, this, &CAlarmPage::showCrossedLimits);
    for (int c = 0; c < 4; ++c) layout->setColumnStretch(c, 1);
    layout->setRowStretch(4, 1);
    refreshFromDocument();
    setServiceMode(false);
}

void CAlarmPage::setServiceMode(bool on) {
    serviceMode_ = on;
    voltageInternal_->setVisible(on);
}

void CAlarmPage::refreshFromDocument() {
    refreshing_ = true;
    for (const AlarmLimit& limit : kAlarmLimits)
        boxes_[static_cast<int>(limit.lamp)]->setChecked(enableWord(*params_, limit.enableWord) & (1u << limit.bit));
    binder_.refresh();
    applyEnables();
    voltageInternal_->setVisible(serviceMode_);
    refreshing_ = false;
}

// A limit whose alarm is off keeps its value but cannot be edited.
void CAlarmPage::applyEnables() {
    for (const AlarmLimit& limit : kAlarmLimits) {
        const bool on = enableWord(*params_, limit.enableWord) & (1u << limit.bit);
        binder_.edit(limit.field)->setEnabled(on);
        if (QLabel* unit = binder_.unit(limit.field)) unit->setEnabled(on);
    }
    showCrossedLimits();
}

void CAlarmPage::showCrossedLimits() {
    QStringList lines;
    for (const AlarmLimit* upper : CrossedAlarmLimits(*params_)) {
        const AlarmLimit* lower = upper + 1;
        auto shown = [this](const AlarmLimit* l) {
            const ParameterField& f = *FindParameterField(l->field);
            QLabel* unit = binder_.unit(l->field);
            return QStringLiteral("%1 %2%3").arg(QString::fromUtf8(f.label),
                                                 numeric_entry::format(binder_.shownValue(f), f.precision()),
                                                 unit ? QStringLiteral(" ") + unit->text() : QString());
        };
        const QString group = qobject_cast<QGroupBox*>(binder_.edit(upper->field)->parentWidget())->title();
        lines << QStringLiteral("%1: %2 lies above %3, so the alarm is raised whatever the value.")
                     .arg(group, shown(lower), shown(upper));
    }
    crossedWarning_->setText(lines.join(QLatin1Char('\n')));
}

void CAlarmPage::flashLamps(const AlarmLamps& lamps, int ms) {
    for (int i = 0; i < kAlarmLampCount; ++i)
        if (lamps.test(i)) lamps_[i]->flash(ms);
}

void CAlarmPage::flashLampBits(const QString& lampBits, int ms) {
    const std::string bits = lampBits.toStdString();
    if (bits.size() != static_cast<std::size_t>(kAlarmLampCount) ||
        bits.find_first_not_of("01") != std::string::npos)
        return;
    flashLamps(AlarmLamps(bits), ms);
}
