// The parameter pages: every field from the page into the document and
// back, units, service-mode controls, enable rules and the alarm lamps.
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <bit>
#include <cmath>
#include <string>

#include "app/connection_manager.h"
#include "page_test_support.h"
#include "sim/virtual_regulator.h"
#include "ui/lamp_widget.h"
#include "ui/pages/alarm_page.h"
#include "ui/pages/base_page.h"
#include "ui/pages/fan_page.h"
#include "ui/pages/page_rules.h"
#include "ui/pages/regulator_page.h"
#include "ui/status_panel.h"
#include "ui/widgets/numeric_entry.h"

namespace {

CTQ_InterfaceView::Page pageOf(const ParameterField& f) {
    const std::string page = f.page;
    if (page == "Base") return CTQ_InterfaceView::BasePage;
    if (page == "Alarm") return CTQ_InterfaceView::AlarmPage;
    if (page == "Fan") return CTQ_InterfaceView::FanPage;
    return CTQ_InterfaceView::RegulatorPage;
}

// A value inside the field's range that differs from its default.
double probeValue(const ParameterField& f) {
    if (f.kind == FieldKind::Temperature) return 37.5;
    if (f.kind == FieldKind::TemperatureDifference) return 3.25;
    return f.min + (std::min(f.max, 1000.0) - f.min) * 0.375;
}

class ParameterPages : public PageWindowTest {
protected:
    // Every mode-dependent value in use: PID with loop mode, fans cooling
    // and heating, every alarm enabled; Algo for the Algo values.
    void useEveryField(bool algo) {
        document.ApplyDefaults();
        document.regulatorFlags = (algo ? 2u : 6u) | kRegulatorLoopMode;
        document.fan1Mode = document.fan2Mode = 4;
        document.alarmEnable1 = 0x3FF;
        document.alarmEnable2 = 0xFF;
        view->setServiceMode(true);
        view->onDocumentUpdate();
    }
    QString titleSuffix() const { return frame->windowTitle().right(2); }
};

}  // namespace

TEST_F(ParameterPages, EveryShownFieldGoesFromThePageToTheDocumentAndBack) {
    int checked = 0;
    for (const ParameterField& f : ParameterFields()) {
        if (f.page[0] == '\0' || f.bits != 0) continue;  // flag words are boxes and lists
        if (std::string_view(f.name) == "fan1Mode" || std::string_view(f.name) == "fan2Mode") continue;
        SCOPED_TRACE(f.name);
        useEveryField(std::string_view(f.name).rfind("algo", 0) == 0);
        auto* page = view->page(pageOf(f));
        view->tabs()->setCurrentIndex(pageOf(f));
        auto* edit = page->findChild<NumericEdit*>(QString::fromLatin1(f.name));
        ASSERT_NE(edit, nullptr);
        ASSERT_TRUE(edit->isEnabled());
        if (f.readOnly) continue;

        document.SetModifiedFlag(false);
        view->updateTitle();
        if (f.kind == FieldKind::SampleCount) {
            typeInto(edit, QStringLiteral("14.99"));  // at ts 0.05
            EXPECT_EQ(f.value(document), 299.0);
        } else {
            const QString typed = numeric_entry::format(probeValue(f), 6);
            typeInto(edit, typed);
            EXPECT_EQ(static_cast<float>(f.value(document)), static_cast<float>(numeric_entry::parse(typed)));
            EXPECT_EQ(edit->text(), typed);
        }
        EXPECT_TRUE(document.IsModified());
        EXPECT_EQ(titleSuffix(), " *");

        // And back: a value put into the document shows after an update.
        f.setValue(document, f.kind == FieldKind::SampleCount ? 300 : f.min);
        view->onDocumentUpdate();
        const double shown = f.kind == FieldKind::SampleCount ? 15.0 : f.min;
        EXPECT_EQ(edit->text(), numeric_entry::format(shown, 6));
        ++checked;
    }
    EXPECT_EQ(checked, 47);  // 59 scalar fields less six auxiliaries, three flag words, two fan modes, ts
}

// What the operator typed is stored, or nothing is: never a number on the
// way to the entry (6 and 60 of 600), never 0 for an empty field, and a
// decimal comma is the point.
TEST_F(ParameterPages, AnEntryIsStoredWholeOrNotAtAllAndLeavingShowsTheStoredValue) {
    auto* base = page<CBasePage>(CTQ_InterfaceView::BasePage);
    NumericEdit* st1 = base->binder().edit("st1");
    struct Case {
        const char* field;
        const char* typed;
        float stored;  // what the document holds afterwards
        bool refused;
    };
    const Case cases[] = {
        {"st1", "600", 20.0f, true},   {"st1", "999", 20.0f, true}, {"st1", "", 20.0f, true},
        {"st1", "-", 20.0f, true},     {"st1", "12,5", 12.5f, false}, {"kP", "-5", 20.0f, true},
        {"iOutUnder", "0,5", 0.5f, false},
    };
    useEveryField(false);
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.field) + " <- \"" + c.typed + "\"");
        document.ApplyDefaults();
        document.alarmEnable1 = 0x3FF;
        document.regulatorFlags = 6;  // PID
        view->onDocumentUpdate();
        const ParameterField& f = *FindParameterField(c.field);
        auto* p = dynamic_cast<ParameterPage*>(view->page(pageOf(f)));
        ASSERT_NE(p, nullptr);
        view->tabs()->setCurrentIndex(pageOf(f));
        NumericEdit* edit = p->binder().edit(c.field);
        ASSERT_TRUE(edit->isEnabled());
        const QString before = edit->text();
        if (!c.refused) {
            EXPECT_NE(static_cast<float>(f.value(document)), c.stored);
        }
        const float original = static_cast<float>(f.value(document));
        typeInto(edit, QString::fromUtf8(c.typed));
        EXPECT_EQ(static_cast<float>(f.value(document)), c.refused ? original : c.stored);
        EXPECT_EQ(edit->property("outOfRange").toBool(), c.refused);
        emit edit->editingFinished();
        EXPECT_EQ(edit->text(), c.refused ? before : numeric_entry::format(c.stored, 6));
        EXPECT_FALSE(edit->property("outOfRange").toBool());
    }
    // The Regulator page's St1 follows the Base page's through a refusal.
    document.ApplyDefaults();
    view->onDocumentUpdate();
    auto* regulator = page<CRegulatorPage>(CTQ_InterfaceView::RegulatorPage);
    view->tabs()->setCurrentIndex(CTQ_InterfaceView::BasePage);
    typeInto(st1, QStringLiteral("600"));
    EXPECT_EQ(regulator->binder().edit("st1")->text(), "20");
}

// ts is the regulator's: shown, never taken as an entry (a download would
// not send it).
TEST_F(ParameterPages, TheSampleTimeIsShownButNotEdited) {
    auto* regulator = page<CRegulatorPage>(CTQ_InterfaceView::RegulatorPage);
    NumericEdit* ts = regulator->binder().edit("ts");
    EXPECT_TRUE(ts->isReadOnly());
    typeInto(ts, QStringLiteral("1"));
    EXPECT_FLOAT_EQ(document.ts, 0.05f);
    EXPECT_FALSE(document.IsModified());
    EXPECT_TRUE(ts->whatsThis().contains("Get parameters"));
    document.ts = 0.1f;
    view->onDocumentUpdate();
    EXPECT_EQ(ts->text(), "0.1");
}

TEST_F(ParameterPages, FahrenheitShowsAndTakesTemperaturesAndDifferences) {
    useEveryField(false);
    view->setCelsius(false);
    auto* fan = page<CFanPage>(CTQ_InterfaceView::FanPage);
    EXPECT_EQ(fan->binder().edit("fan1SetPoint")->text(), "68");  // 20 C
    EXPECT_EQ(fan->binder().edit("fan1DeadBand")->text(), "14.4");  // 8 C difference
    EXPECT_EQ(fan->binder().unit("fan1SetPoint")->text(), QStringLiteral("°F"));
    EXPECT_EQ(fan->binder().unit("fan1DeadBand")->text(), QStringLiteral("°F"));
    EXPECT_EQ(fan->binder().unit("fan1LowVoltage")->text(), "V");

    auto* base = page<CBasePage>(CTQ_InterfaceView::BasePage);
    typeInto(base->binder().edit("st1"), QStringLiteral("77"));
    EXPECT_FLOAT_EQ(document.st1, 25.0f);
    view->tabs()->setCurrentIndex(CTQ_InterfaceView::FanPage);
    typeInto(fan->binder().edit("fan1DeadBand"), QStringLiteral("9"));
    EXPECT_FLOAT_EQ(document.fan1DeadBand, 5.0f);

    // The Regulator page shows the St1 the Base page stored, in its unit.
    auto* regulator = page<CRegulatorPage>(CTQ_InterfaceView::RegulatorPage);
    EXPECT_EQ(regulator->binder().edit("st1")->text(), "77");
    view->setCelsius(true);
    EXPECT_EQ(regulator->binder().edit("st1")->text(), "25");
    EXPECT_EQ(regulator->binder().unit("st1")->text(), QStringLiteral("°C"));
}

// 0 °C (an ice-point calibration reads exactly 0.00) is 32 °F on the pages
// and on the status panel, like any other temperature.
TEST_F(ParameterPages, ZeroCelsiusIsThirtyTwoFahrenheitOnPageAndPanel) {
    view->setCelsius(false);
    document.st1 = 0.0f;
    view->onDocumentUpdate();
    auto* base = page<CBasePage>(CTQ_InterfaceView::BasePage);
    EXPECT_EQ(base->binder().edit("st1")->text(), "32");
    typeInto(base->binder().edit("st1"), QStringLiteral("50"));
    EXPECT_FLOAT_EQ(document.st1, 10.0f);
    typeInto(base->binder().edit("st1"), QStringLiteral("32"));
    EXPECT_EQ(document.st1, 0.0f);

    std::string zeros = "[7";
    for (int i = 0; i < 25; ++i) zeros += " 0";
    zeros += "]";
    view->fanOut().refreshTick();
    ASSERT_TRUE(view->fanOut().decode(zeros.c_str()));
    ASSERT_TRUE(spinUntil([&] {
        view->refreshControls();
        return view->panel()->fieldText(PanelField::T1) != "--";
    }, 3000));
    for (PanelField f : {PanelField::T1, PanelField::T4, PanelField::Sp1, PanelField::Tr1})
        EXPECT_EQ(view->panel()->fieldText(f), "32.00") << panelFieldName(f);
}

TEST_F(ParameterPages, LoopDurationsConvertByTheSampleTime) {
    useEveryField(false);
    auto* regulator = page<CRegulatorPage>(CTQ_InterfaceView::RegulatorPage);
    EXPECT_EQ(regulator->binder().edit("loopHighCount")->text(), "15");
    EXPECT_EQ(regulator->binder().edit("loopLowCount")->text(), "10");
    typeInto(regulator->binder().edit("loopHighCount"), QStringLiteral("14.99"));
    EXPECT_EQ(document.loopHighCount, 299u);
    typeInto(regulator->binder().edit("loopLowCount"), QStringLiteral("15"));
    EXPECT_EQ(document.loopLowCount, 300u);
    // A new ts (read from the regulator) shows the same counts as other durations.
    document.ts = 0.1f;
    view->onDocumentUpdate();
    EXPECT_EQ(regulator->binder().edit("loopLowCount")->text(), "30");
    EXPECT_EQ(document.loopLowCount, 300u);
}

TEST_F(ParameterPages, ServiceModeShowsAndHidesExactlyTheListedControls) {
    auto* alarm = page<CAlarmPage>(CTQ_InterfaceView::AlarmPage);
    QList<QWidget*> alarmService{alarm->voltageInternalGroup()};
    for (AlarmLamp l : {AlarmLamp::VoltageInternalOver, AlarmLamp::VoltageInternalUnder}) {
        alarmService << alarm->enableBox(l) << alarm->lamp(l);
    }
    for (const char* f : {"vIntOver", "vIntUnder"}) alarmService << alarm->binder().edit(f) << alarm->binder().unit(f);
    auto* regulator = page<CRegulatorPage>(CTQ_InterfaceView::RegulatorPage);
    const QList<QWidget*> regulatorService = regulator->serviceControls();
    ASSERT_EQ(regulatorService.size(), 1 + 2 * 2 + 3);  // box, two durations, St2 with its unit

    auto visibleSet = [](QWidget* page) {
        QList<QWidget*> shown;
        for (QWidget* w : page->findChildren<QWidget*>())
            if (w->isVisibleTo(page)) shown << w;
        return shown;
    };
    for (bool on : {false, true, false}) {
        SCOPED_TRACE(on ? "service mode" : "normal");
        view->setServiceMode(on);
        view->onDocumentUpdate();
        for (QWidget* w : alarmService) EXPECT_EQ(w->isVisibleTo(alarm), on) << w->objectName().toStdString();
        for (QWidget* w : regulatorService) EXPECT_EQ(w->isVisibleTo(regulator), on) << w->objectName().toStdString();
    }
    // Everything else stays as it is in both modes.
    view->setServiceMode(false);
    const QList<QWidget*> alarmNormal = visibleSet(alarm);
    const QList<QWidget*> regulatorNormal = visibleSet(regulator);
    view->setServiceMode(true);
    for (QWidget* w : alarmNormal) EXPECT_TRUE(w->isVisibleTo(alarm)) << w->objectName().toStdString();
    for (QWidget* w : regulatorNormal) EXPECT_TRUE(w->isVisibleTo(regulator)) << w->objectName().toStdString();
    // And what service mode adds is the listed controls and their group.
    QWidget* alarmGroup = alarm->voltageInternalGroup();
    for (QWidget* w : visibleSet(alarm)) {
        if (!alarmNormal.contains(w)) {
            EXPECT_TRUE(w == alarmGroup || w->parentWidget() == alarmGroup);
        }
    }
    QWidget* loopGroup = regulator->loopTime()->parentWidget();
    for (QWidget* w : visibleSet(regulator)) {
        if (!regulatorNormal.contains(w)) {
            EXPECT_TRUE(w == loopGroup || regulatorService.contains(w));
        }
    }
}

TEST_F(ParameterPages, ModesDisableTheValuesTheyDoNotUseAndKeepOtherBits) {
    document.regulatorFlags = 0x80 | 0x20;  // Off, autostart, Tc power internal
    view->onDocumentUpdate();
    auto* regulator = page<CRegulatorPage>(CTQ_InterfaceView::RegulatorPage);
    EXPECT_FALSE(regulator->binder().edit("kP")->isEnabled());
    EXPECT_TRUE(regulator->binder().edit("kP")->isVisible());  // disabled, not hidden
    EXPECT_TRUE(regulator->tcPowerInternal()->isChecked());
    regulator->modeList()->setCurrentIndex(4);  // PI
    EXPECT_EQ(document.regulatorFlags, 0x80u | 0x20u | 4u);
    EXPECT_TRUE(regulator->binder().edit("kP")->isEnabled());
    EXPECT_TRUE(regulator->binder().edit("kI")->isEnabled());
    EXPECT_FALSE(regulator->binder().edit("kD")->isEnabled());
    EXPECT_FALSE(regulator->binder().edit("algoDeadBand")->isEnabled());
    regulator->trExternal()->setChecked(true);
    EXPECT_EQ(document.regulatorFlags, 0x80u | 0x20u | 0x10u | 4u);
    EXPECT_TRUE(document.IsModified());

    // An unknown mode stays in the word and shows no list entry.
    document.regulatorFlags = 9;
    view->onDocumentUpdate();
    EXPECT_EQ(regulator->modeList()->currentIndex(), -1);
    EXPECT_EQ(document.regulatorFlags, 9u);

    auto* fan = page<CFanPage>(CTQ_InterfaceView::FanPage);
    fan->modeList(2)->setCurrentIndex(1);  // Always on
    EXPECT_EQ(document.fan2Mode, 1u);
    EXPECT_TRUE(fan->binder().edit("fan2HighVoltage")->isEnabled());
    EXPECT_FALSE(fan->binder().edit("fan2SetPoint")->isEnabled());
    EXPECT_FALSE(fan->binder().edit("fan1HighVoltage")->isEnabled());  // fan 1 is off

    // An alarm enable box is its bit; the limit is editable only when enabled.
    auto* alarm = page<CAlarmPage>(CTQ_InterfaceView::AlarmPage);
    EXPECT_TRUE(alarm->enableBox(AlarmLamp::VoltageInOver)->isChecked());
    EXPECT_FALSE(alarm->enableBox(AlarmLamp::CurrentOutUnder)->isChecked());
    EXPECT_FALSE(alarm->binder().edit("iOutUnder")->isEnabled());
    alarm->enableBox(AlarmLamp::CurrentOutUnder)->setChecked(true);
    alarm->enableBox(AlarmLamp::T4Low)->setChecked(true);
    alarm->enableBox(AlarmLamp::VoltageInOver)->setChecked(false);
    EXPECT_EQ(document.alarmEnable1, (351u | 0x20u) & ~1u);
    EXPECT_EQ(document.alarmEnable2, 67u | 0x80u);
    EXPECT_TRUE(alarm->binder().edit("iOutUnder")->isEnabled());
}

TEST_F(ParameterPages, BasePageEditsNotesAndSensorOne) {
    auto* base = page<CBasePage>(CTQ_InterfaceView::BasePage);
    EXPECT_EQ(base->notesEdit()->toPlainText(), "Enter user comment here...");
    ASSERT_EQ(base->sensorList()->count(), 32);
    EXPECT_EQ(base->sensorList()->currentText(), "TC-NTC-1");
    base->notesEdit()->setPlainText(QStringLiteral("Line one\nLine two"));
    EXPECT_EQ(document.notes, "Line one\nLine two");
    EXPECT_EQ(titleSuffix(), " *");
    base->sensorList()->setCurrentIndex(4);
    EXPECT_EQ(document.sensor1.select, 4u);
    document.sensor1.select = 2;
    document.notes = "from a file";
    view->onDocumentUpdate();
    EXPECT_EQ(base->sensorList()->currentText(), "TC-NTC-2");
    EXPECT_EQ(base->notesEdit()->toPlainText(), "from a file");
}

TEST_F(ParameterPages, AlarmLampsFlashForTheirLatchBits) {
    auto* alarm = page<CAlarmPage>(CTQ_InterfaceView::AlarmPage);
    // Sensor 1 missing lights both T1 lamps; FAN 2 under-current its own.
    const AlarmLamps lamps = alarmLampsFor(1u << 13, 1u << 3);
    alarm->flashLamps(lamps, 250);
    for (int i = 0; i < kAlarmLampCount; ++i) {
        const auto l = static_cast<AlarmLamp>(i);
        const bool lit = l == AlarmLamp::T1High || l == AlarmLamp::T1Low || l == AlarmLamp::Fan2CurrentUnder;
        EXPECT_EQ(alarm->lamp(l)->state(), lit ? LampWidget::Lit : LampWidget::Unlit) << i;
    }
    EXPECT_TRUE(spinUntil([&] { return alarm->lamp(AlarmLamp::T1High)->state() == LampWidget::Unlit; }, 2000));
    alarm->flashLampBits(QStringLiteral("not bits"), 250);  // ignored
    for (int i = 0; i < kAlarmLampCount; ++i)
        EXPECT_EQ(alarm->lamp(static_cast<AlarmLamp>(i))->state(), LampWidget::Unlit);
}

// The input voltage of the virtual regulator (11.7 V) is above a limit of
// 5 V: its alarm reaches the Voltage In "Over" lamp from the serial worker.
TEST_F(ParameterPages, AlarmFromTheRegulatorFlashesItsLamp) {
    auto* alarm = page<CAlarmPage>(CTQ_InterfaceView::AlarmPage);
    sim::VirtualRegulator regulator;
    ASSERT_TRUE(regulator.start());
    regulator.setRegisterBits(53, std::bit_cast<std::uint32_t>(5.0f));
    view->setup().portName = regulator.slavePath();
    view->connection().connectPort();
    bool overLit = false;
    bool otherLit = false;
    spinUntil([&] {
        overLit = overLit || alarm->lamp(AlarmLamp::VoltageInOver)->state() == LampWidget::Lit;
        for (AlarmLamp l : {AlarmLamp::VoltageInUnder, AlarmLamp::CurrentOutOver, AlarmLamp::T1High})
            otherLit = otherLit || alarm->lamp(l)->state() == LampWidget::Lit;
        return overLit;
    }, 8000);
    EXPECT_TRUE(overLit);
    EXPECT_FALSE(otherLit);
    view->connection().disconnectPort();
}

TEST_F(ParameterPages, APageChangeReachesADownload) {
    useEveryField(false);
    auto* regulator = page<CRegulatorPage>(CTQ_InterfaceView::RegulatorPage);
    typeInto(regulator->binder().edit("kP"), QStringLiteral("18.5"));
    view->setCelsius(false);
    typeInto(regulator->binder().edit("st1"), QStringLiteral("77"));
    sim::VirtualRegulator sim;
    ASSERT_TRUE(sim.start());
    view->setup().portName = sim.slavePath();
    view->connection().connectPort();
    ASSERT_TRUE(spinUntil([&] { return view->connection().mode() == ConnectionManager::ModeOnline; }, 5000));
    view->onDownloadParameters();
    EXPECT_EQ(std::bit_cast<float>(sim.registerBits(1)), 18.5f);
    EXPECT_EQ(std::bit_cast<float>(sim.registerBits(0)), 25.0f);
    view->connection().disconnectPort();
}

TEST_F(ParameterPages, CrossedAlarmLimitsAreNamedOnThePage) {
    useEveryField(false);
    auto* alarm = page<CAlarmPage>(CTQ_InterfaceView::AlarmPage);
    EXPECT_TRUE(alarm->crossedWarning()->text().isEmpty());
    typeInto(alarm->binder().edit("t1High"), QStringLiteral("80"));
    typeInto(alarm->binder().edit("t1Low"), QStringLiteral("90"));
    EXPECT_EQ(alarm->crossedWarning()->text(),
              QStringLiteral("T1: Low 90 °C lies above High 80 °C, so the alarm is raised whatever the value."));
    // Only a pair whose alarms are both on can raise one for nothing.
    alarm->enableBox(AlarmLamp::T1Low)->setChecked(false);
    EXPECT_TRUE(alarm->crossedWarning()->text().isEmpty());
    alarm->enableBox(AlarmLamp::T1Low)->setChecked(true);
    typeInto(alarm->binder().edit("t1Low"), QStringLiteral("70"));
    EXPECT_TRUE(alarm->crossedWarning()->text().isEmpty());
}

// The window keeps one size, large enough for every page, whichever tab is
// selected: nothing moves under the mouse.
TEST_F(ParameterPages, TheWindowKeepsOneSizeOnEveryTab) {
    QApplication::processEvents();
    const QSize first = frame->size();
    for (int tab = 0; tab < view->tabs()->count(); ++tab) {
        view->tabs()->setCurrentIndex(tab);
        QApplication::processEvents();
        EXPECT_EQ(frame->size(), first) << "tab " << tab;
        QWidget* shown = view->page(static_cast<CTQ_InterfaceView::Page>(tab));
        EXPECT_GE(shown->width(), shown->minimumSizeHint().width()) << "tab " << tab;
        EXPECT_GE(shown->height(), shown->minimumSizeHint().height()) << "tab " << tab;
    }
}
