// Where the fan-out of runtime samples delivers its results. Calls come on
// the serial worker thread (clearPanel on whichever thread calls it); a
// window implements this by posting to its UI thread, a test or a console
// tool by storing or printing under its own lock.
#pragma once

#include <array>
#include <string>

#include "runtime/alarm_latch.h"
#include "runtime/channel_table.h"
#include "runtime/panel_texts.h"

enum class PanelLamp : int {
    Receive,  // the "Y" lamp: a valid line arrived
    Alarm,    // the "R" lamp: an alarm bit other than the start-up delay
};

// Channel order: Main, T1, T2, T3, T4, Tr1, Sp1, Uext.ctrl, P, I, D, Sp1f,
// e, Fan1, Fan2, V+, Curr, F1_curr, F2_curr; each -100 .. +100.
using GraphValues = std::array<float, kGraphChannelCount>;

class RuntimeSink {
public:
    virtual ~RuntimeSink() = default;

    virtual void panelText(PanelField field, const std::string& text) = 0;
    // The Status field: the alarm text and a line feed, "--", or
    // "error - runtime data invalid".
    virtual void statusText(const std::string& text) = 0;
    virtual void versionText(const std::string& text) = 0;
    virtual void lampFlash(PanelLamp lamp, int milliseconds) = 0;
    virtual void graphValues(const GraphValues& values) = 0;
    // The alarm text itself, as put into the Status field.
    virtual void alarmText(const std::string& /*text*/) {}

    // The alarm page exists only while it has been created.
    virtual bool hasAlarmPage() const { return false; }
    virtual void alarmPageLamps(const AlarmLamps& /*lamps*/, int /*milliseconds*/) {}
};
