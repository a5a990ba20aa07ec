#include "runtime/runtime_log.h"

#include <cerrno>

#include <unistd.h>

#include "runtime/log_format.h"

int decimationFactor(int sampleRate)
{
    switch (sampleRate) {
    case 1: return 2;
    case 2: return 20;
    case 3: return 200;
    default: return 1;
    }
}

std::string withDefaultLogExtension(const std::string& path)
{
    const std::size_t slash = path.find_last_of('/');
    const std::size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
    if (path.find('.', nameStart) != std::string::npos) return path;
    return path + ".txt";
}

RuntimeLog::RuntimeLog(MessageFn onMessage, LocalTimeFn localTime)
    : onMessage_(std::move(onMessage)), localTime_(std::move(localTime))
{
}

RuntimeLog::~RuntimeLog() { close(); }

std::string RuntimeLog::proposedName() const
{
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "LoggFile%03d", fileCount() + 1);
    return buffer;
}

std::tm RuntimeLog::now() const
{
    if (localTime_) return localTime_();
    const std::time_t t = std::time(nullptr);
    std::tm local{};
    localtime_r(&t, &local);
    return local;
}

void RuntimeLog::report(const char* text) const
{
    if (onMessage_) onMessage_(text);
}

bool RuntimeLog::start(const std::string& path, const std::string& targetVersion,
                       const LogSettings& settings)
{
    const std::tm startTime = now();
    bool failed = false;
    bool opened = false;
    {
        std::lock_guard lock(mutex_);
        rowCount_.store(0);
        decimationCount_ = 0;
        rowLimit_ = settings.limitSize ? kLogRowLimit : 0;
        decimation_ = decimationFactor(settings.sampleRate);
        closeLocked();
        if (!path.empty()) {
            const std::string chosen = withDefaultLogExtension(path);
            file_ = std::fopen(chosen.c_str(), "w");
            if (file_) {
                path_ = chosen;
                open_.store(true);
                fileCount_.fetch_add(1);
                lastSync_ = std::chrono::steady_clock::now();
                failed = !writeLocked(logHeader(startTime, targetVersion), true);
                opened = !failed;
            }
        }
    }
    report(kLogOpenMessage);
    if (failed) report(kLogWriteErrorMessage);
    return opened;
}

void RuntimeLog::stop()
{
    const std::tm stopTime = now();
    bool failed = false;
    {
        std::lock_guard lock(mutex_);
        if (file_) {
            failed = !writeLocked(logFooter(stopTime), true);
            if (file_ && std::fclose(file_) != 0) failed = true;
            file_ = nullptr;
            open_.store(false);
        }
    }
    report(failed ? kLogWriteErrorMessage : kLogStopMessage);
}

void RuntimeLog::toggle(const std::function<std::string(const std::string&)>& choosePath,
                        const std::string& targetVersion, const LogSettings& settings)
{
    if (isOpen()) {
        stop();
        return;
    }
    const std::string path = choosePath ? choosePath(proposedName()) : std::string();
    start(path, targetVersion, settings);
}

void RuntimeLog::writeRow(const RuntimeSample& sample)
{
    if (!open_.load(std::memory_order_relaxed)) return;
    bool failed = false;
    {
        std::lock_guard lock(mutex_);
        if (!file_) return;
        if (rowLimit_ > 0 && rowCount_.load() >= rowLimit_) return;
        if (++decimationCount_ < decimation_) return;
        decimationCount_ = 0;
        rowCount_.fetch_add(1);
        appendLogRow(rowBuffer_, sample);
        failed = !writeLocked(rowBuffer_, false);
    }
    if (failed) report(kLogWriteErrorMessage);
}

void RuntimeLog::writeText(const std::string& text)
{
    if (text.empty()) return;
    bool failed = false;
    {
        std::lock_guard lock(mutex_);
        if (!file_) return;
        failed = !writeLocked(text, false);
    }
    if (failed) report(kLogWriteErrorMessage);
}

void RuntimeLog::close()
{
    std::lock_guard lock(mutex_);
    closeLocked();
}

std::string RuntimeLog::path() const
{
    std::lock_guard lock(mutex_);
    return path_;
}

bool RuntimeLog::writeLocked(const std::string& text, bool sync)
{
    bool ok = std::fwrite(text.data(), 1, text.size(), file_) == text.size() &&
              std::fflush(file_) == 0;
    // Flushed rows survive a crash of the program; the sync once a second
    // bounds what a power failure can take.
    const auto now = std::chrono::steady_clock::now();
    if (ok && (sync || now - lastSync_ >= std::chrono::seconds(1))) {
        lastSync_ = now;
        ok = fdatasync(fileno(file_)) == 0 || errno == EINVAL || errno == EROFS;
    }
    if (!ok) closeLocked();
    return ok;
}

void RuntimeLog::closeLocked()
{
    if (file_) std::fclose(file_);
    file_ = nullptr;
    open_.store(false);
}
