// export: a runtime log as comma-separated text with an ISO time column.
#include <cstdio>
#include <fcntl.h>
#include <string>
#include <unistd.h>
#include <vector>

#include "command.h"
#include "runtime/log_reader.h"
#include "runtime/log_series.h"

namespace tqctl {
namespace {

int runExport(Context& ctx, const std::vector<std::string>& args);

const Command kExport{"export", "export LOG.txt -o OUT.csv",
                      "convert a runtime log to CSV with an ISO time column", runExport};

int runExport(Context&, const std::vector<std::string>& args) {
    std::string in, out;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "-o" || args[i] == "--output") {
            if (i + 1 >= args.size()) return usageError(kExport, "-o takes a file name");
            out = args[++i];
        } else if (!args[i].empty() && args[i][0] == '-') {
            return usageError(kExport, "unknown option " + args[i]);
        } else if (in.empty()) {
            in = args[i];
        } else {
            return usageError(kExport, "too many arguments");
        }
    }
    if (in.empty()) return usageError(kExport, "missing LOG.txt");
    if (out.empty()) return usageError(kExport, "missing -o OUT.csv");
    const LogReadResult log = readLogFile(in);
    if (!log.ok) {
        std::fprintf(stderr, "tqctl: cannot read log \"%s\": %s\n", in.c_str(), log.error.c_str());
        return 1;
    }
    FILE* file = std::fopen(out.c_str(), "wb");
    if (!file) {
        std::perror(("tqctl: " + out).c_str());
        return 1;
    }
    std::string text;
    constexpr std::size_t kChunk = 20000;  // rows written at a time
    bool ok = true;
    const std::size_t rows = log.data.rowCount();
    for (std::size_t row = 0; row == 0 || row < rows; row += kChunk) {
        text.clear();
        writeLogCsv(log.data, text, row, row + kChunk, row == 0);
        ok = ok && std::fwrite(text.data(), 1, text.size(), file) == text.size();
    }
    ok = std::fclose(file) == 0 && ok;
    if (!ok) {
        std::fprintf(stderr, "tqctl: error writing \"%s\"\n", out.c_str());
        return 1;
    }
    std::printf("%zu rows written to %s (%zu rows not read)\n", log.data.rowCount(), out.c_str(),
                log.data.badRows());
    return 0;
}

const Registrar kRegisterExport{kExport};

}  // namespace
}  // namespace tqctl
