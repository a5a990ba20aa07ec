#include "runtime/step_response.h"

#include <algorithm>
#include <cmath>

namespace {

// The time at which `y` first reaches `level` going in direction `sign`
// after index `start`, interpolated between samples.
std::optional<double> crossing(const StepSeries& s, std::size_t start, std::size_t end, double level, double sign) {
    for (std::size_t i = start; i < end; ++i) {
        if (sign * (s.actual[i] - level) >= 0) {
            if (i == start) return s.seconds[i];
            const double y0 = s.actual[i - 1], y1 = s.actual[i];
            const double t0 = s.seconds[i - 1], t1 = s.seconds[i];
            const double f = y1 == y0 ? 1.0 : (level - y0) / (y1 - y0);
            return t0 + std::clamp(f, 0.0, 1.0) * (t1 - t0);
        }
    }
    return std::nullopt;
}

}  // namespace

StepResult analyseStep(const StepSeries& s, double from, double to, const StepOptions& options) {
    StepResult result;
    const std::size_t n = std::min({s.seconds.size(), s.setPoint.size(), s.actual.size()});
    const std::size_t begin = std::lower_bound(s.seconds.begin(), s.seconds.begin() + n, from) - s.seconds.begin();
    const std::size_t end = std::upper_bound(s.seconds.begin(), s.seconds.begin() + n, to) - s.seconds.begin();
    if (end <= begin + 2) {
        result.error = "too few samples in the range";
        return result;
    }
    // The largest set-point change in the range.
    std::size_t stepIndex = 0;
    double largest = 0;
    for (std::size_t i = begin + 1; i < end; ++i) {
        const double change = std::fabs(s.setPoint[i] - s.setPoint[i - 1]);
        if (change > largest) {
            largest = change;
            stepIndex = i;
        }
    }
    if (largest < options.minStep) {
        result.error = "no set-point change in the range";
        return result;
    }
    StepFigures& f = result.figures;
    f.stepTime = s.seconds[stepIndex];
    f.from = s.setPoint[stepIndex - 1];
    f.to = s.setPoint[stepIndex];
    f.step = f.to - f.from;
    f.initial = s.actual[stepIndex - 1];
    f.samples = end - stepIndex;
    const double sign = f.step > 0 ? 1.0 : -1.0;
    const double span = f.to - f.initial;  // what Tr1 has to travel

    // Rise time: 10 % to 90 % of the way from where Tr1 stood to the new set point.
    if (std::fabs(span) > 0) {
        const double dir = span > 0 ? 1.0 : -1.0;
        const auto t10 = crossing(s, stepIndex, end, f.initial + 0.1 * span, dir);
        const auto t90 = t10 ? crossing(s, stepIndex, end, f.initial + 0.9 * span, dir) : std::nullopt;
        if (t10 && t90) f.riseTime = *t90 - *t10;
    }

    // Overshoot beyond the new set point, in the direction of the step.
    f.peak = s.actual[stepIndex];
    for (std::size_t i = stepIndex; i < end; ++i)
        if (sign * (s.actual[i] - f.peak) > 0) f.peak = s.actual[i];
    f.overshootPercent = std::max(0.0, sign * (f.peak - f.to) / std::fabs(f.step) * 100.0);

    // Settling: the last sample outside the band, then in it to the end.
    f.band = options.band > 0 ? options.band : std::fabs(f.step) * options.bandPercent / 100.0;
    std::size_t lastOutside = end;  // none
    for (std::size_t i = end; i-- > stepIndex;)
        if (std::fabs(s.actual[i] - f.to) > f.band) {
            lastOutside = i;
            break;
        }
    if (lastOutside == end)
        f.settlingTime = 0.0;
    else if (lastOutside + 1 < end)
        f.settlingTime = s.seconds[lastOutside + 1] - f.stepTime;

    // Steady state over the last 10 % of the range after the step.
    const std::size_t tail = std::max<std::size_t>(1, (end - stepIndex) / 10);
    double sumError = 0, sum = 0;
    for (std::size_t i = end - tail; i < end; ++i) {
        sumError += s.setPoint[i] - s.actual[i];
        sum += s.actual[i];
    }
    f.steadyError = sumError / tail;
    const double mean = sum / tail;
    double var = 0;
    for (std::size_t i = end - tail; i < end; ++i) var += (s.actual[i] - mean) * (s.actual[i] - mean);
    f.noise = std::sqrt(var / tail);
    result.ok = true;
    return result;
}
