// The "tq_setup.ini" reader: any text parses, lookups answer, and what is
// written reads back to the same store.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include <sys/mman.h>
#include <unistd.h>

#include "app/ini_file.h"

namespace {

// The input as a file, without touching the disk.
int inputFd() {
    static const int fd = memfd_create("fuzz-ini", 0);
    if (fd < 0)
        __builtin_trap();
    return fd;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    IniFile ini;
    ini.readText(std::string_view(reinterpret_cast<const char*>(data), size));
    (void)ini.getValue("Sensor0", "Name");
    (void)ini.getValueI("Sensor0", "SensorMode");
    (void)ini.getValueI("Sensor0", "PotGain");
    (void)ini.getValueF("Sensor0", "Data0");
    (void)ini.getValue("", "");

    // The file reader, which reads in blocks, takes the same lines.
    if (ftruncate(inputFd(), 0) != 0 ||
        pwrite(inputFd(), data, size, 0) != static_cast<ssize_t>(size))
        __builtin_trap();
    IniFile file("/proc/self/fd/" + std::to_string(inputFd()));
    if (!file.readFile() || file.text() != ini.text())
        __builtin_trap();

    // Written text reads back to the same store. (A value that ends in a
    // carriage return loses it: the reader takes CR LF as a line end.)
    const std::string text = ini.text();
    IniFile again;
    again.readText(text);
    if (text.find("\r\n") == std::string::npos && again.text() != text)
        __builtin_trap();
    return 0;
}
