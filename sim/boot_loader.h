// The board's boot loader: "i" (board id and lock state), "a%06X" (set the
// address), "p" + 16-bit words in hexadecimal (write them from the address,
// which then advances by 2 per word), "d01" (read 8 words; the address then
// advances past them or stays, as boards differ), "g" (leave and run the
// firmware). Replies end with LF CR, as the loader's commands do.
#pragma once

#include <cstdint>
#include <map>
#include <set>
#include <string>

#include "sim/reply.h"

namespace sim {

class BootLoader {
public:
    static constexpr std::uint32_t kBoardId = 0x2A3;

    // The four lines the loader shows when it is entered ("$B"): the third
    // begins with "BL" and the two revision characters. Upper case only, so
    // that no line can pass for the echo of a loader command.
    static const char* const kBanner[4];

    void enter();
    // Handles one line; leave is set by "g".
    Reply handle(const std::string& line, bool& leave);

    const std::map<std::uint32_t, std::uint16_t>& flash() const { return flash_; }
    std::uint32_t address() const { return address_; }
    void setLocked(bool locked) { locked_ = locked; }
    // Whether "d01" moves the address past the eight words it read (the
    // default) or leaves it where it was.
    void setReadAdvances(bool advances) { readAdvances_ = advances; }
    // A word that does not take what is written to it: it stores the
    // inverted bits, while the loader still answers as for a good write.
    void addBadWord(std::uint32_t address) { badWords_.insert(address & 0xFFFFFF); }
    void clearBadWords() { badWords_.clear(); }

private:
    Reply writeWords(const std::string& hex);
    Reply readWords();

    std::map<std::uint32_t, std::uint16_t> flash_;  // byte address of the word -> word
    std::uint32_t address_ = 0;
    bool locked_ = false;
    bool readAdvances_ = true;
    std::set<std::uint32_t> badWords_;
};

}  // namespace sim
