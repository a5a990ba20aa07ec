// Document machinery of a single-document application: modified flag, path
// name and title, the attached views, and New / Open / Save / Save As.
// Operations return an outcome carrying the text the window shows.
#pragma once

#include <string>
#include <vector>

#include "params/document_view.h"

class Archive;

enum class MessageIcon { None, Exclamation, Stop };

struct DocOutcome {
    bool ok = true;
    std::string message;  // shown in a message box when not empty
    MessageIcon icon = MessageIcon::None;

    static DocOutcome success() { return {}; }
    static DocOutcome failure(std::string text, MessageIcon icon = MessageIcon::Exclamation) {
        return {false, std::move(text), icon};
    }
    explicit operator bool() const { return ok; }
};

inline constexpr char kDocumentFileExtension[] = ".tq";
inline constexpr char kUntitledTitle[] = "Untitled";

// Appends ".tq" to a file name without an extension (as the file dialogs do).
std::string WithDefaultExtension(const std::string& path);

class Document {
public:
    Document() = default;
    virtual ~Document() = default;
    Document(const Document&) = delete;
    Document& operator=(const Document&) = delete;

    bool IsModified() const { return modified_; }
    void SetModifiedFlag(bool modified = true);
    const std::string& GetPathName() const { return pathName_; }
    const std::string& GetTitle() const { return title_; }
    // Sets the path and the title (the file name part).
    void SetPathName(const std::string& path);

    void AddView(DocumentView* view);
    void RemoveView(DocumentView* view);
    DocumentView* firstView() const { return views_.empty() ? nullptr : views_.front(); }
    const std::vector<DocumentView*>& views() const { return views_; }
    void UpdateAllViews();

    // File New: clears the path, the title and the modified flag.
    virtual DocOutcome OnNewDocument();
    // Reads the file through Serialize. On success the path, the title and
    // the modified flag follow the file; on failure nothing changes.
    virtual DocOutcome OnOpenDocument(const std::string& path);
    // Writes through Serialize into a temporary file beside the target,
    // flushes it to disk and renames it over the target. On success the path
    // becomes `path` and the modified flag is cleared.
    virtual DocOutcome OnSaveDocument(const std::string& path);

    // File Save: fails when the document has no path yet (the window asks
    // for one and calls SaveAs).
    DocOutcome Save();
    DocOutcome SaveAs(const std::string& path);

    // One operation for both directions; a load must leave the document
    // unchanged unless it returns success.
    virtual DocOutcome Serialize(Archive& ar) = 0;

private:
    bool modified_ = false;
    std::string pathName_;
    std::string title_ = kUntitledTitle;
    std::vector<DocumentView*> views_;
};
