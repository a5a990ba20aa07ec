// Ctrl+C and SIGTERM for the commands that run until stopped (monitor, log,
// autotune): while an InterruptScope lives, either signal sets its flag
// instead of ending the process; the previous handlers come back with it.
#pragma once

#include <atomic>

namespace tqctl {

class InterruptScope {
public:
    InterruptScope();
    ~InterruptScope();
    InterruptScope(const InterruptScope&) = delete;
    InterruptScope& operator=(const InterruptScope&) = delete;

    bool requested() const { return flag().load(); }
    // The flag itself, for code that polls it (the tuning session).
    static std::atomic<bool>& flag();

private:
    void (*previousInt_)(int);
    void (*previousTerm_)(int);
};

}  // namespace tqctl
