// A view: a window that shows (part of) a document. Views are windows of any kind (a drawn
// canvas, a tree, a list, a form from a template); this base joins them to their document and
// frame. In the command chain a view comes first, then its document.
//
//   class CGraphVw : public ui::CanvasView {            // paints through OnDraw
//       void OnUpdate(ui::View*, LPARAM hint, CObject*) override { if (hint == 0) Refresh(); }
//       void OnDraw(wxDC& dc) override { ... GetDocument() ... }
//   };
//   view->SetDocument(doc); frame->InitialUpdateFrame();
#pragma once

#include "ui/WindowBase.h"

#include <vector>

class CObject;
class wxDC;

namespace ui {

class Document;
class ViewFrame;

class View : public WindowBase {
public:
    explicit View(wxWindow* self);
    // Leaves its document; a frame whose active view it was has none afterwards.
    ~View() override;

    Document* GetDocument() const { return document_; }
    // Leaves the document it had and joins doc (null: none).
    void SetDocument(Document* doc);
    // The frame that holds the view (the nearest view frame above it), null when none.
    ViewFrame* GetParentFrame() const;

    // Once, after the view and its document are set up (ViewFrame::InitialUpdateFrame). The base
    // calls OnUpdate(nullptr, 0, nullptr).
    virtual void OnInitialUpdate();
    // The document changed (Document::UpdateAllViews). The base redraws the whole window.
    virtual void OnUpdate(View* sender, LPARAM hint, CObject* hintObject);
    // Draws the document; screens (CanvasView's paint) and printing call it. The base draws nothing.
    virtual void OnDraw(wxDC& dc);
    // The frame's active view changed from deactivated to activated; activate tells which side this
    // view is on. The base does nothing.
    virtual void OnActivateView(bool activate, View* activated, View* deactivated);

    // The view's map, then its document's.
    std::vector<CommandTarget*> CommandChain() override;

private:
    friend class Document;
    void DetachDocument(Document* doc);
    void onFocus(wxChildFocusEvent& ev);
    void onMouse(wxMouseEvent& ev);
    void activate();
    Document* document_ = nullptr;
};

} // namespace ui
