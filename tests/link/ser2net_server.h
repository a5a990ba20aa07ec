// A ser2net 4.x process for the tests: each device behind its own TCP port
// on 127.0.0.1, as Telnet with RFC 2217 or as plain TCP, from a YAML file
// written into a temporary directory; run in the foreground and stopped by
// its owner. Tests skip when ser2net is not installed.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

struct Ser2netPort {
    std::string device;         // the serial device (a pseudo-terminal's path)
    bool rfc2217 = true;        // else plain TCP (socket://)
    std::uint32_t baud = 115200;
    // ser2net's default: it holds bytes from the device for at least 1 ms
    // before sending them on; off, each reply goes out at once.
    bool chardelay = true;
};

class Ser2netServer {
public:
    Ser2netServer() = default;
    ~Ser2netServer();
    Ser2netServer(const Ser2netServer&) = delete;
    Ser2netServer& operator=(const Ser2netServer&) = delete;

    // The ser2net program, or "" when it is not installed.
    static std::string program();
    // A TCP port on 127.0.0.1 that nothing listens on right now; with
    // `heldFd` its socket stays open (bound, not listening) for the caller
    // to close, so that the next call gets another port.
    static int freePort(int* heldFd = nullptr);

    // Chooses the ports, writes the configuration and starts ser2net;
    // returns once every port listens (or false with the reason).
    bool start(const std::vector<Ser2netPort>& ports, std::string* error);
    // SIGTERM and wait; the TCP ports are kept for restart().
    void stop();
    bool restart(std::string* error);
    bool running() const { return pid_ > 0; }

    int port(std::size_t index) const { return tcpPorts_.at(index); }
    // "rfc2217://127.0.0.1:N" or "socket://127.0.0.1:N".
    std::string url(std::size_t index) const;

private:
    bool launch(std::string* error);

    std::filesystem::path dir_;
    std::vector<Ser2netPort> ports_;
    std::vector<int> tcpPorts_;
    pid_t pid_ = -1;
};

// True while something listens on 127.0.0.1:port.
bool isListening(int port);
