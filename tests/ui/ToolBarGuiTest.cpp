// Tool bars and status panes from the resources in an MDI frame: a button's command goes to the
// active child's view first, and the buttons and panes follow the update-UI handlers of whichever
// child is active.
#include "ui/CanvasView.h"
#include "ui/Document.h"
#include "ui/ResourceWidgets.h"
#include "ui/RoutedFrame.h"
#include "ui/StatusBar.h"
#include "ui/testing/GuiTest.h"

#include <gtest/gtest.h>

#include <wx/image.h>
#include <wx/weakref.h>

#include <filesystem>
#include <memory>

using namespace ui;

namespace {

using Log = std::vector<std::string>;

// The ids of the bars, buttons and panes of the test's own resource text below (which lacks
// kPaneWithoutText's string and any bar kNoBar).
constexpr int kShow3d = 32701;
constexpr int kShowMeasure = 32702;
constexpr int kCalibrate = 32821;
constexpr UINT kMeasurePane = 59000;
constexpr UINT kPaneWithoutText = 59001;
constexpr int kBar = 900;
constexpr int kShortStripBar = 901; // three buttons on a strip of two images
constexpr int kNoBar = 902;

// A strip of three 16 × 15 button images beside the resource text.
std::string WriteStrip(const std::string& folder, int buttons) {
    wxImage strip(16 * buttons, 15);
    strip.SetRGB(wxRect(0, 0, 16 * buttons, 15), 40, 90, 160);
    std::string path = folder + "/strip" + std::to_string(buttons) + ".png";
    EXPECT_TRUE(strip.SaveFile(wxString::FromUTF8(path), wxBITMAP_TYPE_PNG));
    return path;
}

class ToolBarGui : public ::testing::Test {
protected:
    void SetUp() override {
        folder = ui::testing::OutputFolder() + "/toolbars";
        std::filesystem::create_directories(folder);
        WriteStrip(folder, 3);
        WriteStrip(folder, 2);
        const std::string text = R"(
TOOLBAR 900 "strip3.png" 16 15
  BUTTON 32701
  BUTTON 32702
  SEPARATOR
  BUTTON 32821
END
TOOLBAR 901 "strip2.png" 16 15
  BUTTON 32701
  BUTTON 32702
  BUTTON 32821
END
STRINGTABLE
32701 "3D画面を表示します\n3D画面"
59000 "測定"
END
)";
        std::string error;
        ASSERT_TRUE(reg.LoadText(text, folder, "toolbars", &error)) << error;
    }
    std::string folder;
    ResourceRegistry reg;
};

class ActivationView : public CanvasView {
public:
    using CanvasView::CanvasView;
    void OnActivateView(bool activate, View*, View*) override { active = activate; }
    bool active = false;
};

// A child frame of one document with one view that logs its commands.
struct Child {
    Child(RoutedMdiParentFrame* main, const std::string& name, Log& log) {
        frame = new RoutedMdiChildFrame(main, wxString::FromUTF8(name));
        view = new ActivationView(frame);
        auto doc = std::make_unique<Document>();
        document = doc.get();
        view->SetDocument(document);
        frame->SetDocument(std::move(doc));
        frame->InitialUpdateFrame();
        view->OnCommand(kShow3d, [&log, name] { log.push_back(name + ":32701"); });
    }
    RoutedMdiChildFrame* frame;
    ActivationView* view;
    Document* document;
};

TEST_F(ToolBarGui, ButtonsAndPanesFollowTheActiveChild) {
    Log log;
    auto* main = new RoutedMdiParentFrame("Brelvoxa", wxDefaultPosition, wxSize(800, 600));
    wxWeakRef<wxFrame> weakMain(main);
    wxToolBar* bar = BuildToolBar(main, kBar, wxTB_HORIZONTAL | wxTB_FLAT, reg);
    ASSERT_NE(bar, nullptr);
    main->SetToolBar(bar);
    auto* status = new StatusBar(main);
    ASSERT_TRUE(status->SetIndicators({ID_SEPARATOR, kMeasurePane}, reg));
    main->SetStatusBar(status);
    main->OnCommand(kCalibrate, [&] { log.push_back("main:32821"); });
    main->Show();

    Child a(main, "A", log);
    Child b(main, "B", log);
    // A's view presses the 3D button and lights the pane; its document alone knows 32702. B's
    // view handles the command but sets no state.
    a.view->OnUpdateUI(kShow3d, [](CmdUI& ui) { ui.SetCheck(1); });
    a.view->OnUpdateUI(kMeasurePane, [](CmdUI& ui) { ui.Enable(true); });
    a.document->OnCommand(kShowMeasure, [&] { log.push_back("A-doc:32702"); });
    a.frame->Show();
    b.frame->Show();
    auto refresh = [&] {
        bar->UpdateWindowUI(wxUPDATE_UI_NONE);
        status->UpdateWindowUI(wxUPDATE_UI_NONE);
    };

    // GTK's MDI parent brings a child it has just taken to the top in its next idle time: wait for
    // that before choosing the active child.
    ASSERT_TRUE(ui::testing::PumpUntil([&] { return !main->m_justInserted; }));
    a.frame->Activate();
    ASSERT_TRUE(ui::testing::PumpUntil([&] { return main->GetActiveChild() == a.frame; }));
    EXPECT_TRUE(ui::testing::PumpUntil([&] { return a.view->active && !b.view->active; }));
    EXPECT_TRUE(bar->OnLeftClick(kShow3d, true));
    EXPECT_TRUE(bar->OnLeftClick(kShowMeasure, false));
    EXPECT_TRUE(bar->OnLeftClick(kCalibrate, false));
    refresh();
    EXPECT_TRUE(bar->GetToolEnabled(kShow3d));
    EXPECT_TRUE(bar->GetToolState(kShow3d));
    EXPECT_TRUE(bar->GetToolEnabled(kShowMeasure));
    EXPECT_EQ(status->GetStatusText(1), wxString::FromUTF8("測定"));

    b.frame->Activate();
    ASSERT_TRUE(ui::testing::PumpUntil([&] { return main->GetActiveChild() == b.frame; }));
    // The child's activation reaches its active view.
    EXPECT_TRUE(ui::testing::PumpUntil([&] { return b.view->active && !a.view->active; }));
    EXPECT_TRUE(bar->OnLeftClick(kShow3d, true));
    bar->OnLeftClick(kShowMeasure, false); // B knows no 32702: nothing runs
    refresh();
    EXPECT_TRUE(bar->GetToolEnabled(kShow3d));
    EXPECT_FALSE(bar->GetToolState(kShow3d)); // a button whose handler sets no check stays up
    EXPECT_FALSE(bar->GetToolEnabled(kShowMeasure));
    EXPECT_TRUE(bar->GetToolEnabled(kCalibrate));
    EXPECT_EQ(status->GetStatusText(1), "");

    EXPECT_EQ(log, (Log{"A:32701", "A-doc:32702", "main:32821", "B:32701"}));
    main->Destroy();
    EXPECT_TRUE(ui::testing::PumpUntil([&] { return !weakMain; }));
}

TEST_F(ToolBarGui, ButtonsComeFromTheStripWithTheirTipsAndBadResourcesGiveNone) {
    auto* frame = new RoutedFrame(nullptr, "bars");
    wxWeakRef<wxFrame> weak(frame);
    wxToolBar* bar = BuildToolBar(frame, kBar, wxTB_HORIZONTAL, reg);
    ASSERT_NE(bar, nullptr);
    EXPECT_EQ(bar->GetToolsCount(), 4u); // three buttons and a separator
    EXPECT_EQ(bar->GetToolPos(kCalibrate), 3);
    EXPECT_EQ(bar->GetToolShortHelp(kShow3d), wxString::FromUTF8("3D画面"));
    EXPECT_EQ(bar->GetToolLongHelp(kShow3d), wxString::FromUTF8("3D画面を表示します"));
    wxBitmap face = bar->FindById(kCalibrate)->GetNormalBitmap();
    EXPECT_EQ(face.GetWidth(), 16);
    EXPECT_EQ(face.GetHeight(), 15);
    // Three buttons on a strip of two images, and an unknown id.
    EXPECT_EQ(BuildToolBar(frame, kShortStripBar, wxTB_HORIZONTAL, reg), nullptr);
    EXPECT_EQ(BuildToolBar(frame, kNoBar, wxTB_HORIZONTAL, reg), nullptr);
    // A pane whose string is missing refuses the indicators.
    auto* status = new StatusBar(frame);
    EXPECT_FALSE(status->SetIndicators({ID_SEPARATOR, kPaneWithoutText}, reg));
    EXPECT_EQ(status->CommandToIndex(kPaneWithoutText), -1);
    // The key indicators' texts come with the common resources.
    ASSERT_TRUE(status->SetIndicators(
        {ID_SEPARATOR, ID_INDICATOR_KANA, ID_INDICATOR_CAPS, ID_INDICATOR_NUM, ID_INDICATOR_SCRL}));
    EXPECT_EQ(status->CommandToIndex(ID_INDICATOR_NUM), 3);
    EXPECT_GT(status->GetStatusWidth(1), 0);
    frame->Destroy();
    EXPECT_TRUE(ui::testing::PumpUntil([&] { return !weak; }));
}

} // namespace
