// Stands in for the main window where tqctl opens or saves a parameter file:
// owns the graph channel table, so a file keeps its graph block, and notes
// whether the file held one.
#pragma once

#include "params/document_view.h"
#include "runtime/channel_table.h"

namespace tqctl {

struct TableView : DocumentView {
    ChannelTable table;
    bool hadBlock = false;

    TableView() {
        table.setOnBlockLoaded([this] { hadBlock = true; });
    }
    void resetChannelTable() override { table.reset(); }
    RuntimeBlockOwner* runtimeBlockOwner() override { return &table; }
};

}  // namespace tqctl
