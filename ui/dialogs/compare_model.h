// The logic of the "Compare with regulator" dialog: the rows of the table,
// the summary line, and taking the regulator's values into the document.
#pragma once

#include <array>
#include <string>

#include "params/register_compare.h"

class TQFile1;

class CompareModel {
public:
    enum Column { Field, Label, Document, Regulator, ColumnCount };

    explicit CompareModel(RegisterComparison comparison) : comparison_(std::move(comparison)) {}

    static const std::array<const char*, ColumnCount>& headers();

    int rowCount() const { return static_cast<int>(comparison_.differences.size()); }
    // Field (with its register), page label, this document, the regulator.
    std::array<std::string, ColumnCount> row(int index) const;
    // One line: no differences, how many, or the link error.
    std::string summary() const;
    // Taking makes sense only after a complete read that found differences.
    bool canTake() const { return comparison_.result == 0 && !comparison_.differences.empty(); }
    // Stores the regulator's values in the document as "Get parameters"
    // does: the views update and the document is marked modified.
    void takeInto(TQFile1& doc) const;

    const RegisterComparison& comparison() const { return comparison_; }

private:
    RegisterComparison comparison_;
};
