#include "ui/Document.h"

#include "ui/View.h"

#include "platform/File.h"

#include <algorithm>

namespace ui {

Document::~Document() {
    std::vector<View*> views;
    views.swap(views_);
    for (View* v : views)
        v->DetachDocument(this);
}

void Document::AddView(View* view) {
    if (view && std::find(views_.begin(), views_.end(), view) == views_.end())
        views_.push_back(view);
}

void Document::RemoveView(View* view) {
    views_.erase(std::remove(views_.begin(), views_.end(), view), views_.end());
}

void Document::UpdateAllViews(View* sender, LPARAM hint, CObject* hintObject) {
    // A view's update may add or remove views: go by a copy and skip views that left meanwhile.
    std::vector<View*> views = views_;
    for (View* v : views) {
        if (v == sender || std::find(views_.begin(), views_.end(), v) == views_.end())
            continue;
        v->OnUpdate(sender, hint, hintObject);
    }
}

void Document::SetPathName(const std::string& path) {
    path_ = path;
    size_t slash = path.find_last_of('/');
    title_ = slash == std::string::npos ? path : path.substr(slash + 1);
}

void Document::DeleteContents() {}

bool Document::OnNewDocument() {
    DeleteContents();
    path_.clear();
    modified_ = false;
    return true;
}

bool Document::OnOpenDocument(const std::string& path) {
    if (!RegularFileReadable(path))
        return false;
    DeleteContents();
    modified_ = false;
    return true;
}

bool Document::OnSaveDocument(const std::string&) {
    return false;
}

void Document::OnCloseDocument() {
    DeleteContents();
}

} // namespace ui
