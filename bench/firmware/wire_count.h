// Counts the bytes of every command, echo and data line of a conversation
// so that a benchmark can state its time next to the wire-time limit.
#pragma once

#include <bit>
#include <cstdint>
#include <string>

#include <benchmark/benchmark.h>

#include "firmware/boot_loader_link.h"
#include "link/serial_manager.h"
#include "params/register_transfer.h"

namespace wire {

constexpr double kBaud = 115200.0;
constexpr double kSecondsPerByte = 10.0 / kBaud;   // start, 8 data, stop: 86.8 us
constexpr std::size_t kEolBytes = 2;                // "\r\n" or "\n\r"

struct Tally {
    std::uint64_t sent = 0;       // host to regulator
    std::uint64_t received = 0;   // echoes and data lines
    void command(const std::string& text) {
        sent += text.size();
        // The echo repeats the command up to its terminators.
        std::size_t line = text.find_first_of("\r\n");
        received += (line == std::string::npos ? text.size() : line) + kEolBytes;
    }
    void dataLine(const std::string& line) { received += line.size() + kEolBytes; }
    std::uint64_t total() const { return sent + received; }
};

// Reports the wire limits of one iteration's tally next to its time.
inline void report(benchmark::State& state, const Tally& perIteration, double secondsPerIteration) {
    const double full = static_cast<double>(perIteration.total()) * kSecondsPerByte;
    const double paced = static_cast<double>(perIteration.received) * kSecondsPerByte;
    state.counters["bytes"] = static_cast<double>(perIteration.total());
    state.counters["wire_limit_ms"] = full * 1e3;
    state.counters["ratio"] = secondsPerIteration / full;
    state.counters["ratio_paced"] = secondsPerIteration / paced;
}

// RegisterIo over the link that tallies what travels.
class CountingRegisterIo : public RegisterIo {
public:
    CountingRegisterIo(SerialManager& link, Tally& tally) : link_(link), tally_(tally) {}
    int writeRegister(int reg, float value, bool hex) override {
        tally_.command(hex ? SerialManager::registerWriteHexCommand(reg, std::bit_cast<std::uint32_t>(value))
                           : SerialManager::registerWriteFloatCommand(reg, value));
        return link_.writeRegister(reg, value, hex);
    }
    int writeRegisterUnsigned(int reg, std::uint32_t value) override {
        tally_.command("$R" + std::to_string(reg) + "=" + std::to_string(value) + "\r");
        return link_.writeRegisterUnsigned(reg, value);
    }
    int readRegister(int reg, float& out, bool hex) override {
        tally_.command((hex ? "$RN" : "$R") + std::to_string(reg) + "?\r");
        const int result = link_.readRegister(reg, out, hex);
        tally_.dataLine(link_.replySlot(1));
        return result;
    }
    int readRegisterUnsigned(int reg, std::uint32_t& out) override {
        tally_.command("$R" + std::to_string(reg) + "?\r");
        const int result = link_.readRegisterUnsigned(reg, out);
        tally_.dataLine(link_.replySlot(1));
        return result;
    }

private:
    SerialManager& link_;
    Tally& tally_;
};

}  // namespace wire
