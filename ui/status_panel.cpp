#include "ui/status_panel.h"

#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QMouseEvent>
#include <QPainter>
#include <QVBoxLayout>

#include "ui/lamp_widget.h"

void DoubleClickLabel::mouseDoubleClickEvent(QMouseEvent* event) {
    emit doubleClicked();
    QLabel::mouseDoubleClickEvent(event);
}

// The double-click is its own command, not a second click.
void DoubleClickButton::mouseDoubleClickEvent(QMouseEvent* event) {
    event->accept();
    if (isEnabled()) emit doubleClicked();
}

namespace {

QLabel* valueField(QWidget* parent) {
    auto* l = new QLabel(QStringLiteral("--"), parent);
    l->setAlignment(Qt::AlignCenter);
    l->setObjectName(QStringLiteral("valueField"));
    l->setMinimumWidth(62);
    return l;
}

QLabel* caption(const QString& text, QWidget* parent) {
    auto* l = new QLabel(text, parent);
    l->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return l;
}

QLabel* unit(const QString& text, QWidget* parent) {
    auto* l = new QLabel(text, parent);
    l->setMinimumWidth(22);
    return l;
}

QPixmap drawLogo() {
    QPixmap pm(QSize(47, 31) * 2);
    pm.setDevicePixelRatio(2);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(220, 70, 50));
    p.drawRoundedRect(QRectF(1, 1, 45, 7), 2, 2);
    p.setBrush(QColor(60, 140, 220));
    p.drawRoundedRect(QRectF(1, 23, 45, 7), 2, 2);
    for (int i = 0; i < 5; ++i) {
        p.setBrush(i % 2 ? QColor(90, 90, 100) : QColor(150, 150, 160));
        p.drawRect(QRectF(4 + i * 8.5, 9, 5, 13));
    }
    return pm;
}

}  // namespace

StatusPanel::StatusPanel(QWidget* parent) : QWidget(parent) {
    setStyleSheet(QStringLiteral(
        "QLabel#valueField { background: palette(base); border: 1px solid palette(mid);"
        " border-radius: 3px; padding: 1px 4px; }"
        "QLabel#versionField, QLabel#statusField { font-weight: bold; }"));

    // Top row: logo, "Regulator Status", SEND / STOP.
    auto* logo = new QLabel(this);
    logo->setPixmap(drawLogo());
    logo->setFixedSize(47, 31);

    auto* statusGroup = new QGroupBox(QStringLiteral("Regulator Status"), this);
    version_ = new QLabel(QStringLiteral("version"), statusGroup);
    version_->setObjectName(QStringLiteral("versionField"));
    version_->setMinimumWidth(130);
    status_ = new DoubleClickLabel(QStringLiteral("Status"), statusGroup);
    status_->setObjectName(QStringLiteral("statusField"));
    status_->setToolTip(QStringLiteral("Double-click to clear the alarms"));
    status_->setMinimumWidth(300);
    lampG_ = new LampWidget(statusGroup);
    lampY_ = new LampWidget(statusGroup);
    lampR_ = new LampWidget(statusGroup);
    message_ = new QLabel(QStringLiteral(" Ready"), statusGroup);
    auto* sg = new QGridLayout(statusGroup);
    sg->setContentsMargins(8, 4, 8, 6);
    sg->setHorizontalSpacing(10);
    sg->setVerticalSpacing(2);
    sg->addWidget(version_, 0, 0);
    sg->addWidget(status_, 0, 1);
    auto* lamps = new QHBoxLayout;
    lamps->setSpacing(3);
    lamps->addWidget(lampG_);
    lamps->addWidget(lampY_);
    lamps->addWidget(lampR_);
    sg->addLayout(lamps, 0, 2);
    sg->addWidget(message_, 1, 0, 1, 3);
    sg->setColumnStretch(1, 1);

    send_ = new DoubleClickButton(QStringLiteral("SEND"), this);
    stop_ = new DoubleClickButton(QStringLiteral("STOP"), this);
    // Enter presses STOP only while it has the focus (as Space does); an
    // Enter typed into a field never reaches it. SEND, which starts the
    // regulator and often holds the focus at start, takes no Enter.
    stop_->setAutoDefault(true);
    send_->setToolTip(QStringLiteral("Send the parameters and start the regulator (Ctrl+Enter)"));
    stop_->setToolTip(QStringLiteral("Stop the regulator; double-click reboots it"));
    for (QPushButton* b : {send_, stop_}) b->setMinimumWidth(64);
    auto* buttons = new QVBoxLayout;
    buttons->addWidget(send_);
    buttons->addWidget(stop_);
    buttons->addStretch();

    auto* top = new QHBoxLayout;
    top->addWidget(logo, 0, Qt::AlignTop);
    top->addWidget(statusGroup, 1);
    top->addLayout(buttons);

    // "Input": T1 ... T4 with units, a separator, Uin, Uext.ctrl, I(main).
    auto* input = new QGroupBox(QStringLiteral("Input"), this);
    auto* ig = new QGridLayout(input);
    ig->setContentsMargins(8, 4, 8, 6);
    ig->setVerticalSpacing(3);
    const PanelField temps[4] = {PanelField::T1, PanelField::T2, PanelField::T3, PanelField::T4};
    for (int i = 0; i < 4; ++i) {
        ig->addWidget(caption(QStringLiteral("T%1").arg(i + 1), input), i, 0);
        fields_[static_cast<int>(temps[i])] = valueField(input);
        ig->addWidget(fields_[static_cast<int>(temps[i])], i, 1);
        units_[i] = unit(QStringLiteral("°C"), input);
        ig->addWidget(units_[i], i, 2);
    }
    auto* separator = new QFrame(input);
    separator->setFrameShape(QFrame::VLine);
    separator->setFrameShadow(QFrame::Sunken);
    ig->addWidget(separator, 0, 3, 4, 1);
    const struct { const char* label; PanelField field; const char* unit; } rightColumn[3] = {
        {"Uin", PanelField::Uin, "V"}, {"Uext.ctrl", PanelField::Uext, "V"}, {"I(main)", PanelField::MainCurrent, "A"}};
    for (int i = 0; i < 3; ++i) {
        ig->addWidget(caption(QString::fromLatin1(rightColumn[i].label), input), i + 1, 4);
        fields_[static_cast<int>(rightColumn[i].field)] = valueField(input);
        ig->addWidget(fields_[static_cast<int>(rightColumn[i].field)], i + 1, 5);
        ig->addWidget(unit(QString::fromLatin1(rightColumn[i].unit), input), i + 1, 6);
    }

    // "Regulator information": the fan currents (service mode), Sp1, Tr1.
    auto* info = new QGroupBox(QStringLiteral("Regulator information"), this);
    auto* rg = new QGridLayout(info);
    rg->setContentsMargins(8, 4, 8, 6);
    rg->setVerticalSpacing(3);
    fanRow_ = new QWidget(info);
    auto* fan = new QHBoxLayout(fanRow_);
    fan->setContentsMargins(0, 0, 0, 0);
    fan->addWidget(caption(QStringLiteral("FAN"), fanRow_));
    fields_[static_cast<int>(PanelField::Fan1Current)] = valueField(fanRow_);
    fields_[static_cast<int>(PanelField::Fan2Current)] = valueField(fanRow_);
    fan->addWidget(fields_[static_cast<int>(PanelField::Fan1Current)]);
    fan->addWidget(fields_[static_cast<int>(PanelField::Fan2Current)]);
    fan->addWidget(unit(QStringLiteral("A"), fanRow_));
    rg->addWidget(fanRow_, 0, 0, 1, 3);
    fanRow_->setVisible(false);
    rg->setRowMinimumHeight(0, 22);
    const struct { const char* label; PanelField field; int unitIndex; } infoRows[2] = {
        {"Sp1", PanelField::Sp1, 4}, {"Tr1", PanelField::Tr1, 5}};
    for (int i = 0; i < 2; ++i) {
        rg->addWidget(caption(QString::fromLatin1(infoRows[i].label), info), i + 1, 0);
        fields_[static_cast<int>(infoRows[i].field)] = valueField(info);
        rg->addWidget(fields_[static_cast<int>(infoRows[i].field)], i + 1, 1);
        units_[infoRows[i].unitIndex] = unit(QStringLiteral("°C"), info);
        rg->addWidget(units_[infoRows[i].unitIndex], i + 1, 2);
    }

    // "Output": Main, Fan1, Fan2.
    auto* output = new QGroupBox(QStringLiteral("Output"), this);
    auto* og = new QGridLayout(output);
    og->setContentsMargins(8, 4, 8, 6);
    og->setVerticalSpacing(3);
    const struct { const char* label; PanelField field; const char* unit; } outRows[3] = {
        {"Main", PanelField::Main, "%"}, {"Fan1", PanelField::Fan1, "V"}, {"Fan2", PanelField::Fan2, "V"}};
    for (int i = 0; i < 3; ++i) {
        og->addWidget(caption(QString::fromLatin1(outRows[i].label), output), i, 0);
        fields_[static_cast<int>(outRows[i].field)] = valueField(output);
        og->addWidget(fields_[static_cast<int>(outRows[i].field)], i, 1);
        og->addWidget(unit(QString::fromLatin1(outRows[i].unit), output), i, 2);
    }

    auto* bottom = new QHBoxLayout;
    bottom->addWidget(input, 2);
    bottom->addWidget(info, 1, Qt::AlignBottom);
    bottom->addWidget(output, 1, Qt::AlignBottom);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 6, 6, 2);
    layout->setSpacing(4);
    layout->addLayout(top);
    layout->addLayout(bottom);
}

void StatusPanel::setFieldText(PanelField field, const QString& text) {
    fields_[static_cast<int>(field)]->setText(text);
}

QString StatusPanel::fieldText(PanelField field) const { return fields_[static_cast<int>(field)]->text(); }

void StatusPanel::setTemperatureUnit(const QString& text) {
    for (QLabel* u : units_) u->setText(text);
}

void StatusPanel::setServiceMode(bool on) { fanRow_->setVisible(on); }
bool StatusPanel::fanCurrentsVisible() const { return !fanRow_->isHidden(); }
