// What a frame that holds views knows: its active view, the document it owns, and the first
// update of its views. The SDI frame (one shared document, views in splitters that are shown in
// turns) and the MDI child frames (one document each) are view frames; the command chain of a
// frame starts with the active view and that view's document.
#pragma once

#include "ui/CommandRouting.h"

#include <memory>
#include <vector>

class wxWindow;

namespace ui {

class Document;
class View;

class ViewFrame {
public:
    virtual ~ViewFrame();
    ViewFrame(const ViewFrame&) = delete;
    ViewFrame& operator=(const ViewFrame&) = delete;

    View* GetActiveView() const { return activeView_; }
    // The active view's document; without an active view (or when the view has none) the
    // document the frame owns.
    Document* GetActiveDocument() const;
    // Makes view the active view (null: none). With notify, the view that was active gets
    // OnActivateView(false, view, old) and the new one OnActivateView(true, view, old).
    void SetActiveView(View* view, bool notify = true);
    // Routing targets that are no views (simple frames): they stand for the active view and its
    // document in the chain until a view is made active.
    void SetActiveView(CommandTarget* view, CommandTarget* document);

    // The document of the frame: closed (OnCloseDocument) when the frame is closed, deleted with
    // the frame.
    void SetDocument(std::unique_ptr<Document> document);
    Document* GetDocument() const { return document_.get(); }

    // The views inside the frame, in window order (depth first).
    std::vector<View*> GetViews() const;
    // OnInitialUpdate of every view inside the frame; then the first view becomes the active view
    // when none is.
    void InitialUpdateFrame();

    // A view of the frame is being destroyed.
    void ViewGone(View* view);

protected:
    explicit ViewFrame(wxWindow* frame);
    // Appends the active view and its document (or the stand-in targets) to a chain.
    void AppendViewTargets(std::vector<CommandTarget*>& chain) const;

private:
    void onClose(class wxCloseEvent& ev);
    wxWindow* frame_;
    View* activeView_ = nullptr;
    CommandTarget* standInView_ = nullptr;
    CommandTarget* standInDocument_ = nullptr;
    std::unique_ptr<Document> document_;
};

} // namespace ui
