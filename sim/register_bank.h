// The regulator's 97 parameter registers as raw 32-bit words (floats as
// their IEEE-754 bit pattern), with the board's FLASH copy and the text
// forms of the register commands.
#pragma once

#include <array>
#include <cmath>
#include <cstdint>
#include <optional>
#include <string>

namespace sim {

constexpr int kRegisterCount = 97;

// Register numbers the model and the status word read.
namespace reg {
constexpr int St1 = 0, KP = 1, KI = 2, KD = 3, KTr = 4, KTe = 5, MaxPower = 6, DeadBand = 7,
              IntegralLimit = 8, Ts = 9, CoolGain = 10, HeatGain = 11, Decay = 12,
              RegulatorFlags = 13, AlgoDeadBand = 14, AlgoHysteresis = 15, Fan1Mode = 16,
              Fan2Mode = 23, SensorGain1 = 35, SensorOffset1 = 36, VIntOver = 45,
              VIntUnder = 46, IOutOver = 47, IOutUnder = 48, Fan1IOver = 49, Fan1IUnder = 50,
              Fan2IOver = 51, Fan2IUnder = 52, VInOver = 53, VInUnder = 54, SensorType1 = 55,
              T1High = 71, AlarmEnable1 = 91, AlarmEnable2 = 92, St2 = 93, LoopHighCount = 94,
              LoopLowCount = 95, Aux96 = 96;
}  // namespace reg

// Fan group: register of the mode; the six floats follow it.
constexpr int fanModeRegister(int fan) { return fan == 1 ? reg::Fan1Mode : reg::Fan2Mode; }

using RegisterArray = std::array<std::uint32_t, kRegisterCount>;

// Registers that hold unsigned integers rather than floats.
bool isUnsignedRegister(int reg);
// The power-on content of every register.
const RegisterArray& defaultRegisters();

std::uint32_t floatBits(float value);
float bitsFloat(std::uint32_t bits);

// Text of a register in the reply to "$R%d?": decimal float (shortest text
// that reads back to the same float) or decimal unsigned.
std::string formatDecimal(int reg, std::uint32_t bits);
// Parses the value of "$R%d=..." for the register; nullopt when the text is
// not a number.
std::optional<std::uint32_t> parseDecimal(int reg, const std::string& text);
// Parses the value of "$RN%d=..." (hexadecimal bit pattern).
std::optional<std::uint32_t> parseHex(const std::string& text);

class RegisterBank {
public:
    RegisterBank();

    std::uint32_t bits(int reg) const;
    void setBits(int reg, std::uint32_t bits);
    float value(int reg) const { return bitsFloat(bits(reg)); }
    std::uint32_t word(int reg) const { return bits(reg); }

    void saveToFlash() { flash_ = regs_; }           // "$RW"
    void flashToDefaults() { flash_ = defaultRegisters(); }  // "$RC"
    void loadFromFlash() { regs_ = flash_; }        // reboot
    std::uint32_t flashBits(int reg) const;

private:
    RegisterArray regs_{};
    RegisterArray flash_{};
};

// A register's value V, or FALLBACK when V is no finite number (a register
// holds whatever was written to it).
template <typename T>
T finiteOr(float v, T fallback) {
    return std::isfinite(v) ? static_cast<T>(v) : fallback;
}

}  // namespace sim
