#include "tuning/serial_tuning_link.h"

#include <chrono>

#include "link/serial_manager.h"
#include "runtime/runtime_decoder.h"

namespace tuning {

namespace {
constexpr std::size_t kQueueLimit = 2000;   // 100 s of samples: the session drains far faster
}

SerialTuningLink::SerialTuningLink(SerialManager& link) : link_(link)
{
    link_.setNotify([queue = queue_](int kind, int, const char* text) { queue->onLine(kind, text); });
}

SerialTuningLink::~SerialTuningLink()
{
    link_.setNotify(SerialManager::ClientNotify{});
}

bool SerialTuningLink::isOpen() const { return link_.isOpen(); }
int SerialTuningLink::startStream() { return link_.autoSend(7); }
int SerialTuningLink::stopStream() { return link_.autoSendOff(); }
int SerialTuningLink::startRegulator() { return link_.start(); }
int SerialTuningLink::stopRegulator() { return link_.stop(); }

void SerialTuningLink::Queue::onLine(int kind, const char* text)
{
    if (kind != SerialManager::kNotifyRuntimeLine || text == nullptr)
        return;
    if (!decodeRuntimeLine(text, decoding))
        return;
    {
        std::lock_guard lock(mutex);
        samples.push_back(decoding);
        if (samples.size() > kQueueLimit)
            samples.pop_front();
    }
    arrived.notify_one();
}

std::optional<RuntimeSample> SerialTuningLink::nextSample(double seconds)
{
    Queue& q = *queue_;
    std::unique_lock lock(q.mutex);
    const auto wait = std::chrono::duration<double>(seconds > 0 ? seconds : 0);
    if (!q.arrived.wait_for(lock, wait, [&q] { return !q.samples.empty(); }))
        return std::nullopt;
    RuntimeSample s = q.samples.front();
    q.samples.pop_front();
    return s;
}

void SerialTuningLink::dropSamples()
{
    std::lock_guard lock(queue_->mutex);
    queue_->samples.clear();
}

}  // namespace tuning
