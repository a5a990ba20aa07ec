// Runs an executable as a child process: its standard output and error are
// captured, its standard input gets a given text, and a time-out kills it.
// BackgroundProcess keeps one running (tq-sim) until it is destroyed.
#pragma once

#include <sys/types.h>

#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

struct ChildResult {
    int exitCode = -1;       // -1 when the child did not exit normally
    int signal = 0;          // the signal that ended it, or 0
    bool timedOut = false;   // killed after the time-out
    std::string out;
    std::string err;
};

struct ChildOptions {
    std::filesystem::path workDir;               // empty: the current directory
    std::string input;                           // written to standard input, then closed
    double timeoutSeconds = 20.0;
    std::map<std::string, std::string> setEnv;   // added to (or replacing in) the environment
    std::vector<std::string> unsetEnv;           // removed from the environment
    bool stdoutTerminal = false;                 // standard output on a pseudo-terminal
};

ChildResult runChild(const std::string& program, const std::vector<std::string>& args,
                     const ChildOptions& options = {});

// Describes a result for failure messages.
std::string describe(const ChildResult& result);

class BackgroundProcess {
public:
    BackgroundProcess() = default;
    ~BackgroundProcess();
    BackgroundProcess(const BackgroundProcess&) = delete;
    BackgroundProcess& operator=(const BackgroundProcess&) = delete;

    // Starts the program and waits (up to the time-out) for the first line of
    // its standard output, which it returns; nothing when it failed.
    std::optional<std::string> start(const std::string& program,
                                     const std::vector<std::string>& args,
                                     const std::filesystem::path& workDir,
                                     double timeoutSeconds = 10.0);
    // SIGTERM, then SIGKILL when it does not end within the time-out.
    // Returns the exit code (-1 when killed by a signal or not running).
    int stop(double timeoutSeconds = 5.0);
    bool running() const { return pid_ > 0; }

private:
    pid_t pid_ = -1;
    int stdoutFd_ = -1;
};
