// The local serial device: termios2 line settings, exclusive use, DTR and
// RTS held off.
#pragma once

#include "link/transport.h"

class TtyTransport : public Transport {
public:
    ~TtyTransport() override { close(); }
    int open(std::string_view name, std::uint32_t baud, int parity, int dataBits,
             std::string& error) override;
    void close() override;
    std::string name() const override { return path_; }
    int fd() const override { return fd_; }
    long read(unsigned char* buffer, std::size_t size) override;
    long write(const char* data, std::size_t length) override;
    bool writesFromAnyThread() const override { return true; }
    bool readModemLines(int& lines) override;
    std::string goneReason() const override { return goneReason_; }

private:
    int fd_ = -1;
    std::string path_;
    std::string goneReason_;
};
