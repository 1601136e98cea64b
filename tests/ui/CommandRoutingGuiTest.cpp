// Commands and update-UI through view → document → frame → application, for menu items of a
// menu resource and buttons of a template panel docked in the frame.
#include "ui/DockingBars.h"
#include "ui/RoutedFrame.h"
#include "ui/TemplateWindow.h"
#include "ui/testing/GuiTest.h"

#include <gtest/gtest.h>

#include <wx/button.h>
#include <wx/tglbtn.h>

using namespace ui;
using ui::testing::Click;

namespace {

const char* kResources = R"RES(
MENU 700
  POPUP "表示(&V)"
    ITEM 100 "ビュー優先"
    ITEM 200 "フレーム"
    ITEM 300 "アプリ"
    ITEM 500 "高さ表示" CHECKABLE
    ITEM 600 "処理なし"
  END
END
DIALOG 710 0 0 120 30 "" NOCAPTION
  PUSHBUTTON 100 "ビュー" 2 2 30 14
  PUSHBUTTON 400 "自前" 34 2 30 14
  PUSHBUTTON 500 "高さ" 66 2 30 14 PUSHLIKE
  PUSHBUTTON 600 "無し" 98 2 20 14
END
)RES";
// The ids of the menu, the bar and the commands above.
constexpr int kMenu = 700;
constexpr int kBar = 710;
constexpr int kViewFirst = 100;
constexpr int kFrameCommand = 200;
constexpr int kAppCommand = 300;
constexpr int kPanelCommand = 400;
constexpr int kHeightCommand = 500;
constexpr int kUnhandledCommand = 600;

struct Recorder : CommandTarget {
    Recorder(std::vector<std::string>& log, std::string name, std::initializer_list<int> ids) {
        for (int id : ids)
            OnCommand(id, [&log, name, id] { log.push_back(name + ":" + std::to_string(id)); });
    }
};

class CommandRoutingGui : public ::testing::Test {
protected:
    void SetUp() override {
        std::string error;
        ASSERT_TRUE(reg.LoadText(kResources, "", "routing", &error)) << error;
        saved = Resources();
        Resources().MergeFrom(reg);
        frame = new RoutedFrame(nullptr, "routing", wxDefaultPosition, wxSize(600, 400));
        ASSERT_TRUE(frame->LoadMenuResource(kMenu));
        panel = new TemplatePanel(kBar);
        panel->OnCommand(kPanelCommand, [this] { log.push_back("panel:400"); });
        ASSERT_TRUE(panel->Create(frame));
        bars = std::make_unique<DockingBars>(frame);
        bars->SetCenter(new wxWindow(frame, wxID_ANY));
        ASSERT_TRUE(bars->AddBar("bar", panel, DockSide::Top));
        bars->Update();
        frame->OnCommand(kFrameCommand, [this] { log.push_back("frame:200"); });
        frame->OnCommand(kViewFirst, [this] { log.push_back("frame:100"); });
        frame->OnCommand(kPanelCommand, [this] { log.push_back("frame:400"); });
        frame->SetActiveView(&view, &doc);
        SetAppCommandTarget(&app);
        frame->Show();
        ASSERT_TRUE(ui::testing::WaitForPaint(frame));
    }
    void TearDown() override {
        // The frame goes before the view, document and application it routes to.
        bars.reset();
        EXPECT_TRUE(ui::testing::DestroyAndWait(frame));
        SetAppCommandTarget(nullptr);
        Resources() = saved;
    }
    void choose(int id) {
        wxCommandEvent ev(wxEVT_MENU, id);
        ev.SetEventObject(frame->GetMenuBar()->GetMenu(0));
        frame->ProcessWindowEvent(ev);
    }

    ResourceRegistry reg, saved;
    std::vector<std::string> log;
    Recorder view{log, "view", {kViewFirst}};
    Recorder doc{log, "doc", {kViewFirst, kFrameCommand}};
    Recorder app{log, "app", {kViewFirst, kFrameCommand, kAppCommand}};
    RoutedFrame* frame = nullptr;
    TemplatePanel* panel = nullptr;
    std::unique_ptr<DockingBars> bars;
};

TEST_F(CommandRoutingGui, MenuAndBarButtonGoViewDocumentFrameApplication) {
    choose(kViewFirst);
    Click(panel->GetDlgItem(kViewFirst));
    choose(kFrameCommand);
    choose(kAppCommand);
    frame->SetActiveView(nullptr, &doc);
    choose(kViewFirst);
    frame->SetActiveView(nullptr, nullptr);
    choose(kViewFirst);
    choose(kFrameCommand);
    EXPECT_EQ(log, (std::vector<std::string>{"view:100", "view:100", "doc:200", "app:300", "doc:100",
                                             "frame:100", "frame:200"}));
}

TEST_F(CommandRoutingGui, PanelHandlesItsOwnButtonsAndPassesTheRestUp) {
    Click(panel->GetDlgItem(kPanelCommand));
    EXPECT_EQ(log, (std::vector<std::string>{"panel:400"}));
    // Core code sends the command to the frame's handle as a menu item would.
    ::SendMessage(frame->GetSafeHwnd(), WM_COMMAND, kAppCommand, 0);
    EXPECT_EQ(log.back(), "app:300");
}

TEST_F(CommandRoutingGui, OneUpdateHandlerDrivesMenuItemAndBarButtonAlike) {
    bool enabled = false;
    int checked = 1;
    doc.OnUpdateUI(kHeightCommand, [&](CmdUI& ui) {
        ui.Enable(enabled);
        ui.SetCheck(checked);
        ui.SetText(checked ? wxString::FromUTF8("高さ表示中") : wxString::FromUTF8("高さ表示"));
    });
    auto* button = dynamic_cast<wxToggleButton*>(panel->GetDlgItem(kHeightCommand));
    ASSERT_NE(button, nullptr);
    wxMenuItem* item = frame->GetMenuBar()->FindItem(kHeightCommand);
    ASSERT_NE(item, nullptr);
    auto refresh = [&] {
        frame->DoMenuUpdates();
        panel->UpdateWindowUI(wxUPDATE_UI_RECURSE);
    };
    refresh();
    EXPECT_FALSE(item->IsEnabled());
    EXPECT_FALSE(button->IsEnabled());
    EXPECT_TRUE(item->IsChecked());
    EXPECT_TRUE(button->GetValue());
    EXPECT_EQ(item->GetItemLabelText(), wxString::FromUTF8("高さ表示中"));
    EXPECT_EQ(button->GetLabel(), wxString::FromUTF8("高さ表示中"));
    enabled = true;
    checked = 0;
    refresh();
    EXPECT_TRUE(item->IsEnabled());
    EXPECT_TRUE(button->IsEnabled());
    EXPECT_FALSE(item->IsChecked());
    EXPECT_FALSE(button->GetValue());
    EXPECT_EQ(button->GetLabel(), wxString::FromUTF8("高さ表示"));
}

TEST_F(CommandRoutingGui, ItemsWithoutAnyHandlerAreDisabledInMenusOnly) {
    frame->DoMenuUpdates();
    panel->UpdateWindowUI(wxUPDATE_UI_RECURSE);
    EXPECT_FALSE(frame->GetMenuBar()->FindItem(kUnhandledCommand)->IsEnabled());
    EXPECT_TRUE(panel->GetDlgItem(kUnhandledCommand)->IsEnabled());
    // A command handler without an update handler keeps its item enabled.
    EXPECT_TRUE(frame->GetMenuBar()->FindItem(kAppCommand)->IsEnabled());
    EXPECT_TRUE(frame->GetMenuBar()->FindItem(kViewFirst)->IsEnabled());
}

TEST_F(CommandRoutingGui, DockingBarKeepsSideShownFloatingAndExtent) {
    DockState st = bars->State("bar");
    EXPECT_EQ(st.side, DockSide::Top);
    EXPECT_TRUE(st.shown);
    EXPECT_FALSE(st.floating);
    bars->ShowBar("bar", false);
    bars->Update();
    EXPECT_FALSE(bars->State("bar").shown);
    EXPECT_FALSE(panel->IsShown());
    bars->ShowBar("bar", true);
    bars->SetExtent("bar", 80);
    bars->Update();
    ASSERT_TRUE(ui::testing::WaitForPaint(frame));
    EXPECT_EQ(bars->State("bar").extent, 80);
    EXPECT_FALSE(bars->AddBar("bar", new wxWindow(frame, wxID_ANY), DockSide::Left));
}

} // namespace

namespace {

// Brelvoxa's MDI frames: the active child's view, document and frame come before the main
// frame and the application.
TEST(MdiRoutingGui, ActiveChildComesFirst) {
    std::vector<std::string> log;
    auto* main = new RoutedMdiParentFrame("Brelvoxa", wxDefaultPosition, wxSize(700, 500));
    main->OnCommand(10, [&] { log.push_back("main:10"); });
    main->OnCommand(11, [&] { log.push_back("main:11"); });
    main->Show();
    auto* child = new RoutedMdiChildFrame(main, "3D");
    Recorder view(log, "view", {10});
    Recorder doc(log, "doc", {10, 12});
    child->SetActiveView(&view, &doc);
    child->Show();
    child->Activate();
    ASSERT_TRUE(ui::testing::WaitForPaint(main));
    ASSERT_TRUE(ui::testing::PumpUntil([&] { return main->ActiveRoutedChild() == child; }));
    EXPECT_TRUE(main->RouteCommandId(10));
    EXPECT_TRUE(main->RouteCommandId(11));
    EXPECT_TRUE(main->RouteCommandId(12));
    EXPECT_FALSE(main->RouteCommandId(13));
    ASSERT_TRUE(ui::testing::DestroyAndWait(child));
    ASSERT_TRUE(ui::testing::PumpUntil([&] { return main->ActiveRoutedChild() == nullptr; }));
    EXPECT_TRUE(main->RouteCommandId(10));
    EXPECT_EQ(log, (std::vector<std::string>{"view:10", "main:11", "doc:12", "main:10"}));
    EXPECT_TRUE(ui::testing::DestroyAndWait(main));
}

} // namespace
