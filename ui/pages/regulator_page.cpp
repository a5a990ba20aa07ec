#include "ui/pages/regulator_page.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

#include "ui/help/whats_this.h"
#include "ui/pages/page_rules.h"
#include "ui/widgets/numeric_entry.h"

namespace {

const char* const kConstants[] = {"kP", "kI", "kD", "kTr", "kTe"};
const char* const kOutput[] = {"maxPower", "deadBand", "integralLimit", "ts", "coolGain", "heatGain", "decay"};

}  // namespace

CRegulatorPage::CRegulatorPage(ParameterSet* params, std::function<void()> modified, QWidget* parent)
    : ParameterPage(params, std::move(modified), parent) {
    setObjectName(QStringLiteral("Regulator"));
    auto* layout = new QHBoxLayout(this);

    QGridLayout* grid = nullptr;
    QGroupBox* regulator = groupWithGrid(QStringLiteral("Regulator"), grid, this);
    auto* modeLabel = new QLabel(QStringLiteral("Mode"), regulator);
    mode_ = new QComboBox(regulator);
    mode_->setObjectName(QStringLiteral("regulatorMode"));
    for (const char* name : kRegulatorModeNames) mode_->addItem(QString::fromLatin1(name));
    modeLabel->setBuddy(mode_);
    grid->addWidget(modeLabel, 0, 0);
    grid->addWidget(mode_, 0, 1, 1, 2);
    binder_.addRow(grid, 1, "st1");
    int row = 2;
    for (const char* name : kConstants) binder_.addRow(grid, row++, name);
    grid->setRowStretch(row, 1);
    layout->addWidget(regulator);

    QGroupBox* output = groupWithGrid(QStringLiteral("Output"), grid, this);
    row = 0;
    for (const char* name : kOutput) binder_.addRow(grid, row++, name);
    grid->setRowStretch(row, 1);
    layout->addWidget(output);

    auto* right = new QVBoxLayout;
    QGroupBox* algo = groupWithGrid(QStringLiteral("Algo"), grid, this);
    binder_.addRow(grid, 0, "algoDeadBand");
    binder_.addRow(grid, 1, "algoHysteresis");
    right->addWidget(algo);

    auto* options = new QGroupBox(QStringLiteral("Options"), this);
    auto* optionsLayout = new QVBoxLayout(options);
    trExternal_ = flagBox("Tr external selected", kRegulatorTrExternal, options);
    tcPowerInternal_ = flagBox("Tc power internal mode", kRegulatorTcPowerInternal, options);
    optionsLayout->addWidget(trExternal_);
    optionsLayout->addWidget(tcPowerInternal_);
    right->addWidget(options);

    loopBox_ = groupWithGrid(QStringLiteral("Loop mode"), grid, this);
    loopTime_ = flagBox("Loop time", kRegulatorLoopMode, loopBox_);
    grid->addWidget(loopTime_, 0, 0, 1, 3);
    binder_.addRow(grid, 1, "loopHighCount");
    binder_.addRow(grid, 2, "loopLowCount");
    binder_.addRow(grid, 3, "st2");
    right->addWidget(loopBox_);
    right->addStretch(1);
    layout->addLayout(right);

    connect(mode_, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (refreshing_ || index < 0) return;
        params_->regulatorFlags = (params_->regulatorFlags & ~kRegulatorModeMask) | static_cast<std::uint32_t>(index);
        applyEnables();
        changed();
    });
    describeControls();
    refreshFromDocument();
    setServiceMode(false);
}

void CRegulatorPage::describeControls() {
    setHelpText(mode_, "Mode\n\nHow the regulator drives the main output: Off; Power (a fixed output up to Max "
                       "power out); Algo (on/off with the Algo dead-band and hysteresis); P, PI, PD or PID (the "
                       "PID constants). Fields a mode does not use are disabled. Bits 0-3 of the regulator "
                       "word.");
    setHelpText(trExternal_, "Tr external selected\n\nOption bit 0x10 of the regulator word: the actual value "
                             "Tr is taken from the external input. Not used in mode Off.");
    setHelpText(tcPowerInternal_, "Tc power internal mode\n\nOption bit 0x20 of the regulator word. Not used "
                                  "in mode Off.");
    setHelpText(loopTime_, "Loop time (service mode)\n\nWhen checked, the regulator alternates between the set "
                           "points St1 for High (s) seconds and St2 for Low (s) seconds (bit 0x100 of the "
                           "regulator word). A download made outside service mode clears it.");
}

QCheckBox* CRegulatorPage::flagBox(const char* text, std::uint32_t bit, QWidget* parent) {
    auto* box = new QCheckBox(QString::fromLatin1(text), parent);
    connect(box, &QCheckBox::toggled, this, [this, bit](bool on) {
        if (refreshing_) return;
        if (on)
            params_->regulatorFlags |= bit;
        else
            params_->regulatorFlags &= ~bit;
        applyEnables();
        changed();
    });
    return box;
}

QList<QWidget*> CRegulatorPage::serviceControls() const {
    QList<QWidget*> list{loopTime_};
    for (const char* name : {"loopHighCount", "loopLowCount", "st2"}) {
        list << binder_.label(name) << binder_.edit(name);
        if (QLabel* unit = binder_.unit(name)) list << unit;
    }
    return list;
}

void CRegulatorPage::setServiceMode(bool on) {
    serviceMode_ = on;
    loopBox_->setVisible(on);
}

void CRegulatorPage::refreshFromDocument() {
    refreshing_ = true;
    const std::uint32_t flags = params_->regulatorFlags;
    const std::uint32_t mode = flags & kRegulatorModeMask;
    mode_->setCurrentIndex(mode < kRegulatorModeCount ? static_cast<int>(mode) : -1);
    trExternal_->setChecked(flags & kRegulatorTrExternal);
    tcPowerInternal_->setChecked(flags & kRegulatorTcPowerInternal);
    loopTime_->setChecked(flags & kRegulatorLoopMode);
    binder_.refresh();
    applyEnables();
    loopBox_->setVisible(serviceMode_);
    refreshing_ = false;
}

void CRegulatorPage::applyEnables() {
    const std::uint32_t flags = params_->regulatorFlags;
    const std::uint32_t mode = flags & kRegulatorModeMask;
    const bool loopOn = flags & kRegulatorLoopMode;
    for (const char* name : {"st1", "kP", "kI", "kD", "kTr", "kTe", "maxPower", "deadBand", "integralLimit", "ts",
                             "coolGain", "heatGain", "decay", "algoDeadBand", "algoHysteresis", "st2",
                             "loopHighCount", "loopLowCount"})
        binder_.setFieldEnabled(name, RegulatorFieldUsed(name, mode, loopOn));
    trExternal_->setEnabled(RegulatorFieldUsed("trExternal", mode, loopOn));
    tcPowerInternal_->setEnabled(RegulatorFieldUsed("tcPowerInternal", mode, loopOn));
}
