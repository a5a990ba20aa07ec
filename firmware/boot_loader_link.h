// The protocol operations the firmware download needs, so that the dialog,
// tqctl and the tests drive the same code over a real link or a fake.
// Every operation returns a link result code (0 = success).
#pragma once

#include <array>
#include <cstdint>
#include <string>

class BootLoaderLink {
public:
    virtual ~BootLoaderLink() = default;

    // One raw transaction: `command` with its terminators.
    virtual int transact(const std::string& command, bool expectData, int dataLines,
                         bool expectEcho) = 0;
    virtual int enterBootLoader() = 0;   // "$B\r\n" from the running firmware
    virtual int identify(std::uint32_t& id, bool& locked, char& rev1, char& rev2) = 0;
    virtual int setAddress(std::uint32_t address) = 0;
    virtual int writeData(const std::uint8_t* bytes, int count, bool swap,
                          std::uint32_t& reply) = 0;
    // "d01": eight 16-bit words from the current address; `address` is where
    // the board read them. Whether the address then moves past them differs
    // between boards.
    virtual int readData(std::uint32_t& address, std::array<std::uint32_t, 8>& words) = 0;
    virtual int runUserProgram() = 0;    // "g\n\r"
};
