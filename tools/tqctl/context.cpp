#include <cstdio>
#include <cstdlib>

#include "command.h"
#include "link/serial_manager.h"
#include "sim/virtual_regulator.h"

namespace tqctl {

namespace {

constexpr std::uint32_t kDefaultBaud = 115200;   // SPEED default
constexpr const char* kDefaultPort = "COM1";     // PORT default: /dev/ttyS0

}  // namespace

int fileError(const std::string& message) {
    std::fprintf(stderr, "%s\n", message.c_str());
    return kExitFileError;
}

Context::Context(GlobalOptions options)
    : options_(std::move(options)), link_(std::make_unique<SerialManager>()) {}

Context::~Context() {
    // A port that went away during the command: say why (the device hung
    // up, the server closed the connection).
    if (link_ && !link_->lostReason().empty())
        std::fprintf(stderr, "tqctl: %s\n", link_->lostReason().c_str());
    closeLink();
    link_.reset();
    if (sim_)
        sim_->stop();
}

int Context::openLink() {
    if (options_.simulate && !sim_) {
        sim::SimOptions simOptions;
        simOptions.demo = options_.demo;
        simOptions.speed = options_.simSpeed;
        // main() checked the plant options already.
        sim::plantFromOptions(options_.plant, options_.plantParams, simOptions.plant);
        sim_ = std::make_unique<sim::VirtualRegulator>(simOptions);
        std::string error;
        if (!sim_->start(&error)) {
            std::fprintf(stderr, "tqctl: the virtual regulator did not start: %s\n",
                         error.c_str());
            sim_.reset();
            std::fprintf(stderr, "Error when trying to open the serial port - error %d [%s]\n",
                         CmdOpenError, resultText(CmdOpenError));
            return CmdOpenError;
        }
    }
    const int result = link_->open(portPath(), baudRate());
    if (result != Ok) {
        std::fprintf(stderr, "Error when trying to open the serial port - error %d [%s]\n",
                     result, resultText(result));
        const std::string detail = link_->openErrorDetail();
        if (!detail.empty())
            std::fprintf(stderr, "%s\n", detail.c_str());
        std::fprintf(stderr, "tqctl: port %s at %u\n", portPath().c_str(),
                     static_cast<unsigned>(baudRate()));
    }
    return result;
}

std::string Context::idleSimulationNote(const char* command) const {
    if (!options_.simulate || options_.demo)
        return {};
    // Scripts and tests rely on --simulate being a board as after power-on,
    // so it stays idle; the note keeps a person from waiting for a change.
    return std::string("tqctl: the virtual regulator of --simulate is a board after power-on: stopped,\n"
                       "its registers at their defaults, so the values stay where they are. --demo\n"
                       "starts it regulating (PID, cooling toward St1 = 10 \xC2\xB0" "C): tqctl --demo ") +
           command + "\n";
}

int Context::reopenLink(std::uint32_t baud) {
    link_->close();
    options_.baud = baud;
    return openLink();
}

void Context::closeLink() {
    if (link_)
        link_->close();
}

SerialManager& Context::link() { return *link_; }

sim::VirtualRegulator* Context::simulator() { return sim_.get(); }

std::string Context::portPath() const {
    if (sim_)
        return sim_->slavePath();
    if (!options_.port.empty())
        return portDevicePath(options_.port);
    const char* configured = std::getenv("TQ_PORT");
    return portDevicePath(configured != nullptr && *configured != '\0' ? configured
                                                                       : kDefaultPort);
}

std::uint32_t Context::baudRate() const {
    return options_.baud != 0 ? options_.baud : kDefaultBaud;
}

}  // namespace tqctl
