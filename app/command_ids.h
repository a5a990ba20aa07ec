// Command ids of the menus, the tool bar and the status panel buttons.
#pragma once

namespace cmd {
enum : int {
    FileNew = 57600,
    FileOpen = 57601,
    FileSave = 57603,
    FileSaveAs = 57604,
    FilePrintSetup = 57606,
    FilePrint = 57607,
    FilePrintPreview = 57609,
    FileExportPdf = 32860,
    FileMru1 = 57616,
    AppExit = 57665,
    EditUndo = 57643,
    EditCut = 57635,
    EditCopy = 57634,
    EditPaste = 57637,
    ViewToolbar = 59392,
    ViewStatusBar = 59393,
    ViewRuntime = 32792,
    RevertToDefault = 32791,
    Connect = 32772,
    Disconnect = 32773,
    Stop = 32774,
    DownloadParameters = 32775,
    GetParameters = 32776,
    SaveToFlash = 32777,
    ReadFromFlash = 32778,
    FlashToDefault = 32779,
    RebootRegulator = 32780,
    GlobalSetup = 32781,
    DownloadFirmware = 32782,
    CompareWithRegulator = 32820,
    VerifyAfterDownload = 32821,   // checkable, remembered in the settings
    LogStart = 32789,
    LogStop = 32790,
    HelpTopics = 57667,
    AppAbout = 57664,
    // tool bar only
    ToolGlobalSetup = 32771,
    ToolLogToggle = 32783,
    ToolConnect = 32784,
    ToolDisconnect = 32785,
    ToolGetVersion = 32786,
    ToolSendParameters = 32787,
    ToolGetParameters = 32788,
    ToolHelp = 57671,
    // keyboard only: F6 and Shift+F6
    NextPane = 57680,
    PrevPane = 57681,
    // status panel
    PanelStop = 1123,
    PanelSend = 1125,
    PanelStatusText = 1131,
    ConnectionPane = 59142,
};
}  // namespace cmd
