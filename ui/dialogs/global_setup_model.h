// The global setup dialog's logic without its widgets: the values it edits,
// how they come from and go back to the GlobalSetup, the port choices and
// their preselection, the pen-width rule and the colour rows.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/global_setup.h"

struct GlobalSetupValues {
    static constexpr int kColourRows = 2 + GlobalSetup::kChannelCount;   // background, grid, channels
    static constexpr int kMinPenWidth = 0;
    static constexpr int kMaxPenWidth = 6;

    std::string portName = "COM1";
    int baudRate = 115200;
    int bootBaudRate = 115200;
    bool fahrenheit = false;
    bool ieee = true;
    int penWidth = 0;
    bool showBootBaudRate = false;
    int sampleRateIndex = 0;
    bool stopAt65000 = false;
    // Network ports used before, newest first (rfc2217://, socket://).
    std::vector<std::string> networkPorts;
    // Row 0 background, row 1 grid, rows 2..20 the channels; 0x00BBGGRR.
    std::array<std::uint32_t, kColourRows> colours = defaultColours();

    static std::array<std::uint32_t, kColourRows> defaultColours();

    // The caller's side: fill from the setup (plus the service-mode flag),
    // and on OK copy everything back (the paths are not edited here).
    static GlobalSetupValues fromSetup(const GlobalSetup& setup, bool serviceMode);
    // A network port name is remembered (moved to the front of the list).
    void applyTo(GlobalSetup& setup) const;
};

namespace global_setup {

// The four sample-rate texts, the index being the stored value.
const std::array<const char*, 4>& sampleRateTexts();

// "--Background--", "--grid--", then "  %s " with each channel name.
std::string colourRowLabel(int row);

// The "COLOR TEST" cell of a row: its text colour and its fill colour.
struct ColourTestCell {
    std::uint32_t text;
    std::uint32_t fill;
};
ColourTestCell colourTestCell(const std::array<std::uint32_t, GlobalSetupValues::kColourRows>& colours,
                              int row);

// The entries of the port combo: each listed port, with every stable
// /dev/serial/by-id name placed just before the numbered device it points
// to and marked as the name that survives re-plugging. `resolve` turns a
// by-id path into the device path it links to ("" when it cannot).
std::vector<std::string> portChoices(const std::vector<std::string>& listed,
                                     const std::function<std::string(const std::string&)>& resolve);
// The real resolver: the link's target as an absolute, clean path.
std::string resolvePortLink(const std::string& path);

// The entry to preselect for `port`: the first whose chosen name equals
// it, or -1 (the port is then shown as typed text).
int portChoiceIndex(const std::vector<std::string>& choices, std::string_view port);

// The entries for the remembered network ports: "URL * remembered network
// port", the current port first when it is a network port not yet among them.
std::vector<std::string> rememberedPortChoices(const std::vector<std::string>& remembered,
                                               const std::string& current);
// `port` put at the front of `remembered` (once; at most
// GlobalSetup::kRememberedNetworkPorts kept); unchanged for a device name.
std::vector<std::string> rememberPort(std::vector<std::string> remembered, const std::string& port);

// The port taken back on OK from the combo's text: leading blanks skipped,
// cut at its first " " or "*", at most 256 characters. An empty result
// keeps `current`. A network URL has neither, so it is kept whole.
std::string portFromText(std::string_view text, const std::string& current);
// Why a port name cannot be used ("rfc2217://box: no port number (the form
// is rfc2217://HOST:PORT)"); empty when it can (device names are checked
// only when opened).
std::string portProblem(const std::string& port);

// Index of `rate` in the baud list, or -1 (nothing is selected; the rate
// then passes through unchanged).
int baudChoiceIndex(int rate);
// The rate taken back: the listed rate at `index`, or `current` for -1.
int baudFromChoice(int index, int current);

// The pen width typed: an integer 0..6 (blanks around it allowed), or
// nothing with the message to show.
std::optional<int> parsePenWidth(std::string_view text);
std::string penWidthMessage();   // "Please enter an integer between 0 and 6."

}  // namespace global_setup
