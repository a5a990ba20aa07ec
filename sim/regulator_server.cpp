#include "sim/regulator_server.h"

#include <cerrno>
#include <cmath>
#include <algorithm>
#include <poll.h>
#include <sys/prctl.h>
#include <sys/eventfd.h>
#include <unistd.h>

namespace sim {

namespace {

constexpr std::size_t kStreamBacklog = 0;  // a sample finding the transmitter busy is skipped
constexpr auto kPresencePoll = std::chrono::milliseconds(20);
constexpr unsigned long kTimerSlackNs = 1000;

void applyDemoSettings(RegisterBank& bank)
{
    bank.setBits(reg::St1, floatBits(10.0f));
    bank.setBits(reg::RegulatorFlags, 6 | 0x80);  // PID, Autostart
    bank.setBits(reg::Fan1Mode, 5);               // Algo on the heat sink
    bank.setBits(reg::Fan2Mode, 2);               // on while cooling
    bank.saveToFlash();
}

}  // namespace

RegulatorServer::RegulatorServer(SimOptions options) : options_(std::move(options))
{
    output_.setBaud(options_.baud);
    board_.version = options_.version;
    board_.loader.setReadAdvances(options_.readBackAdvances);
    board_.model.setPlant(options_.plant);
    const double speed = std::clamp(std::isfinite(options_.speed) ? options_.speed : 1.0, 0.1, 50.0);
    samplePeriod_ = std::chrono::duration_cast<Clock::duration>(
        std::chrono::duration<double>(std::chrono::duration<double>(kSamplePeriod).count() / speed));
    if (options_.demo)
        applyDemoSettings(board_.bank);
    if (!options_.transcriptPath.empty())
        transcript_ = std::fopen(options_.transcriptPath.c_str(), "a");
}

RegulatorServer::~RegulatorServer()
{
    stop();
    if (transcript_)
        std::fclose(transcript_);
}

bool RegulatorServer::start(std::string* error)
{
    if (thread_.joinable())
        return true;
    if (!reopen(error))
        return false;
    wakeFd_ = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    if (wakeFd_ < 0) {
        if (error)
            *error = "eventfd failed";
        pty_.close();
        return false;
    }
    board_.reboot();
    if (options_.startStreaming)
        board_.streamFormat = options_.streamFormat == 6 ? 6 : 7;
    nextSample_ = Clock::now() + samplePeriod_;
    stopRequested_ = false;
    thread_ = std::thread([this] { serve(); });
    return true;
}

void RegulatorServer::stop()
{
    if (thread_.joinable()) {
        stopRequested_ = true;
        wake();
        thread_.join();
    }
    std::lock_guard lock(mutex_);
    pty_.close();
    if (wakeFd_ >= 0) {
        ::close(wakeFd_);
        wakeFd_ = -1;
    }
    // Tasks posted while stopping are run here so that no caller waits forever.
    runTasks();
}

void RegulatorServer::wake()
{
    if (wakeFd_ >= 0) {
        const std::uint64_t one = 1;
        [[maybe_unused]] ssize_t n = ::write(wakeFd_, &one, sizeof one);
    }
}

void RegulatorServer::runOnServer(const std::function<void()>& fn)
{
    std::unique_lock lock(mutex_);
    if (!thread_.joinable() || stopRequested_ || std::this_thread::get_id() == thread_.get_id()) {
        fn();
        return;
    }
    Task task{fn};
    tasks_.push_back(&task);
    wake();
    done_.wait(lock, [&] { return task.done; });
}

void RegulatorServer::runTasks()
{
    while (!tasks_.empty()) {
        Task* t = tasks_.front();
        tasks_.pop_front();
        t->fn();
        t->done = true;
    }
    done_.notify_all();
}

void RegulatorServer::serve()
{
    // The kernel may otherwise let a timed wait run up to 50 us late per byte.
    prctl(PR_SET_TIMERSLACK, kTimerSlackNs, 0, 0, 0);
    std::unique_lock lock(mutex_);
    while (!stopRequested_) {
        runTasks();
        Clock::time_point now = Clock::now();
        bool wouldBlock = false;
        checkPresence();
        transmit(now, wouldBlock);  // replies first: a sample finds the line free
        tick(now);
        transmit(now, wouldBlock);

        now = Clock::now();
        Clock::time_point due = nextSample_;
        if (clientPresent_ && !wouldBlock)
            due = std::min(due, output_.nextDue(now));
        if (!clientPresent_)
            due = std::min(due, now + kPresencePoll);
        // The exact wait: a paced byte leaves when its time has come, not
        // at the next whole millisecond.
        const auto wait = std::max<std::int64_t>(
            0, std::chrono::duration_cast<std::chrono::nanoseconds>(due - now).count());
        const timespec timeout{static_cast<time_t>(wait / 1'000'000'000),
                               static_cast<long>(wait % 1'000'000'000)};

        pollfd fds[2];
        fds[0] = {wakeFd_, POLLIN, 0};
        int count = 1;
        if (clientPresent_ && pty_.isOpen()) {
            const bool deaf = faults_.active(Fault::StopsReading);
            fds[1] = {pty_.masterFd(),
                      static_cast<short>((deaf ? 0 : POLLIN) | (wouldBlock ? POLLOUT : 0)), 0};
            count = 2;
        }
        lock.unlock();
        const int ready = ::ppoll(fds, static_cast<nfds_t>(count), &timeout, nullptr);
        lock.lock();
        if (ready <= 0)
            continue;
        if (fds[0].revents & POLLIN) {
            std::uint64_t v;
            [[maybe_unused]] ssize_t n = ::read(wakeFd_, &v, sizeof v);
        }
        if (count == 2 && pty_.isOpen() && clientPresent_) {
            if (fds[1].revents & POLLIN)
                readInput();
            if (clientPresent_ && (fds[1].revents & (POLLHUP | POLLERR)))
                clientGone();
        }
    }
}

void RegulatorServer::tick(Clock::time_point now)
{
    bool sampled = false;
    while (now >= nextSample_) {
        board_.model.step(board_.bank, std::chrono::duration<double>(kSamplePeriod).count());
        board_.noteStatus(board_.model.status());
        nextSample_ += samplePeriod_;
        sampled = true;
        if (now - nextSample_ > std::chrono::seconds(1))
            nextSample_ = now + samplePeriod_;  // fell far behind: do not race to catch up
    }
    if (!sampled || board_.streamFormat == 0 || board_.inBootLoader || !clientPresent_)
        return;
    if (faults_.take(Fault::StreamStops))
        return;
    if (output_.pending() > kStreamBacklog)
        return;  // the line is busy: this sample is not sent
    const std::string line = formatRuntimeLine(board_.model.record(), board_.streamFormat);
    if (transcript_) {
        std::fprintf(transcript_, "%s\n", line.c_str());
        std::fflush(transcript_);
    }
    send(line + "\r\n", now, faults_.active(Fault::Garbage));
}

void RegulatorServer::checkPresence()
{
    if (clientPresent_ || !pty_.isOpen())
        return;
    pollfd p{pty_.masterFd(), POLLIN, 0};
    if (::poll(&p, 1, 0) >= 0 && !(p.revents & POLLHUP)) {
        clientPresent_ = true;
        splitter_.reset();
    }
}

void RegulatorServer::clientGone()
{
    clientPresent_ = false;
    output_.clear();
    splitter_.reset();
    if (pty_.discardSlaveInput() || options_.linkPath.empty())
        return;
    // The closed client left the slave locked exclusive: serve a fresh pair
    // behind the same link so that the port can be opened again.
    PtyEndpoint fresh;
    if (fresh.open(options_.linkPath, nullptr))
        pty_.swap(fresh);  // the port path (the link) stays the same
}

void RegulatorServer::readInput()
{
    char buffer[4096];
    std::vector<std::string> lines;
    for (;;) {
        const ssize_t n = ::read(pty_.masterFd(), buffer, sizeof buffer);
        if (n > 0) {
            splitter_.feed(buffer, static_cast<std::size_t>(n), lines);
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n == 0 || errno != EAGAIN)
            clientGone();
        break;
    }
    const Clock::time_point now = Clock::now();
    if (!lines.empty() && !answeringSince_)
        answeringSince_ = now;
    for (const std::string& line : lines) {
        if (!pty_.isOpen() || !clientPresent_)
            break;
        handleLine(line, now);
    }
}

void RegulatorServer::transmit(Clock::time_point now, bool& wouldBlock)
{
    wouldBlock = false;
    if (!clientPresent_ || !pty_.isOpen())
        return;
    while (output_.readyNow(now)) {
        if (!output_.transmit(pty_.masterFd(), now, wouldBlock)) {
            clientGone();
            return;
        }
        if (wouldBlock)
            return;
    }
    if (answeringSince_ && output_.pending() == 0) {
        answering_ += Clock::now() - *answeringSince_;
        answeringSince_.reset();
    }
}

void RegulatorServer::send(const std::string& text, Clock::time_point readyAt, bool garbage)
{
    if (!clientPresent_)
        return;  // nobody listens: the bytes are lost, as on a real line
    output_.push(garbage ? garble(text, garbleSeed_) : text, readyAt);
}

void RegulatorServer::vanishNow()
{
    clientPresent_ = false;
    output_.clear();
    splitter_.reset();
    pty_.close();
}

bool RegulatorServer::reopen(std::string* error)
{
    if (pty_.isOpen())
        return true;
    if (!pty_.open(options_.linkPath, error))
        return false;
    if (portPath_ != pty_.portPath())
        portPath_ = pty_.portPath();
    clientPresent_ = false;
    return true;
}

}  // namespace sim
