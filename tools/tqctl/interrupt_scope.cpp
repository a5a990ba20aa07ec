#include "interrupt_scope.h"

#include <csignal>

namespace tqctl {
namespace {

std::atomic<bool> interrupted{false};
static_assert(std::atomic<bool>::is_always_lock_free, "set from a signal handler");

void onInterrupt(int) { interrupted.store(true); }

}  // namespace

std::atomic<bool>& InterruptScope::flag() { return interrupted; }

InterruptScope::InterruptScope() {
    interrupted.store(false);
    previousInt_ = std::signal(SIGINT, onInterrupt);
    previousTerm_ = std::signal(SIGTERM, onInterrupt);
}

InterruptScope::~InterruptScope() {
    std::signal(SIGINT, previousInt_);
    std::signal(SIGTERM, previousTerm_);
}

}  // namespace tqctl
