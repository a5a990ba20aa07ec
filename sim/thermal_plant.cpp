#include "sim/thermal_plant.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace sim {

namespace {

constexpr double kSeebeck = 0.05;        // V/K of the module
constexpr double kConductance = 0.6;     // W/K through the module
constexpr double kPlateCapacity = 120;   // J/K
constexpr double kPlateLoss = 0.25;      // W/K plate to room
constexpr double kSinkCapacity = 600;    // J/K
constexpr double kSinkStill = 2.0;       // W/K heat sink to room, fans off
constexpr double kSinkFan = 6.0;         // W/K added at full airflow
constexpr double kFetRise = 0.4;         // K per A above the heat sink
constexpr double kFetTau = 8.0;          // s
constexpr double kKelvin = 273.15;

}  // namespace

void ThermalPlant::reset(double ambient)
{
    t_ = PlantTemperatures{ambient, ambient, ambient, ambient};
    current_ = 0.0;
    vin_ = kSupplyVoltage;
    time_ = 0.0;
}

void ThermalPlant::step(double outputPercent, double airflow, double dt)
{
    if (!(dt > 0))
        return;
    // Sub-steps keep the explicit integration stable for long dt.
    const int steps = std::max(1, static_cast<int>(std::ceil(dt / 0.05)));
    const double h = dt / steps;
    const double out = std::clamp(outputPercent, -100.0, 100.0) / 100.0;
    airflow = std::clamp(airflow, 0.0, 1.0);
    for (int i = 0; i < steps; ++i) {
        time_ += h;
        // The room drifts slowly by a few tenths of a degree.
        t_.ambient = 22.0 + 0.4 * std::sin(2 * std::numbers::pi * time_ / 900.0);
        current_ = out * vin_ / kModuleResistance;
        vin_ = kSupplyVoltage - kSupplyResistance * std::fabs(current_);
        const double cooling = -current_;  // current that pumps heat out of the plate
        const double joule = 0.5 * current_ * current_ * kModuleResistance;
        const double through = kConductance * (t_.sink - t_.plate);
        const double qPlate = -kSeebeck * cooling * (t_.plate + kKelvin) + joule + through
                              + kPlateLoss * (t_.ambient - t_.plate);
        const double qSink = kSeebeck * cooling * (t_.sink + kKelvin) + joule - through
                             + (kSinkStill + kSinkFan * airflow) * (t_.ambient - t_.sink);
        t_.plate += qPlate / kPlateCapacity * h;
        t_.sink += qSink / kSinkCapacity * h;
        const double fetTarget = t_.sink + kFetRise * std::fabs(current_);
        t_.fet += (fetTarget - t_.fet) * std::min(1.0, h / kFetTau);
    }
}

}  // namespace sim
