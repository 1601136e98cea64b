#include "ui/View.h"

#include "ui/Document.h"
#include "ui/ViewFrame.h"

namespace ui {

View::View(wxWindow* self) : WindowBase(self) {
    // A view that gets the focus, or is clicked, becomes its frame's active view.
    self->Bind(wxEVT_CHILD_FOCUS, &View::onFocus, this);
    self->Bind(wxEVT_LEFT_DOWN, &View::onMouse, this);
    self->Bind(wxEVT_RIGHT_DOWN, &View::onMouse, this);
}

View::~View() {
    Self()->Unbind(wxEVT_CHILD_FOCUS, &View::onFocus, this);
    Self()->Unbind(wxEVT_LEFT_DOWN, &View::onMouse, this);
    Self()->Unbind(wxEVT_RIGHT_DOWN, &View::onMouse, this);
    if (ViewFrame* frame = GetParentFrame())
        frame->ViewGone(this);
    SetDocument(nullptr);
}

void View::SetDocument(Document* doc) {
    if (doc == document_)
        return;
    if (document_)
        document_->RemoveView(this);
    document_ = doc;
    if (doc)
        doc->AddView(this);
}

void View::DetachDocument(Document* doc) {
    if (document_ == doc)
        document_ = nullptr;
}

ViewFrame* View::GetParentFrame() const {
    for (wxWindow* w = Self()->GetParent(); w; w = w->GetParent())
        if (auto* frame = dynamic_cast<ViewFrame*>(w))
            return frame;
    return nullptr;
}

void View::onFocus(wxChildFocusEvent& ev) {
    ev.Skip();
    activate();
}

void View::onMouse(wxMouseEvent& ev) {
    ev.Skip();
    activate();
}

void View::activate() {
    ViewFrame* frame = GetParentFrame();
    if (frame && frame->GetActiveView() != this)
        frame->SetActiveView(this);
}

void View::OnInitialUpdate() {
    OnUpdate(nullptr, 0, nullptr);
}

void View::OnUpdate(View*, LPARAM, CObject*) {
    Self()->Refresh();
}

void View::OnDraw(wxDC&) {}

void View::OnActivateView(bool, View*, View*) {}

std::vector<CommandTarget*> View::CommandChain() {
    return {this, document_};
}

} // namespace ui
