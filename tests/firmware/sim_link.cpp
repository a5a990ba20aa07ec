#include "sim_link.h"

SimLink::SimLink(sim::SimOptions options) : sim_(std::move(options)) {
    if (!sim_.start(&error_)) {
        if (error_.empty())
            error_ = "the virtual regulator did not start";
        return;
    }
    const int result = link_.open(sim_.slavePath(), 115200);
    if (result != Ok)
        error_ = std::string("open: ") + resultText(result);
}

SimLink::~SimLink() {
    link_.close();
    sim_.stop();
}

std::vector<std::string> SimLink::commands(const std::string& prefix) const {
    std::vector<std::string> out;
    for (const std::string& line : sim_.receivedCommands())
        if (line.rfind(prefix, 0) == 0)
            out.push_back(line);
    return out;
}
