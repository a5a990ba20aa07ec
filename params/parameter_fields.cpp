#include "params/parameter_fields.h"

#include <cfloat>
#include <cmath>
#include <cstdio>

#include "params/parameter_assign.h"

namespace {

constexpr double kAnyFloat = FLT_MAX;
constexpr double kAnyUnsigned = 4294967295.0;
// Temperatures the sensors and the regulator can sensibly be asked for.
constexpr double kTempMin = -200.0;
constexpr double kTempMax = 500.0;
constexpr double kDiffMax = 100.0;  // dead-bands and hystereses

constexpr FieldKind P = FieldKind::Plain;
constexpr FieldKind T = FieldKind::Temperature;
constexpr FieldKind D = FieldKind::TemperatureDifference;
constexpr FieldKind N = FieldKind::SampleCount;

#define TQ_FIELD(name, page, group, label, unit, kind, min, max) \
    ParameterField { #name, &ParameterSet::name, page, group, label, unit, kind, false, min, max, 0, 0 }
#define TQ_BITS(name, page, group, label, bits, modeMax)                                       \
    ParameterField {                                                                            \
        #name, &ParameterSet::name, page, group, label, "", P, false, 0, bits, bits, modeMax \
    }

const ParameterField kFields[] = {
    TQ_FIELD(st1, "Base", "", "St1", "°C", T, kTempMin, kTempMax),
    TQ_FIELD(kP, "Regulator", "", "Propotional (kP)", "", P, 0, 10000),
    TQ_FIELD(kI, "Regulator", "", "Integral (kI)", "", P, 0, 10000),
    TQ_FIELD(kD, "Regulator", "", "Derivative (kD)", "", P, 0, 10000),
    TQ_FIELD(kTr, "Regulator", "", "Lowpass Tr (kTr)", "", P, 0.001, 10000),
    TQ_FIELD(kTe, "Regulator", "", "Lowpass Te (kTe)", "", P, 0.001, 10000),
    TQ_FIELD(maxPower, "Regulator", "", "Max power out", "%", P, 0, 100),
    TQ_FIELD(deadBand, "Regulator", "", "Dead-band", "%", P, 0, 100),
    TQ_FIELD(integralLimit, "Regulator", "", "Integral value limit", "%", P, 0, 100),
    ParameterField{"ts", &ParameterSet::ts, "Regulator", "", "Sampling speed (ts)", "s", P, false, 0.001, 10, 0, 0,
                   true},
    TQ_FIELD(coolGain, "Regulator", "", "Cooling Gain", "", P, 0, 1000),
    TQ_FIELD(heatGain, "Regulator", "", "Heating Gain", "", P, 0, 1000),
    TQ_FIELD(decay, "Regulator", "", "Decay when stoped", "", P, 0, 1000),
    TQ_BITS(regulatorFlags, "Regulator", "", "Mode", 0x1BF, 6),
    TQ_FIELD(algoDeadBand, "Regulator", "Algo", "Dead-band", "°C", D, 0, kDiffMax),
    TQ_FIELD(algoHysteresis, "Regulator", "Algo", "Hysteresis", "°C", D, 0, kDiffMax),
    TQ_FIELD(fan1Mode, "Fan", "Fan 1", "Mode", "", P, 0, 5),
    TQ_FIELD(fan1SetPoint, "Fan", "Fan 1", "Set Point", "°C", T, kTempMin, kTempMax),
    TQ_FIELD(fan1DeadBand, "Fan", "Fan 1", "Dead-band", "°C", D, 0, kDiffMax),
    TQ_FIELD(fan1LowHyst, "Fan", "Fan 1", "Low Speed Hysteresis", "°C", D, 0, kDiffMax),
    TQ_FIELD(fan1HighHyst, "Fan", "Fan 1", "High Speed Hysteresis", "°C", D, 0, kDiffMax),
    TQ_FIELD(fan1LowVoltage, "Fan", "Fan 1", "Low Speed Voltage", "V", P, 0, 100),
    TQ_FIELD(fan1HighVoltage, "Fan", "Fan 1", "High Speed Voltage", "V", P, 0, 100),
    TQ_FIELD(fan2Mode, "Fan", "Fan 2", "Mode", "", P, 0, 5),
    TQ_FIELD(fan2SetPoint, "Fan", "Fan 2", "Set Point", "°C", T, kTempMin, kTempMax),
    TQ_FIELD(fan2DeadBand, "Fan", "Fan 2", "Dead-band", "°C", D, 0, kDiffMax),
    TQ_FIELD(fan2LowHyst, "Fan", "Fan 2", "Low Speed Hysteresis", "°C", D, 0, kDiffMax),
    TQ_FIELD(fan2HighHyst, "Fan", "Fan 2", "High Speed Hysteresis", "°C", D, 0, kDiffMax),
    TQ_FIELD(fan2LowVoltage, "Fan", "Fan 2", "Low Speed Voltage", "V", P, 0, 100),
    TQ_FIELD(fan2HighVoltage, "Fan", "Fan 2", "High Speed Voltage", "V", P, 0, 100),
    TQ_FIELD(aux30, "", "", "", "", P, -kAnyFloat, kAnyFloat),
    TQ_FIELD(aux31, "", "", "", "", P, -kAnyFloat, kAnyFloat),
    TQ_FIELD(aux32, "", "", "", "", P, -kAnyFloat, kAnyFloat),
    TQ_FIELD(aux33, "", "", "", "", P, -kAnyFloat, kAnyFloat),
    TQ_FIELD(aux34, "", "", "", "", P, -kAnyFloat, kAnyFloat),
    TQ_FIELD(vInOver, "Alarm", "Voltage In", "Over", "V", P, 0, 100),
    TQ_FIELD(vInUnder, "Alarm", "Voltage In", "Under", "V", P, 0, 100),
    TQ_FIELD(vIntOver, "Alarm", "Voltage Internal", "Over", "V", P, 0, 100),
    TQ_FIELD(vIntUnder, "Alarm", "Voltage Internal", "Under", "V", P, 0, 100),
    TQ_FIELD(iOutOver, "Alarm", "Current Out", "Over", "A", P, 0, 100),
    TQ_FIELD(iOutUnder, "Alarm", "Current Out", "Under", "A", P, 0, 100),
    TQ_FIELD(fan1IOver, "Alarm", "FAN 1 Current", "Over", "A", P, 0, 100),
    TQ_FIELD(fan1IUnder, "Alarm", "FAN 1 Current", "Under", "A", P, 0, 100),
    TQ_FIELD(fan2IOver, "Alarm", "FAN 2 Current", "Over", "A", P, 0, 100),
    TQ_FIELD(fan2IUnder, "Alarm", "FAN 2 Current", "Under", "A", P, 0, 100),
    TQ_FIELD(t1High, "Alarm", "T1", "High", "°C", T, kTempMin, kTempMax),
    TQ_FIELD(t1Low, "Alarm", "T1", "Low", "°C", T, kTempMin, kTempMax),
    TQ_FIELD(t2High, "Alarm", "T2", "High", "°C", T, kTempMin, kTempMax),
    TQ_FIELD(t2Low, "Alarm", "T2", "Low", "°C", T, kTempMin, kTempMax),
    TQ_FIELD(t3High, "Alarm", "T3", "High", "°C", T, kTempMin, kTempMax),
    TQ_FIELD(t3Low, "Alarm", "T3", "Low", "°C", T, kTempMin, kTempMax),
    TQ_FIELD(t4High, "Alarm", "T4", "High", "°C", T, kTempMin, kTempMax),
    TQ_FIELD(t4Low, "Alarm", "T4", "Low", "°C", T, kTempMin, kTempMax),
    TQ_BITS(alarmEnable1, "Alarm", "", "", 0x3FF, 0),
    TQ_BITS(alarmEnable2, "Alarm", "", "", 0xFF, 0),
    TQ_FIELD(aux96, "", "", "", "", P, 0, kAnyUnsigned),
    TQ_FIELD(st2, "Regulator", "", "St2", "°C", T, kTempMin, kTempMax),
    TQ_FIELD(loopHighCount, "Regulator", "", "High (s)", "samples", N, 1, kAnyUnsigned),
    TQ_FIELD(loopLowCount, "Regulator", "", "Low (s)", "samples", N, 1, kAnyUnsigned),
};

#undef TQ_FIELD
#undef TQ_BITS

}  // namespace

double ParameterField::value(const ParameterSet& p) const {
    if (isFloat())
        return p.*std::get<float ParameterSet::*>(member);
    return p.*std::get<std::uint32_t ParameterSet::*>(member);
}

void ParameterField::setValue(ParameterSet& p, double v) const {
    if (isFloat()) {
        p.*std::get<float ParameterSet::*>(member) = static_cast<float>(v);
        return;
    }
    std::uint32_t u = 0;
    if (v >= kAnyUnsigned)
        u = 4294967295u;
    else if (v > 0)
        u = static_cast<std::uint32_t>(v);
    p.*std::get<std::uint32_t ParameterSet::*>(member) = u;
}

std::span<const ParameterField> ParameterFields() {
    return kFields;
}

const ParameterField* FindParameterField(std::string_view name) {
    for (const ParameterField& f : kFields)
        if (name == f.name)
            return &f;
    return nullptr;
}

bool FieldAccepts(const ParameterField& f, double value) {
    if (!std::isfinite(value) || value < f.min || value > f.max)
        return false;
    if (f.isFloat())
        return true;
    if (value != std::floor(value))
        return false;
    if (f.bits == 0)
        return true;
    const auto u = static_cast<std::uint32_t>(value);
    if (u & ~f.bits)
        return false;
    return f.modeMax == 0 || (u & kRegulatorModeMask) <= f.modeMax;
}

namespace {

std::string numberText(double v) {
    if (v >= kAnyUnsigned)
        return "4294967295";
    return FloatText(static_cast<float>(v));
}

}  // namespace

std::string FieldRangeText(const ParameterField& f) {
    if (f.bits != 0) {
        char text[80];
        if (f.modeMax != 0)
            std::snprintf(text, sizeof text, "mode 0 .. %u in bits 0-3, other bits within 0x%X",
                          f.modeMax, f.bits);
        else
            std::snprintf(text, sizeof text, "bits within 0x%X", f.bits);
        return text;
    }
    if (f.isFloat() && f.min <= -kAnyFloat && f.max >= kAnyFloat)
        return "any finite number";
    std::string text = numberText(f.min) + " .. " + numberText(f.max);
    if (f.unit[0] != '\0')
        text += std::string(" ") + f.unit;
    return text;
}

double FieldToDisplay(const ParameterField& f, double stored, bool celsius) {
    if (celsius)
        return stored;
    if (f.kind == FieldKind::Temperature)
        return stored * 1.8 + 32.0;
    if (f.kind == FieldKind::TemperatureDifference)
        return stored * 1.8;
    return stored;
}

double FieldFromDisplay(const ParameterField& f, double shown, bool celsius) {
    if (celsius)
        return shown;
    if (f.kind == FieldKind::Temperature)
        return (shown - 32.0) / 1.8;
    if (f.kind == FieldKind::TemperatureDifference)
        return shown / 1.8;
    return shown;
}

const char* FieldDisplayUnit(const ParameterField& f, bool celsius) {
    const bool temperature =
        f.kind == FieldKind::Temperature || f.kind == FieldKind::TemperatureDifference;
    if (temperature && !celsius)
        return "°F";
    return f.unit;
}
