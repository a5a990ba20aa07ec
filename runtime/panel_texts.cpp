#include "runtime/panel_texts.h"

#include "runtime/text_format.h"

const char* panelFieldName(PanelField field)
{
    static const char* const names[kPanelFieldCount] = {
        "Main", "Fan1", "Fan2", "I(main)", "Uext.ctrl", "Uin", "T1",
        "T2",   "T3",   "T4",   "Sp1",     "Tr1",       "FAN1", "FAN2"};
    const int index = static_cast<int>(field);
    return index >= 0 && index < kPanelFieldCount ? names[index] : "";
}

float displayTemperature(float celsius, bool showCelsius)
{
    if (showCelsius) return celsius;
    return celsius * 1.8f + 32.0f;
}

PanelTexts formatPanelTexts(const RuntimeSample& s, bool showCelsius, bool serviceMode)
{
    PanelTexts t;
    auto set = [&t](PanelField f, double v, int decimals) {
        t.fields[static_cast<int>(f)] = fixedText(v, decimals);
    };
    auto temperature = [showCelsius](float v) { return displayTemperature(v, showCelsius); };
    set(PanelField::Main, s.fgTc, 0);
    set(PanelField::Fan1, s.fgF1Tc, 0);
    set(PanelField::Fan2, s.fgF2Tc, 0);
    set(PanelField::MainCurrent, s.g_curr, 2);
    set(PanelField::Uext, s.fgTrExt, 1);
    set(PanelField::Uin, s.g_vin, 1);
    set(PanelField::T1, temperature(s.fgTa1), 2);
    set(PanelField::T2, temperature(s.fgTa2), 2);
    set(PanelField::T3, temperature(s.fgTa3), 2);
    set(PanelField::T4, temperature(s.fgTa4), 2);
    set(PanelField::Sp1, temperature(s.fgTr), 2);
    set(PanelField::Tr1, temperature(s.frTa), 2);
    if (serviceMode) {
        set(PanelField::Fan1Current, s.F1_curr, 2);
        set(PanelField::Fan2Current, s.F2_curr, 2);
        t.count = kPanelFieldCount;
    }
    return t;
}
