// A relay around a second-order-plus-dead-time load, simulated in the test:
// the runtime samples such a loop streams, and the ultimate gain and period
// the load really has, to hold the identification against.
#pragma once

#include <cmath>
#include <cstdint>
#include <deque>
#include <numbers>
#include <random>
#include <vector>

#include "runtime/runtime_sample.h"

namespace tuning::test {

struct SyntheticLoop {
    double gain = 0.1;        // deg C per %
    double tau = 20.0;        // s, the load
    double tau2 = 5.0;        // s, the sensor and the error filter
    double delay = 2.0;       // s
    double heat = 60.0;       // relay level while heating, %
    double cool = 60.0;       // relay level while cooling, % (magnitude)
    double hysteresis = 0.05; // deg C: the two-level relay switches at +-hysteresis
    double disturbance = 0.0; // % equivalent steady load (losses to the room)
    double noise = 0.0;       // deg C, standard deviation on the measured error
    double operatingPoint = 25.0;
    double ts = 0.05;
    double start = 1.0;       // deg C below the operating point at the start

    std::vector<RuntimeSample> run(double seconds, std::uint32_t seed = 7) const
    {
        std::mt19937 random(seed);
        std::normal_distribution<double> normal(0.0, 1.0);
        const int lag = static_cast<int>(std::lround(delay / ts));
        std::deque<double> pipe(static_cast<std::size_t>(lag) + 1, 0.0);
        double x = -start;  // the load's deviation from the operating point
        double y = -start;  // as measured
        double u = 0;
        std::vector<RuntimeSample> out;
        const int n = static_cast<int>(seconds / ts);
        for (int i = 0; i < n; ++i) {
            const double e = -y + (noise > 0 ? noise * normal(random) : 0.0);
            if (e > hysteresis)
                u = heat;
            else if (e < -hysteresis)
                u = -cool;
            RuntimeSample s;
            s.gTsCnt = static_cast<std::uint32_t>(1000 + i);
            s.frTa = static_cast<float>(operatingPoint + y);
            s.frTe = static_cast<float>(e);
            s.fgTc = static_cast<float>(u);
            out.push_back(s);
            pipe.push_back(u);
            const double delayed = pipe.front();
            pipe.pop_front();
            x += ts / tau * (-x + gain * (delayed + disturbance));
            y += ts / tau2 * (x - y);
        }
        return out;
    }

    // Where the load lags by 180 degrees.
    double ultimateOmega() const
    {
        double lo = 1e-4, hi = std::numbers::pi / delay;
        for (int i = 0; i < 100; ++i) {
            const double w = 0.5 * (lo + hi);
            const double phase = w * delay + std::atan(w * tau) + std::atan(w * tau2);
            (phase < std::numbers::pi ? lo : hi) = w;
        }
        return 0.5 * (lo + hi);
    }
    double ultimateGain() const
    {
        const double w = ultimateOmega();
        return std::sqrt(1 + w * w * tau * tau) * std::sqrt(1 + w * w * tau2 * tau2) / gain;
    }
    double ultimatePeriod() const { return 2 * std::numbers::pi / ultimateOmega(); }
};

}  // namespace tuning::test
