// One received line: the faults it triggers, the board's answer, and the
// order and timing in which that answer leaves.
#include <cstdio>
#include <cstdlib>

#include "sim/firmware_commands.h"
#include "sim/regulator_server.h"

namespace sim {

namespace {

// The wrong address of the WrongWriteReply fault.
std::string wrongAddress(const std::string& reply)
{
    const unsigned long a = std::strtoul(reply.c_str(), nullptr, 16);
    char text[16];
    std::snprintf(text, sizeof text, "%06lX", (a + 2) & 0xFFFFFFul);
    return text;
}

}  // namespace

void RegulatorServer::handleLine(const std::string& line, Clock::time_point now)
{
    if (received_.size() >= kMaxReceived)  // a long session keeps the recent part
        received_.erase(received_.begin(), received_.begin() + kMaxReceived / 2);
    received_.push_back(line);
    const Fault atRegister =
        board_.inBootLoader ? Fault::None : faults_.forRegister(registerOfCommand(line));
    const auto applies = [&](Fault f) {
        const bool armed = faults_.take(f);  // every armed fault uses one count
        return armed || atRegister == f;
    };
    const bool vanish = applies(Fault::Vanish);
    const bool noEcho = applies(Fault::NoEcho);
    const bool noData = applies(Fault::EchoWithoutData);
    const bool late = applies(Fault::LateReply);
    const bool garbage = applies(Fault::Garbage);
    const bool overlong = applies(Fault::OverlongLine);
    const bool streamInReply = applies(Fault::StreamInReply);
    if (vanish) {
        vanishNow();
        return;
    }
    if (noEcho)
        return;

    Reply reply;
    bool leave = false;
    if (board_.inBootLoader) {
        reply = board_.loader.handle(line, leave);
        if (reply.flashWrite && !reply.data.empty() && faults_.take(Fault::WrongWriteReply))
            reply.data[0] = wrongAddress(reply.data[0]);
    } else {
        reply = handleFirmwareCommand(board_, line);
    }
    if (leave)
        board_.reboot();  // "g": the firmware starts again

    const Clock::time_point readyAt = now + std::chrono::milliseconds(options_.replyLatencyMs);
    const std::string eol = reply.eol;
    if (overlong)
        send(overlongLine() + eol, readyAt, garbage);
    if (reply.echo)
        send(line + eol, readyAt, garbage);
    if (noData)
        return;
    if (streamInReply && !reply.data.empty())
        send(formatRuntimeLine(board_.model.record(), board_.streamFormat == 6 ? 6 : 7) + "\r\n",
             readyAt, garbage);
    for (const std::string& d : reply.data)
        send(d + eol, late ? readyAt + kLateReply : readyAt, garbage);
}

}  // namespace sim
