// Verify: the regulator's registers against a parameter set, as a table.
#pragma once

#include "command.h"
#include "params/parameter_set.h"
#include "params/register_transfer.h"

namespace tqctl {

constexpr int kExitDifferences = 1;       // verify: the regulator differs
constexpr int kExitVerifyFileError = 66;  // verify: the parameter file cannot be read

// Compares over the open link, prints the differences as a table and a last
// line ("no differences" / "2 differences"; after a download "Write
// parameter -- done, verified" / "Write parameter -- done, 2 differences")
// and notes them for --json. Returns 0 when equal, kExitDifferences when
// they differ, the link's code when a read failed.
int verifyParameters(Context& ctx, const ParameterSet& doc, const TransferSettings& settings,
                     bool afterDownload = false);

}  // namespace tqctl
