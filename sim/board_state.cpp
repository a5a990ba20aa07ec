#include "sim/board_state.h"

namespace sim {

void BoardState::reboot()
{
    bank.loadFromFlash();
    streamFormat = 0;
    inBootLoader = false;
    lastStatus = 0;
    model.boot(bank);
}

void BoardState::noteStatus(std::uint32_t status)
{
    const std::uint32_t raised = status & ~lastStatus & ~1u;
    for (std::uint32_t b = raised; b; b &= b - 1)
        ++alarmEvents;
    lastStatus = status;
}

}  // namespace sim
