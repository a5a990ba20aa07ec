// The thread-safe observation and fault-setting side of the server.
#include "sim/regulator_server.h"

namespace sim {

void RegulatorServer::setFault(Fault fault, int count)
{
    std::lock_guard lock(mutex_);
    faults_.set(fault, count);
    wake();
}

void RegulatorServer::failAtRegister(int reg, Fault fault)
{
    std::lock_guard lock(mutex_);
    faults_.atRegister(reg, fault);
}

void RegulatorServer::clearFaults()
{
    std::lock_guard lock(mutex_);
    faults_.clear();
    board_.loader.clearBadWords();
    wake();  // a deaf board listens again at once
}

void RegulatorServer::setBadFlashWord(std::uint32_t address)
{
    std::lock_guard lock(mutex_);
    board_.loader.addBadWord(address);
}

void RegulatorServer::vanish()
{
    runOnServer([this] { vanishNow(); });
}

bool RegulatorServer::reappear(std::string* error)
{
    bool ok = false;
    runOnServer([&] { ok = reopen(error); });
    return ok;
}

std::vector<std::string> RegulatorServer::receivedCommands() const
{
    std::lock_guard lock(mutex_);
    return received_;
}

void RegulatorServer::clearReceived()
{
    std::lock_guard lock(mutex_);
    received_.clear();
    answering_ = {};
}

std::chrono::nanoseconds RegulatorServer::answeringTime() const
{
    std::lock_guard lock(mutex_);
    return std::chrono::duration_cast<std::chrono::nanoseconds>(answering_);
}

std::uint32_t RegulatorServer::registerBits(int reg) const
{
    std::lock_guard lock(mutex_);
    return board_.bank.bits(reg);
}

void RegulatorServer::setRegisterBits(int reg, std::uint32_t bits)
{
    std::lock_guard lock(mutex_);
    board_.bank.setBits(reg, bits);
}

void RegulatorServer::setStatusNumbers(std::uint32_t first, std::uint32_t second)
{
    std::lock_guard lock(mutex_);
    board_.alarmEvents = first;
    board_.commandErrors = second;
}

std::map<std::uint32_t, std::uint16_t> RegulatorServer::flashWords() const
{
    std::lock_guard lock(mutex_);
    return board_.loader.flash();
}

bool RegulatorServer::inBootLoader() const
{
    std::lock_guard lock(mutex_);
    return board_.inBootLoader;
}

bool RegulatorServer::streaming() const
{
    std::lock_guard lock(mutex_);
    return board_.streamFormat != 0 && !board_.inBootLoader;
}

}  // namespace sim
