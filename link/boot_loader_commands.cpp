// Command operations of the board's boot loader. Its lines end with line
// feed then carriage return.
#include <cstdio>

#include "link/reply_parser.h"
#include "link/serial_manager.h"

namespace {

constexpr int kMaxDataBytes = 16;
constexpr std::uint32_t kAddressMask = 0xFFFFFF;   // the boot loader takes 24 bits
constexpr std::uint8_t kErasedByte = 0xFF;

void appendHexByte(std::string& text, std::uint8_t byte) {
    char digits[3];
    std::snprintf(digits, sizeof digits, "%02X", static_cast<unsigned>(byte));
    text += digits;
}

}  // namespace

std::string SerialManager::setAddressCommand(std::uint32_t addr) {
    char text[16];
    std::snprintf(text, sizeof text, "a%06X\n\r", static_cast<unsigned>(addr & kAddressMask));
    return text;
}

std::string SerialManager::writeDataCommand(const std::uint8_t* bytes, int count, bool swap) {
    if (count < 0 || count > kMaxDataBytes || (bytes == nullptr && count > 0))
        return {};
    std::string text = "p";
    for (int k = 0; 2 * k < count; ++k) {
        const std::uint8_t first = bytes[2 * k];
        // The boot loader stores 16-bit words: an odd final byte is sent
        // with the erased-flash value as its partner.
        const std::uint8_t second = 2 * k + 1 < count ? bytes[2 * k + 1] : kErasedByte;
        appendHexByte(text, swap ? second : first);
        appendHexByte(text, swap ? first : second);
    }
    text += "\n\r";
    return text;
}

int SerialManager::enterBootLoader() { return transact("$B\r\n", true, 4, true); }

int SerialManager::identify(std::uint32_t& id, bool& locked, char& rev1, char& rev2) {
    id = 0;
    locked = true;
    rev1 = '-';
    rev2 = '-';
    std::string line;
    Replies replies;
    const int result = query("i\n\r", 2, line, &replies);
    if (result != Ok)
        return result;
    id = parseReplyHex(line);
    locked = replies[2].rfind('U', 0) != 0;
    // Slot 3 holds the third line of the reply to enterBootLoader().
    const std::string& banner = replies[3];
    if (banner.size() >= 4 && banner.compare(0, 2, "BL") == 0) {
        rev1 = banner[2];
        rev2 = banner[3];
    }
    return Ok;
}

int SerialManager::setAddress(std::uint32_t addr) {
    std::string line;
    const int result = query(setAddressCommand(addr), 1, line);
    if (result != Ok)
        return result;
    return parseReplyHex(line) == (addr & kAddressMask) ? Ok : NoMatch;
}

int SerialManager::writeData(const std::uint8_t* bytes, int count, bool swap,
                             std::uint32_t& reply) {
    reply = 0;
    if (count < 0 || count > kMaxDataBytes)
        return InvalidCount;
    if (bytes == nullptr && count > 0)
        return InvalidPointer;
    std::string line;
    const int result = query(writeDataCommand(bytes, count, swap), 1, line);
    if (result == Ok)
        reply = parseReplyHex(line);
    return result;
}

int SerialManager::readData(std::uint32_t& address, std::array<std::uint32_t, 8>& words) {
    address = 0;
    words.fill(0);
    std::string line;
    const int result = query("d01\n\r", 1, line);
    if (result != Ok)
        return result;
    return parseReadData(line, address, words) ? Ok : NoMatch;
}

int SerialManager::runUserProgram() { return transact("g\n\r", false, 1, true); }
