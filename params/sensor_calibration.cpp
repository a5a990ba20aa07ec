#include "params/sensor_calibration.h"

#include <cmath>
#include <cstdio>

SensorCalibrationEx ToEx(const SensorCalibration& record) {
    SensorCalibrationEx ex{};
    std::memcpy(ex.name, record.name, sizeof ex.name);
    ex.type = record.type;
    ex.potGain = 10;
    ex.potOffset = 128;
    ex.gain = record.gain;
    ex.offset = record.offset;
    std::memcpy(ex.d, record.d, sizeof ex.d);
    return ex;
}

SensorCalibration FromEx(const SensorCalibrationEx& record) {
    SensorCalibration plain{};
    std::memcpy(plain.name, record.name, sizeof plain.name);
    plain.type = record.type;
    plain.gain = record.gain;
    plain.offset = record.offset;
    std::memcpy(plain.d, record.d, sizeof plain.d);
    return plain;
}

namespace {

float normalOrZero(float v) {
    return std::isnormal(v) ? v : 0.0f;
}

}  // namespace

SteinhartHart SteinhartHartCoefficients(float t1, float r1, float t2, float r2, float t3,
                                        float r3) {
    const float l1 = std::log(r1);
    const float l2 = std::log(r2);
    const float l3 = std::log(r3);
    const float y1 = 1.0f / t1;
    const float y2 = 1.0f / t2;
    const float y3 = 1.0f / t3;
    const float l1c = l1 * l1 * l1;
    const float l2c = l2 * l2 * l2;
    const float l3c = l3 * l3 * l3;

    const float c = ((y1 - y2) - (l1 - l2) * (y1 - y3) / (l1 - l3)) /
                    ((l1c - l2c) - (l1c - l3c) * (l1 - l2) / (l1 - l3));
    const float b = ((y1 - y2) - (l1c - l2c) * c) / (l1 - l2);
    const float a = y1 - l1c * c - l1 * b;
    return {normalOrZero(a), normalOrZero(b), normalOrZero(c)};
}

SteinhartHart SteinhartHartCoefficients(const SensorCalibrationEx& r) {
    return SteinhartHartCoefficients(r.d[0], r.d[1], r.d[2], r.d[3], r.d[4], r.d[5]);
}

SteinhartHart SteinhartHartCoefficients(const SensorCalibration& r) {
    return SteinhartHartCoefficients(r.d[0], r.d[1], r.d[2], r.d[3], r.d[4], r.d[5]);
}

float SteinhartHartTemperature(float a, float b, float c, float r) {
    const float l = std::log(r);
    return normalOrZero(1.0f / (a + b * l + c * l * l * l));
}

namespace {

std::string format(const char* fmt, auto... args) {
    const int n = std::snprintf(nullptr, 0, fmt, args...);
    std::string out(n > 0 ? static_cast<std::size_t>(n) : 0, '\0');
    std::snprintf(out.data(), out.size() + 1, fmt, args...);
    return out;
}

std::string summary(int index, std::string_view name, std::uint32_t type, float gain, float offset,
                    const float (&d)[6]) {
    std::string namePart(name.substr(0, 14));
    if (name.size() > 14)
        namePart += "..";

    std::string model;
    if (type & kSensorTypeNtc) {
        const SteinhartHart k = SteinhartHartCoefficients(d[0], d[1], d[2], d[3], d[4], d[5]);
        model =
            format("\nNTC steinhart mode\nCoff:\nA %0.8e\nB %0.8e\nC %0.8e",
                   static_cast<double>(k.a), static_cast<double>(k.b), static_cast<double>(k.c));
    } else if (type & kSensorTypePt) {
        model = format("\nPT mode\nCoff:\nA  %0.8e\nB  %0.8e\nRo %0.8e", static_cast<double>(d[0]),
                       static_cast<double>(d[1]), static_cast<double>(d[2]));
    } else {
        model = "\nUnknown mode";
    }
    return format("[%d] %s\n\nGain\t%g\nOffset\t%g\n%s", index, namePart.c_str(),
                  static_cast<double>(gain), static_cast<double>(offset), model.c_str());
}

}  // namespace

std::string CalibrationSummary(int index, const SensorCalibrationEx& r) {
    return summary(index, r.nameText(), r.type, r.gain, r.offset, r.d);
}

std::string CalibrationSummary(int index, const SensorCalibration& r) {
    return summary(index, r.nameText(), r.type, r.gain, r.offset, r.d);
}
