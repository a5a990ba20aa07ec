#include "ui/help/help_coverage.h"

#include "params/register_compare.h"
#include "ui/about_box.h"
#include "ui/dialogs/autotune_dialog.h"
#include "ui/dialogs/compare_dialog.h"
#include "ui/help/help_window.h"
#include "app/connection_manager.h"
#include "ui/tq_interface_view.h"

namespace {

std::vector<HelpCoverageEntry>& entries() {
    static std::vector<HelpCoverageEntry> list;
    return list;
}

// The windows of the help itself and the dialogs of the main window, built
// here so that the list is never empty. The compare dialog with a difference,
// so its table and both buttons are there.
const HelpCoverageRegistrar kHelpWindow{"HelpWindow", [](CTQ_InterfaceView& v) -> QWidget* {
    return new HelpWindow(&v);
}};
const HelpCoverageRegistrar kAbout{"CAboutDlg", [](CTQ_InterfaceView& v) -> QWidget* {
    return new CAboutDlg(true, &v);
}};
const HelpCoverageRegistrar kCompare{"CompareDialog", [](CTQ_InterfaceView& v) -> QWidget* {
    RegisterComparison comparison;
    comparison.differences.push_back({0, "st1", "St1", "20", "21"});
    return new CompareDialog(CompareModel(comparison), &v);
}};

const HelpCoverageRegistrar kAutotune{"AutotuneDialog", [](CTQ_InterfaceView& v) -> QWidget* {
    static ParameterSet document;
    document.ApplyDefaults();
    return new AutotuneDialog(v.connection(), document, true, {}, {}, &v);
}};

}  // namespace

void registerHelpCoverage(const HelpCoverageEntry& entry) { entries().push_back(entry); }

const std::vector<HelpCoverageEntry>& helpCoverage() { return entries(); }
