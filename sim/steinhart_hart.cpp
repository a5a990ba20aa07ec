#include "sim/steinhart_hart.h"

#include <cmath>

namespace sim {

namespace {

float usable(float v)
{
    return std::isnormal(v) ? v : 0.0f;
}

}  // namespace

SteinhartHart steinhartHartCoefficients(float t1, float r1, float t2, float r2, float t3, float r3)
{
    const float l1 = std::log(r1), l2 = std::log(r2), l3 = std::log(r3);
    const float y1 = 1.0f / t1, y2 = 1.0f / t2, y3 = 1.0f / t3;
    const float l1c = l1 * l1 * l1, l2c = l2 * l2 * l2, l3c = l3 * l3 * l3;
    // Undefined divisions run through as NaN and are replaced at the end.
    const float c = ((y1 - y2) - (l1 - l2) * (y1 - y3) / (l1 - l3))
                    / ((l1c - l2c) - (l1c - l3c) * (l1 - l2) / (l1 - l3));
    const float b = ((y1 - y2) - (l1c - l2c) * c) / (l1 - l2);
    const float a = y1 - l1c * c - l1 * b;
    return SteinhartHart{usable(a), usable(b), usable(c)};
}

float steinhartHartTemperature(const SteinhartHart& k, float r)
{
    const float l = std::log(r);
    return usable(1.0f / (k.a + k.b * l + k.c * l * l * l));
}

float steinhartHartResistance(const SteinhartHart& k, float t)
{
    // Solve c*x^3 + b*x + (a - 1/t) = 0 for x = ln R by Newton's method,
    // starting from the linear (c = 0) solution.
    if (t <= 0 || k.b == 0)
        return 0.0f;
    const double a = k.a, b = k.b, c = k.c, y = 1.0 / t;
    double x = (y - a) / b;
    for (int i = 0; i < 30; ++i) {
        const double f = c * x * x * x + b * x + a - y;
        const double df = 3 * c * x * x + b;
        if (df == 0)
            break;
        const double step = f / df;
        x -= step;
        if (std::fabs(step) < 1e-12)
            break;
    }
    const double r = std::exp(x);
    return std::isfinite(r) ? static_cast<float>(r) : 0.0f;
}

}  // namespace sim
