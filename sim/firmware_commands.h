// The running firmware's command interpreter: "$V", "$Q", "$W", "$A",
// "$A6", "$A7", "$R%d=", "$R%d?", "$RN%d=", "$RN%d?", "$RW", "$RC", "$BC",
// "$B", "$S", "$SC". Every command is echoed; reads and the queries answer
// one data line ("$B" four).
#pragma once

#include <string>

#include "sim/reply.h"

namespace sim {

struct BoardState;

Reply handleFirmwareCommand(BoardState& board, const std::string& line);

}  // namespace sim
