// Runtime record lines, one per input line, through the decoder and the whole
// fan-out (panel texts, alarm text and lamps, graph values) and the log row.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "runtime/log_format.h"
#include "runtime/panel_texts.h"
#include "runtime/runtime_decoder.h"
#include "runtime/runtime_fan_out.h"
#include "runtime/runtime_sink.h"

namespace {

// Touches every text it gets, so that a bad pointer or length shows.
class CheckingSink : public RuntimeSink {
public:
    void panelText(PanelField, const std::string& text) override { total += text.size(); }
    void statusText(const std::string& text) override { total += text.size(); }
    void versionText(const std::string& text) override { total += text.size(); }
    void lampFlash(PanelLamp, int ms) override { total += static_cast<std::size_t>(ms); }
    void graphValues(const GraphValues& values) override {
        for (float v : values)
            if (v == v && (v < -100.5f || v > 100.5f)) __builtin_trap();   // scaled to +-100
    }
    void alarmText(const std::string& text) override { total += text.size(); }
    bool hasAlarmPage() const override { return true; }
    void alarmPageLamps(const AlarmLamps&, int) override {}
    std::size_t total = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0)
        return 0;
    CheckingSink sink;
    RuntimeFanOut fanOut(sink);
    // The first byte picks the display settings.
    fanOut.setCelsius(data[0] & 1);
    fanOut.setServiceMode(data[0] & 2);
    std::string_view rest(reinterpret_cast<const char*>(data) + 1, size - 1);
    std::string row;
    RuntimeSample alone;
    while (!rest.empty()) {
        const std::size_t end = rest.find_first_of("\r\n");
        const std::string line(rest.substr(0, end));   // NUL-terminated copy
        rest.remove_prefix(end == std::string_view::npos ? rest.size() : end + 1);
        fanOut.refreshTick();
        fanOut.sampleTick();
        fanOut.onNotify(RuntimeFanOut::kRuntimeLineKind, static_cast<int>(line.size()),
                        line.c_str());
        fanOut.lampPeriodTick();
        if (decodeRuntimeLine(line.c_str(), alone)) {
            appendLogRow(row, alone);
            if (row.empty() || row.back() != '\n')
                __builtin_trap();
            const PanelTexts texts = formatPanelTexts(alone, data[0] & 1, data[0] & 2);
            for (int i = 0; i < texts.count; ++i)
                sink.total += texts.fields[static_cast<std::size_t>(i)].size();
        }
    }
    (void)fanOut.graphValuesFor(fanOut.sample());
    return 0;
}
