#include "app/frame_commands.h"

#include "app/command_ids.h"

const std::vector<FrameCommand>& frameCommands() {
    static const std::vector<FrameCommand> table = {
        {cmd::FileNew, "&New\tCtrl+N", "Create a new parameter set\nNew"},
        {cmd::FileOpen, "&Open...\tCtrl+O", "Open an existing parameter file\nOpen"},
        {cmd::FileOpenLog, "Open &log...", "Open a recorded log file as a trend\nOpen log"},
        {cmd::FileSave, "&Save\tCtrl+S", "Save the parameter set\nSave"},
        {cmd::FileSaveAs, "Save &As...", "Save the parameter set with a new name\nSave As"},
        {cmd::RevertToDefault, "Revert to default", "Reset the parameter set to its defaults\nRevert to default"},
        {cmd::FilePrint, "&Print...\tCtrl+P", "Print the parameter report\nPrint"},
        {cmd::FilePrintPreview, "Print Pre&view", "Display the full report pages\nPrint Preview"},
        {cmd::FilePrintSetup, "P&rint Setup...", "Change the printer and printing options\nPrint Setup"},
        {cmd::FileExportPdf, "&Export PDF...", "Write the parameter report to a PDF file\nExport PDF"},
        {cmd::AppExit, "E&xit", "Quit the application\nExit"},
        {cmd::EditUndo, "&Undo\tCtrl+Z", "Undo the last action\nUndo"},
        {cmd::EditCut, "Cu&t\tCtrl+X", "Cut the selection and put it on the Clipboard\nCut"},
        {cmd::EditCopy, "&Copy\tCtrl+C", "Copy the selection and put it on the Clipboard\nCopy"},
        {cmd::EditPaste, "&Paste\tCtrl+V", "Insert Clipboard contents\nPaste"},
        {cmd::ViewToolbar, "&Toolbar", "Show or hide the toolbar\nToggle ToolBar"},
        {cmd::ViewStatusBar, "&Status Bar", "Show or hide the status bar\nToggle StatusBar"},
        {cmd::ViewRuntime, "Runtimeview", "Show the runtime graph\nRuntimeview"},
        {cmd::Connect, "&Connect", "Open the serial port and search for the regulator\nConnect"},
        {cmd::Disconnect, "&Disconnect", "Close the serial port\nDisconnect"},
        {cmd::Stop, "Sto&p", "Stop the regulator\nStop"},
        {cmd::DownloadParameters, "Download &parameters", "Send the parameter set to the regulator\nDownload parameters"},
        {cmd::GetParameters, "&Get parameters", "Read the parameter set from the regulator\nGet parameters"},
        {cmd::CompareWithRegulator, "&Compare with regulator...", "Compare the regulator's registers with this parameter set\nCompare with regulator"},
        {cmd::Autotune, "&Auto-tune...", "Find kP, kI and kD from a short experiment on the regulator\nAuto-tune"},
        {cmd::VerifyAfterDownload, "&Verify after download", "Compare the regulator with the parameter set after every download\nVerify after download"},
        {cmd::SaveToFlash, "&Save to FLASH", "Store the regulator parameters in FLASH\nSave to FLASH"},
        {cmd::ReadFromFlash, "&Read from FLASH", "Load the regulator parameters from FLASH\nRead from FLASH"},
        {cmd::FlashToDefault, "Set &FLASH to default", "Reset the regulator FLASH to its defaults\nSet FLASH to default"},
        {cmd::RebootRegulator, "Re&boot regulator", "Restart the regulator\nReboot regulator"},
        {cmd::GlobalSetup, "&Global setup", "Serial port, units, graph and log settings\nGlobal setup"},
        {cmd::DownloadFirmware, "&Download firmware", "Replace the regulator firmware\nDownload firmware"},
        {cmd::LogStart, "&Start", "Start a log file\nStart log"},
        {cmd::LogStop, "Sto&p", "Stop the log file\nStop log"},
        {cmd::HelpTopics, "&Help Topics", "List help topics\nHelp Topics"},
        {cmd::AppAbout, "&About TQ_Interface...", "Display program information and version\nAbout"},
        {cmd::ToolGlobalSetup, "", "Serial port, units, graph and log settings\nGlobal setup"},
        {cmd::ToolLogToggle, "", "Start or stop the log file\nStart/stop logg file"},
        {cmd::ToolConnect, "", "Open the serial port and search for the regulator\nConnect RS232"},
        {cmd::ToolDisconnect, "", "Close the serial port\nDisconnect"},
        {cmd::ToolGetVersion, "", "Ask the regulator for its firmware version\nGet version"},
        {cmd::ToolSendParameters, "", "Send the parameter set to the regulator\nSend parameters"},
        {cmd::ToolGetParameters, "", "Read the parameter set from the regulator\nGet parameters"},
        {cmd::ToolHelp, "", "Display help for clicked buttons, menus and windows\nHelp"},
    };
    return table;
}

const FrameCommand* findFrameCommand(int id) {
    for (const FrameCommand& c : frameCommands())
        if (c.id == id) return &c;
    return nullptr;
}

const std::vector<MenuLayout>& menuLayout() {
    using namespace cmd;
    static const std::vector<MenuLayout> menus = {
        {"&File", {FileNew, FileOpen, FileOpenLog, FileSave, FileSaveAs, RevertToDefault, 0, FilePrint,
                   FilePrintPreview, FilePrintSetup, FileExportPdf, 0, -1, 0, AppExit}},
        {"&Edit", {EditUndo, 0, EditCut, EditCopy, EditPaste}},
        {"&View", {ViewToolbar, ViewStatusBar, 0, ViewRuntime}},
        {"&Regulator", {Connect, Disconnect, 0, Stop, DownloadParameters, GetParameters,
                        CompareWithRegulator, VerifyAfterDownload, Autotune, 0, SaveToFlash, ReadFromFlash, FlashToDefault, RebootRegulator}},
        {"&Setup", {cmd::GlobalSetup, DownloadFirmware}},
        {"&Loggfile", {LogStart, LogStop}},
        {"&Help", {HelpTopics, 0, AppAbout}},
    };
    return menus;
}

const std::vector<int>& toolBarLayout() {
    using namespace cmd;
    static const std::vector<int> buttons = {
        FileNew, FileOpen, FileSave, 0, EditCut, EditCopy, EditPaste, 0, FilePrint, 0,
        ToolGlobalSetup, ToolLogToggle, 0, ToolConnect, ToolDisconnect, 0, ToolGetVersion,
        ToolSendParameters, ToolGetParameters, 0, AppAbout, ToolHelp};
    return buttons;
}
