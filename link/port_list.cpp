#include "link/port_list.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <system_error>
#include <tuple>

namespace fs = std::filesystem;

namespace {

constexpr std::size_t kDescriptionLimit = 100;

std::string readAttribute(const fs::path& file) {
    std::ifstream in(file);
    std::string text;
    if (!in || !std::getline(in, text))
        return {};
    while (!text.empty() && (text.back() == ' ' || text.back() == '\r' || text.back() == '\t'))
        text.pop_back();
    // Keep the entry one printable line, whatever the device reports.
    std::string clean;
    for (char c : text)
        if (static_cast<unsigned char>(c) >= 0x20 && static_cast<unsigned char>(c) < 0x7F)
            clean += c;
    if (clean.size() > kDescriptionLimit)
        clean.resize(kDescriptionLimit);
    return clean;
}

// On-board ttyS entries exist for every possible UART; only those with a
// port behind them count: a known UART type, or a non-platform bus (PNP,
// PCI) when the type is not reported.
bool isRealOnBoardPort(const fs::path& ttyDir) {
    std::error_code ec;
    if (fs::exists(ttyDir / "type", ec)) {
        const std::string type = readAttribute(ttyDir / "type");
        return !type.empty() && type != "0";
    }
    const fs::path subsystem = fs::read_symlink(ttyDir / "device" / "subsystem", ec);
    return ec || subsystem.filename() != "platform";
}

// The USB device's product text (its manufacturer when it has none),
// looked for in the few directories above the tty's device.
std::string usbDescription(const fs::path& ttyDir) {
    std::error_code ec;
    fs::path dir = fs::canonical(ttyDir / "device", ec);
    if (ec)
        return {};
    for (int level = 0; level < 4 && !dir.empty(); ++level, dir = dir.parent_path()) {
        const std::string product = readAttribute(dir / "product");
        if (!product.empty())
            return product;
        const std::string manufacturer = readAttribute(dir / "manufacturer");
        if (!manufacturer.empty())
            return manufacturer;
        if (dir == dir.parent_path())
            break;
    }
    return {};
}

// Sort key: ttyS first, then by prefix, then by number (ttyUSB2 < ttyUSB10).
std::tuple<int, std::string, unsigned long, std::string> naturalKey(const std::string& name) {
    std::size_t digits = name.size();
    while (digits > 0 && name[digits - 1] >= '0' && name[digits - 1] <= '9')
        --digits;
    const std::string prefix = name.substr(0, digits);
    unsigned long number = 0;
    if (digits < name.size() && name.size() - digits < 10)
        number = std::stoul(name.substr(digits));
    return {prefix == "ttyS" ? 0 : 1, prefix, number, name};
}

bool isUsbName(const std::string& name) {
    return name.rfind("ttyUSB", 0) == 0 || name.rfind("ttyACM", 0) == 0;
}

}  // namespace

std::vector<std::string> listPorts(const PortListRoots& roots) {
    std::vector<std::string> names;
    std::error_code ec;
    const fs::path ttyRoot = fs::path(roots.sysfs) / "class" / "tty";
    for (fs::directory_iterator it(ttyRoot, ec), end; !ec && it != end; it.increment(ec)) {
        const fs::path dir = it->path();
        const std::string name = dir.filename().string();
        std::error_code exists;
        if (!fs::exists(dir / "device", exists))
            continue;   // virtual terminals and pseudo-terminals have no device
        if (name.rfind("ttyS", 0) == 0 && !isRealOnBoardPort(dir))
            continue;
        names.push_back(name);
    }
    std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
        return naturalKey(a) < naturalKey(b);
    });

    std::vector<std::string> ports;
    for (const std::string& name : names) {
        std::string entry = (fs::path(roots.dev) / name).string();
        if (isUsbName(name)) {
            const std::string description = usbDescription(ttyRoot / name);
            if (!description.empty())
                entry += " * " + description;
        }
        ports.push_back(entry);
    }

    std::vector<std::string> stable;
    const fs::path byId = fs::path(roots.dev) / "serial" / "by-id";
    for (fs::directory_iterator it(byId, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string path = it->path().string();
        if (path.find_first_of(" *") == std::string::npos)   // must survive chosenPortName
            stable.push_back(path);
    }
    std::sort(stable.begin(), stable.end());
    ports.insert(ports.end(), stable.begin(), stable.end());
    return ports;
}

int enumeratePort(int index, char* buffer, std::size_t size, const PortListRoots& roots) {
    if (index < 0 || buffer == nullptr)
        return -1;
    const std::vector<std::string> ports = listPorts(roots);
    if (static_cast<std::size_t>(index) >= ports.size())
        return -1;
    const std::string& entry = ports[static_cast<std::size_t>(index)];
    if (entry.size() + 1 > size)
        return -1;
    std::memcpy(buffer, entry.c_str(), entry.size() + 1);
    return 0;
}

std::string chosenPortName(std::string_view text) {
    return std::string(text.substr(0, text.find_first_of(" *")));
}

int baudRateIndex(std::uint32_t rate) {
    const auto it = std::find(kBaudRates.begin(), kBaudRates.end(), rate);
    return it == kBaudRates.end() ? -1 : static_cast<int>(it - kBaudRates.begin());
}
