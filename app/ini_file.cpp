#include "app/ini_file.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Opens `path` without waiting on a named pipe and keeps it only when it is
// a regular file; -1 otherwise with `problem` set.
int openRegular(const std::string& path, int flags, std::string& problem) {
    const int fd = ::open(path.c_str(), flags | O_NONBLOCK | O_CLOEXEC, 0666);
    if (fd < 0) {
        problem = std::strerror(errno);
        return -1;
    }
    struct stat st;
    if (::fstat(fd, &st) != 0) {
        problem = std::strerror(errno);
        ::close(fd);
        return -1;
    }
    if (!S_ISREG(st.st_mode)) {
        problem = S_ISDIR(st.st_mode) ? "it is a directory" : "not a regular file";
        ::close(fd);
        return -1;
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    return fd;
}

}  // namespace

IniFile::Key* IniFile::findKey(const std::string& key) {
    const auto it = keyIndex_.find(key);
    return it == keyIndex_.end() ? nullptr : &keys_[it->second];
}

void IniFile::reset() {
    keys_.clear();
    keyIndex_.clear();
}

void IniFile::takeLine(std::string_view line, std::string& current) {
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (line.empty()) return;
    if (line.front() == '[' && line.back() == ']') {
        const std::size_t first = line.find_first_not_of('[');
        const std::size_t last = line.find_last_not_of(']');
        current = (first == std::string_view::npos || last == std::string_view::npos || last < first)
                      ? std::string()
                      : std::string(line.substr(first, last - first + 1));
        return;
    }
    const std::size_t eq = line.find('=');
    if (eq == std::string_view::npos)
        setValue(current, std::string(), std::string(line.substr(1)), true);
    else
        setValue(current, std::string(line.substr(0, eq)), std::string(line.substr(eq + 1)), true);
}

void IniFile::readText(std::string_view text) {
    std::string current;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        const std::string_view line = text.substr(0, end);
        if (line.size() > kMaxLine) return;   // an overlong line ends the reading
        takeLine(line, current);
        if (end == std::string_view::npos) return;
        text.remove_prefix(end + 1);
    }
}

bool IniFile::readFile() {
    openProblem_.clear();
    struct stat st;
    if (::stat(path_.c_str(), &st) != 0 && errno == ENOENT) return false;
    const int fd = openRegular(path_, O_RDONLY, openProblem_);
    if (fd < 0) {
        error_ = "Unable to open ini file.";
        return false;
    }
    // Reads in blocks and holds at most one line of kMaxLine characters, so
    // that an endless line costs no more than that.
    std::string current;
    std::string line;
    char buffer[4096];
    bool overlong = false;
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;   // a read error ends the file here
        std::string_view chunk(buffer, static_cast<std::size_t>(n));
        while (!chunk.empty() && !overlong) {
            const std::size_t end = chunk.find('\n');
            const std::string_view part = chunk.substr(0, end);
            if (line.size() + part.size() > kMaxLine) {
                overlong = true;
                break;
            }
            line.append(part);
            if (end == std::string_view::npos) break;
            takeLine(line, current);
            line.clear();
            chunk.remove_prefix(end + 1);
        }
        if (overlong) break;
    }
    ::close(fd);
    if (!overlong) takeLine(line, current);
    return true;
}

std::string IniFile::text() const {
    std::string out;
    for (const Key& k : keys_) {
        if (k.names.empty()) continue;
        out += '[' + k.name + "]\n";
        for (std::size_t i = 0; i < k.names.size(); ++i) out += k.names[i] + '=' + k.values[i] + '\n';
        out += '\n';
    }
    return out;
}

bool IniFile::writeFile() const {
    std::string problem;
    const int fd = openRegular(path_, O_WRONLY | O_CREAT | O_TRUNC, problem);
    if (fd < 0) return false;
    const std::string out = text();
    std::size_t done = 0;
    while (done < out.size()) {
        const ssize_t n = ::write(fd, out.data() + done, out.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        done += static_cast<std::size_t>(n);
    }
    return ::close(fd) == 0 && done == out.size();
}

std::string IniFile::getValue(const std::string& key, const std::string& name) {
    Key* k = findKey(key);
    if (!k) {
        error_ = "Unable to locate specified key.";
        return {};
    }
    const auto it = k->index.find(name);
    if (it != k->index.end()) return k->values[it->second];
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
        keyIndex_.emplace(key, keys_.size());
        keys_.push_back(Key{key, {}, {}, {}});
        k = &keys_.back();
    }
    if (const auto it = k->index.find(name); it != k->index.end()) {
        k->values[it->second] = value;
        return true;
    }
    if (!create) return false;
    k->index.emplace(name, k->names.size());
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
