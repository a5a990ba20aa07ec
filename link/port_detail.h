// What sysfs tells about a serial port without opening it: the kernel
// driver behind it and, for adapters that hold received bytes before
// passing them on (FTDI and kin), that latency timer in milliseconds.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "link/port_list.h"

struct PortDetail {
    std::string device;                   // "ttyUSB0"; empty when the name leads to no tty
    std::string driver;                   // "ftdi_sio", "serial", "cdc_acm"; empty when unknown
    std::optional<int> latencyTimerMs;    // the adapter's hold time, when it reports one
};

// `port` is a device path or a /dev/serial/by-id name (a list entry is cut
// to its name first).
PortDetail portDetail(std::string_view port, const PortListRoots& roots = {});

// "driver ftdi_sio, latency timer 16 ms (low latency asked for on open)".
std::string portDetailText(const PortDetail& detail);
