// Step-response figures of a recorded run: how the regulated temperature
// (Tr1) followed a change of its set point (Sp1). These are the numbers an
// engineer tuning kP, kI and kD compares between two runs.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

struct StepSeries {
    std::vector<double> seconds;   // time of each sample, ascending
    std::vector<double> setPoint;  // Sp1
    std::vector<double> actual;    // Tr1
};

struct StepOptions {
    // Settling band around the new set point: an absolute band in the
    // temperature unit when above 0, else `bandPercent` of the step size.
    double band = 0;
    double bandPercent = 2.0;
    // The smallest set-point change taken for a step.
    double minStep = 1e-3;
};

struct StepFigures {
    double stepTime = 0;       // seconds, when the set point changed
    double from = 0;           // set point before the change
    double to = 0;             // set point after it
    double step = 0;           // to - from
    double initial = 0;        // Tr1 at the change
    std::optional<double> riseTime;      // 10 % -> 90 % of the step, seconds
    double overshootPercent = 0;         // beyond the new set point, % of the step (>= 0)
    double peak = 0;                     // Tr1's extreme in the direction of the step
    std::optional<double> settlingTime;  // from the change until Tr1 stays within the band
    double band = 0;                     // the band used, absolute
    double steadyError = 0;  // mean of Sp1 - Tr1 over the last 10 % of the range
    double noise = 0;        // standard deviation of Tr1 over the last 10 %
    std::size_t samples = 0;
};

struct StepResult {
    bool ok = false;
    std::string error;
    StepFigures figures;
};

// Figures for the largest set-point change between `from` and `to`
// (seconds, inclusive), measured until `to`.
StepResult analyseStep(const StepSeries& series, double from, double to, const StepOptions& options = {});
