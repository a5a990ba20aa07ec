#include "json_report.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <nlohmann/json.hpp>
#include <unistd.h>

#include "link/serial_manager.h"
#include "verify.h"

namespace tqctl {

namespace {

// Sends standard output and error into a temporary file for the life of
// the object; afterwards the captured text is copied to standard error.
class CapturedOutput {
public:
    CapturedOutput() {
        std::fflush(stdout);
        std::fflush(stderr);
        file_ = std::tmpfile();
        savedOut_ = dup(STDOUT_FILENO);
        savedErr_ = dup(STDERR_FILENO);
        if (file_ != nullptr) {
            dup2(fileno(file_), STDOUT_FILENO);
            dup2(fileno(file_), STDERR_FILENO);
        }
    }
    // Restores both streams and returns what was written meanwhile.
    std::string finish() {
        std::fflush(stdout);
        std::fflush(stderr);
        dup2(savedOut_, STDOUT_FILENO);
        dup2(savedErr_, STDERR_FILENO);
        close(savedOut_);
        close(savedErr_);
        std::string text;
        if (file_ != nullptr) {
            std::rewind(file_);
            char buffer[4096];
            std::size_t n;
            while ((n = std::fread(buffer, 1, sizeof buffer, file_)) > 0)
                text.append(buffer, n);
            std::fclose(file_);
        }
        return text;
    }

private:
    std::FILE* file_ = nullptr;
    int savedOut_ = -1;
    int savedErr_ = -1;
};

std::string lastLine(const std::string& text) {
    std::size_t end = text.size();
    while (end > 0) {
        const std::size_t start = text.find_last_of('\n', end - 1);
        const std::size_t from = start == std::string::npos ? 0 : start + 1;
        std::string line = text.substr(from, end - from);
        const std::size_t first = line.find_first_not_of(" \t\r");
        if (first != std::string::npos)
            return line.substr(first, line.find_last_not_of(" \t\r") - first + 1);
        if (start == std::string::npos)
            break;
        end = start;
    }
    return {};
}

}  // namespace

RunReport& runReport() {
    static RunReport report;
    return report;
}

bool takesJson(const std::string& command) {
    for (const char* name : {"verify", "download", "flash", "status", "version"})
        if (command == name)
            return true;
    return false;
}

bool verifies(const std::string& command, const std::vector<std::string>& args) {
    return command == "verify" ||
           (command == "download" && std::find(args.begin(), args.end(), "--verify") != args.end());
}

std::string exitCodeText(int code, bool verifying) {
    if (verifying && code == kExitDifferences)
        return "differences";
    if (verifying && code == kExitVerifyFileError)
        return "file error";
    if (code >= 0 && code <= 9)
        return resultText(code);
    if (code == kExitUsage)
        return "usage error";
    return "exit code " + std::to_string(code);
}

int runWithJson(const Command& command, Context& ctx, const std::vector<std::string>& args) {
    runReport() = {};
    const auto start = std::chrono::steady_clock::now();
    CapturedOutput captured;
    const int result = command.run(ctx, args);
    const std::string output = captured.finish();
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::fwrite(output.data(), 1, output.size(), stderr);

    nlohmann::ordered_json object;
    object["port"] = ctx.portPath();
    object["command"] = command.name;
    object["result"] = result;
    object["resultText"] = exitCodeText(result, verifies(command.name, args));
    object["text"] = runReport().text.empty() ? lastLine(output) : runReport().text;
    object["seconds"] = static_cast<double>(static_cast<long long>(seconds * 1000 + 0.5)) / 1000;
    nlohmann::ordered_json differences = nlohmann::ordered_json::array();
    for (const RegisterDifference& d : runReport().differences)
        differences.push_back({{"register", d.reg},
                               {"field", d.field},
                               {"label", d.label},
                               {"document", d.documentValue},
                               {"regulator", d.regulatorValue}});
    object["differences"] = std::move(differences);
    const std::string line =
        object.dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace);
    std::printf("%s\n", line.c_str());
    std::fflush(stdout);
    return result;
}

}  // namespace tqctl
