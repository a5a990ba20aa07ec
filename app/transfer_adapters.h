// The parameter transfer's view of the link and of the connection.
#pragma once

#include "app/connection_manager.h"
#include "link/serial_manager.h"
#include "params/register_transfer.h"

class LinkRegisterIo : public RegisterIo {
public:
    explicit LinkRegisterIo(SerialManager& link) : link_(link) {}
    int writeRegister(int reg, float value, bool hex) override { return link_.writeRegister(reg, value, hex); }
    int writeRegisterUnsigned(int reg, std::uint32_t value) override {
        return link_.writeRegisterUnsigned(reg, value);
    }
    int readRegister(int reg, float& out, bool hex) override { return link_.readRegister(reg, out, hex); }
    int readRegisterUnsigned(int reg, std::uint32_t& out) override {
        return link_.readRegisterUnsigned(reg, out);
    }

private:
    SerialManager& link_;
};

class ConnectionTransferHost : public TransferHost {
public:
    explicit ConnectionTransferHost(ConnectionManager& connection) : connection_(connection) {}
    bool isLinkOpen() const override { return connection_.isPortOpen(); }
    int setConnectionMode(int mode) override { return connection_.setConnectionMode(mode, true); }
    void showMessage(const std::string& text) override {
        connection_.showMessage(QString::fromStdString(text));
    }

private:
    ConnectionManager& connection_;
};
