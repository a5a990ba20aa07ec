// The manual's field table: one row per scalar field, in the description's
// order, with its page, unit, range, the register a download writes and its type.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "params/field_table_markdown.h"
#include "params/parameter_fields.h"
#include "params/register_compare.h"

namespace {

std::vector<std::string> tableRows(const std::string& page) {
    std::vector<std::string> rows;
    std::istringstream in(page);
    for (std::string line; std::getline(in, line);)
        if (line.rfind("| `", 0) == 0) rows.push_back(line);
    return rows;
}

std::vector<std::string> cells(const std::string& row) {
    std::vector<std::string> out;
    std::istringstream in(row.substr(1));
    for (std::string cell; std::getline(in, cell, '|');) {
        const auto b = cell.find_first_not_of(' ');
        const auto e = cell.find_last_not_of(' ');
        out.push_back(b == std::string::npos ? "" : cell.substr(b, e - b + 1));
    }
    return out;
}

TEST(FieldTableMarkdown, OneRowPerFieldInOrderWithRegisterAndKind) {
    const std::string page = FieldTableMarkdown();
    ASSERT_EQ(page.back(), '\n');
    const auto rows = tableRows(page);
    const auto fields = ParameterFields();
    ASSERT_EQ(rows.size(), fields.size());
    ParameterSet defaults;
    defaults.ApplyDefaults();
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const auto c = cells(rows[i]);
        // Field | Page | Label | Unit | Range | Register | Type | Default
        ASSERT_EQ(c.size(), 8u) << rows[i];
        EXPECT_EQ(c[0], std::string("`") + fields[i].name + "`");
        EXPECT_EQ(c[1], *fields[i].page ? fields[i].page : "–") << rows[i];
        EXPECT_EQ(c[3], *fields[i].unit ? fields[i].unit : "–") << rows[i];
        EXPECT_EQ(c[4], FieldRangeText(fields[i])) << rows[i];
        EXPECT_EQ(c[6], fields[i].isFloat() ? "real" : "unsigned") << rows[i];
        // The register column names registers that a download writes with this field.
        if (c[5] != "–") {
            std::istringstream regs(c[5]);
            for (std::string reg; std::getline(regs, reg, ',');)
                EXPECT_EQ(registerFieldName(std::stoi(reg), defaults), fields[i].name) << rows[i];
        }
        const std::string label = fieldPageLabel(fields[i].name);
        EXPECT_EQ(c[2], label.empty() ? "–" : label);
    }
}

TEST(FieldTableMarkdown, DefaultsReadBackAsTheDefaultValues) {
    ParameterSet defaults;
    defaults.ApplyDefaults();
    const auto rows = tableRows(FieldTableMarkdown());
    const auto fields = ParameterFields();
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const std::string text = cells(rows[i])[7];
        if (fields[i].isFloat()) {
            EXPECT_EQ(std::stof(text), defaults.*std::get<float ParameterSet::*>(fields[i].member)) << rows[i];
        } else {
            EXPECT_EQ(std::stoul(text, nullptr, 0),
                      defaults.*std::get<std::uint32_t ParameterSet::*>(fields[i].member)) << rows[i];
        }
    }
}

}  // namespace
