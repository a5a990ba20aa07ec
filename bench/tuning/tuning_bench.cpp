// bench_tuning: per thermal load of the virtual regulator, runs the auto-tune
// and then a 5 deg C set-point step with the default constants and with the
// tuned ones, and prints experiment time, identified figures, constants,
// overshoot, rise and settling time. The board is stepped in-process, as
// fast as the computer goes. Usage: bench_tuning [--rule gentle|normal] [PLANT...]
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "runtime/step_response.h"
#include "stepped_board.h"
#include "tuning/tuning_session.h"

using namespace tuning;

namespace {

struct Case {
    const char* plant;
    double operatingPoint;
    double relayLimit;    // % of output for the relay
    double settle;        // s before the step
    double after;         // s recorded after the step
};

const Case kCases[] = {
    {"laser-mount", 25.0, 30.0, 120.0, 120.0},
    {"bench", 25.0, 40.0, 600.0, 900.0},
    {"cold-plate", 25.0, 40.0, 2400.0, 4000.0},
};

struct StepRun {
    StepFigures figures;
    bool ok = false;
    double tailSwing = 0;   // peak to peak of Tr1 over the last 20 %
};

StepRun stepWith(const Case& c, const PidConstants& k)
{
    test::SteppedBoard b(*sim::plantPreset(c.plant));
    b.bank().setBits(1, sim::floatBits(static_cast<float>(k.kP)));
    b.bank().setBits(2, sim::floatBits(static_cast<float>(k.kI)));
    b.bank().setBits(3, sim::floatBits(static_cast<float>(k.kD)));
    b.bank().setBits(13, 6);
    b.bank().setBits(0, sim::floatBits(static_cast<float>(c.operatingPoint)));
    b.model().start();
    b.advance(c.settle);
    StepSeries series;
    b.startStream();
    const double ts = test::SteppedBoard::kTs;
    const int before = static_cast<int>(5.0 / ts), total = before + static_cast<int>(c.after / ts);
    for (int i = 0; i < total; ++i) {
        if (i == before)
            b.bank().setBits(0, sim::floatBits(static_cast<float>(c.operatingPoint + 5.0)));
        const auto s = b.nextSample(0);
        if (!s) break;
        series.seconds.push_back(i * ts);
        series.setPoint.push_back(s->fgTr);
        series.actual.push_back(s->frTa);
    }
    StepRun run;
    const StepResult r = analyseStep(series, 0, series.seconds.back());
    run.ok = r.ok;
    run.figures = r.figures;
    double lo = 1e9, hi = -1e9;
    for (std::size_t i = series.actual.size() * 8 / 10; i < series.actual.size(); ++i) {
        lo = std::min(lo, series.actual[i]);
        hi = std::max(hi, series.actual[i]);
    }
    run.tailSwing = hi - lo;
    return run;
}

std::string seconds(const std::optional<double>& v)
{
    char t[32];
    if (!v) return "never";
    std::snprintf(t, sizeof t, "%.1f s", *v);
    return t;
}

void printStep(const char* what, const PidConstants& k, const StepRun& r)
{
    std::printf("  %-8s kP %8.3f  kI %8.4f  kD %8.3f | overshoot %5.1f %%  rise %9s  settling %9s  "
                "tail swing %.3f \xC2\xB0" "C\n",
                what, k.kP, k.kI, k.kD, r.figures.overshootPercent, seconds(r.figures.riseTime).c_str(),
                seconds(r.figures.settlingTime).c_str(), r.tailSwing);
}

}  // namespace

int main(int argc, char** argv)
{
    TuningRule rule = TuningRequest{}.rule;
    std::vector<std::string> only;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--rule" && i + 1 < argc) {
            const auto r = ruleFromName(argv[++i]);
            if (!r) { std::fprintf(stderr, "bench_tuning: unknown rule %s\n", argv[i]); return 64; }
            rule = *r;
        } else if (sim::plantPreset(a)) {
            only.push_back(a);
        } else {
            std::fprintf(stderr, "usage: bench_tuning [--rule gentle|normal] [PLANT...]\n");
            return 64;
        }
    }
    int failures = 0;
    for (const Case& c : kCases) {
        if (!only.empty() && std::find(only.begin(), only.end(), c.plant) == only.end())
            continue;
        test::SteppedBoard b(*sim::plantPreset(c.plant));
        b.bank().setBits(13, 6);
        b.bank().setBits(0, sim::floatBits(static_cast<float>(c.operatingPoint)));
        b.advance(5);
        TuningRequest request;
        request.maxPower = c.relayLimit;
        request.rule = rule;
        request.timeLimit = 3600;
        const TuningOutcome o = runTuning(b, b, request);
        std::printf("%s (rule %s): %s, %s\n", c.plant, std::string(ruleName(rule)).c_str(),
                    o.message.c_str(), o.restoreMessage.c_str());
        if (!o.figures) { ++failures; continue; }
        const UltimateFigures& f = *o.figures;
        std::printf("  experiment %.0f s (%.1f Tu); Ku %.2f %%/\xC2\xB0" "C (uncorrected %.2f), Tu %.2f s, "
                    "amplitude %.3f \xC2\xB0" "C, relay %.1f %%, lead %.1f deg, heat/cool time %.2f\n",
                    o.experimentSeconds, o.experimentSeconds / f.tu, f.ku, f.kuUncorrected, f.tu,
                    f.amplitude, f.outputAmplitude, f.phaseLead, f.asymmetry);
        const PidConstants defaults{o.before.kP, o.before.kI, o.before.kD};
        printStep("default", defaults, stepWith(c, defaults));
        printStep("tuned", o.proposed, stepWith(c, o.proposed));
    }
    return failures == 0 ? 0 : 1;
}
