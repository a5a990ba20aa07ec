// The list of serial ports present on this machine, and the baud rates the
// setup offers. Ports come from sysfs: every /sys/class/tty/NAME with a
// device behind it, as "/dev/NAME", USB adapters followed by their product
// text ("/dev/ttyUSB0 * FT232R USB UART"), then the stable
// /dev/serial/by-id names.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// The fifteen rates offered for SPEED and BOOTSPEED, in this order.
inline constexpr std::array<std::uint32_t, 15> kBaudRates = {
    110, 300, 600, 1200, 2400, 4800, 9600, 14400, 19200,
    38400, 56000, 57600, 115200, 128000, 256000};

// Where the lists are read from; tests point these at a fake tree.
struct PortListRoots {
    std::string sysfs = "/sys";   // holds class/tty/*
    std::string dev = "/dev";     // holds serial/by-id/* and the device nodes
};

// The port entries in a stable order: on-board ports (ttyS*), then USB and
// other ports, each group in natural order (ttyUSB2 before ttyUSB10), then
// the by-id names sorted by name.
std::vector<std::string> listPorts(const PortListRoots& roots = {});

// 0 and entry number `index` in buffer when it exists and fits into `size`
// bytes with its NUL; -1 otherwise. Each call reads the list afresh.
int enumeratePort(int index, char* buffer, std::size_t size,
                  const PortListRoots& roots = {});

// The port name of a list entry: its text up to the first " " or "*".
std::string chosenPortName(std::string_view text);

// Index of `rate` in kBaudRates, or -1.
int baudRateIndex(std::uint32_t rate);
