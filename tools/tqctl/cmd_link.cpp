// One-shot regulator commands: version, stop, start, the FLASH commands,
// reboot and status. Each prints what the program's message line shows and
// exits with the protocol's result code.
#include <cstdio>
#include <string>
#include <vector>

#include "command.h"
#include "link/serial_manager.h"

namespace tqctl {
namespace {

void reportFailure(const char* message, int result) {
    std::fprintf(stderr, "%s error - error %d [%s]\n", message, result, resultText(result));
}

// Opens the link, runs `operation`, prints `message` on success.
template <class Operation>
int oneShot(const Command& command, Context& ctx, const std::vector<std::string>& args,
            const char* message, Operation operation) {
    if (!args.empty())
        return usageError(command, "unexpected argument " + args.front());
    if (const int opened = ctx.openLink(); opened != Ok)
        return opened;
    const int result = operation(ctx.link());
    if (result == Ok)
        std::printf("%s\n", message);
    else
        reportFailure(message, result);
    return result;
}

int runVersion(Context& ctx, const std::vector<std::string>& args);
int runStatus(Context& ctx, const std::vector<std::string>& args);

const Command kVersion{"version", "version", "ask the regulator for its firmware version",
                       runVersion};
const Command kStatusCommand{"status", "status [--clear]",
                             "print the two status numbers (--clear resets them)", runStatus};

int runVersion(Context& ctx, const std::vector<std::string>& args) {
    if (!args.empty())
        return usageError(kVersion, "unexpected argument " + args.front());
    if (const int opened = ctx.openLink(); opened != Ok)
        return opened;
    std::string version;
    const int result = ctx.link().getVersion(version);
    if (result != Ok) {
        version = "<no respons>";
        std::fprintf(stderr,
                     "Can not connect to regulator board\nPlease check connection cable and "
                     "power, or Firmware version 0.2xx\n");
        reportFailure("Get version", result);
    }
    std::printf("Get version = %s\n", version.c_str());
    return result;
}

int runStatus(Context& ctx, const std::vector<std::string>& args) {
    bool clear = false;
    for (const std::string& arg : args) {
        if (arg == "--clear")
            clear = true;
        else
            return usageError(kStatusCommand, "unexpected argument " + arg);
    }
    if (const int opened = ctx.openLink(); opened != Ok)
        return opened;
    int a = 0;
    int b = 0;
    const int result = ctx.link().getStatus(clear, a, b);
    if (result != Ok) {
        reportFailure(clear ? "Clear status" : "Get status", result);
        return result;
    }
    std::printf("%d %d\n", a, b);
    return result;
}

const Command kStop{"stop", "stop", "stop the regulator",
                    [](Context& ctx, const std::vector<std::string>& args) {
                        return oneShot(kStop, ctx, args, "Stop regulator",
                                       [](SerialManager& link) { return link.stop(); });
                    }};
const Command kStart{"start", "start", "start the regulator",
                     [](Context& ctx, const std::vector<std::string>& args) {
                         return oneShot(kStart, ctx, args, "Start regulator",
                                        [](SerialManager& link) { return link.start(); });
                     }};
const Command kSaveFlash{
    "save-flash", "save-flash", "save the regulator's parameters to FLASH",
    [](Context& ctx, const std::vector<std::string>& args) {
        return oneShot(kSaveFlash, ctx, args, "Save regulator parameters to FLASH",
                       [](SerialManager& link) { return link.saveToFlash(); });
    }};
const Command kLoadFlash{
    "load-flash", "load-flash", "load the regulator's parameters from FLASH (reboots it)",
    [](Context& ctx, const std::vector<std::string>& args) {
        return oneShot(kLoadFlash, ctx, args, "Load regulator parameters from FLASH",
                       [](SerialManager& link) { return link.reboot(); });
    }};
const Command kFlashDefaults{
    "flash-defaults", "flash-defaults", "reset the regulator's FLASH to its defaults",
    [](Context& ctx, const std::vector<std::string>& args) {
        return oneShot(kFlashDefaults, ctx, args, "Set regulator FLASH to default",
                       [](SerialManager& link) { return link.flashToDefault(); });
    }};
const Command kReboot{"reboot", "reboot", "reboot the regulator",
                      [](Context& ctx, const std::vector<std::string>& args) {
                          return oneShot(kReboot, ctx, args, "Reboot regulator",
                                         [](SerialManager& link) { return link.reboot(); });
                      }};

const Registrar registerVersion(kVersion);
const Registrar registerStop(kStop);
const Registrar registerStart(kStart);
const Registrar registerSaveFlash(kSaveFlash);
const Registrar registerLoadFlash(kLoadFlash);
const Registrar registerFlashDefaults(kFlashDefaults);
const Registrar registerReboot(kReboot);
const Registrar registerStatus(kStatusCommand);

}  // namespace
}  // namespace tqctl
