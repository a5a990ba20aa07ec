// Binds the field descriptions of the parameter set to the page controls:
// one NumericEdit per field, its label and its unit label. An entry is read
// by the numeric entry rule, converted from the window's unit (Fahrenheit,
// loop seconds) and stored when it lies within the field's range. An entry
// outside the range, empty or not a number is marked and not stored: the
// field keeps the value it had before the edit began (what the keystrokes on
// the way stored is taken back), and leaving the edit shows it again. Every
// stored change calls the page's `modified`.
#pragma once

#include <QObject>
#include <functional>
#include <optional>
#include <string_view>
#include <vector>

#include "params/parameter_fields.h"

class NumericEdit;
class QGridLayout;
class QLabel;
class QWidget;

class FieldBinder : public QObject {
    Q_OBJECT
public:
    FieldBinder(ParameterSet* params, std::function<void()> modified, QObject* parent = nullptr);

    // Label, edit and unit of `name` in one row of `grid` (columns column ..
    // column + 2); returns the edit. `label` replaces the table's label.
    NumericEdit* addRow(QGridLayout* grid, int row, std::string_view name, int column = 0,
                        const char* label = nullptr);

    NumericEdit* edit(std::string_view name) const;
    QLabel* label(std::string_view name) const;
    QLabel* unit(std::string_view name) const;  // null for a field shown without one
    // Enables (or disables) label, edit and unit together.
    void setFieldEnabled(std::string_view name, bool on);
    void setFieldVisible(std::string_view name, bool on);

    // Every edit from the document, in the current unit.
    void refresh();
    void setCelsius(bool on);
    bool celsius() const { return celsius_; }
    ParameterSet& params() { return *params_; }

    // The value an edit shows for a field, and the one an entry stores
    // (false when the entry lies outside the field's range).
    double shownValue(const ParameterField& f) const;
    bool storeEntry(const ParameterField& f, double shown);

signals:
    // After an entry changed the document.
    void fieldStored(const ParameterField* field);

private:
    struct Binding {
        const ParameterField* field;
        NumericEdit* edit;
        QLabel* label;
        QLabel* unit;
        // The field's stored value when the current edit began; empty
        // between edits.
        std::optional<double> before;
    };
    const Binding* find(std::string_view name) const;
    void show(Binding& b);
    void markRange(const Binding& b, bool outside);
    void onEdited(Binding& b);

    ParameterSet* params_;
    std::function<void()> modified_;
    bool celsius_ = true;
    std::vector<Binding> bindings_;
};
