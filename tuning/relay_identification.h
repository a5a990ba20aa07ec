// Reading a relay oscillation: the cycles of a recorded run (switch points,
// amplitude, period, output levels) and the ultimate gain and period from
// the describing function of a relay with hysteresis. Pure functions.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace tuning {

// One regulator sample as the experiment sees it.
struct RelayPoint {
    double seconds = 0;  // regulator time: sample counter x ts
    double error = 0;    // the relay's input: filtered deviation (set point - actual), deg C
    double output = 0;   // main output, %, > 0 heats
};

// One full cycle, from a switch to heating to the next one.
struct RelayCycle {
    double start = 0;        // seconds
    double period = 0;       // seconds
    double heatingTime = 0;  // seconds with the output above 0
    double coolingTime = 0;  // seconds with the output below 0
    double errorMax = 0;     // extremes of the relay input in the cycle
    double errorMin = 0;
    double outputHigh = 0;   // mean output while heating, %
    double outputLow = 0;    // mean output while cooling, % (negative)
    double switchOn = 0;     // |error| where the output switched on (mean of both sides)
    double switchOff = 0;    // |error| where it switched off; < 0 when it reversed directly
    bool reversedDirectly = false;  // two-level relay: no pause at 0 between the sides

    double amplitude() const { return 0.5 * (errorMax - errorMin); }
    double outputAmplitude() const { return 0.5 * (outputHigh - outputLow); }
};

// The complete cycles of a run, in order. A cycle begins where the output
// turns to heating, at the first sample of that turn with the error above
// +swing, once the error has been below -swing since the last cycle began:
// a relay that chatters in the noise as the error crosses 0 starts one
// cycle, not several.
std::vector<RelayCycle> relayCycles(const std::vector<RelayPoint>& points, double swing = 0.0);

// Describing function of a three-level relay: output +-d once |e| reaches
// `on`, back to 0 when |e| falls to `off` (off = -on gives the two-level
// relay with hysteresis `on`), for a sinusoidal input of amplitude a > on.
struct DescribingFunction {
    double re = 0;
    double im = 0;  // <= 0: the hysteresis lags
};
DescribingFunction relayDescribingFunction(double d, double a, double on, double off);

struct UltimateFigures {
    double ku = 0;               // ultimate gain, % per deg C, corrected for hysteresis
    double kuUncorrected = 0;    // 4d / (pi a)-like magnitude |N(a)|
    double tu = 0;               // ultimate period, s (mean of the measured cycles)
    double amplitude = 0;        // mean amplitude of the relay input, deg C
    double outputAmplitude = 0;  // mean relay amplitude d, %
    double phaseLead = 0;        // lead over -180 deg of the measured point, degrees
    double periodSpread = 0;     // relative standard deviation of the periods
    double amplitudeSpread = 0;  // relative standard deviation of the amplitudes
    double asymmetry = 0;        // heating time / cooling time
    std::size_t cycles = 0;
};

struct IdentificationResult {
    std::optional<UltimateFigures> figures;
    std::string error;  // why there are no figures
};

struct IdentificationLimits {
    double maxPeriodSpread = 0.25;
    double maxAmplitudeSpread = 0.30;
    double maxPhaseLeadDegrees = 60.0;
};

// Ultimate gain and period from the given cycles (the caller leaves out the
// first ones, which still carry the approach). The hysteresis moves the
// oscillation to where the loop lags by 180 deg minus phi; the Nyquist curve
// is taken as locally perpendicular to the real axis there, so
// Ku = |N|^2 / Re N (4d / (pi sqrt(a^2 - h^2)) for the two-level relay).
IdentificationResult identifyUltimate(const std::vector<RelayCycle>& cycles,
                                      const IdentificationLimits& limits = {});

}  // namespace tuning
