#include "link/port_detail.h"

#include <filesystem>
#include <fstream>
#include <system_error>

namespace fs = std::filesystem;

namespace {

std::optional<int> readNumber(const fs::path& file) {
    std::ifstream in(file);
    long value = 0;
    if (!(in >> value) || value < 0 || value > 100000)
        return std::nullopt;
    return static_cast<int>(value);
}

// The device's name under /dev: a by-id link is followed inside the dev
// root, so a copied tree resolves as the real one does.
std::string deviceName(const std::string& name, const PortListRoots& roots) {
    std::error_code ec;
    fs::path path(name);
    for (int hop = 0; hop < 8 && fs::is_symlink(path, ec); ++hop) {
        const fs::path target = fs::read_symlink(path, ec);
        if (ec)
            break;
        path = target.is_absolute() ? target : path.parent_path() / target;
    }
    const fs::path clean = path.lexically_normal();
    const fs::path dev = fs::path(roots.dev).lexically_normal();
    const fs::path relative = clean.lexically_relative(dev);
    if (relative.empty() || *relative.begin() == "..")
        return clean.filename().string();
    return relative.filename().string();
}

}  // namespace

PortDetail portDetail(std::string_view port, const PortListRoots& roots) {
    PortDetail detail;
    const std::string name = chosenPortName(port);
    if (name.empty())
        return detail;
    const std::string device = deviceName(name, roots);
    const fs::path ttyDir = fs::path(roots.sysfs) / "class" / "tty" / device;
    std::error_code ec;
    if (device.empty() || !fs::exists(ttyDir / "device", ec))
        return detail;
    detail.device = device;
    // Newer kernels put "serial-base" port and controller devices between
    // the tty and the UART's own device: the driver is the first one above
    // them.
    fs::path dir = ttyDir / "device";
    for (int level = 0; level < 4; ++level, dir /= "..") {
        const fs::path driver = fs::read_symlink(dir / "driver", ec);
        if (ec)
            break;
        if (driver.string().find("/serial-base/") == std::string::npos) {
            detail.driver = driver.filename().string();
            break;
        }
    }
    detail.latencyTimerMs = readNumber(ttyDir / "device" / "latency_timer");
    return detail;
}

std::string portDetailText(const PortDetail& detail) {
    if (detail.device.empty())
        return "no serial device behind this name";
    std::string text = "driver " + (detail.driver.empty() ? std::string("unknown") : detail.driver);
    if (detail.latencyTimerMs)
        text += ", latency timer " + std::to_string(*detail.latencyTimerMs) + " ms";
    text += " (low latency asked for on open)";
    return text;
}
