// raw: one transaction with a command given with C-style escapes.
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "command.h"
#include "link/serial_manager.h"

namespace tqctl {
namespace {

int runRaw(Context& ctx, const std::vector<std::string>& args);

const Command kRaw{"raw", "raw TEXT [--lines N] [--no-echo] [--no-data]",
                   "send TEXT (escapes \\r \\n \\t \\\\ \\xHH) and print its data lines",
                   runRaw};

int hexDigit(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// Resolves \r \n \t \a \b \f \v \\ \" \' \? and \xHH; nullopt (with the
// reason) for an unknown escape, a cut-off one or a NUL byte.
std::optional<std::string> unescape(const std::string& text, std::string& why) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\') {
            out += text[i];
            continue;
        }
        if (++i >= text.size()) {
            why = "TEXT ends with a lone backslash";
            return std::nullopt;
        }
        switch (text[i]) {
        case 'r': out += '\r'; break;
        case 'n': out += '\n'; break;
        case 't': out += '\t'; break;
        case 'a': out += '\a'; break;
        case 'b': out += '\b'; break;
        case 'f': out += '\f'; break;
        case 'v': out += '\v'; break;
        case '\\': case '"': case '\'': case '?': out += text[i]; break;
        case 'x': {
            int value = 0;
            int digits = 0;
            while (digits < 2 && i + 1 < text.size() && hexDigit(text[i + 1]) >= 0) {
                value = value * 16 + hexDigit(text[++i]);
                ++digits;
            }
            if (digits == 0) {
                why = "\\x needs hexadecimal digits";
                return std::nullopt;
            }
            if (value == 0) {
                why = "TEXT cannot hold a NUL byte";
                return std::nullopt;
            }
            out += static_cast<char>(value);
            break;
        }
        default:
            why = std::string("unknown escape \\") + text[i];
            return std::nullopt;
        }
    }
    return out;
}

int runRaw(Context& ctx, const std::vector<std::string>& args) {
    std::optional<std::string> text;
    int lines = 1;
    bool echo = true;
    bool data = true;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--no-echo") {
            echo = false;
        } else if (arg == "--no-data") {
            data = false;
        } else if (arg == "--lines") {
            if (i + 1 >= args.size())
                return usageError(kRaw, "--lines needs a number from 1 to 10");
            char* end = nullptr;
            errno = 0;
            const long value = std::strtol(args[++i].c_str(), &end, 10);
            if (errno != 0 || end == args[i].c_str() || *end != '\0' || value < 1 ||
                value > SerialManager::kReplySlots)
                return usageError(kRaw, "--lines needs a number from 1 to 10");
            lines = static_cast<int>(value);
        } else if (!text) {
            std::string why;
            text = unescape(arg, why);
            if (!text)
                return usageError(kRaw, why);
        } else {
            return usageError(kRaw, "unexpected argument " + arg);
        }
    }
    if (!text)
        return usageError(kRaw, "TEXT is missing");

    if (const int opened = ctx.openLink(); opened != Ok)
        return opened;
    const int result = ctx.link().transact(*text, data, lines, echo);
    if (result != Ok) {
        std::fprintf(stderr, "Command error - error %d [%s]\n", result, resultText(result));
        return result;
    }
    if (echo && data)
        for (int slot = 1; slot <= lines; ++slot)
            std::printf("%s\n", ctx.link().replySlot(slot).c_str());
    return Ok;
}

const Registrar registerRaw(kRaw);

}  // namespace
}  // namespace tqctl
