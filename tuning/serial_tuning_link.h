// TuningLink over the program's SerialManager: runtime lines are decoded on
// the link's worker thread into a short queue the session waits on. It takes
// the link's client notification for its lifetime and removes it after.
#pragma once

#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>

#include "tuning/tuning_link.h"

class SerialManager;

namespace tuning {

class SerialTuningLink : public TuningLink {
public:
    explicit SerialTuningLink(SerialManager& link);
    ~SerialTuningLink() override;
    SerialTuningLink(const SerialTuningLink&) = delete;
    SerialTuningLink& operator=(const SerialTuningLink&) = delete;

    bool isOpen() const override;
    int startStream() override;
    int stopStream() override;
    int startRegulator() override;
    int stopRegulator() override;
    std::optional<RuntimeSample> nextSample(double seconds) override;
    void dropSamples() override;

private:
    // Shared with the link's notification, which may still be running on
    // the worker thread when this object goes (setNotify does not wait).
    struct Queue {
        std::mutex mutex;
        std::condition_variable arrived;
        std::deque<RuntimeSample> samples;
        RuntimeSample decoding;   // the decoder fills fields in place (worker thread only)
        void onLine(int kind, const char* text);
    };

    SerialManager& link_;
    std::shared_ptr<Queue> queue_ = std::make_shared<Queue>();
};

}  // namespace tuning
