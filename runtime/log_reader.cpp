#include "runtime/log_reader.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstring>
#include <fcntl.h>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr std::size_t kBadLinesKept = 20;
constexpr int kRowFields = 23;

bool isRule(std::string_view line) {
    return line.size() >= 10 && line.find_first_not_of('-') == std::string_view::npos;
}

bool startsWith(std::string_view line, std::string_view prefix) {
    return line.substr(0, prefix.size()) == prefix;
}

template <typename T>
bool readInt(std::string_view field, T& out, int base = 10) {
    const char* end = field.data() + field.size();
    auto [ptr, ec] = std::from_chars(field.data(), end, out, base);
    return ec == std::errc() && ptr == end;
}

bool readReal(std::string_view field, float& out) {
    const char* end = field.data() + field.size();
    auto [ptr, ec] = std::from_chars(field.data(), end, out, std::chars_format::general);
    return ec == std::errc() && ptr == end;
}

// "START LOGG - MM/DD/YY : HH:MM:SS" as local time.
bool readStartClock(std::string_view line, std::time_t& out) {
    constexpr std::string_view prefix = "START LOGG - ";
    std::string_view rest = line.substr(prefix.size());
    int v[6] = {};
    const char seps[6] = {'/', '/', ' ', ':', ':', '\0'};
    for (int i = 0; i < 6; ++i) {
        std::size_t n = 0;
        while (n < rest.size() && rest[n] >= '0' && rest[n] <= '9') ++n;
        if (n == 0 || !readInt(rest.substr(0, n), v[i])) return false;
        rest.remove_prefix(n);
        if (i == 2) {  // " : " between the date and the time
            if (!startsWith(rest, " : ")) return false;
            rest.remove_prefix(3);
            continue;
        }
        if (i < 5) {
            if (rest.empty() || rest.front() != seps[i]) return false;
            rest.remove_prefix(1);
        }
    }
    std::tm tm{};
    tm.tm_mon = v[0] - 1;
    tm.tm_mday = v[1];
    tm.tm_year = v[2] + 100;  // two-digit years are this century's
    tm.tm_hour = v[3];
    tm.tm_min = v[4];
    tm.tm_sec = v[5];
    tm.tm_isdst = -1;
    out = std::mktime(&tm);
    return out != static_cast<std::time_t>(-1);
}

}  // namespace

class LogReader {
public:
    explicit LogReader(std::size_t expectedRows) {
        LogData& d = result_.data;
        d.counter_.reserve(expectedRows);
        d.status_.reserve(expectedRows);
        d.pwmMode_.reserve(expectedRows);
        d.flags_.reserve(expectedRows);
        for (auto& c : d.reals_) c.reserve(expectedRows);
        d.adTemp1_.reserve(expectedRows);
        d.digipot_.reserve(expectedRows);
    }

    void line(std::string_view text, bool complete) {
        ++lineNumber_;
        if (!text.empty() && text.back() == '\r') text.remove_suffix(1);
        if (text.empty() || isRule(text)) return;
        if (startsWith(text, "START LOGG - ")) {
            sawLogLines_ = true;
            closeBlock();
            pendingStart_ = true;
            pendingClockKnown_ = readStartClock(text, pendingClock_);
            pendingVersion_.clear();
            return;
        }
        if (startsWith(text, "STOP LOGG")) {
            sawLogLines_ = true;
            if (open_) result_.data.blocks_.back().stopped = true;
            closeBlock();
            return;
        }
        if (startsWith(text, "Target version = [")) {
            std::string_view v = text.substr(18);
            if (!v.empty() && v.back() == ']') v.remove_suffix(1);
            pendingVersion_.assign(v);
            return;
        }
        if (startsWith(text, "Software version = [")) return;
        if (startsWith(text, "gTsCnt\t")) {
            sawLogLines_ = true;
            return;
        }
        if (!row(text)) {
            LogData& d = result_.data;
            ++d.badRows_;
            if (d.badRowLines_.size() < kBadLinesKept) d.badRowLines_.push_back(lineNumber_);
        }
        (void)complete;
    }

    LogReadResult finish() {
        LogData& d = result_.data;
        d.truncated_ = open_ && !d.blocks_.back().stopped;
        if (d.rowCount() == 0 && !sawLogLines_) {
            result_.ok = false;
            result_.error = "no runtime log in the file";
            return std::move(result_);
        }
        auto fit = [](auto& v) {
            if (v.capacity() > v.size() + v.size() / 4 + 64) v.shrink_to_fit();
        };
        fit(d.counter_);
        fit(d.status_);
        fit(d.pwmMode_);
        fit(d.flags_);
        for (auto& c : d.reals_) fit(c);
        fit(d.adTemp1_);
        fit(d.digipot_);
        result_.ok = true;
        return std::move(result_);
    }

private:
    void closeBlock() { open_ = false; }

    bool row(std::string_view text) {
        // 23 fields; a trailing tab is taken, anything more is not a row.
        std::string_view f[kRowFields + 1];
        int n = 0;
        std::size_t pos = 0;
        for (;;) {
            if (n == kRowFields + 1) return false;
            const std::size_t tab = text.find('\t', pos);
            f[n++] = text.substr(pos, tab == std::string_view::npos ? std::string_view::npos : tab - pos);
            if (tab == std::string_view::npos) break;
            pos = tab + 1;
        }
        if (n == kRowFields + 1 && f[kRowFields].empty()) n = kRowFields;
        if (n != kRowFields) return false;
        std::int64_t counter = 0;
        std::uint32_t status = 0, mode = 0, flags = 0;
        std::int32_t ad = 0, digipot = 0;
        float reals[kLogRealColumns];
        if (!readInt(f[0], counter) || !readInt(f[1], status, 16) || !readInt(f[2], mode, 16) ||
            !readInt(f[3], flags, 16) || mode > 0xFF || flags > 0xFF)
            return false;
        for (int i = 0; i < kLogRealColumns; ++i)
            if (!readReal(f[4 + i], reals[i])) return false;
        if (!readInt(f[21], ad) || !readInt(f[22], digipot)) return false;

        const auto count = static_cast<std::uint32_t>(counter);
        LogData& d = result_.data;
        if (!open_ || (d.rowCount() > 0 && static_cast<std::int32_t>(count - d.counter_.back()) <= 0))
            openBlock(count);
        d.counter_.push_back(count);
        d.status_.push_back(status);
        d.pwmMode_.push_back(static_cast<std::uint8_t>(mode));
        d.flags_.push_back(static_cast<std::uint8_t>(flags));
        for (int i = 0; i < kLogRealColumns; ++i) d.reals_[i].push_back(reals[i]);
        d.adTemp1_.push_back(ad);
        d.digipot_.push_back(digipot);
        ++d.blocks_.back().rowCount;
        return true;
    }

    // A block starts with the first row after a START line, or where the
    // counter runs backwards (the regulator restarted).
    void openBlock(std::uint32_t counter) {
        LogData& d = result_.data;
        LogBlock block;
        block.firstRow = d.rowCount();
        block.firstCounter = counter;
        double earliest = 0;  // a block never starts before the previous one ends
        if (!d.blocks_.empty()) {
            const LogBlock& prev = d.blocks_.back();
            earliest = d.seconds(d.rowCount() - 1) + 1.0 / kLogLinesPerSecond;
            block.targetVersion = prev.targetVersion;
            if (!pendingStart_ && prev.clockKnown) {
                block.clockKnown = true;
                block.startClock = prev.startClock + static_cast<std::time_t>(earliest - prev.startSeconds);
            }
        }
        if (pendingStart_) {
            block.clockKnown = pendingClockKnown_;
            block.startClock = pendingClock_;
            block.targetVersion = pendingVersion_;
        }
        block.startSeconds = earliest;
        const LogBlock* firstTimed = nullptr;
        for (const LogBlock& b : d.blocks_)
            if (b.clockKnown) { firstTimed = &b; break; }
        if (pendingStart_ && block.clockKnown && firstTimed)
            block.startSeconds = std::max(earliest, firstTimed->startSeconds +
                                                        std::difftime(block.startClock, firstTimed->startClock));
        pendingStart_ = false;
        d.blocks_.push_back(block);
        open_ = true;
    }

    LogReadResult result_;
    std::size_t lineNumber_ = 0;
    bool open_ = false;
    bool sawLogLines_ = false;
    bool pendingStart_ = false;
    bool pendingClockKnown_ = false;
    std::time_t pendingClock_ = 0;
    std::string pendingVersion_;
};

double LogData::seconds(std::size_t row) const {
    const LogBlock& b = blocks_[blockOf(row)];
    return b.startSeconds + static_cast<std::int32_t>(counter_[row] - b.firstCounter) / kLogLinesPerSecond;
}

double LogData::clockSeconds(std::size_t row) const {
    const LogBlock& b = blocks_[blockOf(row)];
    if (!b.clockKnown) return -1;
    return static_cast<double>(b.startClock) + seconds(row) - b.startSeconds;
}

std::size_t LogData::blockOf(std::size_t row) const {
    auto it = std::upper_bound(blocks_.begin(), blocks_.end(), row,
                               [](std::size_t r, const LogBlock& b) { return r < b.firstRow; });
    return it == blocks_.begin() ? 0 : static_cast<std::size_t>(it - blocks_.begin() - 1);
}

std::size_t LogData::rowAtOrAfter(double s) const {
    std::size_t lo = 0, hi = rowCount();
    while (lo < hi) {  // rows are in time order
        const std::size_t mid = lo + (hi - lo) / 2;
        if (seconds(mid) < s) lo = mid + 1; else hi = mid;
    }
    return lo;
}

RuntimeSample LogData::sample(std::size_t row) const {
    RuntimeSample s;
    s.gTsCnt = counter_[row];
    s.g_error = status_[row];
    s.g_pwm_mode = pwmMode_[row];
    s.fgtFLAG = flags_[row];
    float* targets[kLogRealColumns] = {&s.fgTc, &s.fgF1Tc, &s.fgF2Tc, &s.fgTa1, &s.fgTa2, &s.fgTa3,
                                       &s.fgTa4, &s.fgTrExt, &s.fgTr, &s.frTa, &s.frTe, &s.frTp,
                                       &s.frTi, &s.frTd, &s.frTLPr, &s.g_vin, &s.g_curr};
    for (int i = 0; i < kLogRealColumns; ++i) *targets[i] = reals_[i][row];
    s.adTemp1 = adTemp1_[row];
    s.digipotOffset = digipot_[row];
    return s;
}

std::size_t LogData::memoryBytes() const {
    std::size_t bytes = counter_.capacity() * 4 + status_.capacity() * 4 + pwmMode_.capacity() +
                        flags_.capacity() + adTemp1_.capacity() * 4 + digipot_.capacity() * 4 +
                        blocks_.capacity() * sizeof(LogBlock);
    for (const auto& c : reals_) bytes += c.capacity() * sizeof(float);
    return bytes;
}

namespace {

template <typename Feed>
void splitLines(const char* data, std::size_t size, std::string& carry, bool last, Feed&& feed) {
    std::size_t pos = 0;
    while (pos < size) {
        const void* nl = std::memchr(data + pos, '\n', size - pos);
        if (!nl) break;
        const std::size_t end = static_cast<const char*>(nl) - data;
        if (carry.empty()) {
            feed(std::string_view(data + pos, end - pos), true);
        } else {
            carry.append(data + pos, end - pos);
            feed(std::string_view(carry), true);
            carry.clear();
        }
        pos = end + 1;
    }
    carry.append(data + pos, size - pos);
    if (last && !carry.empty()) {
        feed(std::string_view(carry), false);
        carry.clear();
    }
}

}  // namespace

LogReadResult readLogText(const char* text, std::size_t size) {
    LogReader reader(size / 160 + 16);
    std::string carry;
    splitLines(text, size, carry, true, [&](std::string_view l, bool complete) { reader.line(l, complete); });
    return reader.finish();
}

LogReadResult readLogFile(const std::string& path) {
    LogReadResult failed;
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        failed.error = std::strerror(errno);
        return failed;
    }
    struct stat st{};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        failed.error = S_ISDIR(st.st_mode) ? "it is a directory" : "not a regular file";
        ::close(fd);
        return failed;
    }
    LogReader reader(static_cast<std::size_t>(st.st_size) / 160 + 16);
    std::vector<char> buffer(1 << 20);
    std::string carry;
    for (;;) {
        const ssize_t n = ::read(fd, buffer.data(), buffer.size());
        if (n < 0) {
            if (errno == EINTR) continue;
            failed.error = std::strerror(errno);
            ::close(fd);
            return failed;
        }
        splitLines(buffer.data(), static_cast<std::size_t>(n), carry, n == 0,
                   [&](std::string_view l, bool complete) { reader.line(l, complete); });
        if (n == 0) break;
        if (carry.size() > (1u << 20)) carry.clear();  // no row is this long: drop the junk
    }
    ::close(fd);
    return reader.finish();
}

LogColumn logColumnOfChannel(int channel) {
    static constexpr LogColumn columns[] = {
        LogColumn::fgTc,  LogColumn::fgTa1, LogColumn::fgTa2,   LogColumn::fgTa3, LogColumn::fgTa4,
        LogColumn::frTa,  LogColumn::fgTr,  LogColumn::fgTrExt, LogColumn::frTp,  LogColumn::frTi,
        LogColumn::frTd,  LogColumn::frTLPr, LogColumn::frTe,   LogColumn::fgF1Tc, LogColumn::fgF2Tc,
        LogColumn::g_vin, LogColumn::g_curr, LogColumn::Count,  LogColumn::Count};
    if (channel < 0 || channel >= static_cast<int>(std::size(columns))) return LogColumn::Count;
    return columns[channel];
}
