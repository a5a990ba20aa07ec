#include "params/register_io_serial.h"

#include "link/serial_manager.h"

int SerialRegisterIo::writeRegister(int reg, float value, bool hex) {
    return link_.writeRegister(reg, value, hex);
}

int SerialRegisterIo::writeRegisterUnsigned(int reg, std::uint32_t value) {
    return link_.writeRegisterUnsigned(reg, value);
}

int SerialRegisterIo::readRegister(int reg, float& out, bool hex) {
    return link_.readRegister(reg, out, hex);
}

int SerialRegisterIo::readRegisterUnsigned(int reg, std::uint32_t& out) {
    return link_.readRegisterUnsigned(reg, out);
}
