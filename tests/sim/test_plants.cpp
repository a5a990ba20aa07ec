// The thermal loads of the virtual regulator: the bench is what it always
// was, the named loads differ as described, and the constants' text is
// checked strictly.
#include <gtest/gtest.h>

#include <cmath>

#include "sim/plant_params.h"
#include "sim/thermal_plant.h"

namespace {

// Seconds until the plate has risen by 63 % of where a constant output takes it.
double riseTime(const sim::PlantParams& p, double output, double horizon)
{
    sim::ThermalPlant plant(p);
    const double dt = 0.05;
    std::vector<double> sensed;
    for (double t = 0; t < horizon; t += dt) {
        plant.step(output, 0.5, dt);
        sensed.push_back(plant.sensedPlate());
    }
    const double start = p.ambient, end = sensed.back();
    for (std::size_t i = 0; i < sensed.size(); ++i)
        if (sensed[i] - start >= 0.63 * (end - start))
            return static_cast<double>(i) * dt;
    return horizon;
}

}  // namespace

TEST(ThermalPlants, BenchIsTheDefaultAndHasNoDelayLagOrNoise)
{
    const sim::PlantParams bench = *sim::plantPreset("bench");
    sim::PlantParams d;
    EXPECT_EQ(bench.plateCapacity, d.plateCapacity);
    EXPECT_EQ(bench.delay, 0.0);
    EXPECT_EQ(bench.sensorLag, 0.0);
    EXPECT_EQ(bench.noise, 0.0);
    sim::PlantParams fromOptions;
    EXPECT_EQ(sim::plantFromOptions("", {}, fromOptions), "");
    EXPECT_EQ(fromOptions.plateCapacity, 120.0);
    // The sensor reads the plate itself.
    sim::ThermalPlant plant(bench);
    for (int i = 0; i < 100; ++i) plant.step(40, 0.5, 0.05);
    EXPECT_EQ(plant.sensedPlate(), plant.temperatures().plate);
    EXPECT_GT(plant.temperatures().plate, 22.2);
}

TEST(ThermalPlants, LaserMountIsFastAndColdPlateIsSlowWithDelay)
{
    const double laser = riseTime(*sim::plantPreset("laser-mount"), 30, 200);
    const double bench = riseTime(*sim::plantPreset("bench"), 30, 2000);
    const double cold = riseTime(*sim::plantPreset("cold-plate"), 30, 6000);
    EXPECT_LT(laser, 20.0);
    EXPECT_LT(laser, bench);
    EXPECT_LT(bench, cold);

    // The transport delay: nothing moves before it has passed.
    sim::PlantParams p = *sim::plantPreset("cold-plate");
    p.noise = 0;
    sim::ThermalPlant plant(p);
    for (int i = 0; i < 70; ++i) plant.step(100, 0.5, 0.05);   // 3.5 s < 4 s
    EXPECT_NEAR(plant.temperatures().plate, p.ambient, 1e-3);
    for (int i = 0; i < 40; ++i) plant.step(100, 0.5, 0.05);
    EXPECT_GT(plant.temperatures().plate, p.ambient + 1e-3);
    // The sensor lags the plate.
    EXPECT_LT(plant.sensedPlate(), plant.temperatures().plate);
}

TEST(ThermalPlants, NoiseIsOnTheSensorOnlyAndRepeats)
{
    sim::PlantParams p = *sim::plantPreset("bench");
    ASSERT_EQ(sim::applyPlantParams(p, "noise=0.1"), "");
    sim::ThermalPlant a(p), b(p);
    double spread = 0;
    for (int i = 0; i < 200; ++i) {
        a.step(0, 0.5, 0.05);
        b.step(0, 0.5, 0.05);
        EXPECT_EQ(a.sensedPlate(), b.sensedPlate());
        spread = std::max(spread, std::fabs(a.sensedPlate() - a.temperatures().plate));
    }
    EXPECT_GT(spread, 0.1);
    EXPECT_LT(spread, 1.0);
}

TEST(ThermalPlants, ConstantsTextIsCheckedStrictly)
{
    sim::PlantParams p;
    EXPECT_EQ(sim::applyPlantParams(p, "plate-capacity=10,delay=2.5,ambient=-5"), "");
    EXPECT_EQ(p.plateCapacity, 10.0);
    EXPECT_EQ(p.delay, 2.5);
    EXPECT_EQ(p.ambient, -5.0);
    const sim::PlantParams kept = p;
    for (const char* bad : {"delay=-1", "delay=", "delay", "mass=3", "plate-capacity=0",
                            "noise=1e400", "noise=0.1x", "delay=1,,", "sensor-lag=nan"}) {
        SCOPED_TRACE(bad);
        EXPECT_NE(sim::applyPlantParams(p, bad), "");
        EXPECT_EQ(p.plateCapacity, kept.plateCapacity);
        EXPECT_EQ(p.delay, kept.delay);
    }
    sim::PlantParams out;
    EXPECT_NE(sim::plantFromOptions("fridge", {}, out).find("unknown plant \"fridge\""),
              std::string::npos);
    // --plant-param applies after --plant, whatever their order.
    ASSERT_EQ(sim::plantFromOptions("laser-mount", {"sensor-lag=2"}, out), "");
    EXPECT_EQ(out.sensorLag, 2.0);
    EXPECT_EQ(out.plateCapacity, 3.0);
    for (const sim::PlantParamInfo& i : sim::plantParamTable())
        EXPECT_NE(sim::plantHelpText().find(std::string(i.key) + "=" + i.unit), std::string::npos);
}
