// One fan output: Off, Always on, Cool, Heat, Cool and heat, Algo. The
// speed steps (off, low, high) follow the heat-sink temperature with the
// fan's set point, dead-band and hystereses; the voltage ramps softly.
#pragma once

namespace sim {

class RegisterBank;

class FanControl {
public:
    static constexpr double kFanResistance = 40.0;  // ohm: 48 V gives 1.2 A

    explicit FanControl(int fan) : fan_(fan) {}
    void reset();
    void step(const RegisterBank& bank, double sinkTemperature, double regulatorOutput, double dt);

    double voltage() const { return voltage_; }
    double current() const { return voltage_ / kFanResistance; }
    // Share of full airflow, 0..1.
    double airflow() const;

private:
    int fan_;
    int level_ = 0;  // 0 off, 1 low speed, 2 high speed
    double voltage_ = 0.0;
};

}  // namespace sim
