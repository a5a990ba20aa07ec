#include "runtime/runtime_ticker.h"

#include <algorithm>
#include <chrono>

#include "runtime/runtime_fan_out.h"

RuntimeTicker::RuntimeTicker(RuntimeFanOut& fanOut, std::function<void(int)> onSampleTick)
    : fanOut_(fanOut), onSampleTick_(std::move(onSampleTick))
{
}

RuntimeTicker::~RuntimeTicker() { stop(); }

void RuntimeTicker::start(int samplePeriodMs)
{
    stop();
    {
        std::lock_guard lock(mutex_);
        stopping_ = false;
    }
    thread_ = std::thread(&RuntimeTicker::run, this, std::clamp(samplePeriodMs, 125, 64000));
}

void RuntimeTicker::stop()
{
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_all();
    if (thread_.joinable()) thread_.join();
}

void RuntimeTicker::run(int samplePeriodMs)
{
    using Clock = std::chrono::steady_clock;
    const auto refreshPeriod = std::chrono::milliseconds(125);
    const auto samplePeriod = std::chrono::milliseconds(samplePeriodMs);
    const auto lampPeriod = std::chrono::milliseconds(500);
    const auto begin = Clock::now();
    auto nextRefresh = begin + refreshPeriod;
    auto nextSample = begin + samplePeriod;
    auto nextLamp = begin + lampPeriod;

    std::unique_lock lock(mutex_);
    while (!stopping_) {
        const auto due = std::min({nextRefresh, nextSample, nextLamp});
        if (wake_.wait_until(lock, due, [this] { return stopping_; })) break;
        const auto now = Clock::now();
        // Ticks that fell due meanwhile merge into one, as window timers do.
        if (now >= nextLamp) {
            fanOut_.lampPeriodTick();
            while (nextLamp <= now) nextLamp += lampPeriod;
        }
        if (now >= nextRefresh) {
            fanOut_.refreshTick();
            while (nextRefresh <= now) nextRefresh += refreshPeriod;
        }
        if (now >= nextSample) {
            const int missed = fanOut_.sampleTick();
            while (nextSample <= now) nextSample += samplePeriod;
            if (onSampleTick_) {
                lock.unlock();
                onSampleTick_(missed);
                lock.lock();
            }
        }
    }
}
