// Names and labels of the registers a download writes, for the compare.
#include <map>
#include <string>

#include "params/register_compare.h"
#include "params/parameter_fields.h"

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

// The page label of a field as the one field description gives it, with its
// group where the label alone is ambiguous ("Fan 1 Set Point").
std::string fieldPageLabel(std::string_view field) {
    if (const FieldInfo* f = findField(field); f && *f->label)
        return *f->group ? std::string(f->group) + " " + f->label : std::string(f->label);
    if (field == "alarmEnable1") return "Alarm enables (electrical)";
    if (field == "alarmEnable2") return "Alarm enables (temperatures)";
    // sensor2.gain: "Sensor 2 gain"; the calibration block by its role.
    if (field.size() > 8 && field.substr(0, 6) == "sensor" && field[7] == '.')
        return std::string("Sensor ") + field[6] + " " + std::string(field.substr(8));
    return {};
}
