// The What's This texts of the main window: the commands of the menus and
// the tool bar, the status panel and the tab strip.
#pragma once

class CMainFrame;
class QWidget;
class StatusPanel;

// Every command of the frame gets its text; a command without one of its
// own here gets its status-bar prompt.
void describeFrameCommands(CMainFrame& frame);
void describeStatusPanel(StatusPanel& panel);
void describeTabBar(QWidget& tabBar);
