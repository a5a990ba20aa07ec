#include "sim/output_queue.h"

#include <algorithm>
#include <cerrno>
#include <unistd.h>

namespace sim {

OutputQueue::Clock::duration OutputQueue::byteTime() const
{
    using namespace std::chrono;
    return duration_cast<Clock::duration>(nanoseconds(10'000'000'000LL / baud_));
}

bool OutputQueue::push(const std::string& bytes, Clock::time_point readyAt)
{
    std::size_t delayedBytes = 0;
    for (const auto& [t, b] : delayed_)
        delayedBytes += b.size();
    if (fifo_.size() + delayedBytes + bytes.size() > kMaxPending)
        return false;
    const Clock::time_point now = Clock::now();
    if (readyAt <= now && delayed_.empty()) {
        if (fifo_.empty())
            wireFree_ = std::max(wireFree_, now);
        fifo_.insert(fifo_.end(), bytes.begin(), bytes.end());
    } else {
        delayed_.emplace(readyAt, bytes);
    }
    return true;
}

void OutputQueue::clear()
{
    fifo_.clear();
    delayed_.clear();
}

void OutputQueue::promote(Clock::time_point now)
{
    while (!delayed_.empty() && delayed_.begin()->first <= now) {
        const std::string& b = delayed_.begin()->second;
        if (fifo_.empty())
            wireFree_ = std::max(wireFree_, delayed_.begin()->first);
        fifo_.insert(fifo_.end(), b.begin(), b.end());
        delayed_.erase(delayed_.begin());
    }
}

bool OutputQueue::readyNow(Clock::time_point now) const
{
    if (!delayed_.empty() && delayed_.begin()->first <= now)
        return true;
    if (fifo_.empty())
        return false;
    return baud_ == 0 || wireFree_ + byteTime() <= now;
}

std::size_t OutputQueue::firstLineLength() const
{
    const auto isEnd = [](char c) { return c == '\r' || c == '\n'; };
    auto it = std::find_if(fifo_.begin(), fifo_.end(), isEnd);
    if (it == fifo_.end())
        return fifo_.size();
    while (it != fifo_.end() && isEnd(*it))
        ++it;
    return static_cast<std::size_t>(it - fifo_.begin());
}

OutputQueue::Clock::time_point OutputQueue::nextDue(Clock::time_point now) const
{
    Clock::time_point due = Clock::time_point::max();
    if (!delayed_.empty())
        due = delayed_.begin()->first;
    if (!fifo_.empty()) {
        // A reader acts on whole lines: wake when the first line's last byte
        // has left the wire instead of once per byte.
        const auto lineEnd = wireFree_ + byteTime() * static_cast<long>(firstLineLength());
        due = std::min(due, baud_ == 0 ? now : lineEnd);
    }
    return due;
}

bool OutputQueue::transmit(int fd, Clock::time_point now, bool& wouldBlock)
{
    wouldBlock = false;
    promote(now);
    if (fifo_.empty())
        return true;
    std::size_t allowed = fifo_.size();
    if (baud_ != 0) {
        // Bytes whose last bit has left the wire by now; the wire starts
        // when the first byte of a burst is queued.
        const Clock::duration bt = byteTime();
        if (now < wireFree_ + bt)
            return true;
        allowed = std::min<std::size_t>(allowed, static_cast<std::size_t>((now - wireFree_) / bt));
        if (allowed == 0)
            return true;
    }
    char chunk[4096];
    const std::size_t n = std::min(allowed, sizeof chunk);
    std::copy_n(fifo_.begin(), n, chunk);
    const ssize_t written = ::write(fd, chunk, n);
    if (written < 0) {
        if (errno == EAGAIN || errno == EINTR) {
            wouldBlock = errno == EAGAIN;
            return true;
        }
        return false;
    }
    fifo_.erase(fifo_.begin(), fifo_.begin() + written);
    if (baud_ != 0)
        wireFree_ += byteTime() * written;
    return true;
}

}  // namespace sim
