// tqctl on four ports at once against one port alone: four virtual
// regulators paced to 115200 baud (tq-sim processes), the wall time of
// "download --verify" and of flashing a 32 KiB image. Goal: four ports take
// no more than 1.2 times one port.
#include <benchmark/benchmark.h>

#include <array>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <signal.h>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

constexpr int kBoards = 4;
constexpr std::uint32_t kImageStart = 0x000300;
constexpr std::uint32_t kImageBytes = 32 * 1024;

std::string hexLine(unsigned type, unsigned address, const std::uint8_t* data, int n) {
    unsigned sum = static_cast<unsigned>(n) + (address >> 8) + (address & 0xFF) + type;
    char field[4];
    std::string line = ":";
    auto add = [&](unsigned b) {
        std::snprintf(field, sizeof field, "%02X", b & 0xFF);
        line += field;
    };
    add(static_cast<unsigned>(n));
    add(address >> 8);
    add(address);
    add(type);
    for (int i = 0; i < n; ++i) {
        add(data[i]);
        sum += data[i];
    }
    add(256 - (sum & 0xFF));
    return line + "\n";
}

pid_t spawn(const std::vector<std::string>& args, int stdoutFd) {
    std::vector<char*> argv;
    for (const std::string& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, stdoutFd, STDOUT_FILENO);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    pid_t pid = -1;
    if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0)
        pid = -1;
    posix_spawn_file_actions_destroy(&actions);
    return pid;
}

// Four paced tq-sim processes, a parameter file and a 32 KiB image in a
// temporary directory, for the life of the program.
class Bench {
public:
    Bench() {
        char pattern[] = "/tmp/tq-multi-bench-XXXXXX";
        dir_ = mkdtemp(pattern);
        for (int i = 0; i < kBoards; ++i) {
            int pipeFds[2];
            if (pipe(pipeFds) != 0)
                continue;
            sims_[i] = spawn({TQSIM_PATH, "--link", port(i), "--baud", "115200"}, pipeFds[1]);
            close(pipeFds[1]);
            char c;   // the first line names the port: the sim is ready
            while (read(pipeFds[0], &c, 1) == 1 && c != '\n') {
            }
            close(pipeFds[0]);
        }
        const int null = open("/dev/null", O_WRONLY);
        run({TQCTL_PATH, "new", (dir_ / "line.tq").string(), "--force"}, null);
        close(null);
        std::ofstream out(dir_ / "image.hex");
        const std::uint8_t upper[2] = {0, 0};
        out << hexLine(4, 0, upper, 2);
        std::uint8_t data[16];
        for (std::uint32_t offset = 0; offset < kImageBytes; offset += 16) {
            for (int i = 0; i < 16; ++i)
                data[i] = static_cast<std::uint8_t>((offset + static_cast<std::uint32_t>(i)) * 13);
            out << hexLine(0, (kImageStart + offset) & 0xFFFF, data, 16);
        }
        out << hexLine(1, 0, nullptr, 0);
    }
    ~Bench() {
        for (pid_t pid : sims_) {
            if (pid <= 0)
                continue;
            kill(pid, SIGTERM);
            waitpid(pid, nullptr, 0);
        }
        std::error_code ignored;
        std::filesystem::remove_all(dir_, ignored);
    }
    std::string port(int i) const { return (dir_ / ("tty" + std::to_string(i))).string(); }
    std::string file(const char* name) const { return (dir_ / name).string(); }

    // tqctl on the first `ports` boards; returns its exit code.
    int tqctl(int ports, const std::vector<std::string>& command) {
        std::vector<std::string> args = {TQCTL_PATH};
        for (int i = 0; i < ports; ++i)
            args.insert(args.end(), {"--port", port(i)});
        args.insert(args.end(), command.begin(), command.end());
        const int null = open("/dev/null", O_WRONLY);
        const int code = run(args, null);
        close(null);
        return code;
    }

private:
    static int run(const std::vector<std::string>& args, int stdoutFd) {
        const pid_t pid = spawn(args, stdoutFd);
        int status = 0;
        if (pid <= 0 || waitpid(pid, &status, 0) < 0)
            return -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    std::filesystem::path dir_;
    std::array<pid_t, kBoards> sims_{};
};

Bench& bench() {
    static Bench b;
    return b;
}

void timed(benchmark::State& state, const std::vector<std::string>& command) {
    const int ports = static_cast<int>(state.range(0));
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        const int code = bench().tqctl(ports, command);
        state.SetIterationTime(
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
        if (code != 0) {
            state.SkipWithError("tqctl failed");
            return;
        }
    }
}

void BM_DownloadVerify(benchmark::State& state) {
    timed(state, {"download", bench().file("line.tq"), "--verify"});
}
BENCHMARK(BM_DownloadVerify)->Arg(1)->Arg(4)->ArgName("ports")->UseManualTime()->Iterations(3)
    ->Unit(benchmark::kMillisecond);

void BM_Flash32KiB(benchmark::State& state) {
    timed(state, {"flash", bench().file("image.hex"), "--search"});
}
BENCHMARK(BM_Flash32KiB)->Arg(1)->Arg(4)->ArgName("ports")->UseManualTime()->Iterations(1)
    ->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
