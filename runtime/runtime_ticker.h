// RuntimeTicker: the display timers of a tool without a window, on a thread
// of their own: the refresh tick every 125 ms, the sample tick every sample
// period, the lamp period every 500 ms.
#pragma once

#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

class RuntimeFanOut;

class RuntimeTicker {
public:
    // `onSampleTick` gets the ticks without a sample after each sample tick.
    explicit RuntimeTicker(RuntimeFanOut& fanOut, std::function<void(int missed)> onSampleTick = {});
    ~RuntimeTicker();
    RuntimeTicker(const RuntimeTicker&) = delete;
    RuntimeTicker& operator=(const RuntimeTicker&) = delete;

    // Sample period clamped to 125 .. 64000 ms. Restarts a running ticker.
    void start(int samplePeriodMs = 125);
    void stop();

private:
    void run(int samplePeriodMs);

    RuntimeFanOut& fanOut_;
    std::function<void(int)> onSampleTick_;
    std::mutex mutex_;
    std::condition_variable wake_;
    bool stopping_ = false;
    std::thread thread_;
};
