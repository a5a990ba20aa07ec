// The one description of the scalar fields of a parameter set (st1 ..
// loopLowCount, in the order they are held): name, where the window shows it
// and under which label, unit, kind, precision and entry range. The file
// format, the pages, tqctl and the report read this table instead of
// repeating the list.
//
//   for (const FieldInfo& f : allFields()) ...
//   const FieldInfo* f = findField("kP");   // null for an unknown name
//   if (!FieldAccepts(*f, value)) error(f->name + FieldRangeText(*f));
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <variant>

#include "params/parameter_set.h"

enum class FieldKind {
    Plain,
    Temperature,            // degrees Celsius; shown as F = C x 1.8 + 32
    TemperatureDifference,  // Celsius degrees; shown as x 1.8 (no offset)
    SampleCount,            // regulator samples; shown as seconds (count x ts)
};

struct ParameterField {
    const char* name;
    std::variant<float ParameterSet::*, std::uint32_t ParameterSet::*> member;
    const char* page;   // "Base", "Regulator", "Fan", "Alarm"; "" when no page shows it
    const char* group;  // the group box on that page, "" for none
    const char* label;  // the page's label, spelled as the window shows it
    const char* unit;   // "°C" for temperatures and differences, "%", "s", "V", "A", ""
    FieldKind kind;
    bool isDouble;  // false: single precision (6 digits shown); true: 15 digits
    // Entry range, inclusive, in the stored unit (Celsius, samples).
    double min;
    double max;
    // Flag words: the bits a value may carry (0 for plain numbers). For the
    // regulator word the low four bits are a mode, 0 .. modeMax.
    std::uint32_t bits;
    std::uint32_t modeMax;
    // The regulator's own value: read from it, never written to it, so the
    // window shows it without taking entries.
    bool readOnly = false;

    bool isFloat() const { return std::holds_alternative<float ParameterSet::*>(member); }
    int precision() const { return isDouble ? 15 : 6; }

    double value(const ParameterSet& p) const;
    // Stores `v` as the field's type (unsigned fields truncate toward zero).
    void setValue(ParameterSet& p, double v) const;
};
using FieldInfo = ParameterField;

std::span<const ParameterField> ParameterFields();
// Null when no scalar field has that name.
const ParameterField* FindParameterField(std::string_view name);

inline std::span<const FieldInfo> allFields() { return ParameterFields(); }
inline const FieldInfo* findField(std::string_view name) { return FindParameterField(name); }

// True when `value` (stored unit) lies in the field's range; unsigned fields
// also need a whole number and, for flag words, only the allowed bits.
bool FieldAccepts(const ParameterField& f, double value);
// "-200 .. 500 °C", "0 .. 5", "bits 0x3FF" -- the range as an operator reads it.
std::string FieldRangeText(const ParameterField& f);

// Display and entry in the window's unit: temperatures in Fahrenheit when
// `celsius` is false, differences scaled by 1.8; everything else unchanged.
double FieldToDisplay(const ParameterField& f, double stored, bool celsius);
double FieldFromDisplay(const ParameterField& f, double shown, bool celsius);
// The unit label for the window's setting ("°F" instead of "°C").
const char* FieldDisplayUnit(const ParameterField& f, bool celsius);
