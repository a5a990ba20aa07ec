// What the tuning session needs of the connection besides the registers:
// the runtime stream, start and stop, and the samples as they come. The
// serial link and in-memory fakes fit it.
#pragma once

#include <optional>

#include "runtime/runtime_sample.h"

namespace tuning {

class TuningLink {
public:
    virtual ~TuningLink() = default;
    virtual bool isOpen() const = 0;
    // Each returns a link result code (0 = success).
    virtual int startStream() = 0;      // "$A7"
    virtual int stopStream() = 0;       // "$A"
    virtual int startRegulator() = 0;   // "$W"
    virtual int stopRegulator() = 0;    // "$Q"
    // The next sample, waiting at most `seconds`; nothing when none came.
    virtual std::optional<RuntimeSample> nextSample(double seconds) = 0;
    virtual void dropSamples() = 0;     // forget the samples received so far
};

}  // namespace tuning
