// RegisterIo over the program's SerialManager.
#pragma once

#include "params/register_transfer.h"

class SerialManager;

class SerialRegisterIo : public RegisterIo {
public:
    explicit SerialRegisterIo(SerialManager& link) : link_(link) {}

    int writeRegister(int reg, float value, bool hex) override;
    int writeRegisterUnsigned(int reg, std::uint32_t value) override;
    int readRegister(int reg, float& out, bool hex) override;
    int readRegisterUnsigned(int reg, std::uint32_t& out) override;

private:
    SerialManager& link_;
};
