// Replacing the client notification while the worker delivers lines: every
// line reaches exactly one client, and once setNotify has returned and a
// later line has arrived, the replaced clients are not called again.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "link/serial_manager.h"
#include "pty_peer.h"

namespace {

bool waitUntil(const std::function<bool()>& done) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!done()) {
        if (std::chrono::steady_clock::now() > end)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

TEST(SerialManagerNotify, SwappingClientsWhileLinesArrive) {
    PtyPeer peer;
    ASSERT_TRUE(peer.ok());
    SerialManager link;
    std::atomic<int> calls[2] = {0, 0};
    auto client = [&calls](int which) {
        return [&calls, which](int kind, int, const char*) {
            if (kind == SerialManager::kNotifyRuntimeLine)
                ++calls[which];
        };
    };
    link.setNotify(client(0));
    ASSERT_EQ(link.open(peer.slavePath(), 115200), Ok);

    constexpr int kLines = 2000;
    std::atomic<bool> written{false};
    std::thread writer([&] {
        for (int i = 0; i < kLines; ++i)
            peer.write("[7 1 2 3]\r");
        written = true;
    });
    // Swap until every line has been written and a while after.
    for (int swap = 0; !written || swap % 1000 != 0; ++swap) {
        link.setNotify(client(swap % 2));
        if (swap % 100 == 0)
            link.setNotify(nullptr);   // lines meanwhile reach nobody
    }
    link.setNotify(client(0));
    writer.join();

    // Settle: a marker line reaches client 0; from then on client 1 is idle.
    const int before = calls[0].load();
    peer.write("[7 marker]\r");
    ASSERT_TRUE(waitUntil([&] { return calls[0].load() > before; }));
    const int idle = calls[1].load();
    for (int i = 0; i < 50; ++i)
        peer.write("[7 4 5 6]\r");
    ASSERT_TRUE(waitUntil([&] { return calls[0].load() >= before + 51; }));
    EXPECT_EQ(calls[1].load(), idle);
    EXPECT_LE(calls[0].load() + calls[1].load(), kLines + 51);

    link.setNotify(nullptr);
    link.close();
}

}  // namespace
