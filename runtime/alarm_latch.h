// The status and alarm word `g_error`: a latch of every alarm seen since the
// word was last all clear, the one-line alarm text and the alarm page lamps.
#pragma once

#include <atomic>
#include <bitset>
#include <cstdint>
#include <string>

// Alarm page lamps, in the page's order (group, row).
enum class AlarmLamp : int {
    VoltageInOver,
    VoltageInUnder,
    CurrentOutOver,
    CurrentOutUnder,
    VoltageInternalOver,
    VoltageInternalUnder,
    Fan1CurrentOver,
    Fan1CurrentUnder,
    Fan2CurrentOver,
    Fan2CurrentUnder,
    T1High,
    T1Low,
    T2High,
    T2Low,
    T3High,
    T3Low,
    T4High,
    T4Low,
};
inline constexpr int kAlarmLampCount = 18;
using AlarmLamps = std::bitset<kAlarmLampCount>;  // indexed by AlarmLamp

// The lamps the latches light; a missing or short-circuited sensor lights
// both lamps of its group.
AlarmLamps alarmLampsFor(std::uint16_t low, std::uint16_t high);

// The text of the highest-priority latched alarm, formatted with the
// current word: "%08X [Regulator overload]", ... or "%08X [ok]".
std::string alarmText(std::uint32_t word, std::uint16_t low, std::uint16_t high);

// Decoded on the serial worker thread, cleared from the UI thread: the
// halves are atomics.
class AlarmLatch {
public:
    // Latches the word (0 clears both halves) and returns its alarm text.
    std::string decode(std::uint32_t word);
    void clear() { decode(0); }

    std::uint16_t low() const { return low_.load(); }
    std::uint16_t high() const { return high_.load(); }
    AlarmLamps lamps() const { return alarmLampsFor(low(), high()); }

private:
    std::atomic<std::uint16_t> low_{0};
    std::atomic<std::uint16_t> high_{0};
};
