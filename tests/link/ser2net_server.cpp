#include "ser2net_server.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <thread>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

constexpr auto kStartTimeout = std::chrono::seconds(10);
constexpr auto kStopTimeout = std::chrono::seconds(5);

bool listeningIn(const char* table, const std::string& localHex) {
    std::ifstream in(table);
    std::string line;
    std::getline(in, line);   // header
    while (std::getline(in, line)) {
        std::istringstream fields(line);
        std::string slot, local, remote, state;
        fields >> slot >> local >> remote >> state;
        if (state == "0A" && local.size() >= localHex.size() &&
            local.compare(local.size() - localHex.size(), localHex.size(), localHex) == 0)
            return true;
    }
    return false;
}

}  // namespace

bool isListening(int port) {
    char hex[16];
    std::snprintf(hex, sizeof hex, ":%04X", port);
    return listeningIn("/proc/net/tcp", hex) || listeningIn("/proc/net/tcp6", hex);
}

std::string Ser2netServer::program() {
    for (const char* dir : {"/usr/sbin", "/usr/bin", "/usr/local/sbin", "/usr/local/bin"}) {
        const std::string path = std::string(dir) + "/ser2net";
        if (access(path.c_str(), X_OK) == 0)
            return path;
    }
    return {};
}

int Ser2netServer::freePort(int* heldFd) {
    const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    int port = -1;
    if (fd >= 0 && bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
        getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) == 0)
        port = ntohs(address.sin_port);
    if (heldFd != nullptr && port > 0)
        *heldFd = fd;
    else if (fd >= 0)
        close(fd);
    return port;
}

Ser2netServer::~Ser2netServer() {
    stop();
    if (!dir_.empty()) {
        std::error_code ignored;
        std::filesystem::remove_all(dir_, ignored);
    }
}

std::string Ser2netServer::url(std::size_t index) const {
    return std::string(ports_.at(index).rfc2217 ? "rfc2217" : "socket") + "://127.0.0.1:" +
           std::to_string(tcpPorts_.at(index));
}

bool Ser2netServer::start(const std::vector<Ser2netPort>& ports, std::string* error) {
    stop();
    if (program().empty()) {
        if (error) *error = "ser2net is not installed";
        return false;
    }
    if (dir_.empty()) {
        const char* base = std::getenv("TMPDIR");
        std::string pattern = std::string(base != nullptr && *base ? base : "/tmp") + "/tq-ser2net-XXXXXX";
        if (mkdtemp(pattern.data()) == nullptr) {
            if (error) *error = "no temporary directory";
            return false;
        }
        dir_ = pattern;
    }
    ports_ = ports;
    tcpPorts_.clear();
    std::ofstream config(dir_ / "ser2net.yaml", std::ios::trunc);
    config << "%YAML 1.1\n---\n";
    // Every port is held by a socket of its own until all are chosen: a
    // port let go at once may be handed out again for the next one.
    std::vector<int> held;
    for (std::size_t i = 0; i < ports.size(); ++i) {
        int fd = -1;
        const int port = freePort(&fd);
        held.push_back(fd);
        if (port <= 0) {
            for (int h : held)
                if (h >= 0) close(h);
            if (error) *error = "no free TCP port";
            return false;
        }
        tcpPorts_.push_back(port);
    }
    for (int h : held)
        if (h >= 0) close(h);
    for (std::size_t i = 0; i < ports.size(); ++i) {
        const int port = tcpPorts_[i];
        config << "connection: &board" << i << "\n"
               << "  accepter: " << (ports[i].rfc2217 ? "telnet(rfc2217),tcp," : "tcp,")
               << "127.0.0.1," << port << "\n"
               << "  connector: serialdev," << ports[i].device << "," << ports[i].baud << "n81,local\n"
               << "  options:\n    kickolduser: true\n"
               << (ports[i].chardelay ? "" : "    chardelay: false\n");
    }
    config.close();
    return launch(error);
}

bool Ser2netServer::launch(std::string* error) {
    const std::string exe = program();
    const std::string configPath = (dir_ / "ser2net.yaml").string();
    const std::string pidPath = (dir_ / "ser2net.pid").string();
    const std::string logPath = (dir_ / "ser2net.log").string();
    std::vector<std::string> args = {exe, "-n", "-u", "-c", configPath, "-P", pidPath};
    std::vector<char*> argv;
    for (std::string& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, logPath.c_str(),
                                     O_WRONLY | O_CREAT | O_APPEND, 0644);
    posix_spawn_file_actions_adddup2(&actions, STDOUT_FILENO, STDERR_FILENO);
    const int spawned = posix_spawn(&pid_, exe.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) {
        pid_ = -1;
        if (error) *error = "ser2net did not start";
        return false;
    }
    const auto deadline = std::chrono::steady_clock::now() + kStartTimeout;
    for (;;) {
        bool all = true;
        for (int port : tcpPorts_)
            all = all && isListening(port);
        if (all)
            return true;
        int status = 0;
        if (waitpid(pid_, &status, WNOHANG) == pid_) {
            pid_ = -1;
            std::ifstream log(logPath);
            std::stringstream text;
            text << log.rdbuf();
            if (error) *error = "ser2net ended at once: " + text.str();
            return false;
        }
        if (std::chrono::steady_clock::now() > deadline) {
            if (error) *error = "ser2net did not listen within 10 s";
            stop();
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

void Ser2netServer::stop() {
    if (pid_ <= 0)
        return;
    kill(pid_, SIGTERM);
    const auto deadline = std::chrono::steady_clock::now() + kStopTimeout;
    int status = 0;
    while (waitpid(pid_, &status, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() > deadline) {
            kill(pid_, SIGKILL);
            waitpid(pid_, &status, 0);
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    pid_ = -1;
}

bool Ser2netServer::restart(std::string* error) {
    stop();
    if (tcpPorts_.empty()) {
        if (error) *error = "never started";
        return false;
    }
    return launch(error);
}
