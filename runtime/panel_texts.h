// The live status panel's fields and the texts a sample gives them.
#pragma once

#include <array>
#include <string>

#include "runtime/runtime_sample.h"

enum class PanelField : int {
    Main,         // %      fgTc
    Fan1,         // V      fgF1Tc
    Fan2,         // V      fgF2Tc
    MainCurrent,  // I(main), A   g_curr
    Uext,         // Uext.ctrl, V fgTrExt
    Uin,          // V      g_vin
    T1,
    T2,
    T3,
    T4,
    Sp1,          // fgTr
    Tr1,          // frTa
    Fan1Current,  // FAN, first field (service mode only)
    Fan2Current,  // FAN, second field (service mode only)
};
inline constexpr int kPanelFieldCount = 14;
// The fields a bad line or leaving the online mode sets to "--" (with Status).
inline constexpr int kClearedPanelFields = 12;

// The panel label of a field ("Main", "I(main)", "FAN1", ...).
const char* panelFieldName(PanelField field);

// Degrees Celsius to the display unit: as received when `showCelsius`, else
// value * 1.8 + 32 in single precision (0 °C, the ice point, reads 32 °F).
float displayTemperature(float celsius, bool showCelsius);

struct PanelTexts {
    std::array<std::string, kPanelFieldCount> fields;  // by PanelField
    int count = 12;  // 14 in service mode: the two fan currents too
};

PanelTexts formatPanelTexts(const RuntimeSample& sample, bool showCelsius, bool serviceMode);
