#include "multi_port.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <glob.h>
#include <mutex>
#include <nlohmann/json.hpp>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

#include "json_report.h"
#include "link/port_url.h"

extern char** environ;

namespace tqctl {

namespace {

bool isPattern(const std::string& text) { return text.find_first_of("*?[") != std::string::npos; }

bool hasPortMark(const std::vector<std::string>& args) {
    return std::any_of(args.begin(), args.end(),
                       [](const std::string& a) { return a.find("{port}") != std::string::npos; });
}

struct PortRun {
    std::string port;
    int exitCode = 127;   // the child could not be started
    double seconds = 0;
    std::string lastLine;   // the last line the port printed
    bool printedJson = false;
};

// Line-wise output of all ports; one line is written whole.
class PrefixedOutput {
public:
    void line(std::FILE* stream, const std::string& port, const std::string& text) {
        const std::lock_guard<std::mutex> lock(mutex_);
        std::fprintf(stream, "%s: %s\n", port.c_str(), text.c_str());
        std::fflush(stream);
    }
    void raw(const std::string& text) {
        const std::lock_guard<std::mutex> lock(mutex_);
        std::fprintf(stdout, "%s\n", text.c_str());
        std::fflush(stdout);
    }

private:
    std::mutex mutex_;
};

class LineSplitter {
public:
    template <typename Sink>
    void feed(const char* data, std::size_t n, Sink&& sink) {
        pending_.append(data, n);
        std::size_t at;
        while ((at = pending_.find('\n')) != std::string::npos) {
            std::string line = pending_.substr(0, at);
            pending_.erase(0, at + 1);
            if (!line.empty() && line.back() == '\r')
                line.pop_back();
            sink(line);
        }
    }
    template <typename Sink>
    void flush(Sink&& sink) {
        if (!pending_.empty())
            sink(pending_);
        pending_.clear();
    }

private:
    std::string pending_;
};

void runOne(PortRun& run, std::uint32_t baud, const std::string& command,
            const std::vector<std::string>& args, bool json, PrefixedOutput& out) {
    const auto start = std::chrono::steady_clock::now();
    std::vector<std::string> argv = {"tqctl", "--port", run.port};
    if (baud != 0) {
        argv.push_back("--baud");
        argv.push_back(std::to_string(baud));
    }
    argv.push_back(command);
    for (const std::string& a : argsForPort(args, run.port))
        argv.push_back(a);
    std::vector<char*> cargv;
    for (std::string& a : argv)
        cargv.push_back(a.data());
    cargv.push_back(nullptr);

    int outPipe[2], errPipe[2];
    if (pipe2(outPipe, O_CLOEXEC) != 0 || pipe2(errPipe, O_CLOEXEC) != 0) {
        run.lastLine = std::string("cannot start: ") + std::strerror(errno);
        return;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, outPipe[1], STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions, errPipe[1], STDERR_FILENO);
    pid_t pid = -1;
    const int spawned =
        posix_spawn(&pid, "/proc/self/exe", &actions, nullptr, cargv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(outPipe[1]);
    close(errPipe[1]);
    if (spawned != 0) {
        close(outPipe[0]);
        close(errPipe[0]);
        run.lastLine = std::string("cannot start: ") + std::strerror(spawned);
        return;
    }

    LineSplitter outLines, errLines;
    const auto onOut = [&](const std::string& line) {
        if (json && !line.empty() && line.front() == '{') {
            out.raw(line);
            run.printedJson = true;
            return;
        }
        out.line(stdout, run.port, line);
        if (line.find_first_not_of(" \t") != std::string::npos)
            run.lastLine = line.substr(line.find_first_not_of(" \t"));
    };
    const auto onErr = [&](const std::string& line) {
        out.line(stderr, run.port, line);
        if (line.find_first_not_of(" \t") != std::string::npos)
            run.lastLine = line.substr(line.find_first_not_of(" \t"));
    };
    pollfd fds[2] = {{outPipe[0], POLLIN, 0}, {errPipe[0], POLLIN, 0}};
    int open = 2;
    while (open > 0) {
        if (poll(fds, 2, -1) < 0) {
            if (errno == EINTR)
                continue;
            break;
        }
        for (int i = 0; i < 2; ++i) {
            if (fds[i].fd < 0 || fds[i].revents == 0)
                continue;
            char buffer[4096];
            const ssize_t n = read(fds[i].fd, buffer, sizeof buffer);
            if (n > 0) {
                if (i == 0)
                    outLines.feed(buffer, static_cast<std::size_t>(n), onOut);
                else
                    errLines.feed(buffer, static_cast<std::size_t>(n), onErr);
            } else if (n == 0 || errno != EINTR) {
                close(fds[i].fd);
                fds[i].fd = -1;
                --open;
            }
        }
    }
    outLines.flush(onOut);
    errLines.flush(onErr);
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    run.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

void printSummary(std::FILE* stream, const std::vector<PortRun>& runs, bool verifying) {
    std::size_t portWidth = 4, resultWidth = 6;
    std::vector<std::string> results;
    for (const PortRun& r : runs) {
        results.push_back(r.exitCode == 0 ? "ok"
                                          : "failed " + std::to_string(r.exitCode) + " [" +
                                                exitCodeText(r.exitCode, verifying) + "]");
        portWidth = std::max(portWidth, r.port.size());
        resultWidth = std::max(resultWidth, results.back().size());
    }
    std::fprintf(stream, "\n%-*s  %-*s  %8s  %s\n", static_cast<int>(portWidth), "port",
                 static_cast<int>(resultWidth), "result", "time", "last message");
    int succeeded = 0;
    for (std::size_t i = 0; i < runs.size(); ++i) {
        std::fprintf(stream, "%-*s  %-*s  %6.2f s  %s\n", static_cast<int>(portWidth),
                     runs[i].port.c_str(), static_cast<int>(resultWidth), results[i].c_str(),
                     runs[i].seconds, runs[i].lastLine.c_str());
        succeeded += runs[i].exitCode == 0 ? 1 : 0;
    }
    std::fprintf(stream, "%d of %zu ports succeeded\n", succeeded, runs.size());
    std::fflush(stream);
}

}  // namespace

std::string expandPorts(const std::vector<std::string>& given, std::vector<std::string>& ports) {
    ports.clear();
    const auto add = [&](const std::string& p) {
        if (std::find(ports.begin(), ports.end(), p) == ports.end())
            ports.push_back(p);
    };
    for (const std::string& g : given) {
        if (!isPattern(g) || isNetworkPortName(g)) {   // "[::1]" is an address, not a pattern
            add(g);
            continue;
        }
        glob_t matches{};
        const int result = glob(g.c_str(), 0, nullptr, &matches);
        if (result == 0)
            for (std::size_t i = 0; i < matches.gl_pathc; ++i)
                add(matches.gl_pathv[i]);
        globfree(&matches);
        if (result != 0)
            return "no port matches " + g;
    }
    return {};
}

std::string multiPortRefusal(const std::string& command, const std::vector<std::string>& args) {
    if (command == "monitor")
        return "monitor shows one regulator on this terminal: run it once per port "
               "(or use log with {port} in the file name)";
    if (command == "autotune" && std::find(args.begin(), args.end(), "--apply") != args.end()
        && !hasPortMark(args))
        return "autotune --apply writes a file: on several ports its name needs {port}, "
               "e.g. board-{port}.tq";
    if (command == "log" || command == "get")
        return hasPortMark(args) ? ""
                                 : command + " writes a file: on several ports its name needs "
                                             "{port}, e.g. " +
                                       (command == "log" ? "run-{port}.txt" : "board-{port}.tq");
    for (const char* name : {"flash", "board-id", "download", "verify", "version", "status",
                             "stop", "start", "save-flash", "load-flash", "flash-defaults",
                             "reboot", "raw", "autotune"})
        if (command == name)
            return {};
    return command + " does not run on several ports";
}

std::vector<std::string> argsForPort(const std::vector<std::string>& args, const std::string& port) {
    std::string name = port.substr(port.find_last_of('/') + 1);
    if (isNetworkPortName(port))   // rfc2217://box:4000 -> box-4000
        for (char& c : name)
            if (c == ':' || c == '[' || c == ']')
                c = '-';
    if (name.empty())
        name = "port";
    std::vector<std::string> out;
    for (std::string a : args) {
        for (std::size_t at = a.find("{port}"); at != std::string::npos;
             at = a.find("{port}", at + name.size()))
            a.replace(at, 6, name);
        out.push_back(std::move(a));
    }
    return out;
}

int runOnPorts(const std::vector<std::string>& ports, std::uint32_t baud,
               const std::string& command, const std::vector<std::string>& args) {
    const bool json = takesJson(command) &&
                      std::find(args.begin(), args.end(), "--json") != args.end();
    std::vector<PortRun> runs(ports.size());
    PrefixedOutput out;
    std::vector<std::thread> threads;
    for (std::size_t i = 0; i < ports.size(); ++i) {
        runs[i].port = ports[i];
        threads.emplace_back(
            [&, i] { runOne(runs[i], baud, command, args, json, out); });
    }
    for (std::thread& t : threads)
        t.join();

    if (json) {
        // A port whose tqctl printed no object (it could not start, or
        // refused its arguments) still gets one.
        for (const PortRun& r : runs) {
            if (r.printedJson)
                continue;
            nlohmann::ordered_json object = {{"port", r.port},
                                             {"command", command},
                                             {"result", r.exitCode},
                                             {"resultText", exitCodeText(r.exitCode, verifies(command, args))},
                                             {"text", r.lastLine},
                                             {"seconds", r.seconds},
                                             {"differences", nlohmann::ordered_json::array()}};
            out.raw(object.dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace));
        }
    }
    printSummary(json ? stderr : stdout, runs, verifies(command, args));
    for (const PortRun& r : runs)
        if (r.exitCode != 0)
            return r.exitCode;
    return 0;
}

}  // namespace tqctl
