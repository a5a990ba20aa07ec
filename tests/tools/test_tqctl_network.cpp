// tqctl on ports on the network: tq-sim behind ser2net on 127.0.0.1, as
// rfc2217:// and as socket://. Version, stream, verified download, the
// firmware's rate switch, four boards through one server, and the errors
// that name host, port and reason.
#include <array>
#include <chrono>
#include <thread>

#include "../link/ser2net_server.h"
#include "tqctl_fixture.h"

namespace tqtest {
namespace {

using namespace std::chrono_literals;

class TqctlNetwork : public TqctlTest {
protected:
    void SetUp() override {
        TqctlTest::SetUp();
        if (Ser2netServer::program().empty())
            GTEST_SKIP() << "ser2net is not installed (apt-get install ser2net): network port tests skipped";
    }
    void TearDown() override {
        server_.stop();
        for (BackgroundProcess& b : boards_)
            b.stop();
        TqctlTest::TearDown();
    }
    // A small image at 0x400, 32 bytes.
    void writeImage() {
        writeFile(path("img.hex"), hexRecord(0, 4, {0, 0}) + "\n" + hexRecord(0x0400, 0, byteRun(0, 16)) +
                                       "\n" + hexRecord(0x0410, 0, byteRun(16, 16)) + "\n" +
                                       hexRecord(0, 1, {}) + "\n");
    }
    // tq-sim number i behind ser2net port i; the first as rfc2217://, the
    // others as `restForm` (a server gives a device to one connection at a time).
    void startBoards(std::size_t count, bool restRfc2217 = false, std::vector<std::string> simArgs = {}) {
        std::vector<Ser2netPort> ports;
        for (std::size_t i = 0; i < count; ++i) {
            const std::string link = path("tty" + std::to_string(i)).string();
            std::vector<std::string> args = {"--link", link};
            args.insert(args.end(), simArgs.begin(), simArgs.end());
            ASSERT_TRUE(boards_[i].start(TQSIM_PATH, args, dir_).has_value()) << "tq-sim " << i;
            ports.push_back({link, i == 0 || restRfc2217});
        }
        std::string error;
        ASSERT_TRUE(server_.start(ports, &error)) << error;
    }
    ChildResult onPort(const std::string& url, std::vector<std::string> args, double timeout = 30) {
        args.insert(args.begin(), {"--port", url});
        ChildOptions options;
        options.timeoutSeconds = timeout;
        return tq(args, options);
    }

    Ser2netServer server_;
    std::array<BackgroundProcess, 4> boards_;
};

TEST_F(TqctlNetwork, VersionStreamAndVerifiedDownloadInBothForms) {
    startBoards(2);
    ASSERT_EQ(tq({"new", "a.tq"}).exitCode, 0);
    ASSERT_EQ(tq({"set", "a.tq", "deadBand=3", "kP=12.5"}).exitCode, 0);
    for (std::size_t form = 0; form < 2; ++form) {
        const std::string url = server_.url(form);
        SCOPED_TRACE(url);
        ChildResult r = onPort(url, {"version"});
        EXPECT_EQ(r.exitCode, 0) << describe(r);
        EXPECT_TRUE(contains(r.out, std::string("Get version = ") + kSimVersion)) << r.out;

        const std::string log = "run" + std::to_string(form) + ".txt";
        r = onPort(url, {"log", log, "--seconds", "2"});
        ASSERT_EQ(r.exitCode, 0) << describe(r);
        const std::vector<std::string> rows = splitLines(readFile(path(log)));
        EXPECT_GT(rows.size(), 10u) << "header, some 20 rows a second and the footer";

        r = onPort(url, {"download", "a.tq", "--verify"});
        EXPECT_EQ(r.exitCode, 0) << describe(r);
        EXPECT_TRUE(contains(r.out, " Write parameter -- done, verified\n")) << r.out;
        r = onPort(url, {"verify", "a.tq"});
        EXPECT_EQ(r.exitCode, 0) << describe(r);
        EXPECT_TRUE(contains(r.out, "no differences\n")) << r.out;
    }
}

TEST_F(TqctlNetwork, FlashSwitchesTheRateOverRfc2217AndRefusesOverSocket) {
    startBoards(2);
    writeImage();
    ChildResult r = onPort(server_.url(0), {"--baud", "115200", "flash", "img.hex", "--boot-baud", "57600", "--verify"}, 60);
    EXPECT_EQ(r.exitCode, 0) << describe(r);
    EXPECT_TRUE(contains(r.out, "Download new firmware...")) << r.out;
    EXPECT_TRUE(contains(r.out, "Image written and verified, user program started\n")) << r.out;
    EXPECT_TRUE(contains(r.out, "Restart new firmware")) << r.out;

    r = onPort(server_.url(1), {"--baud", "115200", "flash", "img.hex", "--boot-baud", "57600"});
    EXPECT_EQ(r.exitCode, kExitOpenError) << describe(r);
    EXPECT_TRUE(contains(r.err, "The boot loader's rate (57600) differs from the link's (115200), and the "
                                "rate of a socket:// port is fixed at its server.\n"))
        << r.err;
    EXPECT_FALSE(contains(r.out, "Download new firmware")) << "nothing is sent: " << r.out;
    // The regulator was left running, not in its boot loader.
    r = onPort(server_.url(1), {"version"});
    EXPECT_EQ(r.exitCode, 0) << describe(r);

    // Equal rates need no switch, also over socket://.
    r = onPort(server_.url(1), {"flash", "img.hex", "--boot-baud", "115200", "--verify"}, 60);
    EXPECT_EQ(r.exitCode, 0) << describe(r);
    EXPECT_TRUE(contains(r.out, "Image written and verified, user program started\n")) << r.out;
}

TEST_F(TqctlNetwork, FourBoardsAtOnceThroughOneServer) {
    startBoards(4, true);
    writeImage();
    std::vector<std::string> args;
    const std::size_t boards = 4;
    for (std::size_t i = 0; i < boards; ++i)
        args.insert(args.end(), {"--port", server_.url(i)});
    args.insert(args.end(), {"flash", "img.hex", "--boot-baud", "57600", "--verify"});
    ChildOptions options;
    options.timeoutSeconds = 90;
    ChildResult r = tq(args, options);
    EXPECT_EQ(r.exitCode, 0) << describe(r);
    for (std::size_t i = 0; i < boards; ++i)
        EXPECT_TRUE(contains(r.out, server_.url(i) + ": Image written and verified, user program started\n"))
            << r.out;
    EXPECT_TRUE(contains(r.out, "4 of 4 ports succeeded\n")) << r.out;

    // A file per board, named after its server port.
    args.resize(2 * boards);
    args.insert(args.end(), {"get", "board-{port}.tq"});
    r = tq(args, options);
    EXPECT_EQ(r.exitCode, 0) << describe(r);
    for (std::size_t i = 0; i < boards; ++i)
        EXPECT_TRUE(std::filesystem::exists(path("board-127.0.0.1-" + std::to_string(server_.port(i)) + ".tq")));
}

TEST_F(TqctlNetwork, ErrorsNameTheHostThePortAndTheReason) {
    const int nobody = Ser2netServer::freePort();
    const std::string refused = "rfc2217://127.0.0.1:" + std::to_string(nobody);
    ChildResult r = onPort(refused, {"version"});
    EXPECT_EQ(r.exitCode, kExitOpenError) << describe(r);
    EXPECT_TRUE(contains(r.err, "Error when trying to open the serial port - error 6 [Cmd open error]\n" +
                                    refused + ": connection refused by 127.0.0.1 port " +
                                    std::to_string(nobody) + " (is the server running?)\n"))
        << r.err;

    r = onPort("socket://127.0.0.1", {"version"});
    EXPECT_EQ(r.exitCode, kExitOpenError) << describe(r);
    EXPECT_TRUE(contains(r.err, "socket://127.0.0.1: no port number (the form is socket://HOST:PORT)\n")) << r.err;

    // A dropped connection ends the command and says why.
    startBoards(1, false, {"--format", "7"});
    ChildResult dropped;
    std::thread logging([&] { dropped = onPort(server_.url(0), {"log", "cut.txt", "--seconds", "20"}); });
    const auto deadline = std::chrono::steady_clock::now() + 15s;
    while (splitLines(readFile(path("cut.txt"))).size() < 5 && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(20ms);
    server_.stop();
    logging.join();
    // The server's end either closes (FIN) or, when bytes of ours were still
    // unread in its socket, is reset by the kernel (RST): tqctl names which.
    const std::string by = " by 127.0.0.1 port " + std::to_string(server_.port(0)) + "\n";
    EXPECT_TRUE(contains(dropped.err, "tqctl: " + server_.url(0) + ": connection closed" + by) ||
                contains(dropped.err, "tqctl: " + server_.url(0) + ": connection reset" + by))
        << describe(dropped);
    EXPECT_FALSE(dropped.timedOut);

    // An unknown host, looked up where no name server can be reached: in a
    // network namespace of its own, so no query leaves this machine.
    const ChildResult isolated = runChild("/usr/bin/unshare", {"-n", "true"});
    if (isolated.exitCode != 0)
        GTEST_SKIP() << "no network namespace here (unshare -n): the unknown-host case is skipped";
    ChildOptions options;
    options.workDir = dir_;
    options.unsetEnv.push_back("TQ_PORT");
    r = runChild("/usr/bin/unshare", {"-n", TQCTL_PATH, "--port", "rfc2217://tq-no-such-host.invalid:4000", "version"},
                 options);
    EXPECT_EQ(r.exitCode, kExitOpenError) << describe(r);
    EXPECT_TRUE(contains(r.err, "rfc2217://tq-no-such-host.invalid:4000: unknown host tq-no-such-host.invalid ("))
        << r.err;
}

}  // namespace
}  // namespace tqtest
