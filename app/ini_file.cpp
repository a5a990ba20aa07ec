#include "app/ini_file.h"

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace {
constexpr std::size_t kMaxLine = 2047;
}

IniFile::Key* IniFile::findKey(const std::string& key) {
    for (Key& k : keys_)
        if (k.name == key) return &k;
    return nullptr;
}

bool IniFile::readFile() {
    std::error_code ec;
    if (!std::filesystem::exists(path_, ec)) return false;
    std::ifstream in(path_);
    if (!in) {
        error_ = "Unable to open ini file.";
        return false;
    }
    std::string current;
    std::string line;
    while (std::getline(in, line)) {
        if (line.size() > kMaxLine) break;  // an overlong line ends the reading
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty()) continue;
        if (line.front() == '[' && line.back() == ']') {
            std::size_t first = line.find_first_not_of('[');
            std::size_t last = line.find_last_not_of(']');
            current = (first == std::string::npos || last == std::string::npos || last < first)
                          ? std::string()
                          : line.substr(first, last - first + 1);
            continue;
        }
        std::size_t eq = line.find('=');
        if (eq == std::string::npos)
            setValue(current, std::string(), line.substr(1), true);
        else
            setValue(current, line.substr(0, eq), line.substr(eq + 1), true);
    }
    return true;
}

void IniFile::writeFile() const {
    std::ofstream out(path_, std::ios::trunc);
    if (!out) return;
    for (const Key& k : keys_) {
        if (k.names.empty()) continue;
        out << '[' << k.name << "]\n";
        for (std::size_t i = 0; i < k.names.size(); ++i) out << k.names[i] << '=' << k.values[i] << '\n';
        out << '\n';
    }
}

std::string IniFile::getValue(const std::string& key, const std::string& name) {
    Key* k = findKey(key);
    if (!k) {
        error_ = "Unable to locate specified key.";
        return {};
    }
    for (std::size_t i = 0; i < k->names.size(); ++i)
        if (k->names[i] == name) return k->values[i];
    error_ = "Unable to locate specified value.";
    return {};
}

int IniFile::getValueI(const std::string& key, const std::string& name) {
    long v = std::strtol(getValue(key, name).c_str(), nullptr, 10);
    if (v > INT_MAX) return INT_MAX;
    if (v < INT_MIN) return INT_MIN;
    return static_cast<int>(v);
}

double IniFile::getValueF(const std::string& key, const std::string& name) {
    return std::strtod(getValue(key, name).c_str(), nullptr);
}

bool IniFile::setValue(const std::string& key, const std::string& name, const std::string& value,
                       bool create) {
    Key* k = findKey(key);
    if (!k) {
        if (!create) return false;
        keys_.push_back(Key{key, {}, {}});
        k = &keys_.back();
    }
    for (std::size_t i = 0; i < k->names.size(); ++i) {
        if (k->names[i] == name) {
            k->values[i] = value;
            return true;
        }
    }
    if (!create) return false;
    k->names.push_back(name);
    k->values.push_back(value);
    return true;
}

bool IniFile::setValueI(const std::string& key, const std::string& name, int value, bool create) {
    char text[32];
    std::snprintf(text, sizeof text, "%d", value);
    return setValue(key, name, text, create);
}

bool IniFile::setValueF(const std::string& key, const std::string& name, double value,
                        bool create) {
    char text[64];
    std::snprintf(text, sizeof text, "%e", value);
    return setValue(key, name, text, create);
}
