// tqctl autotune: runs the relay experiment on the regulator, prints its
// progress, what it identified and the proposed kP, kI, kD beside the
// regulator's current ones, and with --apply writes them into a parameter
// file (range-checked by the field description). The regulator's registers
// are always written back and verified; nothing is saved to FLASH.
#include <sys/stat.h>

#include <atomic>
#include <cstdio>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "command.h"
#include "interrupt_scope.h"
#include "link/serial_manager.h"
#include "params/parameter_assign.h"
#include "params/register_io_serial.h"
#include "params/tq_interface_doc.h"
#include "table_view.h"
#include "tuning/serial_tuning_link.h"
#include "tuning/tuning_session.h"

namespace tqctl {
namespace {

constexpr int kExitRefused = 10;
constexpr int kExitAborted = 11;
constexpr int kExitNotRestored = 12;

int runAutotune(Context& ctx, const std::vector<std::string>& args);

const Command kAutotune{
    "autotune",
    "autotune [--setpoint T] [--max-power P] [--band B] [--timeout S] [--rule gentle|normal] "
    "[--json] [--apply FILE.tq]",
    "find kP, kI and kD from a relay experiment on the regulator", runAutotune};


struct Options {
    tuning::TuningRequest request;
    bool json = false;
    std::string applyPath;
};

bool number(const std::string& option, const std::string& text, double lo, double hi,
            double& out, std::string& why)
{
    float v = 0;
    if (!ParseFloatText(text, v) || !(v >= lo && v <= hi)) {
        char range[80];
        std::snprintf(range, sizeof range, " (%g .. %g)", lo, hi);
        why = "bad value for " + option + ": \"" + text + "\"" + range;
        return false;
    }
    out = v;
    return true;
}

bool parseArgs(const std::vector<std::string>& args, Options& o, std::string& why)
{
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--json") {
            o.json = true;
            continue;
        }
        if (a != "--setpoint" && a != "--max-power" && a != "--band" && a != "--timeout"
            && a != "--rule" && a != "--apply") {
            why = "unexpected argument " + a;
            return false;
        }
        if (i + 1 == args.size()) {
            why = a + " needs a value";
            return false;
        }
        const std::string& v = args[++i];
        double x = 0;
        if (a == "--setpoint") {
            if (!number(a, v, -100, 200, x, why)) return false;
            o.request.setPoint = x;
        } else if (a == "--max-power") {
            if (!number(a, v, 0.1, 100, x, why)) return false;
            o.request.maxPower = x;
        } else if (a == "--band") {
            if (!number(a, v, 0.1, 100, o.request.band, why)) return false;
        } else if (a == "--timeout") {
            if (!number(a, v, 1, 86400, o.request.timeLimit, why)) return false;
        } else if (a == "--rule") {
            const auto rule = tuning::ruleFromName(v);
            if (!rule) {
                why = "unknown rule \"" + v + "\" (gentle or normal)";
                return false;
            }
            o.request.rule = *rule;
        } else {
            if (v.empty()) {
                why = "--apply needs a file name";
                return false;
            }
            o.applyPath = v;
        }
    }
    return true;
}

// Writes the constants into the file (a new one from the defaults when it
// does not exist); every value is range-checked before anything is written.
bool applyToFile(const std::string& path, const tuning::PidConstants& k, std::string& message)
{
    CTQ_InterfaceDoc doc;
    TableView view;
    doc.AddView(&view);
    struct stat st;
    if (stat(path.c_str(), &st) == 0) {
        if (const DocOutcome opened = doc.OnOpenDocument(path); !opened) {
            message = opened.message;
            return false;
        }
    } else {
        doc.OnNewDocument();
    }
    ParameterSet values = doc;
    const std::pair<const char*, double> fields[] = {{"kP", k.kP}, {"kI", k.kI}, {"kD", k.kD}};
    for (const auto& [name, value] : fields) {
        std::string error;
        if (!AssignParameter(values, nullptr, name, FloatText(static_cast<float>(value)), error)) {
            message = path + " not changed: " + error;
            return false;
        }
    }
    static_cast<ParameterSet&>(doc) = values;
    if (const DocOutcome saved = doc.SaveAs(path); !saved) {
        message = saved.message;
        return false;
    }
    message = "kP, kI and kD written to " + path;
    return true;
}

void printResult(std::FILE* out, const tuning::TuningOutcome& o, tuning::TuningRule rule)
{
    const tuning::RegulatorSettings& b = o.before;
    if (o.figures) {
        const tuning::UltimateFigures& f = *o.figures;
        std::fprintf(out,
                     "operating point %.2f \xC2\xB0" "C, output limit %.1f %%, rule %s\n"
                     "identified: ultimate gain Ku %.3f %%/\xC2\xB0" "C, ultimate period Tu %.2f s\n"
                     "  (amplitude %.3f \xC2\xB0" "C, relay \xC2\xB1%.1f %%, %zu cycles, hysteresis "
                     "lead %.1f deg, heating/cooling time %.2f, experiment %.0f s)\n",
                     o.operatingPoint, o.outputLimit, std::string(tuning::ruleName(rule)).c_str(),
                     f.ku, f.tu, f.amplitude, f.outputAmplitude, f.cycles, f.phaseLead, f.asymmetry,
                     o.experimentSeconds);
        std::fprintf(out, "constant   current     proposed\n");
        std::fprintf(out, "kP      %10.4g %12.4g\n", b.kP, o.proposed.kP);
        std::fprintf(out, "kI      %10.4g %12.4g\n", b.kI, o.proposed.kI);
        std::fprintf(out, "kD      %10.4g %12.4g\n", b.kD, o.proposed.kD);
    }
}

void printJson(const tuning::TuningOutcome& o, const Options& opt, const std::string& port,
               int code, const std::string& applied)
{
    using nlohmann::ordered_json;
    const char* status = o.status == tuning::TuningStatus::Finished ? "finished"
                         : o.status == tuning::TuningStatus::Refused ? "refused"
                                                                     : "aborted";
    ordered_json j = {{"port", port},
                      {"command", "autotune"},
                      {"result", code},
                      {"status", status},
                      {"message", o.message},
                      {"rule", std::string(tuning::ruleName(opt.request.rule))},
                      {"operatingPoint", o.operatingPoint},
                      {"outputLimit", o.outputLimit},
                      {"experimentSeconds", o.experimentSeconds},
                      {"restored", o.restored},
                      {"restoreMessage", o.restoreMessage}};
    if (o.figures) {
        const tuning::UltimateFigures& f = *o.figures;
        j["identified"] = {{"ku", f.ku},           {"tu", f.tu},
                           {"amplitude", f.amplitude}, {"relayAmplitude", f.outputAmplitude},
                           {"cycles", f.cycles},   {"phaseLead", f.phaseLead},
                           {"asymmetry", f.asymmetry}};
        j["current"] = {{"kP", o.before.kP}, {"kI", o.before.kI}, {"kD", o.before.kD}};
        j["proposed"] = {{"kP", o.proposed.kP}, {"kI", o.proposed.kI}, {"kD", o.proposed.kD}};
    }
    if (!opt.applyPath.empty())
        j["applied"] = applied;
    std::printf("%s\n", j.dump(-1, ' ', false, ordered_json::error_handler_t::replace).c_str());
}

int runAutotune(Context& ctx, const std::vector<std::string>& args)
{
    Options opt;
    std::string why;
    if (!parseArgs(args, opt, why))
        return usageError(kAutotune, why);
    // With --json the people's lines go to standard error.
    std::FILE* out = opt.json ? stderr : stdout;

    tuning::TuningOutcome o;
    if (const int opened = ctx.openLink(); opened != Ok) {
        o.message = "auto-tune refused: no link to the regulator (the port did not open)";
        std::fprintf(stderr, "%s\n", o.message.c_str());
        if (opt.json) printJson(o, opt, ctx.portPath(), opened, "");
        return opened;
    }
    {
        InterruptScope interrupt;
        SerialRegisterIo io(ctx.link());
        tuning::SerialTuningLink link(ctx.link());
        o = tuning::runTuning(io, link, opt.request,
                              [out](const tuning::ExperimentProgress& p) {
                                  std::fprintf(out, "%s\n", tuning::progressText(p).c_str());
                                  std::fflush(out);
                              },
                              &InterruptScope::flag());
    }
    ctx.closeLink();

    int code = 0;
    if (o.status == tuning::TuningStatus::Refused)
        code = kExitRefused;
    else if (o.status == tuning::TuningStatus::Aborted)
        code = kExitAborted;
    if (!o.restored)
        code = kExitNotRestored;

    if (o.status == tuning::TuningStatus::Finished)
        std::fprintf(out, "%s\n", o.message.c_str());
    else
        std::fprintf(stderr, "%s\n", o.message.c_str());
    printResult(out, o, opt.request.rule);
    if (!o.restoreMessage.empty())
        std::fprintf(o.restored ? out : stderr, "%s\n", o.restoreMessage.c_str());

    std::string applied;
    if (code == 0 && !opt.applyPath.empty()) {
        const bool ok = applyToFile(opt.applyPath, o.proposed, applied);
        std::fprintf(ok ? out : stderr, "%s\n", applied.c_str());
        if (!ok) code = kExitFileError;
    } else if (!opt.applyPath.empty()) {
        applied = opt.applyPath + " not changed: nothing to apply";
        std::fprintf(stderr, "%s\n", applied.c_str());
    }
    if (opt.json) printJson(o, opt, ctx.portPath(), code, applied);
    return code;
}

const Registrar registerAutotune(kAutotune);

}  // namespace
}  // namespace tqctl
