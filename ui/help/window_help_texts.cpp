#include "ui/help/window_help_texts.h"

#include <QAction>
#include <QGroupBox>

#include "app/command_ids.h"
#include "app/frame_commands.h"
#include "app/main_frame.h"
#include "ui/help/whats_this.h"
#include "ui/lamp_widget.h"
#include "ui/status_panel.h"

namespace {

struct CommandText {
    int id;
    const char* text;
};

const CommandText kCommandTexts[] = {
    {cmd::FileNew, "New (Ctrl+N)\n\nStarts a new parameter set with the default values. A changed set is "
                   "offered for saving first."},
    {cmd::FileOpen, "Open (Ctrl+O)\n\nOpens a parameter file (.tq). The regulator is not changed until you "
                    "download the set."},
    {cmd::FileSave, "Save (Ctrl+S)\n\nWrites the parameter set to its file; a new set asks for a name."},
    {cmd::FileSaveAs, "Save As\n\nWrites the parameter set to a new file and keeps working on that file."},
    {cmd::RevertToDefault, "Revert to default\n\nSets every field of the parameter set to its default value."},
    {cmd::FilePrint, "Print (Ctrl+P)\n\nPrints the one-page report of the parameter set, or writes it as a PDF."},
    {cmd::FilePrintPreview, "Print Preview\n\nShows the report as it will be printed."},
    {cmd::FilePrintSetup, "Print Setup\n\nChooses the printer and the paper."},
    {cmd::EditCut, "Cut (Ctrl+X)\n\nCuts the selected text of the field being edited."},
    {cmd::EditCopy, "Copy (Ctrl+C)\n\nCopies the selected text. On the Sensor page it copies the "
                    "calibration of the sensor shown."},
    {cmd::EditPaste, "Paste (Ctrl+V)\n\nPastes into the field being edited. On the Sensor page it pastes a "
                     "copied calibration into the sensor shown."},
    {cmd::ViewRuntime, "Runtimeview\n\nShows the Runtime page with the live graph of the regulator."},
    {cmd::Connect, "Connect\n\nOpens the serial port of the global setup and searches for the regulator "
                   "every half second until it answers with its version; then the live data starts."},
    {cmd::ToolConnect, "Connect RS232\n\nOpens the serial port of the global setup and searches for the "
                       "regulator until it answers; then the live data starts."},
    {cmd::Disconnect, "Disconnect\n\nStops the live data and closes the serial port."},
    {cmd::ToolDisconnect, "Disconnect\n\nStops the live data and closes the serial port."},
    {cmd::Stop, "Stop\n\nStops the regulator: the outputs are switched off. The regulator keeps sending "
                "its live data."},
    {cmd::DownloadParameters, "Download parameters\n\nWrites the whole parameter set into the regulator's "
                              "registers. With Verify after download on, the registers are read back "
                              "and compared."},
    {cmd::ToolSendParameters, "Send parameters\n\nWrites the whole parameter set into the regulator's "
                              "registers (as Regulator > Download parameters)."},
    {cmd::GetParameters, "Get parameters\n\nReads the regulator's registers into the parameter set. The set "
                         "changes only when every register was read."},
    {cmd::ToolGetParameters, "Get parameters\n\nReads the regulator's registers into the parameter set."},
    {cmd::CompareWithRegulator, "Compare with regulator\n\nReads the regulator's registers and lists every "
                                "field that differs from this parameter set. Nothing is changed unless "
                                "you take the regulator's values."},
    {cmd::Autotune, "Auto-tune\n\nRuns a short on/off experiment on the regulator around an operating "
                    "point, identifies the loop and proposes kP, kI and kD. Every setting it changes is "
                    "restored afterwards; nothing is saved to FLASH."},
    {cmd::VerifyAfterDownload, "Verify after download\n\nWhen checked, every download is followed by a "
                               "compare; the message line says \"verified\" or how many fields differ."},
    {cmd::SaveToFlash, "Save to FLASH\n\nMakes the regulator store its current registers in its FLASH, so "
                       "they survive a power cycle."},
    {cmd::ReadFromFlash, "Read from FLASH\n\nMakes the regulator load its registers from FLASH, dropping "
                         "changes not saved."},
    {cmd::FlashToDefault, "Set FLASH to default\n\nMakes the regulator write its factory defaults into "
                          "FLASH. The registers in use change at the next reboot."},
    {cmd::RebootRegulator, "Reboot regulator\n\nRestarts the regulator; it loads its registers from FLASH "
                           "and waits three seconds before regulating."},
    {cmd::GlobalSetup, "Global setup\n\nSerial port and baud rates, temperature unit, runtime data format, "
                       "graph colours and pen, log sample rate and size limit."},
    {cmd::ToolGlobalSetup, "Global setup\n\nSerial port and baud rates, temperature unit, runtime data "
                           "format, graph colours and pen, log sample rate and size limit."},
    {cmd::DownloadFirmware, "Download firmware\n\nReplaces the regulator's firmware from an Intel HEX file "
                            "through its boot loader, and verifies what was written."},
    {cmd::LogStart, "Start log\n\nAsks for a file name and records every live sample (or one of every "
                    "few, by the global setup) as a tab-separated row."},
    {cmd::LogStop, "Stop log\n\nEnds the log file."},
    {cmd::ToolLogToggle, "Start/stop logg file\n\nStarts a log file (asking for its name) or ends the "
                         "one being written."},
    {cmd::ToolGetVersion, "Get version\n\nAsks the regulator for its firmware version and shows it in the "
                          "status panel."},
    {cmd::HelpTopics, "Help Topics (F1)\n\nOpens the manual at the page of the tab shown."},
    {cmd::ToolHelp, "Help (Shift+F1)\n\nThe pointer becomes a question mark: click any control, menu "
                    "command or field to read what it does."},
    {cmd::AppAbout, "About\n\nShows the program's version."},
};

}  // namespace

void describeFrameCommands(CMainFrame& frame) {
    for (const FrameCommand& c : frameCommands()) {
        QAction* action = frame.command(c.id);
        if (!action) continue;
        QString text = QString::fromUtf8(c.prompt).section(QLatin1Char('\n'), 0, 0);
        for (const CommandText& t : kCommandTexts)
            if (t.id == c.id) text = QString::fromUtf8(t.text);
        action->setWhatsThis(text);
    }
}

void describeStatusPanel(StatusPanel& panel) {
    const struct { const char* title; const char* text; } groups[] = {
        {"Regulator Status",
         "Regulator Status\n\nThe firmware version of the regulator, its status and alarm text, the three "
         "lamps and the message line. The lamps: green blinks twice a second while the program searches "
         "for the regulator or is connected, yellow when live lines arrive, red at an alarm."},
        {"Input",
         "Input\n\nT1 to T4: the four temperature sensors (T4 is the output transistors' temperature). "
         "Uin: the supply voltage. Uext.ctrl: the external control voltage. I(main): the current of the "
         "main output."},
        {"Regulator information",
         "Regulator information\n\nSp1: the set point in use. Tr1: the temperature the regulator controls "
         "(sensor 1). In service mode the FAN row shows the two fan currents in amperes."},
        {"Output",
         "Output\n\nMain: the power of the main (Peltier) output in percent, positive when heating, "
         "negative when cooling. "
         "Fan1, Fan2: the voltage of the fan outputs."},
    };
    for (QGroupBox* box : panel.findChildren<QGroupBox*>())
        for (const auto& g : groups)
            if (box->title() == QLatin1String(g.title)) setHelpText(box, g.text);
    setHelpText(&panel, "versionField", "Version\n\nThe firmware version the regulator reported; \"--\" "
                                        "while it is searched for.");
    setHelpText(panel.statusLabel(), "Status\n\nThe status word in hexadecimal and the alarms it holds, "
                                     "such as [Temp1 High] or [Uin to low]; [ok] when there is none. An "
                                     "alarm stays shown until you double-click here, which also clears "
                                     "the regulator's alarm counters.");
    setHelpText(panel.lampG(), "Green lamp\n\nBlinks every half second while the program searches for "
                               "the regulator or is connected to it.");
    setHelpText(panel.lampY(), "Yellow lamp\n\nBlinks while valid live lines arrive from the regulator.");
    setHelpText(panel.lampR(), "Red lamp\n\nBlinks while the regulator reports an alarm (other than the "
                               "start-up delay).");
    setHelpText(panel.sendButton(), "SEND (Ctrl+Enter)\n\nDownloads the parameter set to the regulator and "
                                    "starts it.");
    setHelpText(panel.stopButton(), "STOP\n\nStops the regulator: a click, or Space or Enter while the button "
                                    "has the focus. A double-click reboots it.");
}

void describeTabBar(QWidget& tabBar) {
    setHelpText(&tabBar, "Pages\n\nBase: set point, mode and notes. Runtime: the live graph. Alarm: "
                         "limits and their enables. Fan: the two fan controllers. Sensor: the four "
                         "temperature sensors' calibrations. Regulator: PID constants and loop mode. "
                         "F1 opens the manual at the page shown.");
}
