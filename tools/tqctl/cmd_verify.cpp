// verify FILE.tq: compares the regulator's registers with a parameter file
// in the form a download would send it.
#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "command.h"
#include "json_report.h"
#include "link/serial_manager.h"
#include "params/register_compare.h"
#include "params/register_io_serial.h"
#include "params/tq_interface_doc.h"
#include "table_view.h"
#include "tool_transfer_host.h"
#include "verify.h"

namespace tqctl {

namespace {

void printTable(const std::vector<RegisterDifference>& differences) {
    std::size_t field = 5, label = 5, document = 8;
    for (const RegisterDifference& d : differences) {
        field = std::max(field, d.field.size());
        label = std::max(label, d.label.size());
        document = std::max(document, d.documentValue.size());
    }
    const auto row = [&](const std::string& reg, const std::string& f, const std::string& l,
                         const std::string& doc, const std::string& held) {
        std::printf("%3s  %-*s  %-*s  %-*s  %s\n", reg.c_str(), static_cast<int>(field), f.c_str(),
                    static_cast<int>(label), l.c_str(), static_cast<int>(document), doc.c_str(),
                    held.c_str());
    };
    row("reg", "field", "label", "document", "regulator");
    for (const RegisterDifference& d : differences)
        row(std::to_string(d.reg), d.field, d.label, d.documentValue, d.regulatorValue);
}

}  // namespace

int verifyParameters(Context& ctx, const ParameterSet& doc, const TransferSettings& settings,
                     bool afterDownload) {
    SerialRegisterIo io(ctx.link());
    ToolTransferHost host(ctx.link());
    const RegisterComparison comparison = CompareWithRegulator(io, host, doc, settings);
    if (comparison.result != Ok)
        return comparison.result;
    runReport().differences = comparison.differences;
    const std::size_t count = comparison.differences.size();
    if (count > 0)
        printTable(comparison.differences);
    if (afterDownload)
        std::printf(" %s\n", count == 0 ? kMsgDownloadVerified
                                        : differenceCountText(kMsgDownloadDone + std::string(","),
                                                              count).c_str());
    else
        std::printf("%s\n", count == 0 ? "no differences"
                                       : differenceCountText("", count).substr(1).c_str());
    return count == 0 ? 0 : kExitDifferences;
}

namespace {

int runVerify(Context& ctx, const std::vector<std::string>& args);

const Command kVerify{"verify", "verify FILE.tq [--ieee 0|1] [--service] [--json]",
                      "compare the regulator's registers with a parameter file", runVerify};

int runVerify(Context& ctx, const std::vector<std::string>& args) {
    std::string path;
    TransferSettings settings;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--ieee") {
            if (i + 1 >= args.size() || (args[i + 1] != "0" && args[i + 1] != "1"))
                return usageError(kVerify, "--ieee takes 0 or 1");
            settings.ieee = args[++i] == "1";
        } else if (a == "--service") {
            settings.serviceMode = true;
        } else if (!a.empty() && a[0] == '-') {
            return usageError(kVerify, "unknown option " + a);
        } else if (path.empty()) {
            path = a;
        } else {
            return usageError(kVerify, "unexpected argument " + a);
        }
    }
    if (path.empty())
        return usageError(kVerify, "no file name given");
    CTQ_InterfaceDoc doc;
    TableView view;
    doc.AddView(&view);
    if (const DocOutcome opened = doc.OnOpenDocument(path); !opened) {
        std::fprintf(stderr, "%s\n", opened.message.c_str());
        return kExitVerifyFileError;
    }
    if (const int opened = ctx.openLink(); opened != Ok)
        return opened;
    return verifyParameters(ctx, doc, settings);
}

const Registrar kRegisterVerify{kVerify};

}  // namespace
}  // namespace tqctl
