// The master side of a pseudo-terminal pair, with an optional stable
// symlink to the slave side. The master is non-blocking and the slave starts
// in raw mode, so a client that never configures the line still sees the
// bytes unchanged.
#pragma once

#include <string>

namespace sim {

class PtyEndpoint {
public:
    PtyEndpoint() = default;
    ~PtyEndpoint();
    PtyEndpoint(const PtyEndpoint&) = delete;
    PtyEndpoint& operator=(const PtyEndpoint&) = delete;

    // Opens a new pair; linkPath "" means no symlink. A stale symlink (or
    // other non-directory file) at linkPath is replaced.
    bool open(const std::string& linkPath, std::string* error);
    // Closes the master (the client sees a hang-up) and removes the symlink.
    void close();

    bool isOpen() const { return master_ >= 0; }
    int masterFd() const { return master_; }
    const std::string& slaveName() const { return slaveName_; }
    // The port a client should open: the symlink if any, else the slave name.
    const std::string& portPath() const;

    // Discards what the slave side has received but not read, as a real
    // port loses its input when it is closed. Best effort; false when the
    // slave is still locked exclusive (TIOCEXCL) by a client that closed it:
    // a pseudo-terminal keeps that lock while its master lives, so only a
    // privileged process could open it again.
    bool discardSlaveInput();
    void swap(PtyEndpoint& other);

private:
    int master_ = -1;
    std::string slaveName_;
    std::string linkPath_;
};

}  // namespace sim
