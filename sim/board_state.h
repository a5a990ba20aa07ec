// Everything the running firmware keeps: registers with their FLASH copy,
// the live model, the runtime stream setting, the boot loader, and the two
// counters of the status command.
#pragma once

#include <cstdint>
#include <string>

#include "sim/board_model.h"
#include "sim/boot_loader.h"
#include "sim/register_bank.h"

namespace sim {

struct BoardState {
    RegisterBank bank;
    BoardModel model;
    BootLoader loader;
    std::string version = "TQ-REG V0.215 virtual";
    int streamFormat = 0;          // 0 off, 6 or 7
    bool inBootLoader = false;
    std::uint32_t alarmEvents = 0;    // first number of "$S": alarms raised
    std::uint32_t commandErrors = 0;  // second number: lines not understood
    std::uint32_t lastStatus = 0;

    // Reboot: registers from FLASH, stream off, start-up delay.
    void reboot();
    // Counts the alarm bits that newly appear in the status word.
    void noteStatus(std::uint32_t status);
};

}  // namespace sim
