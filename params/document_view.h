// What a document asks of the window that shows it. Every hook has a no-op
// default, so a command-line tool or a test can attach only what it needs.
#pragma once

class RuntimeBlockOwner;

class DocumentView {
public:
    virtual ~DocumentView() = default;

    // Puts the graph channel table back to its defaults (nothing when the
    // Runtime page does not exist).
    virtual void resetChannelTable() {}
    // The document changed: re-read the fields into the pages.
    virtual void onDocumentUpdate() {}
    // The path name, title or modified flag changed.
    virtual void onTitleChanged() {}
    // The owner of the graph block of the parameter file, or null when the
    // Runtime page does not exist (then the block is not written).
    virtual RuntimeBlockOwner* runtimeBlockOwner() { return nullptr; }
};
