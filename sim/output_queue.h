// The board's transmitter: lines wait until their time has come (reply
// latency, late replies), then leave at the wire rate of the configured
// baud (10 bit times per byte: start, 8 data, stop), or at once without
// pacing.
#pragma once

#include <chrono>
#include <cstdint>
#include <deque>
#include <map>
#include <string>

namespace sim {

class OutputQueue {
public:
    using Clock = std::chrono::steady_clock;
    static constexpr std::size_t kMaxPending = 64 * 1024;

    void setBaud(std::uint32_t baud) { baud_ = baud; }
    // Queues bytes to leave no earlier than readyAt. Returns false when the
    // transmit buffer is full and the bytes were dropped.
    bool push(const std::string& bytes, Clock::time_point readyAt);
    // Bytes waiting for the wire (not counting the delayed ones).
    std::size_t pending() const { return fifo_.size(); }
    bool idle() const { return fifo_.empty() && delayed_.empty(); }
    void clear();

    // Writes what the wire allows by now to fd. Returns false when the fd
    // reports an error other than "try again".
    bool transmit(int fd, Clock::time_point now, bool& wouldBlock);
    // When transmit() has something to do next (max() when idle). Paced,
    // that is when the first queued line has left the wire (its bytes go
    // to the reader together then, as a receiver's buffer hands them on).
    Clock::time_point nextDue(Clock::time_point now) const;
    bool readyNow(Clock::time_point now) const;

private:
    void promote(Clock::time_point now);
    // Bytes up to and including the first line end (all when there is none).
    std::size_t firstLineLength() const;
    Clock::duration byteTime() const;

    std::uint32_t baud_ = 0;
    std::deque<char> fifo_;
    std::multimap<Clock::time_point, std::string> delayed_;
    Clock::time_point wireFree_{};
};

}  // namespace sim
