#include "sim/thermal_plant.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace sim {

namespace {

constexpr double kFetRise = 0.4;         // K per A above the heat sink
constexpr double kFetTau = 8.0;          // s
constexpr double kKelvin = 273.15;
constexpr double kSubStep = 0.05;        // s

}  // namespace

ThermalPlant::ThermalPlant(PlantParams params) : p_(params)
{
    reset();
}

void ThermalPlant::reset()
{
    const double a = p_.ambient;
    t_ = PlantTemperatures{a, a, a, a};
    current_ = 0.0;
    vin_ = kSupplyVoltage;
    time_ = 0.0;
    sensed_ = a;
    noise_ = 0.0;
    delayed_.clear();
}

void ThermalPlant::step(double outputPercent, double airflow, double dt)
{
    if (!(dt > 0))
        return;
    // Sub-steps keep the explicit integration stable for long dt.
    const int steps = std::max(1, static_cast<int>(std::ceil(dt / kSubStep)));
    const double h = dt / steps;
    const std::size_t lag = static_cast<std::size_t>(std::lround(p_.delay / h));
    airflow = std::clamp(airflow, 0.0, 1.0);
    for (int i = 0; i < steps; ++i) {
        double out = std::clamp(outputPercent, -100.0, 100.0) / 100.0;
        if (lag > 0) {
            delayed_.push_back(out);
            out = delayed_.size() > lag ? delayed_.front() : 0.0;
            while (delayed_.size() > lag)
                delayed_.pop_front();
        }
        time_ += h;
        // The room drifts slowly by a few tenths of a degree.
        t_.ambient = p_.ambient + 0.4 * std::sin(2 * std::numbers::pi * time_ / 900.0);
        current_ = out * vin_ / p_.moduleResistance;
        vin_ = kSupplyVoltage - kSupplyResistance * std::fabs(current_);
        const double cooling = -current_;  // current that pumps heat out of the plate
        const double joule = 0.5 * current_ * current_ * p_.moduleResistance;
        const double through = p_.moduleConductance * (t_.sink - t_.plate);
        const double qPlate = -p_.seebeck * cooling * (t_.plate + kKelvin) + joule + through
                              + p_.plateLoss * (t_.ambient - t_.plate);
        const double qSink = p_.seebeck * cooling * (t_.sink + kKelvin) + joule - through
                             + (p_.sinkStill + p_.sinkFan * airflow) * (t_.ambient - t_.sink);
        t_.plate += qPlate / p_.plateCapacity * h;
        t_.sink += qSink / p_.sinkCapacity * h;
        const double fetTarget = t_.sink + kFetRise * std::fabs(current_);
        t_.fet += (fetTarget - t_.fet) * std::min(1.0, h / kFetTau);
        sensed_ = p_.sensorLag > 0 ? sensed_ + (t_.plate - sensed_) * std::min(1.0, h / p_.sensorLag)
                                   : t_.plate;
    }
    if (p_.noise > 0)
        noise_ = std::normal_distribution<double>(0.0, p_.noise)(random_);
}

}  // namespace sim
