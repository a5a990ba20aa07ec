#include "tuning/relay_identification.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <numbers>

#include "tuning/c_text.h"

namespace tuning {

namespace {

// Outputs this close to 0 count as off (the board reports 0 exactly).
constexpr double kOffOutput = 0.5;

int side(double output)
{
    return output > kOffOutput ? 1 : output < -kOffOutput ? -1 : 0;
}

struct CycleBuilder {
    RelayCycle cycle;
    double highSum = 0, highTime = 0, lowSum = 0, lowTime = 0;
    double onSum = 0, offSum = 0;
    int onCount = 0, offCount = 0;
};

double mean(const std::vector<double>& v)
{
    double s = 0;
    for (double x : v) s += x;
    return v.empty() ? 0 : s / static_cast<double>(v.size());
}

double relativeSpread(const std::vector<double>& v)
{
    const double m = mean(v);
    if (v.size() < 2 || !(std::fabs(m) > 0))
        return 0;
    double s = 0;
    for (double x : v) s += (x - m) * (x - m);
    return std::sqrt(s / static_cast<double>(v.size() - 1)) / std::fabs(m);
}

std::string figure(const char* format, double value)
{
    return cText(format, value);
}

}  // namespace

std::vector<RelayCycle> relayCycles(const std::vector<RelayPoint>& points, double swing)
{
    std::vector<RelayCycle> cycles;
    if (points.size() < 2)
        return cycles;
    std::optional<CycleBuilder> open;
    int previous = side(points.front().output);
    bool armed = points.front().error < -swing;
    bool turned = false;   // the output turned to heating while armed
    for (std::size_t i = 1; i < points.size(); ++i) {
        const RelayPoint& p = points[i];
        const double dt = p.seconds - points[i - 1].seconds;
        const int now = side(p.output);
        armed = armed || p.error < -swing;
        turned = now > 0 && armed && (turned || previous <= 0);
        const bool heatingStarts = turned && p.error > swing;
        if (heatingStarts)
            armed = turned = false;
        if (heatingStarts && open) {
            CycleBuilder& b = *open;
            RelayCycle c = b.cycle;
            c.period = p.seconds - c.start;
            if (b.highTime > 0 && b.lowTime > 0 && b.onCount > 0) {
                c.outputHigh = b.highSum / b.highTime;
                c.outputLow = b.lowSum / b.lowTime;
                c.switchOn = b.onSum / b.onCount;
                c.switchOff = b.offCount > 0 ? b.offSum / b.offCount : -c.switchOn;
                cycles.push_back(c);
            }
        }
        if (heatingStarts) {
            open.emplace();
            open->cycle.start = p.seconds;
            open->cycle.errorMax = open->cycle.errorMin = p.error;
            open->onSum += std::fabs(p.error);
            ++open->onCount;
        } else if (open) {
            CycleBuilder& b = *open;
            // The previous sample's output held for dt.
            const double out = points[i - 1].output;
            if (dt > 0) {
                if (side(out) > 0) {
                    b.highSum += out * dt;
                    b.highTime += dt;
                    b.cycle.heatingTime += dt;
                } else if (side(out) < 0) {
                    b.lowSum += out * dt;
                    b.lowTime += dt;
                    b.cycle.coolingTime += dt;
                }
            }
            b.cycle.errorMax = std::max(b.cycle.errorMax, p.error);
            b.cycle.errorMin = std::min(b.cycle.errorMin, p.error);
            if (now != previous) {
                if (now != 0) {
                    b.onSum += std::fabs(p.error);
                    ++b.onCount;
                    if (previous != 0)
                        b.cycle.reversedDirectly = true;
                } else {
                    b.offSum += std::fabs(p.error);
                    ++b.offCount;
                }
            }
        }
        previous = now;
    }
    return cycles;
}

DescribingFunction relayDescribingFunction(double d, double a, double on, double off)
{
    if (!(a > 0))
        return {};
    auto root = [a](double level) {
        const double r = std::clamp(level / a, -1.0, 1.0);
        return std::sqrt(1.0 - r * r);
    };
    const double pi = std::numbers::pi;
    DescribingFunction n;
    n.re = 2.0 * d / (pi * a) * (root(on) + root(off));
    n.im = -2.0 * d * (on - off) / (pi * a * a);
    return n;
}

IdentificationResult identifyUltimate(const std::vector<RelayCycle>& cycles,
                                      const IdentificationLimits& limits)
{
    IdentificationResult result;
    if (cycles.size() < 2) {
        result.error = "too few oscillation cycles to identify the loop";
        return result;
    }
    std::vector<double> periods, amplitudes, outputs, ons, offs;
    double heating = 0, cooling = 0;
    int direct = 0;
    for (const RelayCycle& c : cycles) {
        periods.push_back(c.period);
        amplitudes.push_back(c.amplitude());
        outputs.push_back(c.outputAmplitude());
        ons.push_back(c.switchOn);
        offs.push_back(c.switchOff);
        heating += c.heatingTime;
        cooling += c.coolingTime;
        direct += c.reversedDirectly ? 1 : 0;
    }
    UltimateFigures f;
    f.cycles = cycles.size();
    f.tu = mean(periods);
    f.amplitude = mean(amplitudes);
    f.outputAmplitude = mean(outputs);
    f.periodSpread = relativeSpread(periods);
    f.amplitudeSpread = relativeSpread(amplitudes);
    f.asymmetry = cooling > 0 ? heating / cooling : 0;
    const double on = mean(ons);
    const double off = 2 * direct > static_cast<int>(cycles.size()) ? -on : mean(offs);

    if (!(f.tu > 0) || !(f.outputAmplitude > 0)) {
        result.error = "the output did not switch between heating and cooling";
        return result;
    }
    if (f.periodSpread > limits.maxPeriodSpread) {
        result.error = "the oscillation is irregular (period varies by "
                       + figure("%.0f", 100 * f.periodSpread)
                       + " %): the signal is too noisy or the load is disturbed";
        return result;
    }
    if (f.amplitudeSpread > limits.maxAmplitudeSpread) {
        result.error = "the oscillation is irregular (amplitude varies by "
                       + figure("%.0f", 100 * f.amplitudeSpread)
                       + " %): the signal is too noisy or the load is disturbed";
        return result;
    }
    if (!(f.amplitude > on)) {
        result.error = "the oscillation (" + figure("%.3f", f.amplitude)
                       + " \xC2\xB0" "C) does not exceed the relay's switching level ("
                       + figure("%.3f", on) + " \xC2\xB0" "C)";
        return result;
    }
    const DescribingFunction n = relayDescribingFunction(f.outputAmplitude, f.amplitude, on, off);
    const double magnitude = std::hypot(n.re, n.im);
    f.kuUncorrected = magnitude;
    f.phaseLead = std::atan2(-n.im, n.re) * 180.0 / std::numbers::pi;
    if (!(n.re > 0) || f.phaseLead > limits.maxPhaseLeadDegrees) {
        result.error = "the relay's hysteresis is too wide for the oscillation's amplitude ("
                       + figure("%.0f", f.phaseLead) + " degrees of lead)";
        return result;
    }
    f.ku = magnitude * magnitude / n.re;
    result.figures = f;
    return result;
}

}  // namespace tuning
