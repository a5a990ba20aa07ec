#include "ui/dialogs/global_setup_model.h"

#include <algorithm>
#include <charconv>
#include <filesystem>
#include <system_error>

#include "link/port_list.h"
#include "link/port_url.h"
#include "runtime/channel_table.h"

std::array<std::uint32_t, GlobalSetupValues::kColourRows> GlobalSetupValues::defaultColours() {
    std::array<std::uint32_t, kColourRows> colours{};
    colours[0] = GlobalSetup::kDefaultBackground;
    colours[1] = GlobalSetup::kDefaultGrid;
    std::copy(GlobalSetup::kDefaultChannelColors.begin(), GlobalSetup::kDefaultChannelColors.end(),
              colours.begin() + 2);
    return colours;
}

GlobalSetupValues GlobalSetupValues::fromSetup(const GlobalSetup& setup, bool serviceMode) {
    GlobalSetupValues v;
    v.portName = setup.portName;
    v.baudRate = setup.baudRate;
    v.bootBaudRate = setup.bootBaudRate;
    v.fahrenheit = !setup.celsius;
    v.ieee = setup.ieeeFormat;
    v.penWidth = setup.penSize;
    v.showBootBaudRate = serviceMode;
    v.sampleRateIndex = setup.sampleRate;
    v.stopAt65000 = setup.logLimitSize;
    v.networkPorts = setup.networkPorts;
    v.colours[0] = setup.colorBackground;
    v.colours[1] = setup.colorGrid;
    std::copy(setup.channelColors.begin(), setup.channelColors.end(), v.colours.begin() + 2);
    return v;
}

void GlobalSetupValues::applyTo(GlobalSetup& setup) const {
    setup.portName = portName;
    setup.baudRate = baudRate;
    setup.bootBaudRate = bootBaudRate;
    setup.celsius = !fahrenheit;
    setup.ieeeFormat = ieee;
    setup.penSize = penWidth;
    setup.sampleRate = sampleRateIndex;
    setup.logLimitSize = stopAt65000;
    setup.networkPorts = global_setup::rememberPort(networkPorts, portName);
    setup.colorBackground = colours[0];
    setup.colorGrid = colours[1];
    std::copy(colours.begin() + 2, colours.end(), setup.channelColors.begin());
}

namespace global_setup {

namespace {

constexpr std::string_view kByIdFolder = "/serial/by-id/";
constexpr std::size_t kPortTextLimit = 256;

bool isStableName(const std::string& entry) {
    return chosenPortName(entry).find(kByIdFolder) != std::string::npos;
}

}  // namespace

const std::array<const char*, 4>& sampleRateTexts() {
    static const std::array<const char*, 4> texts = {"20 samples/sec", "10 samples/sec", "1 sampe/sec",
                                                     "1 sample/10 sec"};
    return texts;
}

std::string colourRowLabel(int row) {
    if (row == 0) return "--Background--";
    if (row == 1) return "--grid--";
    if (row < 2 || row >= GlobalSetupValues::kColourRows) return {};
    return std::string("  ") + GraphChannels()[static_cast<std::size_t>(row - 2)].name + " ";
}

ColourTestCell colourTestCell(const std::array<std::uint32_t, GlobalSetupValues::kColourRows>& colours,
                              int row) {
    const std::uint32_t background = colours[0];
    if (row <= 0 || row >= GlobalSetupValues::kColourRows) return {0x00FFFFFF, background};
    return {colours[static_cast<std::size_t>(row)], background};
}

std::vector<std::string> portChoices(const std::vector<std::string>& listed,
                                     const std::function<std::string(const std::string&)>& resolve) {
    std::vector<std::string> devices;
    std::vector<std::pair<std::string, std::string>> stable;   // by-id path, its device
    for (const std::string& entry : listed) {
        if (isStableName(entry)) {
            const std::string path = chosenPortName(entry);
            stable.emplace_back(path, resolve ? resolve(path) : std::string());
        } else {
            devices.push_back(entry);
        }
    }
    std::vector<std::string> choices;
    std::vector<bool> placed(stable.size(), false);
    for (const std::string& entry : devices) {
        const std::string device = chosenPortName(entry);
        for (std::size_t i = 0; i < stable.size(); ++i) {
            if (placed[i] || stable[i].second != device) continue;
            choices.push_back(stable[i].first + " * stable name of " + device + ", survives re-plugging");
            placed[i] = true;
        }
        choices.push_back(entry);
    }
    for (std::size_t i = 0; i < stable.size(); ++i)
        if (!placed[i]) choices.push_back(stable[i].first + " * stable name, survives re-plugging");
    return choices;
}

std::string resolvePortLink(const std::string& path) {
    std::error_code ec;
    const std::filesystem::path target = std::filesystem::canonical(path, ec);
    return ec ? std::string() : target.string();
}

int portChoiceIndex(const std::vector<std::string>& choices, std::string_view port) {
    if (port.empty()) return -1;
    for (std::size_t i = 0; i < choices.size(); ++i)
        if (chosenPortName(choices[i]) == port) return static_cast<int>(i);
    return -1;
}

std::vector<std::string> rememberedPortChoices(const std::vector<std::string>& remembered,
                                               const std::string& current) {
    std::vector<std::string> choices;
    for (const std::string& port : rememberPort(remembered, current))
        choices.push_back(port + " * remembered network port");
    return choices;
}

std::vector<std::string> rememberPort(std::vector<std::string> remembered, const std::string& port) {
    if (!parsePortUrl(port)) return remembered;
    remembered.erase(std::remove(remembered.begin(), remembered.end(), port), remembered.end());
    remembered.insert(remembered.begin(), port);
    if (remembered.size() > GlobalSetup::kRememberedNetworkPorts)
        remembered.resize(GlobalSetup::kRememberedNetworkPorts);
    return remembered;
}

std::string portProblem(const std::string& port) {
    std::string why;
    if (isNetworkPortName(port) && !parsePortUrl(port, &why)) return why;
    return {};
}

std::string portFromText(std::string_view text, const std::string& current) {
    text = text.substr(0, std::min(text.size(), kPortTextLimit));
    const std::size_t start = text.find_first_not_of(" \t");
    if (start == std::string_view::npos) return current;
    const std::string port = chosenPortName(text.substr(start));
    return port.empty() ? current : port;
}

int baudChoiceIndex(int rate) {
    return rate <= 0 ? -1 : baudRateIndex(static_cast<std::uint32_t>(rate));
}

int baudFromChoice(int index, int current) {
    if (index < 0 || index >= static_cast<int>(kBaudRates.size())) return current;
    return static_cast<int>(kBaudRates[static_cast<std::size_t>(index)]);
}

std::optional<int> parsePenWidth(std::string_view text) {
    const std::size_t first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) return std::nullopt;
    const std::size_t last = text.find_last_not_of(" \t");
    text = text.substr(first, last - first + 1);
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
    if (value < GlobalSetupValues::kMinPenWidth || value > GlobalSetupValues::kMaxPenWidth) return std::nullopt;
    return value;
}

std::string penWidthMessage() {
    return "Please enter an integer between " + std::to_string(GlobalSetupValues::kMinPenWidth) + " and " +
           std::to_string(GlobalSetupValues::kMaxPenWidth) + ".";
}

}  // namespace global_setup
