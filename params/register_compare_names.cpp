// Names and labels of the registers a download writes, for the compare.
#include <map>
#include <string>

#include "params/register_compare.h"

namespace {

// Scalar fields by register (sensor registers are named by slot below).
const char* scalarField(int reg) {
    static const std::map<int, const char*> fields = {
        {0, "st1"},           {1, "kP"},              {2, "kI"},
        {3, "kD"},            {4, "kTr"},             {5, "kTe"},
        {6, "maxPower"},      {7, "deadBand"},        {8, "integralLimit"},
        {9, "ts"},            {10, "coolGain"},       {11, "heatGain"},
        {12, "decay"},        {13, "regulatorFlags"}, {14, "algoDeadBand"},
        {15, "algoHysteresis"}, {16, "fan1Mode"},     {17, "fan1SetPoint"},
        {18, "fan1DeadBand"}, {19, "fan1LowHyst"},    {20, "fan1HighHyst"},
        {21, "fan1LowVoltage"}, {22, "fan1HighVoltage"}, {23, "fan2Mode"},
        {24, "fan2SetPoint"}, {25, "fan2DeadBand"},   {26, "fan2LowHyst"},
        {27, "fan2HighHyst"}, {28, "fan2LowVoltage"}, {29, "fan2HighVoltage"},
        {30, "aux30"},        {31, "aux31"},          {32, "aux32"},
        {33, "aux33"},        {34, "aux34"},          {45, "vIntOver"},
        {46, "vIntUnder"},    {47, "iOutOver"},       {48, "iOutUnder"},
        {49, "fan1IOver"},    {50, "fan1IUnder"},     {51, "fan2IOver"},
        {52, "fan2IUnder"},   {53, "vInOver"},        {54, "vInUnder"},
        {71, "t1High"},       {72, "t1Low"},          {73, "t2High"},
        {74, "t2Low"},        {75, "t3High"},         {76, "t3Low"},
        {77, "t4High"},       {78, "t4Low"},          {91, "alarmEnable1"},
        {92, "alarmEnable2"}, {93, "st2"},            {94, "loopHighCount"},
        {95, "loopLowCount"}, {96, "aux96"},
    };
    const auto it = fields.find(reg);
    return it == fields.end() ? nullptr : it->second;
}

std::uint32_t selectedType(const ParameterSet& p, int sensor) {
    switch (sensor) {
    case 1: return p.sensor1.selected().type;
    case 2: return p.sensor2.selected().type;
    case 3: return p.sensor3.selected().type;
    default: return p.sensor4.selected().type;
    }
}

// Role of a calibration-block register by its offset from K.
std::string calibrationRole(int offset, std::uint32_t type) {
    switch (offset) {
    case 0: return "A";
    case 1: return "B";
    case 2: return "C";
    case 20: return (type & kSensorTypeNtc) || !(type & kSensorTypePt) ? "R3" : "Ro";
    case 21: return "R2";
    default: return "R1";
    }
}

}  // namespace

std::string registerFieldName(int reg, const ParameterSet& doc) {
    if (const char* name = scalarField(reg))
        return name;
    const auto sensorName = [](int s) { return "sensor" + std::to_string(s); };
    if (reg >= 35 && reg <= 42)
        return sensorName((reg - 35) / 2 + 1) + ((reg - 35) % 2 == 0 ? ".gain" : ".offset");
    if (reg >= 55 && reg <= 58)
        return sensorName(reg - 54) + ".type";
    const int block = reg >= 79 ? reg - 20 : reg;   // K+20.. K+22 onto K.. K+2
    if (block >= 59 && block <= 70) {
        const int sensor = (block - 59) / 3 + 1;
        const int k = 59 + 3 * (sensor - 1);
        return sensorName(sensor) + "." + calibrationRole(reg - k, selectedType(doc, sensor));
    }
    return {};
}

// The labels of the parameter pages, to be read from the field table once it
// carries them.
std::string fieldPageLabel(std::string_view field) {
    static const std::map<std::string_view, const char*> labels = {
        {"st1", "St1"},
        {"kP", "Propotional (kP)"},
        {"kI", "Integral (kI)"},
        {"kD", "Derivative (kD)"},
        {"kTr", "Lowpass Tr (kTr)"},
        {"kTe", "Lowpass Te (kTe)"},
        {"maxPower", "Max power out"},
        {"deadBand", "Dead-band"},
        {"integralLimit", "Integral value limit"},
        {"ts", "Sampling speed (ts)"},
        {"coolGain", "Cooling Gain"},
        {"heatGain", "Heating Gain"},
        {"decay", "Decay when stoped"},
        {"regulatorFlags", "Regulator mode and options"},
        {"alarmEnable1", "Alarm enables (electrical)"},
        {"alarmEnable2", "Alarm enables (temperatures)"},
        {"vInOver", "Voltage In over"},
        {"vInUnder", "Voltage In under"},
        {"vIntOver", "Voltage Internal over"},
        {"vIntUnder", "Voltage Internal under"},
        {"iOutOver", "Current Out over"},
        {"iOutUnder", "Current Out under"},
        {"st2", "St2"},
        {"loopHighCount", "High (s)"},
        {"loopLowCount", "Low (s)"},
    };
    if (const auto it = labels.find(field); it != labels.end())
        return it->second;
    static const std::map<std::string_view, const char*> fan = {
        {"Mode", "mode"},
        {"SetPoint", "Set Point"},
        {"DeadBand", "Dead-band"},
        {"LowHyst", "Low Speed Hysteresis"},
        {"HighHyst", "High Speed Hysteresis"},
        {"LowVoltage", "Low Speed Voltage"},
        {"HighVoltage", "High Speed Voltage"},
        {"IOver", "Current over"},
        {"IUnder", "Current under"},
    };
    // t1High .. t4Low: "T1 high" .. "T4 low".
    if (field.size() > 2 && field[0] == 't' && field[1] >= '1' && field[1] <= '4')
        return std::string("T") + field[1] + (field.substr(2) == "High" ? " high" : " low");
    // sensor2.gain: "Sensor 2 gain"; the calibration block by its role.
    if (field.size() > 8 && field.substr(0, 6) == "sensor" && field[7] == '.')
        return std::string("Sensor ") + field[6] + " " + std::string(field.substr(8));
    if (field.size() > 4 && field.substr(0, 3) == "fan")
        if (const auto it = fan.find(field.substr(4)); it != fan.end())
            return std::string("FAN ") + field[3] + " " + it->second;
    return {};
}
