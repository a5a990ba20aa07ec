// Shared helpers of the parameter tests: a view that owns a channel table,
// a scratch directory, and byte-level file access.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "params/document_view.h"
#include "runtime/channel_table.h"

struct TableView : DocumentView {
    ChannelTable table;
    bool pagePresent = true;
    int resets = 0;
    int updates = 0;

    void resetChannelTable() override {
        ++resets;
        table.reset();
    }
    void onDocumentUpdate() override { ++updates; }
    RuntimeBlockOwner* runtimeBlockOwner() override { return pagePresent ? &table : nullptr; }
};

class ScratchDir {
public:
    ScratchDir();
    ~ScratchDir();
    std::string file(const std::string& name) const { return path_ + "/" + name; }
    const std::string& path() const { return path_; }

private:
    std::string path_;
};

std::vector<std::uint8_t> readBytes(const std::string& path);
void writeBytes(const std::string& path, const std::vector<std::uint8_t>& bytes);
