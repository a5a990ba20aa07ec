// Ports on the network: the link through ser2net on 127.0.0.1 in front of
// the virtual regulator's pseudo-terminal (rfc2217:// and socket://), a
// connection that drops and comes back, and every open error with its host,
// port and reason (small fake servers for the ones ser2net cannot play).
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <filesystem>
#include <functional>
#include <string>
#include <thread>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <termios.h>
#include <unistd.h>

#include "link/network_transport.h"
#include "link/serial_manager.h"
#include "link/telnet_codec.h"
#include "pty_peer.h"
#include "ser2net_server.h"
#include "sim/virtual_regulator.h"

namespace {

using namespace std::chrono_literals;

#define SKIP_WITHOUT_SER2NET()                                                              \
    if (Ser2netServer::program().empty())                                                   \
    GTEST_SKIP() << "ser2net is not installed (apt-get install ser2net): network port tests skipped"

std::filesystem::path tempDir() {
    const char* base = std::getenv("TMPDIR");
    std::string pattern = std::string(base != nullptr && *base ? base : "/tmp") + "/tq-net-XXXXXX";
    return mkdtemp(pattern.data()) != nullptr ? std::filesystem::path(pattern) : std::filesystem::path();
}

// A TCP server on 127.0.0.1 that accepts one connection and hands it to a
// script on its own thread; a listening socket with a full queue when
// `fullQueue` (further connects then get no answer).
class FakeServer {
public:
    using Script = std::function<void(int fd)>;
    explicit FakeServer(Script script) : script_(std::move(script)) {
        listen_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        bind(listen_, reinterpret_cast<sockaddr*>(&address), sizeof address);
        getsockname(listen_, reinterpret_cast<sockaddr*>(&address), &length);
        port_ = ntohs(address.sin_port);
        if (!script_) {
            // Backlog 0 and never accepting: once the queue is full the
            // kernel drops further connection requests.
            ::listen(listen_, 0);
            return;
        }
        ::listen(listen_, 1);
        thread_ = std::thread([this] {
            pollfd p{listen_, POLLIN, 0};
            if (poll(&p, 1, 10000) <= 0)
                return;
            const int fd = accept4(listen_, nullptr, nullptr, SOCK_CLOEXEC);
            if (fd < 0)
                return;
            script_(fd);
            ::close(fd);
        });
    }
    ~FakeServer() {
        if (thread_.joinable())
            thread_.join();
        for (int fd : fillers_)
            ::close(fd);
        ::close(listen_);
    }
    // Connects until the queue of the never-accepting server is full.
    void fillQueue() {
        for (int i = 0; i < 8; ++i) {
            const int fd = socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
            sockaddr_in address{};
            address.sin_family = AF_INET;
            address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
            address.sin_port = htons(static_cast<std::uint16_t>(port_));
            connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
            fillers_.push_back(fd);
        }
    }
    std::string url() const { return "rfc2217://127.0.0.1:" + std::to_string(port_); }
    std::string where() const { return "127.0.0.1 port " + std::to_string(port_); }

private:
    Script script_;
    int listen_ = -1;
    int port_ = 0;
    std::thread thread_;
    std::vector<int> fillers_;
};

// Reads what the client sends until `enough` says so or 5 s passed.
std::string readFrom(int fd, const std::function<bool(const std::string&)>& enough) {
    std::string got;
    const auto deadline = std::chrono::steady_clock::now() + 5s;
    while (!enough(got) && std::chrono::steady_clock::now() < deadline) {
        pollfd p{fd, POLLIN, 0};
        if (poll(&p, 1, 100) <= 0)
            continue;
        char buffer[512];
        const ssize_t n = recv(fd, buffer, sizeof buffer, 0);
        if (n <= 0)
            break;
        got.append(buffer, static_cast<std::size_t>(n));
    }
    return got;
}

// Two virtual regulators behind one ser2net: the first as rfc2217://, the
// second as socket:// (a server gives a device to one connection at a time).
class NetworkLink : public ::testing::Test {
protected:
    void SetUp() override {
        SKIP_WITHOUT_SER2NET();
        dir_ = tempDir();
        ASSERT_FALSE(dir_.empty());
        std::vector<Ser2netPort> ports;
        for (int i = 0; i < 2; ++i) {
            sim::SimOptions options;
            options.linkPath = (dir_ / ("tty" + std::to_string(i))).string();
            boards_[i] = std::make_unique<sim::VirtualRegulator>(options);
            std::string error;
            ASSERT_TRUE(boards_[i]->start(&error)) << error;
            ports.push_back({options.linkPath, i == 0});
        }
        std::string error;
        ASSERT_TRUE(server_.start(ports, &error)) << error;
        link_.setNotify([this](int kind, int length, const char* text) { log_.add(kind, length, text); });
    }
    void TearDown() override {
        link_.close();
        server_.stop();
        for (auto& board : boards_)
            if (board)
                board->stop();
        std::error_code ignored;
        if (!dir_.empty())
            std::filesystem::remove_all(dir_, ignored);
    }

    std::filesystem::path dir_;
    std::unique_ptr<sim::VirtualRegulator> boards_[2];
    Ser2netServer server_;
    SerialManager link_;
    NotificationLog log_;
};

TEST_F(NetworkLink, BothFormsCarryCommandsRegistersAndTheStream) {
    for (std::size_t form = 0; form < 2; ++form) {
        SCOPED_TRACE(server_.url(form));
        ASSERT_EQ(link_.open(server_.url(form), 115200), Ok) << link_.openErrorDetail();
        EXPECT_TRUE(link_.isOpen());
        std::string version;
        ASSERT_EQ(link_.getVersion(version), Ok);
        EXPECT_EQ(version, "TQ-REG V0.215 virtual");
        const float value = 17.5f + static_cast<float>(form);
        EXPECT_EQ(link_.writeRegister(12, value, false), Ok);
        float back = 0;
        EXPECT_EQ(link_.readRegister(12, back, false), Ok);
        EXPECT_EQ(back, value);
        ASSERT_EQ(link_.autoSend(7), Ok);
        const int before = log_.count(SerialManager::kNotifyRuntimeLine);
        const auto deadline = std::chrono::steady_clock::now() + 5s;
        while (log_.count(SerialManager::kNotifyRuntimeLine) < before + 10 &&
               std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(10ms);
        EXPECT_GE(log_.count(SerialManager::kNotifyRuntimeLine), before + 10);
        EXPECT_EQ(link_.autoSendOff(), Ok);
        EXPECT_EQ(link_.close(), Ok);
        EXPECT_TRUE(log_.waitFor(SerialManager::kNotifyStatus, "MGR::Disonnected!"));
        EXPECT_TRUE(link_.lostReason().empty());   // closed by its owner
    }
}

TEST_F(NetworkLink, ADroppedConnectionIsAVanishedPortThatOpensAgain) {
    ASSERT_EQ(link_.open(server_.url(0), 115200), Ok) << link_.openErrorDetail();
    server_.stop();
    ASSERT_TRUE(log_.waitFor(SerialManager::kNotifyStatus, "MGR::Disonnected!"));
    EXPECT_FALSE(link_.isOpen());
    EXPECT_EQ(link_.lostReason(),
              server_.url(0) + ": connection closed by 127.0.0.1 port " + std::to_string(server_.port(0)));
    std::string version;
    EXPECT_EQ(link_.getVersion(version), PortInvalid);

    EXPECT_EQ(link_.open(server_.url(0), 115200), CmdOpenError);
    EXPECT_EQ(link_.openErrorDetail(), server_.url(0) + ": connection refused by 127.0.0.1 port " +
                                           std::to_string(server_.port(0)) + " (is the server running?)");
    std::string error;
    ASSERT_TRUE(server_.restart(&error)) << error;
    ASSERT_EQ(link_.open(server_.url(0), 115200), Ok) << link_.openErrorDetail();
    EXPECT_EQ(link_.getVersion(version), Ok);
    EXPECT_TRUE(link_.lostReason().empty());
}

// The transport against a raw pseudo-terminal behind ser2net: the rate is
// set at the server, and 0xFF passes both ways exactly once in both forms.
TEST(NetworkTransportBytes, RateAtTheServerAndEveryByteValueBothWays) {
    SKIP_WITHOUT_SER2NET();
    PtyPeer peers[2];
    ASSERT_TRUE(peers[0].ok() && peers[1].ok());
    Ser2netServer server;
    std::string error;
    ASSERT_TRUE(server.start({{peers[0].slavePath(), true, 9600}, {peers[1].slavePath(), false, 9600}}, &error))
        << error;

    for (std::size_t form = 0; form < 2; ++form) {
        SCOPED_TRACE(server.url(form));
        PtyPeer& peer = peers[form];
        NetworkTransport transport;
        ASSERT_EQ(transport.open(server.url(form), 57600, 0, 8, error), 0) << error;
        const std::string out = std::string("a\xFF\xFF" "b\r", 5);
        ASSERT_EQ(transport.write(out.data(), out.size()), static_cast<long>(out.size()));
        while (transport.wantsWrite())
            ASSERT_TRUE(transport.flush());
        EXPECT_EQ(peer.readUntil("\r"), out);
        // The server has the device open and set up now: rfc2217:// set the
        // rate, socket:// left the server's.
        termios tio{};
        ASSERT_EQ(tcgetattr(peer.fd(), &tio), 0);
        EXPECT_EQ(cfgetospeed(&tio), form == 0 ? B57600 : B9600);

        const std::string in = std::string("\xFFx\xFF\xFF\xFE\xFD\xFB\xF0\n", 9);
        peer.write(in);
        std::string got;
        const auto deadline = std::chrono::steady_clock::now() + 5s;
        while (got.size() < in.size() && std::chrono::steady_clock::now() < deadline) {
            pollfd p{transport.fd(), POLLIN, 0};
            if (poll(&p, 1, 100) <= 0)
                continue;
            unsigned char buffer[64];
            const long n = transport.read(buffer, sizeof buffer);
            ASSERT_GE(n, 0) << transport.goneReason();
            got.append(reinterpret_cast<const char*>(buffer), static_cast<std::size_t>(n));
        }
        EXPECT_EQ(got, in);
        transport.close();
    }
}

TEST(NetworkOpenErrors, EachNamesTheHostThePortAndTheReason) {
    SerialManager link;
    // Nothing listens.
    const int freePort = Ser2netServer::freePort();
    const std::string nobody = "rfc2217://127.0.0.1:" + std::to_string(freePort);
    EXPECT_EQ(link.open(nobody, 115200), CmdOpenError);
    EXPECT_EQ(link.openErrorDetail(), nobody + ": connection refused by 127.0.0.1 port " +
                                          std::to_string(freePort) + " (is the server running?)");
    EXPECT_FALSE(link.isOpen());

    {   // The server hangs up at once, with a word of why.
        FakeServer server([](int fd) {
            // All the client's opening (five options) is read first, so the
            // close is orderly.
            readFrom(fd, [](const std::string& got) { return got.size() >= 15; });
            send(fd, "port busy\r\n", 11, MSG_NOSIGNAL);
        });
        EXPECT_EQ(link.open(server.url(), 115200), CmdOpenError);
        EXPECT_EQ(link.openErrorDetail(), server.url() + ": connection closed by " + server.where() +
                                              " during the Telnet negotiation (it said: \"port busy\")");
    }
    {   // The COM-PORT option is refused.
        FakeServer server([](int fd) {
            readFrom(fd, [](const std::string& got) { return got.size() >= 3; });
            const std::string dont = telnet::negotiation(telnet::kDont, telnet::kOptionComPort);
            send(fd, dont.data(), dont.size(), MSG_NOSIGNAL);
            readFrom(fd, [](const std::string&) { return false; });
        });
        EXPECT_EQ(link.open(server.url(), 115200), CmdOpenError);
        EXPECT_EQ(link.openErrorDetail(),
                  server.url() + ": the server refuses the COM-PORT option of RFC 2217 (a plain TCP "
                                 "port is reached as socket://)");
    }
    {   // The rate is answered with another one.
        FakeServer server([](int fd) {
            const std::string agree = telnet::negotiation(telnet::kDo, telnet::kOptionComPort);
            send(fd, agree.data(), agree.size(), MSG_NOSIGNAL);
            readFrom(fd, [](const std::string& got) { return got.find("\xFF\xFA\x2C\x01") != std::string::npos; });
            const std::string answer =
                telnet::subnegotiation(telnet::kOptionComPort, std::string(1, 101) + rfc2217::baudPayload(9600));
            send(fd, answer.data(), answer.size(), MSG_NOSIGNAL);
            readFrom(fd, [](const std::string&) { return false; });
        });
        EXPECT_EQ(link.open(server.url(), 115200), CmdOpenError);
        EXPECT_EQ(link.openErrorDetail(),
                  server.url() + ": the server refused the bit rate 115200 (it answered 9600)");
    }
    {   // A server that accepts and says nothing.
        FakeServer server([](int fd) { readFrom(fd, [](const std::string&) { return false; }); });
        const auto start = std::chrono::steady_clock::now();
        EXPECT_EQ(link.open(server.url(), 115200), CmdOpenError);
        EXPECT_LT(std::chrono::steady_clock::now() - start, 10s);
        EXPECT_EQ(link.openErrorDetail(),
                  server.url() + ": no answer to the COM-PORT option of RFC 2217 from " + server.where() +
                      " within 3 s (is the server set up for rfc2217? a plain TCP port is reached as socket://)");
    }
    {   // No answer to the connection request at all.
        FakeServer server(nullptr);
        server.fillQueue();
        const auto start = std::chrono::steady_clock::now();
        EXPECT_EQ(link.open(server.url(), 115200), CmdOpenError);
        EXPECT_LT(std::chrono::steady_clock::now() - start, 10s);
        EXPECT_EQ(link.openErrorDetail(), server.url() + ": no answer from " + server.where() +
                                              " within 3 s (connection timed out)");
    }
    EXPECT_EQ(link.open("rfc2217://127.0.0.1", 115200), CmdOpenError);
    EXPECT_EQ(link.openErrorDetail(), "rfc2217://127.0.0.1: no port number (the form is rfc2217://HOST:PORT)");
}

}  // namespace

namespace {

// close() from another thread ends an open() that waits for a silent server
// (the window's Disconnect while the search is connecting).
TEST(NetworkOpenErrors, CloseEndsAnOpenThatWaitsForTheServer) {
    std::mutex mutex;
    std::condition_variable changed;
    bool heard = false;
    FakeServer server([&](int fd) {
        readFrom(fd, [](const std::string& got) { return got.size() >= 15; });
        {
            std::lock_guard<std::mutex> lock(mutex);
            heard = true;
        }
        changed.notify_all();
        readFrom(fd, [](const std::string&) { return false; });
    });
    SerialManager link;
    int result = -1;
    std::chrono::steady_clock::duration took{};
    std::thread opening([&] {
        const auto start = std::chrono::steady_clock::now();
        result = link.open(server.url(), 115200);
        took = std::chrono::steady_clock::now() - start;
    });
    {
        std::unique_lock<std::mutex> lock(mutex);
        EXPECT_TRUE(changed.wait_for(lock, 5s, [&] { return heard; }));
    }
    link.close();
    opening.join();
    EXPECT_EQ(result, CmdOpenError);
    EXPECT_EQ(link.openErrorDetail(), server.url() + ": the connection attempt was cancelled");
    EXPECT_LT(took, 2s) << "well before the 3 s negotiation time-out";
    EXPECT_FALSE(link.isOpen());
}

}  // namespace
