#include "runtime/alarm_latch.h"

#include <cstdio>

namespace {

enum Half { L, H };

struct AlarmEntry {
    Half half;
    int bit;
    const char* text;
};

// First match wins.
constexpr AlarmEntry kPriority[] = {
    {L, 3, "[Regulator overload]"},
    {L, 2, "[Critical error]"},
    {L, 1, "[Download error]"},
    {L, 7, "[internal 12V to low]"},
    {L, 6, "[internal 12V to high]"},
    {L, 4, "[Uin to high]"},
    {L, 5, "[Uin to low]"},
    {L, 8, "[Main current overload]"},
    {L, 9, "[Main current under limit]"},
    {H, 3, "[Temp1 missing]"},
    {H, 2, "[Temp1 Shortcut]"},
    {H, 0, "[Temp1 High]"},
    {H, 1, "[Temp1 Low]"},
    {L, 10, "[FAN1 OverCurr]"},
    {L, 11, "[FAN1 UnderCurr]"},
    {L, 12, "[FAN2 OverCurr]"},
    {L, 13, "[FAN2 UnderCurr]"},
    {H, 7, "[Temp2 missing]"},
    {H, 11, "[Temp3 missing]"},
    {H, 15, "[Temp4 missing]"},
    {H, 6, "[Temp2 Shortcut]"},
    {H, 10, "[Temp3 Shortcut]"},
    {H, 14, "[Temp4 Shortcut]"},
    {H, 4, "[Temp2 High]"},
    {H, 8, "[Temp3 High]"},
    {H, 12, "[Temp4 High]"},
    {H, 5, "[Temp2 Low]"},
    {H, 9, "[Temp3 Low]"},
    {H, 13, "[Temp4 Low]"},
    {L, 0, "[Startup delay]"},
};

bool bitSet(std::uint16_t half, int bit) { return (half >> bit) & 1u; }

}  // namespace

std::string alarmText(std::uint32_t word, std::uint16_t low, std::uint16_t high)
{
    const char* text = "[ok]";
    for (const AlarmEntry& e : kPriority) {
        if (bitSet(e.half == L ? low : high, e.bit)) {
            text = e.text;
            break;
        }
    }
    char buffer[48];
    std::snprintf(buffer, sizeof buffer, "%08X %s", static_cast<unsigned>(word), text);
    return buffer;
}

AlarmLamps alarmLampsFor(std::uint16_t low, std::uint16_t high)
{
    AlarmLamps lamps;
    auto set = [&lamps](AlarmLamp lamp, bool on) { lamps.set(static_cast<int>(lamp), on); };
    set(AlarmLamp::VoltageInOver, bitSet(low, 4));
    set(AlarmLamp::VoltageInUnder, bitSet(low, 5));
    set(AlarmLamp::CurrentOutOver, bitSet(low, 8));
    set(AlarmLamp::CurrentOutUnder, bitSet(low, 9));
    set(AlarmLamp::VoltageInternalOver, bitSet(low, 6));
    set(AlarmLamp::VoltageInternalUnder, bitSet(low, 7));
    set(AlarmLamp::Fan1CurrentOver, bitSet(low, 10));
    set(AlarmLamp::Fan1CurrentUnder, bitSet(low, 11));
    set(AlarmLamp::Fan2CurrentOver, bitSet(low, 12));
    set(AlarmLamp::Fan2CurrentUnder, bitSet(low, 13));
    // Four bits per sensor: high, low, short circuit, missing.
    for (int sensor = 0; sensor < 4; ++sensor) {
        const int base = 4 * sensor;
        const bool broken = bitSet(high, base + 2) || bitSet(high, base + 3);
        const int highLamp = static_cast<int>(AlarmLamp::T1High) + 2 * sensor;
        lamps.set(highLamp, bitSet(high, base) || broken);
        lamps.set(highLamp + 1, bitSet(high, base + 1) || broken);
    }
    return lamps;
}

std::string AlarmLatch::decode(std::uint32_t word)
{
    std::uint16_t low;
    std::uint16_t high;
    if (word == 0) {
        low_.store(0);
        high_.store(0);
        low = high = 0;
    } else {
        const auto lowBits = static_cast<std::uint16_t>(word & 0xFFFFu);
        const auto highBits = static_cast<std::uint16_t>(word >> 16);
        low = static_cast<std::uint16_t>(low_.fetch_or(lowBits) | lowBits);
        high = static_cast<std::uint16_t>(high_.fetch_or(highBits) | highBits);
    }
    return alarmText(word, low, high);
}
