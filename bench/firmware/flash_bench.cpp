// Flashing a 32 KiB image through the virtual regulator's boot loader paced
// to 115200 baud, without and with reading it back, next to the time the
// bytes of both sides need on the wire.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <unistd.h>

#include "firmware/firmware_file.h"
#include "firmware/firmware_loader.h"
#include "firmware/serial_boot_loader_link.h"
#include "sim/virtual_regulator.h"
#include "wire_count.h"

namespace {

constexpr std::uint32_t kImageStart = 0x000300;
constexpr std::uint32_t kImageBytes = 32 * 1024;

std::string hexLine(std::uint32_t type, std::uint32_t address, const std::uint8_t* data, int n) {
    char field[4];
    std::uint32_t sum = static_cast<std::uint32_t>(n) + (address >> 8) + (address & 0xFF) + type;
    std::string line = ":";
    auto add = [&](std::uint32_t b) {
        std::snprintf(field, sizeof field, "%02X", static_cast<unsigned>(b & 0xFF));
        line += field;
    };
    add(static_cast<std::uint32_t>(n));
    add(address >> 8);
    add(address);
    add(type);
    for (int i = 0; i < n; ++i) {
        add(data[i]);
        sum += data[i];
    }
    add(256 - (sum & 0xFF));
    return line + "\n";
}

// Writes the image file; returns its path.
std::string writeImage() {
    char path[] = "/tmp/tq_flash_bench_XXXXXX.hex";
    const int fd = mkstemps(path, 4);
    if (fd < 0)
        return {};
    close(fd);
    std::ofstream out(path);
    const std::uint8_t upper[2] = {0, 0};
    out << hexLine(4, 0, upper, 2);
    std::uint8_t data[16];
    for (std::uint32_t offset = 0; offset < kImageBytes; offset += 16) {
        for (int i = 0; i < 16; ++i)
            data[i] = static_cast<std::uint8_t>((offset + static_cast<std::uint32_t>(i)) * 13);
        out << hexLine(0, (kImageStart + offset) & 0xFFFF, data, 16);
    }
    out << hexLine(1, 0, nullptr, 0);
    return path;
}

// BootLoaderLink over the link that tallies what travels.
class CountingBootLoader : public BootLoaderLink {
public:
    CountingBootLoader(SerialManager& link, wire::Tally& tally) : link_(link), serial_(link), tally_(tally) {}
    int transact(const std::string& command, bool expectData, int lines, bool echo) override {
        tally_.command(command);
        return serial_.transact(command, expectData, lines, echo);
    }
    int enterBootLoader() override {
        tally_.command("$B\r\n");
        const int r = serial_.enterBootLoader();
        for (int i = 1; i <= 4; ++i)
            tally_.dataLine(link_.replySlot(i));
        return r;
    }
    int identify(std::uint32_t& id, bool& locked, char& r1, char& r2) override {
        tally_.command("i\n\r");
        const int r = serial_.identify(id, locked, r1, r2);
        tally_.dataLine(link_.replySlot(1));
        tally_.dataLine(link_.replySlot(2));
        return r;
    }
    int setAddress(std::uint32_t address) override {
        tally_.command(SerialManager::setAddressCommand(address));
        const int r = serial_.setAddress(address);
        tally_.dataLine(link_.replySlot(1));
        return r;
    }
    int writeData(const std::uint8_t* bytes, int count, bool swap, std::uint32_t& reply) override {
        tally_.command(SerialManager::writeDataCommand(bytes, count, swap));
        const int r = serial_.writeData(bytes, count, swap, reply);
        tally_.dataLine(link_.replySlot(1));
        return r;
    }
    int readData(std::uint32_t& address, std::array<std::uint32_t, 8>& words) override {
        tally_.command("d01\n\r");
        const int r = serial_.readData(address, words);
        tally_.dataLine(link_.replySlot(1));
        return r;
    }
    int runUserProgram() override {
        tally_.command("g\n\r");
        return serial_.runUserProgram();
    }

private:
    SerialManager& link_;
    SerialBootLoaderLink serial_;
    wire::Tally& tally_;
};

// Arguments: verify after writing (1) or not (0); the boot loader's "d01"
// moves its address on (0) or keeps it (1).
void BM_Flash32KiB(benchmark::State& state) {
    const bool verify = state.range(0) != 0;
    sim::SimOptions options;
    options.baud = 115200;
    options.readBackAdvances = state.range(1) == 0;
    sim::VirtualRegulator sim(options);
    SerialManager link;
    const std::string path = writeImage();
    if (path.empty() || !sim.start(nullptr) || link.open(sim.slavePath(), 115200) != Ok) {
        state.SkipWithError("set-up failed");
        return;
    }
    wire::Tally tally;
    double seconds = 0;
    for (auto _ : state) {
        IntelHexFile reader;
        const FirmwareFileCheck check = checkFirmwareFile(reader, path);
        wire::Tally once;
        CountingBootLoader counting(link, once);
        FirmwareLoader loader(counting);
        const auto t0 = std::chrono::steady_clock::now();
        loader.boardId();
        const DownloadOutcome outcome = loader.download(reader, check.valid, verify);
        seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
        if (outcome != DownloadOutcome::Written) {
            state.SkipWithError("download failed");
            break;
        }
        tally = once;
    }
    link.close();
    sim.stop();
    std::remove(path.c_str());
    if (state.iterations() > 0)
        wire::report(state, tally, seconds / static_cast<double>(state.iterations()));
}

}  // namespace

BENCHMARK(BM_Flash32KiB)
    ->ArgNames({"verify", "fixed"})
    ->Args({0, 0})
    ->Args({1, 0})
    ->Args({1, 1})
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

BENCHMARK_MAIN();
