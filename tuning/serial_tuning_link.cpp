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
    link_.setNotify([this](int kind, int, const char* text) { onLine(kind, text); });
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

void SerialTuningLink::onLine(int kind, const char* text)
{
    if (kind != SerialManager::kNotifyRuntimeLine || text == nullptr)
        return;
    if (!decodeRuntimeLine(text, decoding_))
        return;
    {
        std::lock_guard lock(mutex_);
        samples_.push_back(decoding_);
        if (samples_.size() > kQueueLimit)
            samples_.pop_front();
    }
    arrived_.notify_one();
}

std::optional<RuntimeSample> SerialTuningLink::nextSample(double seconds)
{
    std::unique_lock lock(mutex_);
    const auto wait = std::chrono::duration<double>(seconds > 0 ? seconds : 0);
    if (!arrived_.wait_for(lock, wait, [this] { return !samples_.empty(); }))
        return std::nullopt;
    RuntimeSample s = samples_.front();
    samples_.pop_front();
    return s;
}

void SerialTuningLink::dropSamples()
{
    std::lock_guard lock(mutex_);
    samples_.clear();
}

}  // namespace tuning
