// TuningLink over the program's SerialManager: runtime lines are decoded on
// the link's worker thread into a short queue the session waits on. It takes
// the link's client notification for its lifetime and removes it after.
#pragma once

#include <condition_variable>
#include <deque>
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
    void onLine(int kind, const char* text);

    SerialManager& link_;
    std::mutex mutex_;
    std::condition_variable arrived_;
    std::deque<RuntimeSample> samples_;
    RuntimeSample decoding_;   // the decoder fills fields in place (worker thread only)
};

}  // namespace tuning
