// A small INI-file store: ordered sections ("keys") of ordered name/value
// pairs, all texts, compared case-sensitively. Serves "tq_setup.ini".
// Standard C++ and POSIX only, so that it can be tested and fuzzed alone.
#pragma once

#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

class IniFile {
public:
    // Longest line read; a longer one ends the reading as the file's end would.
    static constexpr std::size_t kMaxLine = 2047;

    IniFile() = default;
    explicit IniFile(std::string path) : path_(std::move(path)) {}

    void setPath(std::string path) { path_ = std::move(path); }
    const std::string& path() const { return path_; }

    // False when the file does not exist or cannot be opened; a file that is
    // not a regular file (a directory, a named pipe) is not opened at all.
    bool readFile();
    // Parses `text` as the contents of a file.
    void readText(std::string_view text);
    // False when the file cannot be created or is not a regular file.
    bool writeFile() const;
    std::string text() const;
    void reset();

    std::string getValue(const std::string& key, const std::string& name);
    int getValueI(const std::string& key, const std::string& name);
    double getValueF(const std::string& key, const std::string& name);

    bool setValue(const std::string& key, const std::string& name, const std::string& value,
                  bool create = true);
    bool setValueI(const std::string& key, const std::string& name, int value, bool create = true);
    bool setValueF(const std::string& key, const std::string& name, double value,
                   bool create = true);

    const std::string& error() const { return error_; }
    // Why the last readFile could not open an existing file; empty otherwise.
    const std::string& openProblem() const { return openProblem_; }

private:
    struct Key {
        std::string name;
        std::vector<std::string> names;
        std::vector<std::string> values;
        std::unordered_map<std::string, std::size_t> index;   // name -> position
    };
    Key* findKey(const std::string& key);
    void takeLine(std::string_view line, std::string& current);

    std::string path_;
    std::vector<Key> keys_;
    std::unordered_map<std::string, std::size_t> keyIndex_;   // key -> position
    std::string error_;
    std::string openProblem_;
};
