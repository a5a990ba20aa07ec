// The transfer's host for benchmarks: the link's state, the connection mode
// kept, no messages shown.
#pragma once

#include <string>
#include <utility>

#include "link/serial_manager.h"
#include "params/register_transfer.h"

class QuietHost : public TransferHost {
public:
    explicit QuietHost(SerialManager& link) : link_(link) {}
    bool isLinkOpen() const override { return link_.isOpen(); }
    int setConnectionMode(int mode) override { return std::exchange(mode_, mode); }
    void showMessage(const std::string&) override {}

private:
    SerialManager& link_;
    int mode_ = 1;
};
