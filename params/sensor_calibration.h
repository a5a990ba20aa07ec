// Temperature sensor calibration records: NTC thermistors described by three
// (temperature, resistance) points and platinum sensors by A, B and Ro.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

inline constexpr std::uint32_t kSensorTypeNtc = 0x04;  // tested first
inline constexpr std::uint32_t kSensorTypePt = 0x10;
inline constexpr std::size_t kSensorNameSize = 256;  // 255 characters + NUL
inline constexpr std::size_t kSensorNameMax = kSensorNameSize - 1;

namespace detail {
inline void setCalibrationName(char (&dst)[kSensorNameSize], std::string_view text) {
    std::size_t n = text.size() < kSensorNameMax ? text.size() : kSensorNameMax;
    if (n < text.size())  // do not split a UTF-8 sequence
        while (n > 0 && (static_cast<unsigned char>(text[n]) & 0xC0) == 0x80)
            --n;
    std::memcpy(dst, text.data(), n);
    std::memset(dst + n, 0, kSensorNameSize - n);
}
inline std::string_view calibrationName(const char (&src)[kSensorNameSize]) {
    return std::string_view(src, strnlen(src, kSensorNameSize));
}
}  // namespace detail

// Sensors 2-4. d[]: NTC T1 (K), R1 (ohm), T2, R2, T3, R3 (low, mid, high);
// PT: A, B, Ro, 0, 0, 0.
struct SensorCalibration {
    char name[kSensorNameSize];
    std::uint32_t type;
    float gain;
    float offset;
    float d[6];

    std::string_view nameText() const { return detail::calibrationName(name); }
    // Longer names are cut to 255 characters.
    void setName(std::string_view text) { detail::setCalibrationName(name, text); }
};

// Sensor 1: two more integers that are stored and copied but never sent.
struct SensorCalibrationEx {
    char name[kSensorNameSize];
    std::uint32_t type;
    std::uint32_t potGain;
    std::uint32_t potOffset;
    float gain;
    float offset;
    float d[6];

    std::string_view nameText() const { return detail::calibrationName(name); }
    void setName(std::string_view text) { detail::setCalibrationName(name, text); }
};

static_assert(sizeof(SensorCalibration) == 292);
static_assert(sizeof(SensorCalibrationEx) == 300);

// potGain 10, potOffset 128 are added; FromEx drops them.
SensorCalibrationEx ToEx(const SensorCalibration& record);
SensorCalibration FromEx(const SensorCalibrationEx& record);

struct SteinhartHart {
    float a = 0.0f;
    float b = 0.0f;
    float c = 0.0f;
};

// Single-precision solution through three points; a coefficient that is not
// a normal finite number or zero comes out as 0.
SteinhartHart SteinhartHartCoefficients(float t1, float r1, float t2, float r2, float t3, float r3);
// Coefficients of an NTC record's three points.
SteinhartHart SteinhartHartCoefficients(const SensorCalibrationEx& record);
SteinhartHart SteinhartHartCoefficients(const SensorCalibration& record);

// T = 1 / (A + B ln R + C ln^3 R) in kelvin; a non-normal result becomes 0.
float SteinhartHartTemperature(float a, float b, float c, float r);

// The text under a slot's list: "[i] name..\n\nGain\t..." and the model part.
std::string CalibrationSummary(int index, const SensorCalibrationEx& record);
std::string CalibrationSummary(int index, const SensorCalibration& record);
