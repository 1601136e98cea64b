#include "ui/ViewFrame.h"

#include "ui/Document.h"
#include "ui/View.h"

#include <wx/window.h>

namespace ui {

ViewFrame::ViewFrame(wxWindow* frame) : frame_(frame) {
    frame_->Bind(wxEVT_CLOSE_WINDOW, &ViewFrame::onClose, this);
}

ViewFrame::~ViewFrame() {
    frame_->Unbind(wxEVT_CLOSE_WINDOW, &ViewFrame::onClose, this);
    activeView_ = nullptr;
    document_.reset(); // its views stay until wx destroys the windows, without a document
}

Document* ViewFrame::GetActiveDocument() const {
    if (activeView_ && activeView_->GetDocument())
        return activeView_->GetDocument();
    return document_.get();
}

void ViewFrame::SetActiveView(View* view, bool notify) {
    View* old = activeView_;
    standInView_ = nullptr;
    standInDocument_ = nullptr;
    if (view == old)
        return;
    activeView_ = view;
    if (!notify)
        return;
    if (old)
        old->OnActivateView(false, view, old);
    if (view && activeView_ == view)
        view->OnActivateView(true, view, old);
}

void ViewFrame::SetActiveView(CommandTarget* view, CommandTarget* document) {
    activeView_ = nullptr;
    standInView_ = view;
    standInDocument_ = document;
}

void ViewFrame::SetDocument(std::unique_ptr<Document> document) {
    document_ = std::move(document);
}

static void collectViews(wxWindow* w, std::vector<View*>& out) {
    for (wxWindow* child : w->GetChildren()) {
        if (child->IsTopLevel())
            continue; // dialogs and other frames hold their own views
        if (auto* v = dynamic_cast<View*>(child))
            out.push_back(v);
        collectViews(child, out);
    }
}

std::vector<View*> ViewFrame::GetViews() const {
    std::vector<View*> views;
    collectViews(frame_, views);
    return views;
}

void ViewFrame::InitialUpdateFrame() {
    std::vector<View*> views = GetViews();
    for (View* v : views)
        v->OnInitialUpdate();
    if (!activeView_ && !views.empty())
        SetActiveView(views.front());
}

void ViewFrame::ViewGone(View* view) {
    if (activeView_ == view)
        activeView_ = nullptr;
}

void ViewFrame::AppendViewTargets(std::vector<CommandTarget*>& chain) const {
    if (activeView_) {
        chain.push_back(activeView_);
        chain.push_back(GetActiveDocument());
    } else {
        chain.push_back(standInView_);
        chain.push_back(standInDocument_ ? standInDocument_ : document_.get());
    }
}

void ViewFrame::onClose(wxCloseEvent& ev) {
    // Handlers bound later (the program's, which may refuse) have run and let the close go on.
    ev.Skip();
    if (document_)
        document_->OnCloseDocument();
}

} // namespace ui
