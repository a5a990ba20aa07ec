// The virtual regulator with a SerialManager connected to it over its
// pseudo-terminal, for the end-to-end tests and the benchmarks.
#pragma once

#include <string>
#include <vector>

#include "link/serial_manager.h"
#include "sim/virtual_regulator.h"

class SimLink {
public:
    explicit SimLink(sim::SimOptions options = {});
    ~SimLink();

    // Empty when the regulator runs and the port is open; else the reason.
    const std::string& error() const { return error_; }
    sim::VirtualRegulator& sim() { return sim_; }
    SerialManager& link() { return link_; }

    // Commands received since the last clear that begin with `prefix`.
    std::vector<std::string> commands(const std::string& prefix = "") const;

private:
    sim::VirtualRegulator sim_;
    SerialManager link_;
    std::string error_;
};
