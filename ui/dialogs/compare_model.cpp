#include "ui/dialogs/compare_model.h"

#include "params/tq_file.h"

const std::array<const char*, CompareModel::ColumnCount>& CompareModel::headers() {
    static const std::array<const char*, ColumnCount> names = {"Field", "Label", "This document",
                                                               "The regulator"};
    return names;
}

std::array<std::string, CompareModel::ColumnCount> CompareModel::row(int index) const {
    const RegisterDifference& d = comparison_.differences.at(static_cast<std::size_t>(index));
    return {d.field + " (" + std::to_string(d.reg) + ")", d.label, d.documentValue,
            d.regulatorValue};
}

std::string CompareModel::summary() const {
    if (comparison_.result != 0)
        return readErrorText(comparison_.result);
    const std::size_t n = comparison_.differences.size();
    if (n == 0)
        return "No differences: the regulator holds the values of this document.";
    return "The regulator differs from this document in " + std::to_string(n) +
           (n == 1 ? " register." : " registers.");
}

void CompareModel::takeInto(TQFile1& doc) const {
    if (!canTake())
        return;
    static_cast<ParameterSet&>(doc) = comparison_.regulator;
    doc.UpdateAllViews();
    doc.SetModifiedFlag(true);
}
