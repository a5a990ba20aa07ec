// A small strict JSON reader for checking what `tqctl show --json` prints.
#pragma once

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

struct JsonValue {
    enum class Kind { Null, Bool, Number, String, Array, Object };
    Kind kind = Kind::Null;
    bool boolean = false;
    double number = 0;
    std::string text;
    std::vector<JsonValue> items;
    std::map<std::string, JsonValue> members;

    bool has(const std::string& name) const { return members.count(name) > 0; }
    // Member or item; a Null value when it is missing.
    const JsonValue& operator[](const std::string& name) const;
    const JsonValue& operator[](std::size_t index) const;
};

// The value of the whole text, or nothing (with the reason and offset in
// `error`) when the text is not exactly one JSON value.
std::optional<JsonValue> parseJson(const std::string& text, std::string* error = nullptr);
