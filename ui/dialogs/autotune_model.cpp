#include "ui/dialogs/autotune_model.h"

#include <algorithm>

#include "params/parameter_assign.h"
#include "params/parameter_fields.h"
#include "runtime/text_format.h"

namespace {

constexpr double kDefaultBandC = 10.0;
constexpr double kDefaultTimeLimit = 600.0;
constexpr double kDefaultPowerCap = 40.0;   // a relay wider than this only heats the load up
constexpr double kBandMinC = 0.5, kBandMaxC = 50.0;
constexpr double kTimeMin = 10.0, kTimeMax = 7200.0;

const ParameterField& st1Field() { return *FindParameterField("st1"); }

// Shortest text of a number as the entry fields show it (no locale).
std::string numberText(double v) { return FloatText(static_cast<float>(v)); }

std::string rangeText(double min, double max, const char* unit) {
    return " (" + numberText(min) + " .. " + numberText(max) + " " + unit + ")";
}

}  // namespace

AutotuneModel::AutotuneModel(const ParameterSet& document, bool celsius) : celsius_(celsius) {
    defaults_[SetPoint] = numberText(FieldToDisplay(st1Field(), document.st1, celsius));
    const double power = document.maxPower > 0 ? std::min<double>(document.maxPower, kDefaultPowerCap) : kDefaultPowerCap;
    defaults_[MaxPower] = numberText(power);
    defaults_[Band] = numberText(celsius ? kDefaultBandC : kDefaultBandC * 1.8);
    defaults_[TimeLimit] = numberText(kDefaultTimeLimit);
}

const char* AutotuneModel::label(Entry e) {
    static const char* const labels[EntryCount] = {"Operating point", "Output limit", "Band +/-", "Time limit"};
    return labels[e];
}

const char* AutotuneModel::unit(Entry e) const {
    switch (e) {
    case SetPoint:
    case Band: return celsius_ ? "\xC2\xB0" "C" : "\xC2\xB0" "F";
    case MaxPower: return "%";
    default: return "s";
    }
}

bool AutotuneModel::makeRequest(const Entries& entries, tuning::TuningRule rule, tuning::TuningRequest& out,
                                std::string& error) const {
    float v[EntryCount] = {};
    for (int i = 0; i < EntryCount; ++i) {
        if (!ParseFloatText(entries[i], v[i])) {
            error = std::string(label(static_cast<Entry>(i))) + ": \"" + entries[i] + "\" is not a number";
            return false;
        }
    }
    const ParameterField& st1 = st1Field();
    const double point = FieldFromDisplay(st1, v[SetPoint], celsius_);
    const double band = celsius_ ? v[Band] : v[Band] / 1.8;
    auto outside = [&](Entry e, double value, double min, double max, double shownMin, double shownMax) {
        if (value >= min && value <= max) return false;
        error = std::string(label(e)) + " is out of range" + rangeText(shownMin, shownMax, unit(e));
        return true;
    };
    if (outside(SetPoint, point, st1.min, st1.max, FieldToDisplay(st1, st1.min, celsius_),
                FieldToDisplay(st1, st1.max, celsius_)) ||
        outside(MaxPower, v[MaxPower], 1, 100, 1, 100) ||
        outside(Band, band, kBandMinC, kBandMaxC, celsius_ ? kBandMinC : kBandMinC * 1.8,
                celsius_ ? kBandMaxC : kBandMaxC * 1.8) ||
        outside(TimeLimit, v[TimeLimit], kTimeMin, kTimeMax, kTimeMin, kTimeMax))
        return false;
    out = tuning::TuningRequest{};
    out.setPoint = point;
    out.maxPower = v[MaxPower];
    out.band = band;
    out.timeLimit = v[TimeLimit];
    out.rule = rule;
    return true;
}

std::string AutotuneModel::summary() const {
    if (!outcome_) return {};
    const tuning::TuningOutcome& o = *outcome_;
    if (o.status != tuning::TuningStatus::Finished || !o.figures) return o.message;
    const tuning::UltimateFigures& f = *o.figures;
    return "Ultimate gain " + fixedText(f.ku, 2) + " %/\xC2\xB0" "C, period " + fixedText(f.tu, 1) +
           " s, amplitude " + fixedText(f.amplitude, 2) + " \xC2\xB0" "C at \xC2\xB1" + fixedText(f.outputAmplitude, 1) +
           " %, " + std::to_string(f.cycles) + " cycles in " + fixedText(o.experimentSeconds, 0) + " s";
}

std::string AutotuneModel::restoreText() const {
    if (!outcome_) return {};
    return outcome_->restoreMessage;
}

std::array<AutotuneModel::Row, 3> AutotuneModel::rows(const ParameterSet& document) const {
    const bool have = canApply();
    const double proposed[3] = {have ? outcome_->proposed.kP : 0, have ? outcome_->proposed.kI : 0,
                                have ? outcome_->proposed.kD : 0};
    const float current[3] = {document.kP, document.kI, document.kD};
    const char* names[3] = {"kP", "kI", "kD"};
    std::array<Row, 3> out;
    for (int i = 0; i < 3; ++i)
        out[i] = {names[i], FloatText(current[i]), have ? FloatText(static_cast<float>(proposed[i])) : std::string()};
    return out;
}

bool AutotuneModel::applyTo(ParameterSet& document, std::string& error) const {
    if (!canApply()) {
        error = "no constants to apply";
        return false;
    }
    ParameterSet values = document;
    const tuning::PidConstants& k = outcome_->proposed;
    const std::pair<const char*, double> fields[] = {{"kP", k.kP}, {"kI", k.kI}, {"kD", k.kD}};
    for (const auto& [name, value] : fields)
        if (!AssignParameter(values, nullptr, name, FloatText(static_cast<float>(value)), error)) return false;
    document = values;
    return true;
}
