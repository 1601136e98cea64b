// Documents and views in a frame: the first update, updates with hints, drawing, activation,
// the view → document → frame chain, and the file steps and closing of a document.
#include "ui/CanvasView.h"
#include "ui/Document.h"
#include "ui/RoutedFrame.h"
#include "ui/SplitterGrid.h"
#include "ui/TemplateWindow.h"
#include "ui/testing/GuiTest.h"

#include "platform/Object.h"

#include <gtest/gtest.h>

#include <wx/dc.h>
#include <wx/weakref.h>

#include <filesystem>
#include <fstream>
#include <memory>

using namespace ui;

namespace {

using Log = std::vector<std::string>;

// The hint object the folder tree passes with its hint: the folder's path.
class FolderHint : public CObject {
public:
    std::string path;
};

class RecordingView : public CanvasView {
public:
    RecordingView(wxWindow* parent, std::string name, Log& log)
        : CanvasView(parent), name_(std::move(name)), log_(log) {}
    void OnInitialUpdate() override {
        log_.push_back(name_ + ":initial");
        CanvasView::OnInitialUpdate();
    }
    void OnUpdate(View* sender, LPARAM hint, CObject* object) override {
        auto* folder = dynamic_cast<FolderHint*>(object);
        auto* from = dynamic_cast<RecordingView*>(sender);
        log_.push_back(name_ + ":update " + std::to_string(hint) + " from " + (from ? from->name_ : "none") +
                       (folder ? " " + folder->path : ""));
        CanvasView::OnUpdate(sender, hint, object);
    }
    void OnActivateView(bool activate, View*, View*) override {
        log_.push_back(name_ + (activate ? ":activate" : ":deactivate"));
    }
    void OnDraw(wxDC& dc) override {
        ++draws;
        dc.DrawLine(0, 0, 20, 20);
    }
    int draws = 0;

private:
    std::string name_;
    Log& log_;
};

class RecordingDoc : public Document {
public:
    explicit RecordingDoc(Log& log) : log_(log) {}
    void DeleteContents() override { log_.push_back("doc:delete"); }
    void OnCloseDocument() override {
        log_.push_back("doc:close");
        Document::OnCloseDocument();
    }

private:
    Log& log_;
};

class DocumentViewGui : public ::testing::Test {
protected:
    void SetUp() override {
        frame = new RoutedFrame(nullptr, "document", wxDefaultPosition, wxSize(600, 400));
        weakFrame = frame;
        SplitterGrid grid(frame, 1, 2);
        left = new RecordingView(grid.PaneParent(0, 0), "left", log);
        right = new RecordingView(grid.PaneParent(0, 1), "right", log);
        grid.SetPane(0, 0, left);
        grid.SetPane(0, 1, right);
        ASSERT_TRUE(grid.Finish(wxSize(250, 300)));
        auto owned = std::make_unique<RecordingDoc>(log);
        doc = owned.get();
        frame->SetDocument(std::move(owned));
        left->SetDocument(doc);
        right->SetDocument(doc);
    }
    void TearDown() override {
        if (weakFrame)
            weakFrame->Destroy();
        EXPECT_TRUE(ui::testing::PumpUntil([&] { return !weakFrame; }));
    }

    Log log;
    RoutedFrame* frame = nullptr;
    wxWeakRef<wxFrame> weakFrame;
    RecordingView* left = nullptr;
    RecordingView* right = nullptr;
    RecordingDoc* doc = nullptr;
};

TEST_F(DocumentViewGui, TwoViewsOnASplitterGetTheFirstUpdateAndEveryHint) {
    frame->InitialUpdateFrame();
    EXPECT_EQ(log, (Log{"left:initial", "left:update 0 from none", "right:initial",
                        "right:update 0 from none", "left:activate"}));
    EXPECT_EQ(frame->GetActiveView(), left);
    EXPECT_EQ(frame->GetActiveDocument(), doc);
    frame->Show();
    ASSERT_TRUE(ui::testing::PumpUntil([&] { return left->draws > 0 && right->draws > 0; }));

    log.clear();
    FolderHint folder;
    folder.path = "/data/sample";
    doc->UpdateAllViews(nullptr, 0x509, &folder);
    doc->UpdateAllViews(left, 7);
    EXPECT_EQ(log, (Log{"left:update 1289 from none /data/sample", "right:update 1289 from none /data/sample",
                        "right:update 7 from left"}));
    // The base of OnUpdate redraws the view.
    int before = right->draws;
    doc->UpdateAllViews(nullptr, 1);
    EXPECT_TRUE(ui::testing::PumpUntil([&] { return right->draws > before; }));
}

TEST_F(DocumentViewGui, ActiveViewComesFirstThenItsDocumentThenTheFrame) {
    // Commands of no resource that the view, the document, the frame and nobody take first.
    constexpr int kViewCommand = 100;
    constexpr int kDocumentCommand = 200;
    constexpr int kFrameCommand = 300;
    constexpr int kNoOnesCommand = 400;
    frame->InitialUpdateFrame();
    left->OnCommand(kViewCommand, [&] { log.push_back("left:100"); });
    right->OnCommand(kViewCommand, [&] { log.push_back("right:100"); });
    doc->OnCommand(kViewCommand, [&] { log.push_back("doc:100"); });
    doc->OnCommand(kDocumentCommand, [&] { log.push_back("doc:200"); });
    frame->OnCommand(kDocumentCommand, [&] { log.push_back("frame:200"); });
    frame->OnCommand(kFrameCommand, [&] { log.push_back("frame:300"); });
    doc->OnUpdateUI(kDocumentCommand, [](CmdUI& ui) { ui.SetCheck(1); });
    log.clear();

    EXPECT_TRUE(frame->RouteCommandId(kViewCommand));
    frame->SetActiveView(right);
    EXPECT_TRUE(frame->RouteCommandId(kViewCommand));
    EXPECT_TRUE(frame->RouteCommandId(kDocumentCommand));
    EXPECT_TRUE(frame->RouteCommandId(kFrameCommand));
    EXPECT_FALSE(frame->RouteCommandId(kNoOnesCommand));
    CmdUI state(kDocumentCommand);
    EXPECT_TRUE(frame->UpdateCmdUI(state));
    EXPECT_EQ(state.checked, 1);

    // A click makes a view active.
    wxMouseEvent click(wxEVT_LEFT_DOWN);
    click.SetEventObject(left);
    left->ProcessWindowEvent(click);
    EXPECT_EQ(frame->GetActiveView(), left);
    EXPECT_TRUE(frame->RouteCommandId(kViewCommand));
    EXPECT_EQ(log, (Log{"left:100", "left:deactivate", "right:activate", "right:100", "doc:200", "frame:300",
                        "right:deactivate", "left:activate", "left:100"}));

    // An active view that goes leaves no active view; the frame's document stands in.
    log.clear();
    left->Destroy();
    EXPECT_EQ(frame->GetActiveView(), nullptr);
    EXPECT_EQ(doc->GetViews(), (std::vector<View*>{right}));
    EXPECT_TRUE(frame->RouteCommandId(kViewCommand));
    EXPECT_EQ(log, (Log{"doc:100"}));
}

TEST_F(DocumentViewGui, ClosingTheFrameClosesItsDocumentAndAGoneDocumentLeavesNoDanglingViews) {
    frame->Show();
    frame->Close(true);
    EXPECT_EQ(log, (Log{"doc:close", "doc:delete"}));
    EXPECT_TRUE(ui::testing::PumpUntil([&] { return !weakFrame; }));

    Log other;
    auto* second = new RoutedFrame(nullptr, "second");
    wxWeakRef<wxFrame> weakSecond(second);
    auto* view = new RecordingView(second, "view", other);
    {
        RecordingDoc standalone(other);
        view->SetDocument(&standalone);
        EXPECT_EQ(view->GetDocument(), &standalone);
    }
    EXPECT_EQ(view->GetDocument(), nullptr);
    second->Destroy();
    EXPECT_TRUE(ui::testing::PumpUntil([&] { return !weakSecond; }));
}

TEST(DocumentGui, FileStepsOfTheBase) {
    Log log;
    RecordingDoc doc(log);
    doc.SetModifiedFlag();
    const std::string folder = ui::testing::OutputFolder() + "/document-steps";
    std::filesystem::create_directories(folder);
    // A file that cannot be read leaves the document as it was.
    EXPECT_FALSE(doc.OnOpenDocument(folder + "/missing.tdv"));
    EXPECT_FALSE(doc.OnOpenDocument(folder));
    EXPECT_TRUE(log.empty());
    EXPECT_TRUE(doc.IsModified());

    const std::string path = folder + "/sample.tdv";
    std::ofstream(path) << "data";
    EXPECT_TRUE(doc.OnOpenDocument(path));
    EXPECT_EQ(log, (Log{"doc:delete"}));
    EXPECT_FALSE(doc.IsModified());
    doc.SetPathName(path);
    EXPECT_EQ(doc.GetTitle(), "sample.tdv");
    // No file format in the base: saving writes nothing and says so.
    doc.SetModifiedFlag();
    EXPECT_FALSE(doc.OnSaveDocument(folder + "/out.tdv"));
    EXPECT_FALSE(std::filesystem::exists(folder + "/out.tdv"));
    EXPECT_TRUE(doc.IsModified());
    EXPECT_TRUE(doc.OnNewDocument());
    EXPECT_EQ(doc.GetPathName(), "");
    EXPECT_FALSE(doc.IsModified());
    EXPECT_EQ(log, (Log{"doc:delete", "doc:delete"}));
}

// A form view paints through OnDraw as a canvas does: behind its controls, on every paint.
constexpr int kFormTemplate = 830; // the id of the template of the test below
class DrawnForm : public FormView {
public:
    explicit DrawnForm(const ResourceRegistry* reg) : FormView(kFormTemplate, reg) {}
    void OnDraw(wxDC& dc) override {
        ++draws;
        dc.SetBrush(*wxRED_BRUSH);
        dc.DrawRectangle(wxPoint(0, 0), GetClientSize());
    }
    int draws = 0;
};

TEST(FormViewGui, PaintsThroughOnDraw) {
    ResourceRegistry reg;
    std::string error;
    ASSERT_TRUE(reg.LoadText("DIALOG 830 0 0 120 60 \"\" NOCAPTION\n  EDITTEXT 601 \"\" 7 7 60 13\nEND\n", "",
                             "form", &error))
        << error;
    auto* frame = new RoutedFrame(nullptr, "form", wxDefaultPosition, wxSize(300, 200));
    auto* form = new DrawnForm(&reg);
    ASSERT_TRUE(form->Create(frame));
    frame->Show();
    ASSERT_TRUE(ui::testing::WaitForPaint(form));
    EXPECT_TRUE(ui::testing::PumpUntil([&] { return form->draws > 0; }));
    const int before = form->draws;
    form->Refresh();
    EXPECT_TRUE(ui::testing::PumpUntil([&] { return form->draws > before; }));
    EXPECT_TRUE(ui::testing::DestroyAndWait(frame));
}

} // namespace
