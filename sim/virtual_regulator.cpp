#include "sim/virtual_regulator.h"

#include "sim/regulator_server.h"

namespace sim {

struct VirtualRegulator::Impl {
    explicit Impl(SimOptions options) : server(std::move(options)) {}
    RegulatorServer server;
};

VirtualRegulator::VirtualRegulator(SimOptions options)
    : impl_(std::make_unique<Impl>(std::move(options)))
{
}

VirtualRegulator::~VirtualRegulator() = default;

bool VirtualRegulator::start(std::string* error) { return impl_->server.start(error); }
void VirtualRegulator::stop() { impl_->server.stop(); }
const std::string& VirtualRegulator::slavePath() const { return impl_->server.portPath(); }

void VirtualRegulator::setFault(Fault fault, int count) { impl_->server.setFault(fault, count); }
void VirtualRegulator::failAtRegister(int reg, Fault fault) { impl_->server.failAtRegister(reg, fault); }
void VirtualRegulator::clearFaults() { impl_->server.clearFaults(); }
void VirtualRegulator::setBadFlashWord(std::uint32_t address)
{
    impl_->server.setBadFlashWord(address);
}
void VirtualRegulator::vanish() { impl_->server.vanish(); }
bool VirtualRegulator::reappear(std::string* error) { return impl_->server.reappear(error); }

std::vector<std::string> VirtualRegulator::receivedCommands() const
{
    return impl_->server.receivedCommands();
}
void VirtualRegulator::clearReceived() { impl_->server.clearReceived(); }
std::chrono::nanoseconds VirtualRegulator::answeringTime() const { return impl_->server.answeringTime(); }
std::uint32_t VirtualRegulator::registerBits(int reg) const { return impl_->server.registerBits(reg); }
void VirtualRegulator::setRegisterBits(int reg, std::uint32_t bits)
{
    impl_->server.setRegisterBits(reg, bits);
}
void VirtualRegulator::setStatusNumbers(std::uint32_t first, std::uint32_t second)
{
    impl_->server.setStatusNumbers(first, second);
}
std::map<std::uint32_t, std::uint16_t> VirtualRegulator::flashWords() const
{
    return impl_->server.flashWords();
}
bool VirtualRegulator::inBootLoader() const { return impl_->server.inBootLoader(); }
bool VirtualRegulator::streaming() const { return impl_->server.streaming(); }

}  // namespace sim
