// The physical constants of the virtual regulator's thermal load, the named
// loads it offers ("bench", "laser-mount", "cold-plate") and the
// "key=value,..." text that changes single constants.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace sim {

struct PlantParams {
    double plateCapacity = 120;     // J/K, the regulated load (sensor 1)
    double plateLoss = 0.25;        // W/K, load to room
    double moduleConductance = 0.6; // W/K, through the Peltier module
    double seebeck = 0.05;          // V/K of the module
    double moduleResistance = 1.2;  // ohm
    double sinkCapacity = 600;      // J/K, heat sink
    double sinkStill = 2.0;         // W/K, heat sink to room with the fans off
    double sinkFan = 6.0;           // W/K, added at full airflow
    double ambient = 22.0;          // deg C, room (drifts +-0.4 over 15 min)
    double delay = 0;               // s, transport delay from the output to the load
    double sensorLag = 0;           // s, time constant of sensor 1
    double noise = 0;               // deg C, standard deviation of sensor 1's noise
};

struct PlantParamInfo {
    const char* key;    // "plate-capacity"
    const char* unit;   // "J/K"
    const char* what;   // "heat capacity of the load"
    double PlantParams::*field;
};
const std::vector<PlantParamInfo>& plantParamTable();

// "bench" (the default), "laser-mount", "cold-plate".
std::optional<PlantParams> plantPreset(std::string_view name);
std::vector<std::string> plantNames();

// Applies "key=value,key=value" to `params`; returns "" or what is wrong
// ("unknown plant parameter \"x\"", "bad value for delay: -1 (0 or more)").
std::string applyPlantParams(PlantParams& params, std::string_view text);

// The load of --plant NAME (empty: "bench") with every --plant-param text
// applied after it, whatever their order on the command line. Returns "" or
// what is wrong ("unknown plant \"x\" (bench, laser-mount, cold-plate)").
std::string plantFromOptions(const std::string& name, const std::vector<std::string>& params,
                             PlantParams& out);

// Lines for --help: "  plate-capacity=J/K  heat capacity of the load".
std::string plantHelpText();

}  // namespace sim
