#include "sim/register_bank.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace sim {

bool isUnsignedRegister(int reg)
{
    switch (reg) {
    case 13: case 16: case 23: case 55: case 56: case 57: case 58:
    case 91: case 92: case 94: case 95: case 96:
        return true;
    default:
        return false;
    }
}

std::uint32_t floatBits(float value)
{
    std::uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

float bitsFloat(std::uint32_t bits)
{
    float value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

std::string formatDecimal(int reg, std::uint32_t bits)
{
    char text[64];
    if (isUnsignedRegister(reg)) {
        std::snprintf(text, sizeof text, "%u", static_cast<unsigned>(bits));
        return text;
    }
    const float v = bitsFloat(bits);
    for (int precision = 6; precision <= 9; ++precision) {
        std::snprintf(text, sizeof text, "%.*G", precision, static_cast<double>(v));
        if (!std::isfinite(v) || std::strtof(text, nullptr) == v)
            break;
    }
    return text;
}

namespace {

bool onlyBlanksAfter(const char* end)
{
    while (*end == ' ' || *end == '\t')
        ++end;
    return *end == '\0';
}

}  // namespace

std::optional<std::uint32_t> parseDecimal(int reg, const std::string& text)
{
    const char* begin = text.c_str();
    char* end = nullptr;
    errno = 0;
    const double v = std::strtod(begin, &end);
    if (end == begin || !onlyBlanksAfter(end))
        return std::nullopt;
    if (!isUnsignedRegister(reg))
        return floatBits(static_cast<float>(v));
    // Unsigned registers take "%u" and "%d" forms; fractions are cut.
    if (!std::isfinite(v))
        return std::nullopt;
    if (v < 0) {
        if (v < -2147483648.0)
            return std::nullopt;
        return static_cast<std::uint32_t>(static_cast<std::int32_t>(v));
    }
    if (v > 4294967295.0)
        return std::nullopt;
    return static_cast<std::uint32_t>(v);
}

std::optional<std::uint32_t> parseHex(const std::string& text)
{
    const char* begin = text.c_str();
    while (*begin == ' ')
        ++begin;
    if (*begin == '\0')
        return std::nullopt;
    std::uint64_t v = 0;
    const char* p = begin;
    for (; *p; ++p) {
        const char c = *p;
        int digit;
        if (c >= '0' && c <= '9')
            digit = c - '0';
        else if (c >= 'A' && c <= 'F')
            digit = c - 'A' + 10;
        else if (c >= 'a' && c <= 'f')
            digit = c - 'a' + 10;
        else
            break;
        if (p - begin >= 8)
            return std::nullopt;
        v = v * 16 + static_cast<std::uint64_t>(digit);
    }
    if (p == begin || !onlyBlanksAfter(p))
        return std::nullopt;
    return static_cast<std::uint32_t>(v);
}

RegisterBank::RegisterBank()
    : regs_(defaultRegisters()), flash_(defaultRegisters())
{
}

std::uint32_t RegisterBank::bits(int reg) const
{
    return reg >= 0 && reg < kRegisterCount ? regs_[static_cast<std::size_t>(reg)] : 0;
}

void RegisterBank::setBits(int reg, std::uint32_t bits)
{
    if (reg >= 0 && reg < kRegisterCount)
        regs_[static_cast<std::size_t>(reg)] = bits;
}

std::uint32_t RegisterBank::flashBits(int reg) const
{
    return reg >= 0 && reg < kRegisterCount ? flash_[static_cast<std::size_t>(reg)] : 0;
}

}  // namespace sim
