#include "app/termination_signals.h"

#include <fcntl.h>
#include <unistd.h>

#include <QSocketNotifier>
#include <cerrno>
#include <csignal>

namespace {

int pipeFds[2] = {-1, -1};
constexpr int kSignals[] = {SIGTERM, SIGINT, SIGHUP};

void setAction(int signalNumber, void (*handler)(int)) {
    struct sigaction action = {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(signalNumber, &action, nullptr);
}

// Async-signal-safe only: write() and sigaction().
void onSignal(int signalNumber) {
    const int saved = errno;
    const unsigned char number = static_cast<unsigned char>(signalNumber);
    if (pipeFds[1] >= 0) {
        [[maybe_unused]] const ssize_t written = ::write(pipeFds[1], &number, 1);
    }
    setAction(signalNumber, SIG_DFL);
    errno = saved;
}

}  // namespace

TerminationSignals::TerminationSignals(QObject* parent) : QObject(parent) {
    if (pipeFds[0] >= 0 || ::pipe2(pipeFds, O_CLOEXEC | O_NONBLOCK) != 0) return;
    notifier_ = new QSocketNotifier(pipeFds[0], QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, &TerminationSignals::onReadable);
    for (int s : kSignals) {
        // A signal ignored at start (nohup, a background job) stays ignored.
        struct sigaction old = {};
        sigaction(s, nullptr, &old);
        if (old.sa_handler != SIG_IGN) setAction(s, onSignal);
    }
}

TerminationSignals::~TerminationSignals() {
    if (!notifier_) return;
    for (int s : kSignals) {
        struct sigaction current = {};
        sigaction(s, nullptr, &current);
        if (current.sa_handler == onSignal) setAction(s, SIG_DFL);
    }
    delete notifier_;
    ::close(pipeFds[0]);
    ::close(pipeFds[1]);
    pipeFds[0] = pipeFds[1] = -1;
}

void TerminationSignals::onReadable() {
    unsigned char number = 0;
    while (::read(pipeFds[0], &number, 1) == 1) emit terminationRequested(number);
}
