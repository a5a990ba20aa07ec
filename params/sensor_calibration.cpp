#include "params/sensor_calibration.h"

#include <charconv>
#include <cmath>

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

// printf's "%.*e" / "%g" without the process locale: to_chars writes as the
// "C" locale does, whatever LC_NUMERIC says.
std::string number(double v, std::chars_format form, int precision) {
    char buf[64];
    const auto [end, ec] = std::to_chars(buf, buf + sizeof buf, v, form, precision);
    return ec == std::errc() ? std::string(buf, end) : std::string("?");
}

std::string scientific8(float v) {
    return number(static_cast<double>(v), std::chars_format::scientific, 8);
}

std::string general6(float v) {
    return number(static_cast<double>(v), std::chars_format::general, 6);
}

// The first `count` characters of a UTF-8 text (a byte that does not start
// a sequence counts as one character).
std::size_t utf8Prefix(std::string_view text, std::size_t count) {
    std::size_t at = 0;
    for (std::size_t n = 0; n < count && at < text.size(); ++n) {
        ++at;
        while (at < text.size() && (static_cast<unsigned char>(text[at]) & 0xC0) == 0x80)
            ++at;
    }
    return at;
}

std::string summary(int index, std::string_view name, std::uint32_t type, float gain, float offset,
                    const float (&d)[6]) {
    const std::size_t cut = utf8Prefix(name, 14);
    std::string namePart(name.substr(0, cut));
    if (cut < name.size())
        namePart += "..";

    std::string model;
    if (type & kSensorTypeNtc) {
        const SteinhartHart k = SteinhartHartCoefficients(d[0], d[1], d[2], d[3], d[4], d[5]);
        model = "\nNTC steinhart mode\nCoff:\nA " + scientific8(k.a) + "\nB " + scientific8(k.b) +
                "\nC " + scientific8(k.c);
    } else if (type & kSensorTypePt) {
        model = "\nPT mode\nCoff:\nA  " + scientific8(d[0]) + "\nB  " + scientific8(d[1]) +
                "\nRo " + scientific8(d[2]);
    } else {
        model = "\nUnknown mode";
    }
    return "[" + std::to_string(index) + "] " + namePart + "\n\nGain\t" + general6(gain) +
           "\nOffset\t" + general6(offset) + "\n" + model;
}

}  // namespace

std::string CalibrationSummary(int index, const SensorCalibrationEx& r) {
    return summary(index, r.nameText(), r.type, r.gain, r.offset, r.d);
}

std::string CalibrationSummary(int index, const SensorCalibration& r) {
    return summary(index, r.nameText(), r.type, r.gain, r.offset, r.d);
}
