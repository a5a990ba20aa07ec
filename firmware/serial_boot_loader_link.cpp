#include "firmware/serial_boot_loader_link.h"

#include "link/serial_manager.h"

int SerialBootLoaderLink::transact(const std::string& command, bool expectData, int dataLines,
                                   bool expectEcho) {
    return link_.transact(command, expectData, dataLines, expectEcho);
}

int SerialBootLoaderLink::enterBootLoader() { return link_.enterBootLoader(); }

int SerialBootLoaderLink::identify(std::uint32_t& id, bool& locked, char& rev1, char& rev2) {
    return link_.identify(id, locked, rev1, rev2);
}

int SerialBootLoaderLink::setAddress(std::uint32_t address) { return link_.setAddress(address); }

int SerialBootLoaderLink::writeData(const std::uint8_t* bytes, int count, bool swap,
                                    std::uint32_t& reply) {
    return link_.writeData(bytes, count, swap, reply);
}

int SerialBootLoaderLink::readData(std::uint32_t& address, std::array<std::uint32_t, 8>& words) {
    return link_.readData(address, words);
}

int SerialBootLoaderLink::runUserProgram() { return link_.runUserProgram(); }
