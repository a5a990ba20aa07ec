// Faults on demand: each armed with a count of commands (runtime lines for
// StreamStops) it still applies to, -1 meaning until cleared, plus faults
// bound to the access of one register.
#pragma once

#include <map>
#include <string>

#include "sim/virtual_regulator.h"

namespace sim {

class FaultPlan {
public:
    void set(Fault fault, int count);
    void atRegister(int reg, Fault fault) { byRegister_[reg] = fault; }
    void clear();

    bool active(Fault fault) const;
    // Uses one count of the fault if it is armed; true when it applies.
    bool take(Fault fault);
    // The fault bound to a register (Fault::None if none). Vanish fires once.
    Fault forRegister(int reg);

private:
    std::map<Fault, int> counts_;
    std::map<int, Fault> byRegister_;
};

// The register a firmware command line accesses ("$R12?", "$RN3=..."), or -1.
int registerOfCommand(const std::string& line);

// Mixes control characters and bytes 0x80..0xFF into a line (before its
// terminator), which a receiver that drops them reads unchanged.
std::string garble(const std::string& line, unsigned& seed);

// The 1100-character line of the OverlongLine fault.
std::string overlongLine();

}  // namespace sim
