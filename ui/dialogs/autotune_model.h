// The logic of the "Auto-tune" dialog: the operator's entries (in the
// window's temperature unit) turned into a tuning request, the texts of the
// outcome, the constants beside the document's, and applying them to the
// document with the field description's range checks.
#pragma once

#include <array>
#include <optional>
#include <string>

#include "params/parameter_set.h"
#include "tuning/tuning_session.h"

class AutotuneModel {
public:
    enum Entry { SetPoint, MaxPower, Band, TimeLimit, EntryCount };
    using Entries = std::array<std::string, EntryCount>;

    // `document` gives the defaults (St1, Max power out) and the current
    // constants; `celsius` the unit of the temperature entries.
    AutotuneModel(const ParameterSet& document, bool celsius);

    const Entries& defaults() const { return defaults_; }
    static const char* label(Entry e);
    // "°C"/"°F", "%", "s".
    const char* unit(Entry e) const;

    // The request for `entries` and `rule`; false with a message naming the
    // field when one does not read or lies outside its range.
    bool makeRequest(const Entries& entries, tuning::TuningRule rule, tuning::TuningRequest& out,
                     std::string& error) const;

    void setOutcome(tuning::TuningOutcome outcome) { outcome_ = std::move(outcome); }
    const std::optional<tuning::TuningOutcome>& outcome() const { return outcome_; }
    // Why the run ended, or what was identified ("Ku 41.2 %/°C, Tu 8.4 s, ...").
    std::string summary() const;
    // The restore line when registers had to be written back.
    std::string restoreText() const;

    // Rows kP, kI, kD: name, the document's value, the proposed one ("" before a result).
    struct Row {
        std::string name, document, proposed;
    };
    std::array<Row, 3> rows(const ParameterSet& document) const;

    bool canApply() const { return outcome_ && outcome_->ok(); }
    // Writes the proposed constants into `document` (all or none).
    bool applyTo(ParameterSet& document, std::string& error) const;

private:
    bool celsius_;
    Entries defaults_;
    std::optional<tuning::TuningOutcome> outcome_;
};
