// ports: the serial ports present on this machine (and the offered rates).
#include <cstdio>
#include <string>
#include <vector>

#include "command.h"
#include "link/port_detail.h"
#include "link/port_list.h"

namespace tqctl {
namespace {

int runPorts(Context& ctx, const std::vector<std::string>& args);

const Command kPorts{"ports", "ports [--rates] [--detail]",
                     "list the serial ports present (--rates: and the bit rates offered; "
                     "--detail: each port's driver and latency timer)",
                     runPorts};

int runPorts(Context&, const std::vector<std::string>& args) {
    bool rates = false;
    bool detail = false;
    PortListRoots roots;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--rates") {
            rates = true;
        } else if (args[i] == "--detail") {
            detail = true;
        } else if ((args[i] == "--sysfs" || args[i] == "--dev") && i + 1 < args.size()) {
            // Other roots, for trying the listing on a copied tree.
            (args[i] == "--sysfs" ? roots.sysfs : roots.dev) = args[i + 1];
            ++i;
        } else {
            return usageError(kPorts, "unexpected argument " + args[i]);
        }
    }
    const std::vector<std::string> ports = listPorts(roots);
    if (ports.empty())
        std::fprintf(stderr, "no serial ports found\n");
    for (const std::string& port : ports) {
        if (detail)
            std::printf("%s\t%s\n", port.c_str(), portDetailText(portDetail(port, roots)).c_str());
        else
            std::printf("%s\n", port.c_str());
    }
    if (rates)
        for (std::uint32_t rate : kBaudRates)
            std::printf("%u\n", static_cast<unsigned>(rate));
    return 0;
}

const Registrar registerPorts(kPorts);

}  // namespace
}  // namespace tqctl
