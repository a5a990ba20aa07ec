// The scalar fields of a parameter set by name, in the order they are held
// (st1 .. loopLowCount). The file format, tqctl and the report walk this
// table instead of repeating the list.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>
#include <variant>

#include "params/parameter_set.h"

struct ParameterField {
    const char* name;
    std::variant<float ParameterSet::*, std::uint32_t ParameterSet::*> member;

    bool isFloat() const { return std::holds_alternative<float ParameterSet::*>(member); }
};

std::span<const ParameterField> ParameterFields();
// Null when no scalar field has that name.
const ParameterField* FindParameterField(std::string_view name);
