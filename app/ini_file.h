// A small INI-file store: ordered sections ("keys") of ordered name/value
// pairs, all texts, compared case-sensitively. Serves "tq_setup.ini".
#pragma once

#include <string>
#include <vector>

class IniFile {
public:
    IniFile() = default;
    explicit IniFile(std::string path) : path_(std::move(path)) {}

    void setPath(std::string path) { path_ = std::move(path); }
    const std::string& path() const { return path_; }

    bool readFile();
    void writeFile() const;
    void reset() { keys_.clear(); }

    std::string getValue(const std::string& key, const std::string& name);
    int getValueI(const std::string& key, const std::string& name);
    double getValueF(const std::string& key, const std::string& name);

    bool setValue(const std::string& key, const std::string& name, const std::string& value,
                  bool create = true);
    bool setValueI(const std::string& key, const std::string& name, int value, bool create = true);
    bool setValueF(const std::string& key, const std::string& name, double value,
                   bool create = true);

    const std::string& error() const { return error_; }

private:
    struct Key {
        std::string name;
        std::vector<std::string> names;
        std::vector<std::string> values;
    };
    Key* findKey(const std::string& key);

    std::string path_;
    std::vector<Key> keys_;
    std::string error_;
};
