// Parameter files: new, show [--json], set NAME=VALUE ... Errors print the
// texts the program's message boxes show.
#include <cmath>
#include <nlohmann/json.hpp>
#include <cstdio>
#include <string>
#include <sys/stat.h>
#include <vector>

#include "command.h"
#include "params/field_table_markdown.h"
#include "params/parameter_assign.h"
#include "params/parameter_fields.h"
#include "params/tq_interface_doc.h"
#include "runtime/channel_table.h"
#include "table_view.h"

namespace tqctl {
namespace {




// ---- output ---------------------------------------------------------------

std::string jsonString(std::string_view s) {
    std::string out = "\"";
    for (std::size_t i = 0; i < s.size(); ++i) {
        const auto c = static_cast<unsigned char>(s[i]);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c < 0x20) {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\u%04x", c);
            out += buf;
        } else if (c < 0x80) {
            out += static_cast<char>(c);
        } else {
            // Copy a well-formed UTF-8 sequence; anything else becomes U+FFFD.
            const int len = c >= 0xF0 && c < 0xF5   ? 4
                            : c >= 0xE0             ? 3
                            : c >= 0xC2 && c < 0xE0 ? 2
                                                    : 0;
            bool ok = len > 0 && i + len <= s.size();
            for (int k = 1; ok && k < len; ++k)
                ok = (static_cast<unsigned char>(s[i + k]) & 0xC0) == 0x80;
            if (ok) {
                out.append(s.substr(i, len));
                i += len - 1;
            } else {
                out += "\\ufffd";
            }
        }
    }
    return out + "\"";
}

std::string jsonFloat(float v) {
    return std::isfinite(v) ? FloatText(v) : "null";
}

std::string fieldText(const ParameterSet& p, const ParameterField& f, bool json) {
    if (f.isFloat()) {
        const float v = p.*std::get<float ParameterSet::*>(f.member);
        return json ? jsonFloat(v) : FloatText(v);
    }
    return std::to_string(p.*std::get<std::uint32_t ParameterSet::*>(f.member));
}

template <typename Record>
std::string recordText(const Record& r, bool json) {
    std::string pot;
    if constexpr (std::is_same_v<Record, SensorCalibrationEx>)
        pot = json ? ", \"potGain\": " + std::to_string(r.potGain) +
                         ", \"potOffset\": " + std::to_string(r.potOffset)
                   : " potGain=" + std::to_string(r.potGain) +
                         " potOffset=" + std::to_string(r.potOffset);
    std::string d;
    for (int k = 0; k < 6; ++k)
        d += (k ? ", " : "") + (json ? jsonFloat(r.d[k]) : FloatText(r.d[k]));
    if (json)
        return "{\"name\": " + jsonString(r.nameText()) + ", \"type\": " + std::to_string(r.type) +
               pot + ", \"gain\": " + jsonFloat(r.gain) + ", \"offset\": " + jsonFloat(r.offset) +
               ", \"d\": [" + d + "]}";
    return "name=" + jsonString(r.nameText()) + " type=" + std::to_string(r.type) + pot +
           " gain=" + FloatText(r.gain) + " offset=" + FloatText(r.offset) + " d=[" + d + "]";
}

template <typename Record>
void printSlot(int number, const SensorSlot<Record>& slot, bool json, bool last) {
    if (json) {
        std::printf("  \"sensor%d\": {\"select\": %u, \"selected\": %s, \"records\": [\n", number,
                    slot.select, jsonString(slot.selected().nameText()).c_str());
        for (int i = 0; i < kSensorRecordCount; ++i)
            std::printf("    %s%s\n", recordText(slot.records[i], true).c_str(),
                        i + 1 < kSensorRecordCount ? "," : "");
        std::printf("  ]}%s\n", last ? "" : ",");
        return;
    }
    std::printf("sensor%d.select = %u (%s)\n", number, slot.select,
                jsonString(slot.selected().nameText()).c_str());
    for (int i = 0; i < kSensorRecordCount; ++i)
        std::printf("sensor%d.record%d: %s\n", number, i,
                    recordText(slot.records[i], false).c_str());
}

void printText(const std::string& path, const CTQ_InterfaceDoc& doc, const TableView& view) {
    std::printf("file = %s\nversion = %u\nnotes = %s\n", path.c_str(), doc.fileVersion(),
                jsonString(doc.notes).c_str());
    for (const ParameterField& f : ParameterFields())
        std::printf("%s = %s\n", f.name, fieldText(doc, f, false).c_str());
    printSlot(1, doc.sensor1, false, false);
    printSlot(2, doc.sensor2, false, false);
    printSlot(3, doc.sensor3, false, false);
    printSlot(4, doc.sensor4, false, true);
    if (!view.hadBlock)
        std::printf("graph block: none (default channel table)\n");
    for (int c = 0; c < kGraphChannelCount; ++c)
        std::printf("channel%d %-9s enabled=%d min=%s max=%s\n", c, GraphChannels()[c].name,
                    view.table[c].enabled ? 1 : 0, FloatText(view.table[c].min).c_str(),
                    FloatText(view.table[c].max).c_str());
}

// Floats as the shortest text that reads back as the same float; not a
// number or infinite as null.
nlohmann::ordered_json jsonNumber(float v) {
    return std::isfinite(v) ? nlohmann::ordered_json(std::stod(FloatText(v)))
                            : nlohmann::ordered_json(nullptr);
}

template <typename Record>
nlohmann::ordered_json recordJson(const Record& r) {
    nlohmann::ordered_json o;
    o["name"] = std::string(r.nameText());
    o["type"] = r.type;
    if constexpr (std::is_same_v<Record, SensorCalibrationEx>) {
        o["potGain"] = r.potGain;
        o["potOffset"] = r.potOffset;
    }
    o["gain"] = jsonNumber(r.gain);
    o["offset"] = jsonNumber(r.offset);
    o["d"] = nlohmann::ordered_json::array();
    for (float v : r.d)
        o["d"].push_back(jsonNumber(v));
    return o;
}

template <typename Record>
nlohmann::ordered_json slotJson(const SensorSlot<Record>& slot) {
    nlohmann::ordered_json o;
    o["select"] = slot.select;
    o["selected"] = std::string(slot.selected().nameText());
    o["records"] = nlohmann::ordered_json::array();
    for (const Record& r : slot.records)
        o["records"].push_back(recordJson(r));
    return o;
}

// Notes and names are bytes from the file: what is not UTF-8 becomes U+FFFD.
void printJson(const std::string& path, const CTQ_InterfaceDoc& doc, const TableView& view) {
    nlohmann::ordered_json o;
    o["file"] = path;
    o["version"] = doc.fileVersion();
    o["graphBlock"] = view.hadBlock;
    o["notes"] = doc.notes;
    for (const ParameterField& f : ParameterFields()) {
        if (f.isFloat())
            o[f.name] = jsonNumber(doc.*std::get<float ParameterSet::*>(f.member));
        else
            o[f.name] = doc.*std::get<std::uint32_t ParameterSet::*>(f.member);
    }
    o["sensor1"] = slotJson(doc.sensor1);
    o["sensor2"] = slotJson(doc.sensor2);
    o["sensor3"] = slotJson(doc.sensor3);
    o["sensor4"] = slotJson(doc.sensor4);
    o["channels"] = nlohmann::ordered_json::array();
    for (int c = 0; c < kGraphChannelCount; ++c)
        o["channels"].push_back({{"name", GraphChannels()[c].name},
                                 {"enabled", view.table[c].enabled},
                                 {"min", jsonNumber(view.table[c].min)},
                                 {"max", jsonNumber(view.table[c].max)}});
    const std::string text =
        o.dump(2, ' ', false, nlohmann::ordered_json::error_handler_t::replace);
    std::printf("%s\n", text.c_str());
}

// ---- commands -------------------------------------------------------------

int runNew(Context& ctx, const std::vector<std::string>& args);
int runShow(Context& ctx, const std::vector<std::string>& args);
int runSet(Context& ctx, const std::vector<std::string>& args);
int runFields(Context& ctx, const std::vector<std::string>& args);

const Command kNew{"new", "new FILE.tq [--force]",
                   "write a default parameter file (--force replaces an existing one)", runNew};
const Command kShow{"show", "show FILE.tq [--json]", "print every value of a parameter file",
                    runShow};
const Command kSet{"set", "set FILE.tq NAME=VALUE ...",
                   "change values of a parameter file by name and save it", runSet};
const Command kFields{"fields", "fields [--markdown]",
                      "list every scalar field: page, label, unit, kind and entry range (--markdown: the manual's table)",
                      runFields};

// Opens `path` into `doc`, which has `view` attached.
DocOutcome openFile(CTQ_InterfaceDoc& doc, TableView& view, const std::string& path) {
    doc.AddView(&view);
    return doc.OnOpenDocument(path);
}

int runNew(Context&, const std::vector<std::string>& args) {
    std::string path;
    bool force = false;
    for (const std::string& a : args) {
        if (a == "--force")
            force = true;
        else if (!a.empty() && a[0] == '-')
            return usageError(kNew, "unknown option " + a);
        else if (path.empty())
            path = a;
        else
            return usageError(kNew, "unexpected argument " + a);
    }
    if (path.empty())
        return usageError(kNew, "no file name given");
    struct stat st;
    if (!force && stat(path.c_str(), &st) == 0) {
        std::fprintf(stderr, "%s exists (use --force to replace it)\n", path.c_str());
        return kExitFileError;
    }
    CTQ_InterfaceDoc doc;
    TableView view;
    doc.AddView(&view);
    doc.OnNewDocument();
    const DocOutcome saved = doc.SaveAs(path);
    if (!saved)
        return fileError(saved.message);
    std::printf("%s written\n", path.c_str());
    return 0;
}

int runShow(Context&, const std::vector<std::string>& args) {
    std::string path;
    bool json = false;
    for (const std::string& a : args) {
        if (a == "--json")
            json = true;
        else if (!a.empty() && a[0] == '-')
            return usageError(kShow, "unknown option " + a);
        else if (path.empty())
            path = a;
        else
            return usageError(kShow, "unexpected argument " + a);
    }
    if (path.empty())
        return usageError(kShow, "no file name given");
    CTQ_InterfaceDoc doc;
    TableView view;
    const DocOutcome opened = openFile(doc, view, path);
    if (!opened)
        return fileError(opened.message);
    if (json)
        printJson(path, doc, view);
    else
        printText(path, doc, view);
    return 0;
}

int runSet(Context&, const std::vector<std::string>& args) {
    if (args.empty())
        return usageError(kSet, "no file name given");
    if (args.size() < 2)
        return usageError(kSet, "no NAME=VALUE given");
    const std::string& path = args[0];
    CTQ_InterfaceDoc doc;
    TableView view;
    const DocOutcome opened = openFile(doc, view, path);
    if (!opened)
        return fileError(opened.message);

    // Every assignment goes into copies; the file is written only when all
    // of them are valid.
    ParameterSet values = doc;
    RuntimeBlockEntries channels = view.table.runtimeBlockEntries();
    bool channelsChanged = false;
    for (std::size_t i = 1; i < args.size(); ++i) {
        const auto eq = args[i].find('=');
        if (eq == std::string::npos || eq == 0)
            return usageError(kSet, "expected NAME=VALUE, got \"" + args[i] + "\"");
        const std::string name = args[i].substr(0, eq);
        std::string error;
        if (!AssignParameter(values, &channels, name, std::string_view(args[i]).substr(eq + 1),
                             error))
            return usageError(kSet, error);
        channelsChanged = channelsChanged || name.rfind("channel", 0) == 0;
    }

    static_cast<ParameterSet&>(doc) = values;
    if (channelsChanged) {
        RuntimeBlock block;
        block.tagMatched = true;
        block.count = kGraphChannelCount;
        block.entries.assign(channels.begin(), channels.end());
        view.table.applyRuntimeBlock(block);
    } else if (!view.hadBlock) {
        doc.RemoveView(&view);  // keep a file without a graph block without one
    }
    const DocOutcome saved = doc.SaveAs(path);
    if (!saved)
        return fileError(saved.message);
    // What was set, as the file now holds it: "st1 = 25 °C".
    for (std::size_t i = 1; i < args.size(); ++i) {
        const auto eq = args[i].find('=');
        const std::string name = args[i].substr(0, eq);
        if (const ParameterField* f = FindParameterField(name); f && f->bits != 0)
            std::printf("%s = %s (0x%X)\n", f->name, fieldText(doc, *f, false).c_str(),
                        static_cast<unsigned>(f->value(doc)));
        else if (f)
            std::printf("%s = %s%s%s\n", f->name, fieldText(doc, *f, false).c_str(),
                        f->unit[0] != '\0' ? " " : "", f->unit);
        else if (name == "notes")
            std::printf("notes = %s\n", jsonString(doc.notes).c_str());
        else
            std::printf("%s = %s\n", name.c_str(), args[i].c_str() + eq + 1);
    }
    return 0;
}

int runFields(Context&, const std::vector<std::string>& args) {
    if (args.size() == 1 && args[0] == "--markdown") {
        std::fputs(FieldTableMarkdown().c_str(), stdout);
        return 0;
    }
    if (!args.empty())
        return usageError(kFields, "unexpected argument " + args[0]);
    static const char* const kinds[] = {"plain", "temperature", "difference", "samples"};
    std::printf("name\tpage\tgroup\tlabel\tunit\tkind\trange\n");
    for (const FieldInfo& f : allFields())
        std::printf("%s\t%s\t%s\t%s\t%s\t%s\t%s\n", f.name, f.page, f.group, f.label, f.unit,
                    kinds[static_cast<int>(f.kind)], FieldRangeText(f).c_str());
    return 0;
}

const Registrar kRegisterNew{kNew};
const Registrar kRegisterShow{kShow};
const Registrar kRegisterSet{kSet};
const Registrar kRegisterFields{kFields};

}  // namespace
}  // namespace tqctl
