// Steinhart-Hart thermistor relation in single precision, as the program
// computes the coefficients it downloads for an NTC sensor.
#pragma once

namespace sim {

struct SteinhartHart {
    float a = 0, b = 0, c = 0;
};

SteinhartHart steinhartHartCoefficients(float t1, float r1, float t2, float r2, float t3, float r3);
// Temperature in kelvin of resistance r (0 when undefined).
float steinhartHartTemperature(const SteinhartHart& k, float r);
// Resistance in ohm at temperature t (kelvin), by inverting the relation.
float steinhartHartResistance(const SteinhartHart& k, float t);

}  // namespace sim
