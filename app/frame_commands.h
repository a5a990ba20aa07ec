// The frame's command table: menu label, accelerator, status-bar prompt and
// tool tip of every command, and the layout of the menus and the tool bar.
#pragma once

#include <vector>

struct FrameCommand {
    int id;
    const char* label;   // menu text with "&" mnemonic, "" for tool bar only
    const char* prompt;  // "status bar prompt\ntool tip"
};

struct MenuLayout {
    const char* title;
    std::vector<int> items;  // command ids; 0 = separator, -1 = recent files
};

const std::vector<FrameCommand>& frameCommands();
const FrameCommand* findFrameCommand(int id);
const std::vector<MenuLayout>& menuLayout();
const std::vector<int>& toolBarLayout();  // 0 = separator
