#include "params/document.h"

#include <algorithm>

#include "params/archive.h"
#include "params/file_io.h"

std::string WithDefaultExtension(const std::string& path) {
    const auto slash = path.rfind('/');
    const auto dot = path.rfind('.');
    const bool hasExtension =
        dot != std::string::npos && (slash == std::string::npos || dot > slash + 1);
    return hasExtension ? path : path + kDocumentFileExtension;
}

void Document::SetModifiedFlag(bool modified) {
    if (modified_ == modified)
        return;
    modified_ = modified;
    for (DocumentView* v : views_)
        v->onTitleChanged();
}

void Document::SetPathName(const std::string& path) {
    pathName_ = path;
    if (path.empty()) {
        title_ = kUntitledTitle;
    } else {
        const auto slash = path.rfind('/');
        title_ = slash == std::string::npos ? path : path.substr(slash + 1);
    }
    for (DocumentView* v : views_)
        v->onTitleChanged();
}

void Document::AddView(DocumentView* view) {
    if (view && std::find(views_.begin(), views_.end(), view) == views_.end())
        views_.push_back(view);
}

void Document::RemoveView(DocumentView* view) {
    views_.erase(std::remove(views_.begin(), views_.end(), view), views_.end());
}

void Document::UpdateAllViews() {
    for (DocumentView* v : views_)
        v->onDocumentUpdate();
}

DocOutcome Document::OnNewDocument() {
    modified_ = false;
    SetPathName({});
    return DocOutcome::success();
}

DocOutcome Document::OnOpenDocument(const std::string& path) {
    std::vector<std::uint8_t> bytes;
    std::string error;
    if (!ReadWholeFile(path, bytes, error))
        return DocOutcome::failure("Unable to open \"" + path + "\": " + error + ".",
                                   MessageIcon::Exclamation);
    Archive ar{std::span<const std::uint8_t>(bytes)};
    DocOutcome outcome = Serialize(ar);
    if (!outcome)
        return outcome;
    modified_ = false;
    SetPathName(path);
    UpdateAllViews();
    return outcome;
}

DocOutcome Document::OnSaveDocument(const std::string& path) {
    Archive ar;
    DocOutcome outcome = Serialize(ar);
    if (!outcome)
        return outcome;
    std::string error;
    if (!ReplaceFileContents(path, ar.bytes(), error))
        return DocOutcome::failure(
            "Unable to save \"" + path + "\": " + error + ". The previous file is unchanged.",
            MessageIcon::Exclamation);
    modified_ = false;
    SetPathName(path);
    return outcome;
}

DocOutcome Document::Save() {
    if (pathName_.empty())
        return DocOutcome::failure("The document has no file name yet.", MessageIcon::Exclamation);
    return OnSaveDocument(pathName_);
}

DocOutcome Document::SaveAs(const std::string& path) {
    return OnSaveDocument(path);
}
