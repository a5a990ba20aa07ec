// The connection of tqctl around a transfer: no runtime stream runs, so a
// mode change only notes the mode; messages go to the terminal.
#pragma once

#include <cstdio>
#include <string>

#include "link/serial_manager.h"
#include "params/register_transfer.h"

namespace tqctl {

class ToolTransferHost : public TransferHost {
public:
    explicit ToolTransferHost(SerialManager& link) : link_(link) {}
    bool isLinkOpen() const override { return link_.isOpen(); }
    int setConnectionMode(int mode) override {
        const int old = mode_;
        mode_ = mode;
        return old;
    }
    void showMessage(const std::string& text) override {
        std::printf(" %s\n", text.c_str());
        std::fflush(stdout);
    }

private:
    SerialManager& link_;
    int mode_ = 0;
};

}  // namespace tqctl
