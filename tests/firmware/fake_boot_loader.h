// A boot loader in memory behind the BootLoaderLink interface: records every
// command and keeps the written words.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "firmware/boot_loader_link.h"
#include "link/serial_manager.h"

class FakeBootLoader : public BootLoaderLink {
public:
    int transact(const std::string& command, bool, int, bool) override {
        commands.push_back(command);
        return 0;
    }
    int enterBootLoader() override {
        commands.push_back("$B\r\n");
        return 0;
    }
    int identify(std::uint32_t& id, bool& locked, char& rev1, char& rev2) override {
        commands.push_back("i\n\r");
        if (identifyResult != 0)
            return identifyResult;
        id = 0x1A2B;
        locked = false;
        rev1 = '0';
        rev2 = '7';
        return 0;
    }
    int setAddress(std::uint32_t address) override {
        commands.push_back(SerialManager::setAddressCommand(address));
        if (failSetAddressAt == address)
            return NoMatch;
        current = address;
        return 0;
    }
    int writeData(const std::uint8_t* bytes, int count, bool swap, std::uint32_t& reply) override {
        commands.push_back(SerialManager::writeDataCommand(bytes, count, swap));
        reply = 0;
        if (count < 0 || count > 16)
            return InvalidCount;
        if (failWriteAt == current)
            return TimeoutData;
        for (int i = 0; i < count; ++i)
            memory[current + static_cast<std::uint32_t>(i)] = bytes[i];
        reply = wrongReplyAt == current ? current + 2 : current;
        ++writes;
        return 0;
    }
    int readData(std::uint32_t& address, std::array<std::uint32_t, 8>& words) override {
        commands.push_back("d01\n\r");
        address = current;
        if (failReadAt == current)
            return TimeoutData;
        for (std::uint32_t i = 0; i < 8; ++i) {
            const std::uint32_t at = current + 2 * i;
            words[i] = byteAt(at) << 8 | byteAt(at + 1);
        }
        if (readAdvances)
            current += 16;
        ++reads;
        return 0;
    }
    int runUserProgram() override {
        commands.push_back("g\n\r");
        return 0;
    }

    // Erased flash reads 0xFF; a byte in `flipped` reads back inverted.
    std::uint32_t byteAt(std::uint32_t at) const {
        const auto it = memory.find(at);
        const std::uint32_t value = it == memory.end() ? 0xFF : it->second;
        return flipped.count(at) ? (~value & 0xFF) : value;
    }

    std::vector<std::string> commands;
    std::map<std::uint32_t, std::uint8_t> memory;   // byte address -> byte
    std::uint32_t current = 0;
    bool readAdvances = true;   // "d01" moves the address past the words read
    int writes = 0;
    int reads = 0;
    std::set<std::uint32_t> flipped;
    std::uint32_t failReadAt = 0xFFFFFFFF;
    int identifyResult = 0;
    std::uint32_t failSetAddressAt = 0xFFFFFFFF;
    std::uint32_t failWriteAt = 0xFFFFFFFF;
    std::uint32_t wrongReplyAt = 0xFFFFFFFF;
};
