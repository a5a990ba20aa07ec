// A bare POSIX client of the virtual regulator's port: raw mode, plain
// reads and writes, lines cut at carriage return with line feeds, other
// control characters and bytes 0x80..0xFF dropped (as the program's serial
// engine assembles them). Every wait has a generous safety limit so that a
// broken simulator fails a test instead of hanging it.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace simtest {

class PtyClient {
public:
    static constexpr int kSafetyMs = 8000;

    PtyClient() = default;
    explicit PtyClient(const std::string& path) { open(path); }
    ~PtyClient() { close(); }
    PtyClient(const PtyClient&) = delete;
    PtyClient& operator=(const PtyClient&) = delete;

    bool open(const std::string& path);
    void close();
    bool isOpen() const { return fd_ >= 0; }

    void lockExclusive();  // TIOCEXCL, as a serial engine does
    void write(const std::string& bytes);
    // Writes filler bytes without waiting until the port refuses more (or
    // limit bytes went out); returns how many were taken.
    std::size_t writeUntilBlocked(char filler, std::size_t limit);
    // The next line (filtered); nullopt when the port hung up or nothing
    // came within the safety limit.
    std::optional<std::string> readLine(int safetyMs = kSafetyMs);
    // Next line that does not begin with "[" (runtime lines are skipped).
    std::optional<std::string> readReplyLine(int safetyMs = kSafetyMs);
    // Next runtime line.
    std::optional<std::string> readRuntimeLine(int safetyMs = kSafetyMs);
    // Reads lines until one satisfies pred; all lines read, that one last.
    std::vector<std::string> readUntil(const std::function<bool(const std::string&)>& pred,
                                       int safetyMs = kSafetyMs);
    // Sends a command and returns the reply lines up to and including the
    // first line equal to marker's echo: it sends marker after the command
    // so that the end of the reply is known without waiting on a clock.
    std::vector<std::string> transact(const std::string& command);

    // Every byte received so far, unfiltered.
    const std::string& rawBytes() const { return raw_; }
    bool hungUp() const { return hungUp_; }

private:
    bool fill(int safetyMs);

    int fd_ = -1;
    std::string pending_;  // filtered bytes not yet returned as lines
    std::string raw_;
    bool hungUp_ = false;
};

// Splits a runtime line "[7 a b c]" into its values; empty when the
// brackets or the separators are wrong.
std::vector<std::string> runtimeValues(const std::string& line, char formatDigit);
std::uint32_t hexValue(const std::string& text);
float hexFloat(const std::string& text);

}  // namespace simtest
