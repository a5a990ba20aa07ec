#include "child_process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <thread>

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

struct Pipe {
    int read = -1;
    int write = -1;
    bool open() {
        int fds[2];
        if (pipe2(fds, O_CLOEXEC) != 0)
            return false;
        read = fds[0];
        write = fds[1];
        return true;
    }
};

void closeFd(int& fd) {
    if (fd >= 0)
        ::close(fd);
    fd = -1;
}

// argv and envp as the child needs them, built before fork.
struct ExecArgs {
    std::vector<std::string> argStrings;
    std::vector<std::string> envStrings;
    std::vector<char*> argv;
    std::vector<char*> envp;

    ExecArgs(const std::string& program, const std::vector<std::string>& args,
             const std::map<std::string, std::string>& setEnv,
             const std::vector<std::string>& unsetEnv) {
        argStrings.push_back(program);
        argStrings.insert(argStrings.end(), args.begin(), args.end());
        for (char** e = environ; e != nullptr && *e != nullptr; ++e) {
            const std::string entry = *e;
            const std::string name = entry.substr(0, entry.find('='));
            bool drop = setEnv.count(name) > 0;
            for (const std::string& unset : unsetEnv)
                drop = drop || unset == name;
            if (!drop)
                envStrings.push_back(entry);
        }
        for (const auto& [name, value] : setEnv)
            envStrings.push_back(name + "=" + value);
        for (std::string& s : argStrings)
            argv.push_back(s.data());
        argv.push_back(nullptr);
        for (std::string& s : envStrings)
            envp.push_back(s.data());
        envp.push_back(nullptr);
    }
};

// In the child after fork: only async-signal-safe calls.
[[noreturn]] void execChild(const ExecArgs& exec, const char* workDir, int in, int out, int err) {
    if (in >= 0)
        dup2(in, STDIN_FILENO);
    else {
        const int null = ::open("/dev/null", O_RDONLY);
        dup2(null, STDIN_FILENO);
    }
    dup2(out, STDOUT_FILENO);
    dup2(err, STDERR_FILENO);
    sigset_t none;
    sigemptyset(&none);
    sigprocmask(SIG_SETMASK, &none, nullptr);
    signal(SIGPIPE, SIG_DFL);
    if (workDir != nullptr && chdir(workDir) != 0)
        _exit(126);
    execve(exec.argv[0], exec.argv.data(), exec.envp.data());
    _exit(127);
}

void fillStatus(int status, ChildResult& result) {
    if (WIFEXITED(status))
        result.exitCode = WEXITSTATUS(status);
    else if (WIFSIGNALED(status))
        result.signal = WTERMSIG(status);
}

}  // namespace

ChildResult runChild(const std::string& program, const std::vector<std::string>& args,
                     const ChildOptions& options) {
    signal(SIGPIPE, SIG_IGN);
    ChildResult result;
    Pipe in, out, err;
    if (!in.open() || !out.open() || !err.open()) {
        result.err = "pipe failed";
        return result;
    }
    if (options.stdoutTerminal) {
        // The child writes to the terminal side; the master reads like a pipe
        // (and reports EIO once the last writer has gone).
        const int master = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
        const char* name = master >= 0 && grantpt(master) == 0 && unlockpt(master) == 0
                               ? ptsname(master)
                               : nullptr;
        const int slave = name != nullptr ? ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC) : -1;
        if (slave < 0) {
            if (master >= 0)
                ::close(master);
            result.err = "no pseudo-terminal";
            return result;
        }
        termios tio{};
        if (tcgetattr(slave, &tio) == 0) {
            tio.c_oflag &= ~static_cast<tcflag_t>(ONLCR);   // keep line feeds as written
            tcsetattr(slave, TCSANOW, &tio);
        }
        closeFd(out.read);
        closeFd(out.write);
        out.read = master;
        out.write = slave;
    }
    const ExecArgs exec(program, args, options.setEnv, options.unsetEnv);
    const std::string workDir = options.workDir.string();
    const pid_t pid = fork();
    if (pid == 0)
        execChild(exec, workDir.empty() ? nullptr : workDir.c_str(), in.read, out.write,
                  err.write);
    closeFd(in.read);
    closeFd(out.write);
    closeFd(err.write);
    if (pid < 0) {
        closeFd(in.write);
        closeFd(out.read);
        closeFd(err.read);
        result.err = "fork failed";
        return result;
    }

    fcntl(in.write, F_SETFL, O_NONBLOCK);
    std::size_t written = 0;
    if (options.input.empty())
        closeFd(in.write);

    const auto deadline =
        Clock::now() + std::chrono::milliseconds(static_cast<long>(options.timeoutSeconds * 1000));
    while (out.read >= 0 || err.read >= 0) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                              deadline - Clock::now())
                              .count();
        if (left <= 0) {
            result.timedOut = true;
            kill(pid, SIGKILL);
            break;
        }
        pollfd fds[3];
        int n = 0;
        int outIndex = -1, errIndex = -1, inIndex = -1;
        if (out.read >= 0) {
            outIndex = n;
            fds[n++] = {out.read, POLLIN, 0};
        }
        if (err.read >= 0) {
            errIndex = n;
            fds[n++] = {err.read, POLLIN, 0};
        }
        if (in.write >= 0) {
            inIndex = n;
            fds[n++] = {in.write, POLLOUT, 0};
        }
        const int ready = poll(fds, n, static_cast<int>(left < 200 ? left : 200));
        if (ready < 0 && errno != EINTR)
            break;
        if (ready <= 0)
            continue;
        char buffer[4096];
        auto drain = [&](int index, int& fd, std::string& into) {
            if (index < 0 || fds[index].revents == 0)
                return;
            const ssize_t got = ::read(fd, buffer, sizeof buffer);
            if (got > 0)
                into.append(buffer, static_cast<std::size_t>(got));
            else if (got == 0 || (errno != EINTR && errno != EAGAIN))
                closeFd(fd);
        };
        drain(outIndex, out.read, result.out);
        drain(errIndex, err.read, result.err);
        if (inIndex >= 0 && fds[inIndex].revents != 0) {
            const ssize_t put = ::write(in.write, options.input.data() + written,
                                        options.input.size() - written);
            if (put > 0)
                written += static_cast<std::size_t>(put);
            if ((put < 0 && errno != EAGAIN && errno != EINTR) || written == options.input.size())
                closeFd(in.write);
        }
    }
    closeFd(in.write);
    closeFd(out.read);
    closeFd(err.read);

    // The pipes may close before the child ends; give it the rest of the time.
    int status = 0;
    for (;;) {
        const pid_t done = waitpid(pid, &status, result.timedOut ? 0 : WNOHANG);
        if (done == pid) {
            fillStatus(status, result);
            break;
        }
        if (done < 0 && errno != EINTR)
            break;
        if (Clock::now() >= deadline) {
            result.timedOut = true;
            kill(pid, SIGKILL);
            continue;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    if (result.timedOut)
        result.exitCode = -1;
    return result;
}

std::string describe(const ChildResult& result) {
    std::string text = "exit " + std::to_string(result.exitCode);
    if (result.signal != 0)
        text += ", signal " + std::to_string(result.signal);
    if (result.timedOut)
        text += ", timed out";
    return text + "\n--- stdout:\n" + result.out + "--- stderr:\n" + result.err;
}

BackgroundProcess::~BackgroundProcess() { stop(); }

std::optional<std::string> BackgroundProcess::start(const std::string& program,
                                                    const std::vector<std::string>& args,
                                                    const std::filesystem::path& workDir,
                                                    double timeoutSeconds) {
    signal(SIGPIPE, SIG_IGN);
    Pipe out;
    if (running() || !out.open())
        return std::nullopt;
    const ExecArgs exec(program, args, {}, {});
    const std::string dir = workDir.string();
    const pid_t pid = fork();
    if (pid == 0)
        execChild(exec, dir.empty() ? nullptr : dir.c_str(), -1, out.write, STDERR_FILENO);
    closeFd(out.write);
    if (pid < 0) {
        closeFd(out.read);
        return std::nullopt;
    }
    pid_ = pid;
    stdoutFd_ = out.read;

    std::string line;
    const auto deadline =
        Clock::now() + std::chrono::milliseconds(static_cast<long>(timeoutSeconds * 1000));
    while (line.find('\n') == std::string::npos) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                              deadline - Clock::now())
                              .count();
        if (left <= 0)
            break;
        pollfd fd{stdoutFd_, POLLIN, 0};
        if (poll(&fd, 1, static_cast<int>(left)) <= 0)
            continue;
        char buffer[256];
        const ssize_t got = ::read(stdoutFd_, buffer, sizeof buffer);
        if (got <= 0)
            break;
        line.append(buffer, static_cast<std::size_t>(got));
    }
    const std::size_t end = line.find('\n');
    if (end == std::string::npos) {
        stop();
        return std::nullopt;
    }
    return line.substr(0, end);
}

int BackgroundProcess::stop(double timeoutSeconds) {
    if (pid_ <= 0)
        return -1;
    kill(pid_, SIGTERM);
    ChildResult result;
    const auto deadline =
        Clock::now() + std::chrono::milliseconds(static_cast<long>(timeoutSeconds * 1000));
    int status = 0;
    for (;;) {
        const pid_t done = waitpid(pid_, &status, WNOHANG);
        if (done == pid_) {
            fillStatus(status, result);
            break;
        }
        if (done < 0 && errno != EINTR)
            break;
        if (Clock::now() >= deadline) {
            kill(pid_, SIGKILL);
            waitpid(pid_, &status, 0);
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    pid_ = -1;
    closeFd(stdoutFd_);
    return result.exitCode;
}
