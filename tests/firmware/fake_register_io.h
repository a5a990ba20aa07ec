// Regulator registers in memory behind the RegisterIo interface. Writes are
// logged in their wire form; a decimal write keeps only what the text
// carries, as on the line.
#pragma once

#include <bit>
#include <cstdint>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include "link/serial_manager.h"
#include "params/register_transfer.h"

// Index of the PT100 preset in the sensor library.
constexpr int kPt100 = 4;

class FakeRegisterIo : public RegisterIo {
public:
    int writeRegister(int reg, float value, bool hex) override {
        const std::string command = hex ? SerialManager::registerWriteHexCommand(reg, std::bit_cast<std::uint32_t>(value))
                                        : SerialManager::registerWriteFloatCommand(reg, value);
        if (int r = access(reg))
            return r;
        log.push_back(command.substr(0, command.size() - 1));   // without the CR
        written.push_back(reg);
        const float stored = hex ? value : std::strtof(command.c_str() + command.find('=') + 1, nullptr);
        bits[reg] = std::bit_cast<std::uint32_t>(stored);
        return 0;
    }
    int writeRegisterUnsigned(int reg, std::uint32_t value) override {
        if (int r = access(reg))
            return r;
        log.push_back("$R" + std::to_string(reg) + "=" + std::to_string(value));
        written.push_back(reg);
        bits[reg] = value;
        return 0;
    }
    int readRegister(int reg, float& out, bool) override {
        out = 0;
        if (int r = access(reg))
            return r;
        read.push_back(reg);
        out = std::bit_cast<float>(bits[reg]);
        return 0;
    }
    int readRegisterUnsigned(int reg, std::uint32_t& out) override {
        out = 0;
        if (int r = access(reg))
            return r;
        read.push_back(reg);
        out = bits[reg];
        return 0;
    }

    float value(int reg) { return std::bit_cast<float>(bits[reg]); }

    std::map<int, std::uint32_t> bits;
    std::vector<std::string> log;
    std::vector<int> written, read;
    int failAt = -1;               // register whose access fails
    int failResult = TimeoutEcho;
    int accesses = 0;

private:
    int access(int reg) {
        ++accesses;
        return reg == failAt ? failResult : 0;
    }
};

class FakeTransferHost : public TransferHost {
public:
    bool isLinkOpen() const override { return open; }
    int setConnectionMode(int newMode) override {
        modes.push_back(newMode);
        const int old = mode;
        mode = newMode;
        return old;
    }
    void showMessage(const std::string& text) override { messages.push_back(text); }

    bool open = true;
    int mode = 1;   // online
    std::vector<int> modes;
    std::vector<std::string> messages;
};
