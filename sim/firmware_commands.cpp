#include "sim/firmware_commands.h"

#include <cctype>
#include <cstdio>

#include "sim/board_state.h"

namespace sim {

namespace {


// Parses "<reg>" followed by '=' or '?'; returns the position after the
// register number, or npos.
std::size_t parseRegister(const std::string& s, std::size_t pos, int& reg)
{
    std::size_t i = pos;
    long v = 0;
    while (i < s.size() && std::isdigit(static_cast<unsigned char>(s[i])) && i - pos < 4)
        v = v * 10 + (s[i++] - '0');
    if (i == pos || i >= s.size() || (s[i] != '=' && s[i] != '?'))
        return std::string::npos;
    reg = static_cast<int>(v);
    return i;
}

std::string hex8(std::uint32_t v)
{
    char text[16];
    std::snprintf(text, sizeof text, "%08X", static_cast<unsigned>(v));
    return text;
}

Reply registerCommand(BoardState& board, const std::string& line, bool hexForm)
{
    Reply r;
    r.echo = true;
    int reg = -1;
    const std::size_t at = parseRegister(line, hexForm ? 3 : 2, reg);
    if (at == std::string::npos) {
        ++board.commandErrors;
        r.data = {"ERR"};
        return r;
    }
    r.reg = reg;
    const bool valid = reg >= 0 && reg < kRegisterCount;
    if (line[at] == '?') {
        if (at + 1 != line.size() || !valid) {
            ++board.commandErrors;
            r.data = {"ERR"};
        } else {
            const std::uint32_t bits = board.bank.bits(reg);
            r.data = {hexForm ? hex8(bits) : formatDecimal(reg, bits)};
        }
        return r;
    }
    const std::string text = line.substr(at + 1);
    const auto bits = hexForm ? parseHex(text) : parseDecimal(reg, text);
    if (!valid || !bits) {
        ++board.commandErrors;
        return r;  // writes answer with their echo only
    }
    if (reg != reg::Ts)  // the sampling time is fixed by the firmware
        board.bank.setBits(reg, *bits);
    return r;
}

}  // namespace

Reply handleFirmwareCommand(BoardState& board, const std::string& line)
{
    Reply r;
    if (line.empty())
        return r;
    r.echo = true;
    if (line == "$V") {
        r.data = {board.version};
    } else if (line == "$Q") {
        board.model.stop();
    } else if (line == "$W") {
        board.model.start();
    } else if (line == "$A") {
        board.streamFormat = 0;
    } else if (line == "$A6" || line == "$A7") {
        board.streamFormat = line[2] - '0';
    } else if (line == "$RW") {
        board.bank.saveToFlash();
    } else if (line == "$RC") {
        board.bank.flashToDefaults();
        r.data = {"FLASH DEFAULT"};
    } else if (line == "$BC") {
        r.data = {"REBOOT"};
        board.reboot();
    } else if (line == "$B") {
        board.streamFormat = 0;
        board.inBootLoader = true;
        board.loader.enter();
        for (const char* banner : BootLoader::kBanner)
            r.data.emplace_back(banner);
    } else if (line == "$S" || line == "$SC") {
        char text[48];
        std::snprintf(text, sizeof text, "%u,%u", static_cast<unsigned>(board.alarmEvents),
                      static_cast<unsigned>(board.commandErrors));
        r.data = {text};
        if (line == "$SC") {
            board.alarmEvents = 0;
            board.commandErrors = 0;
            board.lastStatus = 0;
        }
    } else if (line.rfind("$RN", 0) == 0) {
        return registerCommand(board, line, true);
    } else if (line.size() > 2 && line[0] == '$' && line[1] == 'R'
               && std::isdigit(static_cast<unsigned char>(line[2]))) {
        return registerCommand(board, line, false);
    } else {
        ++board.commandErrors;
        r.data = {"ERR"};
    }
    return r;
}

}  // namespace sim
