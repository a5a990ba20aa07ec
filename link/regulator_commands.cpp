// Command operations of the running regulator firmware.
#include <bit>
#include <charconv>
#include <cstdio>

#include "link/reply_parser.h"
#include "link/serial_manager.h"

namespace {

constexpr std::size_t kVersionLimit = 255;   // callers keep 256-byte texts

// printf's "%G" (6 significant digits, upper-case exponent and INF/NAN),
// independent of the process locale.
std::string formatG(double value) {
    char text[64];
    const auto [end, error] =
        std::to_chars(text, text + sizeof text, value, std::chars_format::general, 6);
    if (error != std::errc())
        return "0";
    std::string result(text, end);
    for (char& c : result)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    return result;
}

std::string printed(const char* format, int reg, auto value) {
    char text[64];
    std::snprintf(text, sizeof text, format, reg, value);
    return text;
}

}  // namespace

std::string SerialManager::registerWriteFloatCommand(int reg, float value) {
    return "$R" + std::to_string(reg) + "=" + formatG(value) + "\r";
}

std::string SerialManager::registerWriteHexCommand(int reg, std::uint32_t bits) {
    return printed("$RN%d=%08X\r", reg, static_cast<unsigned>(bits));
}

int SerialManager::getVersion(std::string& text) {
    text = "-no version-";
    std::string line;
    const int result = query("$V\r", 1, line);
    if (result == Ok) {
        text = line;
        if (text.size() > kVersionLimit)
            text.resize(kVersionLimit);
    }
    return result;
}

int SerialManager::reboot() { return transact("$BC\r", true, 1, true); }
int SerialManager::start() { return transact("$W\r", false, 1, false); }
int SerialManager::stop() { return transact("$Q\r", false, 1, false); }
int SerialManager::saveToFlash() { return transact("$RW\r", false, 1, true); }
int SerialManager::flashToDefault() { return transact("$RC\r", true, 1, true); }

int SerialManager::getStatus(bool clear, int& a, int& b) {
    a = 0;
    b = 0;
    std::string line;
    const int result = query(clear ? "$SC\r" : "$S\r", 1, line);
    if (result == Ok)
        parseStatusPair(line, a, b);
    return result;
}

int SerialManager::autoSend(int format) {
    return transact("$A" + std::to_string(format) + "\r", false, 1, false);
}

int SerialManager::autoSendOff() { return transact("$A\r", false, 1, false); }

int SerialManager::writeRegisterFloat(int reg, float value) {
    return transact(registerWriteFloatCommand(reg, value), false, 1, true);
}

int SerialManager::writeRegisterHex(int reg, std::uint32_t bits) {
    return transact(registerWriteHexCommand(reg, bits), false, 1, true);
}

int SerialManager::writeRegister(int reg, float value, bool hex) {
    return hex ? writeRegisterHex(reg, std::bit_cast<std::uint32_t>(value))
               : writeRegisterFloat(reg, value);
}

int SerialManager::writeRegisterInt(int reg, int value) {
    return transact(printed("$R%d=%d\r", reg, value), false, 1, true);
}

int SerialManager::writeRegisterUnsigned(int reg, std::uint32_t value) {
    return transact(printed("$R%d=%u\r", reg, static_cast<unsigned>(value)), false, 1, true);
}

int SerialManager::readRegisterFloat(int reg, float& out) {
    out = 0.0f;
    std::string line;
    const int result = query("$R" + std::to_string(reg) + "?\r", 1, line);
    if (result == Ok)
        out = parseReplyFloat(line);
    return result;
}

int SerialManager::readRegisterHex(int reg, std::uint32_t& out) {
    out = 0;
    std::string line;
    const int result = query("$RN" + std::to_string(reg) + "?\r", 1, line);
    if (result == Ok)
        out = parseReplyHex(line);
    return result;
}

int SerialManager::readRegister(int reg, float& out, bool hex) {
    if (!hex)
        return readRegisterFloat(reg, out);
    std::uint32_t bits = 0;
    const int result = readRegisterHex(reg, bits);
    out = std::bit_cast<float>(bits);
    return result;
}

int SerialManager::readRegisterInt(int reg, int& out) {
    out = 0;
    std::string line;
    const int result = query("$R" + std::to_string(reg) + "?\r", 1, line);
    if (result == Ok)
        out = parseReplyInt(line);
    return result;
}

int SerialManager::readRegisterUnsigned(int reg, std::uint32_t& out) {
    out = 0;
    std::string line;
    const int result = query("$R" + std::to_string(reg) + "?\r", 1, line);
    if (result == Ok)
        out = parseReplyUnsigned(line);
    return result;
}
