// The live board: thermal plant, regulator, two fans and the status word,
// advanced one regulator sample at a time, and the runtime record they give.
#pragma once

#include <cstdint>

#include "sim/fan_control.h"
#include "sim/regulator.h"
#include "sim/runtime_record.h"
#include "sim/thermal_plant.h"

namespace sim {

class RegisterBank;

class BoardModel {
public:
    static constexpr double kStartupDelaySeconds = 3.0;

    explicit BoardModel(PlantParams plant = {});
    // Another load (keeps the regulator's state; the load starts at its room temperature).
    void setPlant(const PlantParams& plant);
    // Power-on or reboot: start-up delay again, regulator state cleared,
    // running when the Autostart bit (0x80) of the regulator flags is set.
    // The plant keeps its temperatures: the hardware does not cool down.
    void boot(const RegisterBank& bank);
    void start() { running_ = true; }   // "$W"
    void stop() { running_ = false; }   // "$Q"
    bool running() const { return running_; }

    void step(const RegisterBank& bank, double dt);
    const RuntimeRecord& record() const { return record_; }
    std::uint32_t status() const { return record_.g_error; }
    double secondsSinceBoot() const { return sinceBoot_; }

private:
    void measure(const RegisterBank& bank);
    void buildRecord(const RegisterBank& bank);

    ThermalPlant plant_;
    Regulator regulator_;
    FanControl fan1_{1};
    FanControl fan2_{2};
    RuntimeRecord record_;
    bool running_ = false;
    double sinceBoot_ = 0;
    std::uint32_t sampleCount_ = 0;
    float readings_[4] = {0, 0, 0, 0};
    bool missing_[4] = {false, false, false, false};
};

}  // namespace sim
