// The parameter transfer's view of the link and of the connection.
#pragma once

#include "app/connection_manager.h"
#include "params/register_io_serial.h"
#include "params/register_transfer.h"

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
