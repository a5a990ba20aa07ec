#include "sim/plant_params.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <locale>
#include <sstream>

namespace sim {

const std::vector<PlantParamInfo>& plantParamTable()
{
    static const std::vector<PlantParamInfo> table = {
        {"plate-capacity", "J/K", "heat capacity of the regulated load", &PlantParams::plateCapacity},
        {"plate-loss", "W/K", "conductance from the load to the room", &PlantParams::plateLoss},
        {"module-conductance", "W/K", "conductance through the Peltier module",
         &PlantParams::moduleConductance},
        {"seebeck", "V/K", "Seebeck coefficient of the module", &PlantParams::seebeck},
        {"module-resistance", "ohm", "electrical resistance of the module",
         &PlantParams::moduleResistance},
        {"sink-capacity", "J/K", "heat capacity of the heat sink", &PlantParams::sinkCapacity},
        {"sink-still", "W/K", "heat sink to room, fans off", &PlantParams::sinkStill},
        {"sink-fan", "W/K", "heat sink to room, added at full airflow", &PlantParams::sinkFan},
        {"ambient", "\xC2\xB0" "C", "room temperature", &PlantParams::ambient},
        {"delay", "s", "transport delay from the output to the load", &PlantParams::delay},
        {"sensor-lag", "s", "time constant of the load's sensor", &PlantParams::sensorLag},
        {"noise", "\xC2\xB0" "C", "standard deviation of the sensor's noise", &PlantParams::noise},
    };
    return table;
}

std::optional<PlantParams> plantPreset(std::string_view name)
{
    if (name == "bench")
        return PlantParams{};
    if (name == "laser-mount") {
        // A small copper mount on a small module: time constants of seconds.
        PlantParams p;
        p.plateCapacity = 3.0;
        p.plateLoss = 0.05;
        p.moduleConductance = 0.25;
        // A module sized for the mount: at full drive it still pumps more
        // heat than its own resistance makes (with 0.01 V/K and 5 ohm the
        // mount warmed up under full cooling and ran away).
        p.seebeck = 0.03;
        p.moduleResistance = 3.0;
        p.sinkCapacity = 150;
        p.sinkStill = 1.5;
        p.sinkFan = 3.0;
        p.delay = 0.1;
        p.sensorLag = 0.3;
        p.noise = 0.005;
        return p;
    }
    if (name == "cold-plate") {
        // A heavy liquid-less cold plate: slow, with a transport delay
        // through the plate and a sensor in a thick well.
        PlantParams p;
        p.plateCapacity = 1500;
        p.plateLoss = 1.0;
        p.moduleConductance = 2.0;
        p.seebeck = 0.1;
        p.moduleResistance = 1.2;
        p.sinkCapacity = 3000;
        p.sinkStill = 4.0;
        p.sinkFan = 12.0;
        p.delay = 4.0;
        p.sensorLag = 6.0;
        p.noise = 0.02;
        return p;
    }
    return std::nullopt;
}

std::vector<std::string> plantNames() { return {"bench", "laser-mount", "cold-plate"}; }

std::string applyPlantParams(PlantParams& params, std::string_view text)
{
    PlantParams out = params;
    while (!text.empty()) {
        const std::size_t comma = text.find(',');
        const std::string_view item = text.substr(0, comma);
        text = comma == std::string_view::npos ? std::string_view{} : text.substr(comma + 1);
        const std::size_t eq = item.find('=');
        if (eq == std::string_view::npos)
            return "plant parameter \"" + std::string(item) + "\" needs key=value";
        const std::string_view key = item.substr(0, eq);
        const std::string_view value = item.substr(eq + 1);
        const PlantParamInfo* info = nullptr;
        for (const PlantParamInfo& i : plantParamTable())
            if (key == i.key)
                info = &i;
        if (!info)
            return "unknown plant parameter \"" + std::string(key) + "\"";
        double v = 0;
        const auto [end, ec] = std::from_chars(value.data(), value.data() + value.size(), v);
        const bool signedOk = key == "ambient";
        if (ec != std::errc{} || end != value.data() + value.size() || !std::isfinite(v)
            || (signedOk ? std::fabs(v) > 200 : v < 0) || v > 1e7)
            return "bad value for " + std::string(key) + ": \"" + std::string(value) + "\" ("
                   + (signedOk ? "-200 to 200" : "0 or more") + ")";
        const bool mustBePositive = key == "plate-capacity" || key == "sink-capacity"
                                    || key == "module-resistance";
        if (mustBePositive && !(v > 0))
            return "bad value for " + std::string(key) + ": it must be above 0";
        out.*(info->field) = v;
    }
    params = out;
    return "";
}

std::string plantFromOptions(const std::string& name, const std::vector<std::string>& params,
                             PlantParams& out)
{
    std::optional<PlantParams> p = plantPreset(name.empty() ? "bench" : name);
    if (!p)
        return "unknown plant \"" + name + "\" (bench, laser-mount, cold-plate)";
    for (const std::string& text : params)
        if (std::string why = applyPlantParams(*p, text); !why.empty())
            return why;
    out = *p;
    return "";
}

std::string plantHelpText()
{
    std::ostringstream s;
    s.imbue(std::locale::classic());
    for (const PlantParamInfo& i : plantParamTable()) {
        const std::string left = std::string(i.key) + "=" + i.unit;
        std::size_t width = 0;   // characters, not bytes: the units hold a degree sign
        for (unsigned char c : left)
            width += (c & 0xC0) != 0x80 ? 1 : 0;
        s << "    " << left << std::string(width < 24 ? 24 - width : 1, ' ') << i.what
          << "\n";
    }
    return s.str();
}

}  // namespace sim
