// BootLoaderLink over the program's SerialManager.
#pragma once

#include "firmware/boot_loader_link.h"

class SerialManager;

class SerialBootLoaderLink : public BootLoaderLink {
public:
    explicit SerialBootLoaderLink(SerialManager& link) : link_(link) {}

    int transact(const std::string& command, bool expectData, int dataLines,
                 bool expectEcho) override;
    int enterBootLoader() override;
    int identify(std::uint32_t& id, bool& locked, char& rev1, char& rev2) override;
    int setAddress(std::uint32_t address) override;
    int writeData(const std::uint8_t* bytes, int count, bool swap, std::uint32_t& reply) override;
    int readData(std::uint32_t& address, std::array<std::uint32_t, 8>& words) override;
    int runUserProgram() override;

private:
    SerialManager& link_;
};
