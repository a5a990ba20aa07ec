// analyse: step-response figures of a recorded log (Tr1 against Sp1).
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "command.h"
#include "runtime/log_reader.h"
#include "runtime/log_series.h"

namespace tqctl {
namespace {

constexpr int kExitNoFigures = 1;

int runAnalyse(Context& ctx, const std::vector<std::string>& args);

const Command kAnalyse{"analyse", "analyse LOG.txt [--from S] [--to S] [--band B] [--json]",
                       "step response of Tr1 to the largest Sp1 change: rise, overshoot, settling, error",
                       runAnalyse};

bool readSeconds(const std::string& text, double& out) {
    char* end = nullptr;
    out = std::strtod(text.c_str(), &end);
    return !text.empty() && end && *end == '\0' && std::isfinite(out);
}

std::string secondsText(const std::optional<double>& v) {
    if (!v) return "not reached";
    char b[32];
    std::snprintf(b, sizeof b, "%.2f s", *v);
    return b;
}

int runAnalyse(Context&, const std::vector<std::string>& args) {
    std::string path;
    double from = -INFINITY, to = INFINITY;
    StepOptions options;
    bool json = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        auto value = [&](double& out) {
            return i + 1 < args.size() && readSeconds(args[++i], out);
        };
        if (a == "--json") json = true;
        else if (a == "--from") { if (!value(from)) return usageError(kAnalyse, "--from takes seconds"); }
        else if (a == "--to") { if (!value(to)) return usageError(kAnalyse, "--to takes seconds"); }
        else if (a == "--band") {
            if (!value(options.band) || options.band <= 0) return usageError(kAnalyse, "--band takes a positive number");
        }
        else if (!a.empty() && a[0] == '-') return usageError(kAnalyse, "unknown option " + a);
        else if (path.empty()) path = a;
        else return usageError(kAnalyse, "too many arguments");
    }
    if (path.empty()) return usageError(kAnalyse, "missing LOG.txt");

    const LogReadResult log = readLogFile(path);
    if (!log.ok) {
        std::fprintf(stderr, "tqctl: cannot read log \"%s\": %s\n", path.c_str(), log.error.c_str());
        return kExitNoFigures;
    }
    const StepResult r = analyseStep(stepSeriesOf(log.data), from, to, options);
    if (json) {
        nlohmann::json out;
        out["file"] = path;
        out["rows"] = log.data.rowCount();
        out["bad_rows"] = log.data.badRows();
        out["ok"] = r.ok;
        if (!r.ok) out["error"] = r.error;
        else {
            const StepFigures& f = r.figures;
            auto opt = [](const std::optional<double>& v) { return v ? nlohmann::json(*v) : nlohmann::json(); };
            out["step_time_s"] = f.stepTime;
            out["set_point_from"] = f.from;
            out["set_point_to"] = f.to;
            out["step"] = f.step;
            out["rise_time_s"] = opt(f.riseTime);
            out["overshoot_percent"] = f.overshootPercent;
            out["settling_time_s"] = opt(f.settlingTime);
            out["band"] = f.band;
            out["steady_state_error"] = f.steadyError;
            out["noise"] = f.noise;
        }
        std::printf("%s\n", out.dump(2, ' ', false, nlohmann::json::error_handler_t::replace).c_str());
        return r.ok ? 0 : kExitNoFigures;
    }
    std::printf("Rows          : %zu (%zu not read)\n", log.data.rowCount(), log.data.badRows());
    if (!r.ok) {
        std::fprintf(stderr, "tqctl: %s\n", r.error.c_str());
        return kExitNoFigures;
    }
    const StepFigures& f = r.figures;
    std::printf("Step          : %.2f -> %.2f (%+.2f) at %.2f s\n", f.from, f.to, f.step, f.stepTime);
    std::printf("Rise time     : %s (10-90 %%)\n", secondsText(f.riseTime).c_str());
    std::printf("Overshoot     : %.1f %% (peak %.2f)\n", f.overshootPercent, f.peak);
    std::printf("Settling time : %s (band +/-%.3f)\n", secondsText(f.settlingTime).c_str(), f.band);
    std::printf("Steady error  : %.3f (noise %.3f)\n", f.steadyError, f.noise);
    std::printf("Time          : sample counter at 20 lines/s\n");
    return 0;
}

const Registrar kRegisterAnalyse{kAnalyse};

}  // namespace
}  // namespace tqctl
