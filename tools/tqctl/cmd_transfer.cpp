// Parameter transfer: download FILE.tq to the regulator, get the regulator's
// parameters into FILE.tq. Both run the program's own transfer and print the
// message line as it changes.
#include <cstdio>
#include <string>
#include <sys/stat.h>
#include <vector>

#include "command.h"
#include "link/serial_manager.h"
#include "params/register_io_serial.h"
#include "params/register_transfer.h"
#include "params/tq_interface_doc.h"
#include "runtime/channel_table.h"
#include "table_view.h"
#include "tool_transfer_host.h"
#include "verify.h"

namespace tqctl {
namespace {



struct TransferArgs {
    std::string path;
    TransferSettings settings;
    bool verify = false;   // download: verify afterwards
};

// Parses FILE.tq [--ieee 0|1] [--service]; returns an error text or "".
std::string parseArgs(const std::vector<std::string>& args, bool allowService, TransferArgs& out) {
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--ieee") {
            if (i + 1 >= args.size() || (args[i + 1] != "0" && args[i + 1] != "1"))
                return "--ieee takes 0 or 1";
            out.settings.ieee = args[++i] == "1";
        } else if (a == "--service" && allowService) {
            out.settings.serviceMode = true;
        } else if (a == "--verify" && allowService) {
            out.verify = true;
        } else if (!a.empty() && a[0] == '-') {
            return "unknown option " + a;
        } else if (out.path.empty()) {
            out.path = a;
        } else {
            return "unexpected argument " + a;
        }
    }
    return out.path.empty() ? "no file name given" : "";
}


int runDownload(Context& ctx, const std::vector<std::string>& args);
int runGet(Context& ctx, const std::vector<std::string>& args);

const Command kDownload{"download", "download FILE.tq [--ieee 0|1] [--service] [--verify] [--json]",
                        "download a parameter file to the regulator (--verify: and compare)", runDownload};
const Command kGet{"get", "get FILE.tq [--ieee 0|1]",
                   "read the regulator's parameters into a new or existing file", runGet};

int runDownload(Context& ctx, const std::vector<std::string>& args) {
    TransferArgs parsed;
    if (const std::string error = parseArgs(args, true, parsed); !error.empty())
        return usageError(kDownload, error);
    CTQ_InterfaceDoc doc;
    TableView view;
    doc.AddView(&view);
    if (const DocOutcome opened = doc.OnOpenDocument(parsed.path); !opened) {
        fileError(opened.message);
        return parsed.verify ? kExitVerifyFileError : kExitFileError;
    }
    if (const int opened = ctx.openLink(); opened != Ok)
        return opened;
    SerialRegisterIo io(ctx.link());
    ToolTransferHost host(ctx.link());
    const int result = DownloadParameters(io, host, doc, parsed.settings);
    if (result != Ok || !parsed.verify)
        return result;
    return verifyParameters(ctx, doc, parsed.settings, true);
}

int runGet(Context& ctx, const std::vector<std::string>& args) {
    TransferArgs parsed;
    if (const std::string error = parseArgs(args, false, parsed); !error.empty())
        return usageError(kGet, error);
    CTQ_InterfaceDoc doc;
    TableView view;
    doc.AddView(&view);
    struct stat st;
    const bool exists = stat(parsed.path.c_str(), &st) == 0;
    if (exists) {
        if (const DocOutcome opened = doc.OnOpenDocument(parsed.path); !opened)
            return fileError(opened.message);
    } else {
        doc.OnNewDocument();
    }
    if (const int opened = ctx.openLink(); opened != Ok)
        return opened;
    SerialRegisterIo io(ctx.link());
    ToolTransferHost host(ctx.link());
    const int result = GetParameters(io, host, doc, parsed.settings);
    if (result != Ok)
        return result;
    if (exists && !view.hadBlock)
        doc.RemoveView(&view);   // a file without a graph block stays without one
    if (const DocOutcome saved = doc.SaveAs(parsed.path); !saved)
        return fileError(saved.message);
    std::printf("%s written\n", parsed.path.c_str());
    return 0;
}

const Registrar kRegisterDownload{kDownload};
const Registrar kRegisterGet{kGet};

}  // namespace
}  // namespace tqctl
