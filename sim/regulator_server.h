// The serving side of the virtual regulator: one thread that reads command
// lines from the pseudo-terminal, lets the board answer them, advances the
// live model every 50 ms, streams runtime lines and applies the faults.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "sim/board_state.h"
#include "sim/fault_plan.h"
#include "sim/line_splitter.h"
#include "sim/output_queue.h"
#include "sim/pty_endpoint.h"
#include "sim/virtual_regulator.h"

namespace sim {

class RegulatorServer {
public:
    using Clock = std::chrono::steady_clock;
    static constexpr auto kSamplePeriod = std::chrono::milliseconds(50);
    static constexpr auto kLateReply = std::chrono::seconds(3);
    static constexpr std::size_t kMaxReceived = 20000;  // lines kept for receivedCommands()

    explicit RegulatorServer(SimOptions options);
    ~RegulatorServer();

    bool start(std::string* error);
    void stop();
    const std::string& portPath() const { return portPath_; }

    void setFault(Fault fault, int count);
    void failAtRegister(int reg, Fault fault);
    void clearFaults();
    void setBadFlashWord(std::uint32_t address);
    void vanish();
    bool reappear(std::string* error);

    std::vector<std::string> receivedCommands() const;
    void clearReceived();
    std::chrono::nanoseconds answeringTime() const;
    std::uint32_t registerBits(int reg) const;
    void setRegisterBits(int reg, std::uint32_t bits);
    void setStatusNumbers(std::uint32_t first, std::uint32_t second);
    std::map<std::uint32_t, std::uint16_t> flashWords() const;
    bool inBootLoader() const;
    bool streaming() const;

private:
    void serve();
    // Runs fn on the serving thread (or directly when it is not running)
    // and waits for it.
    void runOnServer(const std::function<void()>& fn);
    void runTasks();

    void tick(Clock::time_point now);
    void readInput();
    void handleLine(const std::string& line, Clock::time_point now);
    void send(const std::string& text, Clock::time_point readyAt, bool garbage);
    void transmit(Clock::time_point now, bool& wouldBlock);
    void checkPresence();
    void clientGone();
    void vanishNow();
    bool reopen(std::string* error);
    void wake();

    SimOptions options_;
    mutable std::mutex mutex_;
    std::condition_variable done_;
    BoardState board_;
    FaultPlan faults_;
    std::vector<std::string> received_;
    // Answering time (see VirtualRegulator::answeringTime).
    std::optional<Clock::time_point> answeringSince_;
    Clock::duration answering_{};
    PtyEndpoint pty_;
    std::string portPath_;
    OutputQueue output_;
    LineSplitter splitter_;
    unsigned garbleSeed_ = 1;
    bool clientPresent_ = false;
    Clock::time_point nextSample_{};
    Clock::duration samplePeriod_{kSamplePeriod};   // kSamplePeriod / speed
    std::FILE* transcript_ = nullptr;

    struct Task {
        std::function<void()> fn;
        bool done = false;
    };
    std::deque<Task*> tasks_;
    int wakeFd_ = -1;
    std::thread thread_;
    std::atomic<bool> stopRequested_{false};
};

}  // namespace sim
