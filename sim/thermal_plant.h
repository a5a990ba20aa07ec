// Lumped thermal model of the bench set-up: a load plate on one face of a
// Peltier module, a heat sink with two fans on the other face, the output
// transistor on the heat sink, and the room around it.
#pragma once

namespace sim {

struct PlantTemperatures {
    double plate = 22.0;    // regulated load (sensor 1), deg C
    double ambient = 22.0;  // room air (sensor 2)
    double sink = 22.0;     // heat sink (sensor 3)
    double fet = 22.0;      // output transistor (sensor 4)
};

class ThermalPlant {
public:
    static constexpr double kModuleResistance = 1.2;  // ohm
    static constexpr double kSupplyVoltage = 12.2;    // open-circuit, V
    static constexpr double kSupplyResistance = 0.05; // ohm

    void reset(double ambient = 22.0);
    // outputPercent > 0 heats the plate, < 0 cools it; airflow 0..1 from the
    // fans. Advances the model by dt seconds.
    void step(double outputPercent, double airflow, double dt);

    const PlantTemperatures& temperatures() const { return t_; }
    double current() const { return current_; }        // signed, A (+ heats)
    double inputVoltage() const { return vin_; }

private:
    PlantTemperatures t_;
    double current_ = 0.0;
    double vin_ = kSupplyVoltage;
    double time_ = 0.0;
};

}  // namespace sim
