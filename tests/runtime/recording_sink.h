// A sink that records every call of the fan-out in order.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "runtime/runtime_sink.h"

class RecordingSink : public RuntimeSink {
public:
    std::vector<std::string> calls;  // "panel", "status", "lamp", "graph", ...
    std::map<PanelField, std::string> panel;
    std::vector<std::string> statuses;
    std::vector<std::string> versions;
    std::vector<std::pair<PanelLamp, int>> lamps;
    std::vector<GraphValues> graphs;
    std::vector<std::string> alarms;
    std::vector<AlarmLamps> pageLamps;
    bool alarmPage = false;

    void panelText(PanelField field, const std::string& text) override
    {
        calls.push_back("panel");
        panel[field] = text;
    }
    void statusText(const std::string& text) override
    {
        calls.push_back("status");
        statuses.push_back(text);
    }
    void versionText(const std::string& text) override
    {
        calls.push_back("version");
        versions.push_back(text);
    }
    void lampFlash(PanelLamp lamp, int ms) override
    {
        calls.push_back(lamp == PanelLamp::Receive ? "rx-lamp" : "alarm-lamp");
        lamps.emplace_back(lamp, ms);
    }
    void graphValues(const GraphValues& values) override
    {
        calls.push_back("graph");
        graphs.push_back(values);
    }
    void alarmText(const std::string& text) override
    {
        calls.push_back("alarm");
        alarms.push_back(text);
    }
    bool hasAlarmPage() const override { return alarmPage; }
    void alarmPageLamps(const AlarmLamps& l, int) override
    {
        calls.push_back("page-lamps");
        pageLamps.push_back(l);
    }

    int lampCount(PanelLamp which) const
    {
        int n = 0;
        for (const auto& [lamp, ms] : lamps) n += lamp == which;
        return n;
    }
    void reset() { *this = RecordingSink{}; }
};
