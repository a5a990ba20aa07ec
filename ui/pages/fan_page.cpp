#include "ui/pages/fan_page.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <string>

#include "ui/pages/page_rules.h"

namespace {

const char* const kFanValues[] = {"SetPoint", "DeadBand", "LowHyst", "HighHyst", "LowVoltage", "HighVoltage"};

std::string fanField(int fan, const char* value) {
    return "fan" + std::to_string(fan) + value;
}

std::uint32_t& fanMode(ParameterSet& p, int fan) { return fan == 1 ? p.fan1Mode : p.fan2Mode; }

}  // namespace

CFanPage::CFanPage(ParameterSet* params, std::function<void()> modified, QWidget* parent)
    : ParameterPage(params, std::move(modified), parent) {
    setObjectName(QStringLiteral("Fan"));
    auto* layout = new QHBoxLayout(this);
    for (int fan = 1; fan <= 2; ++fan) {
        QGridLayout* grid = nullptr;
        QGroupBox* box = groupWithGrid(QStringLiteral("Fan %1").arg(fan), grid, this);
        auto* modeLabel = new QLabel(QStringLiteral("Mode"), box);
        QComboBox* mode = modes_[fan - 1] = new QComboBox(box);
        mode->setObjectName(QString::fromStdString(fanField(fan, "Mode")));
        for (const char* name : kFanModeNames) mode->addItem(QString::fromLatin1(name));
        mode->setWhatsThis(QStringLiteral("Fan %1 Mode\n\nOff: the fan output is off. Always on: at the high "
                                          "speed voltage. Cool, Heat, Cool and heat: the fan runs while the "
                                          "regulator cools, heats or both, switching between low and high speed "
                                          "around the set point. Algo: by the speeds and hystereses, without the "
                                          "fan's own set point and dead-band. Fields a mode does not use are "
                                          "disabled.")
                               .arg(fan));
        modeLabel->setBuddy(mode);
        grid->addWidget(modeLabel, 0, 0);
        grid->addWidget(mode, 0, 1, 1, 2);
        int row = 1;
        for (const char* value : kFanValues) binder_.addRow(grid, row++, fanField(fan, value));
        grid->setRowStretch(row, 1);
        layout->addWidget(box);
        connect(mode, &QComboBox::currentIndexChanged, this, [this, fan](int index) {
            if (refreshing_ || index < 0) return;
            fanMode(*params_, fan) = static_cast<std::uint32_t>(index);
            applyEnables();
            changed();
        });
    }
    refreshFromDocument();
}

void CFanPage::refreshFromDocument() {
    refreshing_ = true;
    for (int fan = 1; fan <= 2; ++fan) {
        const std::uint32_t mode = fanMode(*params_, fan);
        modes_[fan - 1]->setCurrentIndex(mode < kFanModeCount ? static_cast<int>(mode) : -1);
    }
    binder_.refresh();
    applyEnables();
    refreshing_ = false;
}

void CFanPage::applyEnables() {
    for (int fan = 1; fan <= 2; ++fan)
        for (const char* value : kFanValues)
            binder_.setFieldEnabled(fanField(fan, value), FanFieldUsed(value, fanMode(*params_, fan)));
}
