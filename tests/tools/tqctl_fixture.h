// The fixture of the tqctl tests: a fresh working directory per test, the
// tqctl binary run in it, and (on demand) a tq-sim process behind a link in
// that directory.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "child_process.h"

namespace tqtest {

inline constexpr int kExitUsage = 64;
inline constexpr int kExitOpenError = 6;
inline constexpr char kSimVersion[] = "TQ-REG V0.215 virtual";
inline constexpr char kUsagePrefix[] = "usage: tqctl [--port PATH] [--baud N] [--simulate] ";

inline std::string readFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void writeFile(const std::filesystem::path& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
}

// Lines without their line feed; a last line without one is kept.
inline std::vector<std::string> splitLines(const std::string& text) {
    std::vector<std::string> lines;
    std::string line;
    std::istringstream in(text);
    while (std::getline(in, line)) lines.push_back(line);
    return lines;
}

inline std::vector<std::string> splitOn(const std::string& text, char separator) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (;;) {
        const std::size_t at = text.find(separator, start);
        parts.push_back(text.substr(start, at - start));
        if (at == std::string::npos)
            return parts;
        start = at + 1;
    }
}

inline bool contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

// One Intel HEX record line with its checksum.
inline std::string hexRecord(std::uint16_t address, std::uint8_t type,
                             const std::vector<std::uint8_t>& data) {
    std::vector<std::uint8_t> bytes = {static_cast<std::uint8_t>(data.size()),
                                       static_cast<std::uint8_t>(address >> 8),
                                       static_cast<std::uint8_t>(address & 0xFF), type};
    bytes.insert(bytes.end(), data.begin(), data.end());
    unsigned sum = 0;
    for (std::uint8_t b : bytes) sum += b;
    bytes.push_back(static_cast<std::uint8_t>(-sum & 0xFF));
    std::string line = ":";
    char digits[3];
    for (std::uint8_t b : bytes) {
        std::snprintf(digits, sizeof digits, "%02X", b);
        line += digits;
    }
    return line;
}

inline std::vector<std::uint8_t> byteRun(int first, int count) {
    std::vector<std::uint8_t> out;
    for (int i = 0; i < count; ++i) out.push_back(static_cast<std::uint8_t>(first + i));
    return out;
}

inline constexpr char kGraphBlockTag[] = "RuntimeData_v1";

// A parameter file as saved without the graph block: the block (its tag
// with the length byte before it, the count and the entries) sits just
// before the last field, a 32-bit word.
inline std::string withoutGraphBlock(const std::string& file) {
    const std::size_t tag = file.find(kGraphBlockTag);
    if (tag == std::string::npos || tag == 0 || file.size() < 4)
        return file;
    return file.substr(0, tag - 1) + file.substr(file.size() - 4);
}

class TqctlTest : public ::testing::Test {
protected:
    void SetUp() override {
        const char* base = std::getenv("TMPDIR");
        std::string pattern = std::string(base != nullptr && *base ? base : "/tmp") +
                              "/tqctl-test-XXXXXX";
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        dir_ = pattern;
    }
    void TearDown() override {
        sim_.stop();
        std::error_code ignored;
        std::filesystem::remove_all(dir_, ignored);
    }

    // Runs tqctl in the test directory; TQ_PORT is removed from its
    // environment unless `options` sets it.
    ChildResult tq(const std::vector<std::string>& args, ChildOptions options = {}) {
        if (options.workDir.empty())
            options.workDir = dir_;
        if (options.setEnv.count("TQ_PORT") == 0)
            options.unsetEnv.push_back("TQ_PORT");
        return runChild(TQCTL_PATH, args, options);
    }
    ChildResult simulate(std::vector<std::string> args, ChildOptions options = {}) {
        args.insert(args.begin(), "--simulate");
        return tq(args, std::move(options));
    }
    // Against the tq-sim process (startSim first).
    ChildResult viaPort(std::vector<std::string> args, ChildOptions options = {}) {
        args.insert(args.begin(), {"--port", link_.string()});
        return tq(args, std::move(options));
    }

    // Starts tq-sim with its link in the test directory.
    void startSim(std::vector<std::string> extra = {}) {
        link_ = dir_ / "tty";
        std::vector<std::string> args = {"--link", link_.string()};
        args.insert(args.end(), extra.begin(), extra.end());
        const auto port = sim_.start(TQSIM_PATH, args, dir_);
        ASSERT_TRUE(port.has_value()) << "tq-sim did not start";
        ASSERT_EQ(*port, link_.string());
    }

    std::filesystem::path path(const std::string& name) const { return dir_ / name; }

    std::filesystem::path dir_;
    std::filesystem::path link_;
    BackgroundProcess sim_;
};

}  // namespace tqtest
