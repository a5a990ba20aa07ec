// Lumped thermal model of a Peltier set-up: a load plate on one face of a
// Peltier module, a heat sink with two fans on the other face, the output
// transistor on the heat sink, and the room around it. The constants come
// from PlantParams (the bench set-up by default); a transport delay, a
// sensor lag and sensor noise can be added on the load.
#pragma once

#include <deque>
#include <random>

#include "sim/plant_params.h"

namespace sim {

struct PlantTemperatures {
    double plate = 22.0;    // regulated load, deg C
    double ambient = 22.0;  // room air (sensor 2)
    double sink = 22.0;     // heat sink (sensor 3)
    double fet = 22.0;      // output transistor (sensor 4)
};

class ThermalPlant {
public:
    static constexpr double kSupplyVoltage = 12.2;    // open-circuit, V
    static constexpr double kSupplyResistance = 0.05; // ohm

    explicit ThermalPlant(PlantParams params = {});

    void reset();
    // outputPercent > 0 heats the plate, < 0 cools it; airflow 0..1 from the
    // fans. Advances the model by dt seconds.
    void step(double outputPercent, double airflow, double dt);

    const PlantTemperatures& temperatures() const { return t_; }
    // What sensor 1 reads: the plate through the sensor's lag, plus noise.
    double sensedPlate() const { return sensed_ + noise_; }
    double current() const { return current_; }        // signed, A (+ heats)
    double inputVoltage() const { return vin_; }
    const PlantParams& params() const { return p_; }

private:
    PlantParams p_;
    PlantTemperatures t_;
    double current_ = 0.0;
    double vin_ = kSupplyVoltage;
    double time_ = 0.0;
    double sensed_ = 22.0;
    double noise_ = 0.0;
    std::deque<double> delayed_;   // outputs on their way to the load, one per sub-step
    std::mt19937 random_{20240};
};

}  // namespace sim
