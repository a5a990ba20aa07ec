// Windows that no frame command opens (dialogs opened from a page's buttons,
// for example) register a factory here, so that the What's This test can
// build each one and check that every control has its text. Register in the
// file that defines the window:
//
//     const HelpCoverageRegistrar kCoverage{"SetValueDialog", [](CTQ_InterfaceView& v) -> QWidget* {
//         return new SetValueDialog(..., &v);
//     }};
#pragma once

#include <vector>

class CTQ_InterfaceView;
class QWidget;

using HelpCoverageFactory = QWidget* (*)(CTQ_InterfaceView& view);

struct HelpCoverageEntry {
    const char* name;
    HelpCoverageFactory make;   // the caller owns (and deletes) the window
};

void registerHelpCoverage(const HelpCoverageEntry& entry);
const std::vector<HelpCoverageEntry>& helpCoverage();

struct HelpCoverageRegistrar {
    HelpCoverageRegistrar(const char* name, HelpCoverageFactory make) { registerHelpCoverage({name, make}); }
};
