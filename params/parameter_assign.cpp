#include "params/parameter_assign.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <vector>

#include "params/parameter_fields.h"

bool ParseFloatText(std::string_view text, float& out) {
    if (text.empty())
        return false;
    if (text.front() == '+')
        text.remove_prefix(1);
    float v = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
    if (ec != std::errc() || end != text.data() + text.size() || !std::isfinite(v))
        return false;
    out = v;
    return true;
}

bool ParseUnsignedText(std::string_view text, std::uint32_t& out) {
    int base = 10;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        base = 16;
        text.remove_prefix(2);
    }
    if (text.empty())
        return false;
    std::uint32_t v = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v, base);
    if (ec != std::errc() || end != text.data() + text.size())
        return false;
    out = v;
    return true;
}

std::string FloatText(float value) {
    char buf[32];
    const auto [end, ec] = std::to_chars(buf, buf + sizeof buf, value);
    return ec == std::errc() ? std::string(buf, end) : std::string("?");
}

namespace {

// `expected` says what the field takes ("a number in 0 .. 10000").
bool badValue(std::string_view name, std::string_view value, std::string& error,
              std::string_view expected = {}) {
    error = "bad value for " + std::string(name) + ": \"" + std::string(value) + "\"";
    if (!expected.empty())
        error += ", expected " + std::string(expected);
    return false;
}

std::string expectedValueText(const ParameterField& f) {
    if (f.isFloat())
        return "a number in " + FieldRangeText(f);
    const std::string whole = "a whole number (decimal or 0x hexadecimal)";
    return f.bits != 0 ? whole + ": " + FieldRangeText(f) : whole + " in " + FieldRangeText(f);
}

std::string lowerCase(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

// Edits (insert, delete, replace, swap two neighbours) from a to b.
std::size_t editDistance(const std::string& a, const std::string& b) {
    std::vector<std::vector<std::size_t>> d(a.size() + 1, std::vector<std::size_t>(b.size() + 1));
    for (std::size_t i = 0; i <= a.size(); ++i)
        d[i][0] = i;
    for (std::size_t j = 0; j <= b.size(); ++j)
        d[0][j] = j;
    for (std::size_t i = 1; i <= a.size(); ++i) {
        for (std::size_t j = 1; j <= b.size(); ++j) {
            d[i][j] = std::min({d[i - 1][j] + 1, d[i][j - 1] + 1,
                                d[i - 1][j - 1] + (a[i - 1] == b[j - 1] ? 0 : 1)});
            if (i > 1 && j > 1 && a[i - 1] == b[j - 2] && a[i - 2] == b[j - 1])
                d[i][j] = std::min(d[i][j], d[i - 2][j - 2] + 1);
        }
    }
    return d[a.size()][b.size()];
}

// The names `name` was probably meant to be: the one that differs only in
// letter case, else those a small number of edits away (one for short
// names, two from five letters on), at most three.
std::vector<std::string> similarNames(std::string_view name, const std::vector<std::string>& known) {
    const std::string wanted = lowerCase(name);
    for (const std::string& k : known)
        if (lowerCase(k) == wanted)
            return {k};
    const std::size_t limit = wanted.size() >= 5 ? 2 : 1;
    std::size_t best = limit + 1;
    std::vector<std::string> found;
    for (const std::string& k : known) {
        // Too different in length to be near: skip the table.
        const std::size_t gap =
            k.size() > wanted.size() ? k.size() - wanted.size() : wanted.size() - k.size();
        if (gap > limit)
            continue;
        const std::size_t d = editDistance(wanted, lowerCase(k));
        if (d < best) {
            best = d;
            found.clear();
        }
        if (d == best && found.size() < 3)
            found.push_back(k);
    }
    return best <= limit ? found : std::vector<std::string>{};
}

// "unknown parameter kp (did you mean kP?)"; `prefix` is put before each
// suggestion ("sensor1.record5." for the fields of a record).
bool unknownName(std::string_view name, std::string& error, std::string_view part = {},
                 const std::vector<std::string>& known = {}, std::string_view prefix = {}) {
    error = "unknown parameter " + std::string(name);
    const std::vector<std::string> similar = similarNames(part, known);
    for (std::size_t i = 0; i < similar.size(); ++i) {
        error += i == 0 ? " (did you mean " : i + 1 == similar.size() ? " or " : ", ";
        error += std::string(prefix) + similar[i];
    }
    if (!similar.empty())
        error += "?)";
    return false;
}

const std::vector<std::string>& topLevelNames() {
    static const std::vector<std::string> names = [] {
        std::vector<std::string> v{"notes"};
        for (const ParameterField& f : ParameterFields())
            v.emplace_back(f.name);
        return v;
    }();
    return names;
}

template <typename Record>
std::vector<std::string> recordFieldNames() {
    std::vector<std::string> v{"name", "type", "gain", "offset", "d0", "d1", "d2", "d3", "d4", "d5"};
    if constexpr (std::is_same_v<Record, SensorCalibrationEx>) {
        v.emplace_back("potGain");
        v.emplace_back("potOffset");
    }
    return v;
}

// "record12" -> 12, "channel3" -> 3: the number after `word`, below `limit`.
bool indexAfter(std::string_view part, std::string_view word, unsigned limit, unsigned& index) {
    if (part.substr(0, word.size()) != word)
        return false;
    std::uint32_t v = 0;
    const std::string_view digits = part.substr(word.size());
    if (digits.empty() || digits.size() > 3 || !ParseUnsignedText(digits, v) || v >= limit ||
        (digits.front() == '0' && digits.size() > 1))
        return false;
    index = v;
    return true;
}

template <typename Record>
bool assignRecordField(Record& r, std::string_view field, std::string_view value,
                       std::string_view name, std::string& error) {
    if (field == "name") {
        if (value.size() > kSensorNameMax || value.find('\0') != std::string_view::npos)
            return badValue(name, value, error);
        r.setName(value);
        return true;
    }
    if (field == "type")
        return ParseUnsignedText(value, r.type) || badValue(name, value, error);
    if constexpr (std::is_same_v<Record, SensorCalibrationEx>) {
        if (field == "potGain")
            return ParseUnsignedText(value, r.potGain) || badValue(name, value, error);
        if (field == "potOffset")
            return ParseUnsignedText(value, r.potOffset) || badValue(name, value, error);
    }
    if (field == "gain")
        return ParseFloatText(value, r.gain) || badValue(name, value, error);
    if (field == "offset")
        return ParseFloatText(value, r.offset) || badValue(name, value, error);
    if (field.size() == 2 && field[0] == 'd' && field[1] >= '0' && field[1] <= '5')
        return ParseFloatText(value, r.d[field[1] - '0']) || badValue(name, value, error);
    return unknownName(name, error, field, recordFieldNames<Record>(),
                       name.substr(0, name.size() - field.size()));
}

template <typename Record>
bool assignSlot(SensorSlot<Record>& slot, std::string_view rest, std::string_view value,
                std::string_view name, std::string& error) {
    if (rest == "select") {
        std::uint32_t v = 0;
        if (!ParseUnsignedText(value, v) || v >= slot.records.size())
            return badValue(name, value, error,
                            "a record number 0 .. " + std::to_string(slot.records.size() - 1));
        slot.select = v;
        return true;
    }
    const auto dot = rest.find('.');
    unsigned index = 0;
    if (dot == std::string_view::npos ||
        !indexAfter(rest.substr(0, dot), "record", kSensorRecordCount, index))
        return unknownName(name, error);
    // Parse into a copy so a bad value leaves the record as it was.
    Record r = slot.records[index];
    if (!assignRecordField(r, rest.substr(dot + 1), value, name, error))
        return false;
    slot.records[index] = r;
    return true;
}

bool assignChannel(RuntimeBlockEntries& channels, std::string_view rest, std::string_view value,
                   std::string_view name, std::string& error) {
    const auto dot = rest.find('.');
    unsigned index = 0;
    if (dot == std::string_view::npos ||
        !indexAfter(rest.substr(0, dot), "channel", kRuntimeBlockChannels, index))
        return unknownName(name, error);
    const std::string_view field = rest.substr(dot + 1);
    RuntimeBlockEntry& e = channels[index];
    if (field == "min")
        return ParseFloatText(value, e.min) || badValue(name, value, error);
    if (field == "max")
        return ParseFloatText(value, e.max) || badValue(name, value, error);
    if (field == "enabled") {
        if (value == "1" || value == "true" || value == "on")
            e.enabled = true;
        else if (value == "0" || value == "false" || value == "off")
            e.enabled = false;
        else
            return badValue(name, value, error, "on or off (1 or 0, true or false)");
        return true;
    }
    return unknownName(name, error, field, {"min", "max", "enabled"},
                       name.substr(0, name.size() - field.size()));
}

}  // namespace

bool AssignParameter(ParameterSet& p, RuntimeBlockEntries* channels, std::string_view name,
                     std::string_view value, std::string& error) {
    if (name == "notes") {
        p.notes = std::string(value);
        return true;
    }
    if (const ParameterField* f = FindParameterField(name)) {
        double v = 0;
        float fv = 0;
        std::uint32_t uv = 0;
        if (f->isFloat() && ParseFloatText(value, fv))
            v = fv;
        else if (!f->isFloat() && ParseUnsignedText(value, uv))
            v = uv;
        else
            return badValue(name, value, error, expectedValueText(*f));
        if (!FieldAccepts(*f, v)) {
            error = std::string(name) + "=" + std::string(value) + " is out of range (" +
                    FieldRangeText(*f) + ")";
            return false;
        }
        f->setValue(p, v);
        return true;
    }
    if (name.substr(0, 6) == "sensor" && name.size() > 8 && name[7] == '.') {
        const std::string_view rest = name.substr(8);
        switch (name[6]) {
        case '1': return assignSlot(p.sensor1, rest, value, name, error);
        case '2': return assignSlot(p.sensor2, rest, value, name, error);
        case '3': return assignSlot(p.sensor3, rest, value, name, error);
        case '4': return assignSlot(p.sensor4, rest, value, name, error);
        default: break;
        }
    }
    if (name.substr(0, 7) == "channel" && channels)
        return assignChannel(*channels, name, value, name, error);
    return unknownName(name, error, name, topLevelNames());
}
