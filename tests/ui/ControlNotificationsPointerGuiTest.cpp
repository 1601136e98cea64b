// Spin buttons, notebooks and right clicks under the real pointer reach the message map of the
// window that holds them: a step of a spin button as UDN_DELTAPOS (its position kept when the
// handler refuses the step), another page of a notebook as TCN_SELCHANGE and a right click as
// WM_CONTEXTMENU with the window and the screen point.
#include "ui/TemplateWindow.h"
#include "ui/testing/GuiTest.h"
#include "ui/testing/Pointer.h"

#include <gtest/gtest.h>

#include <wx/notebook.h>
#include <wx/spinbutt.h>
#include <wx/uiaction.h>

using namespace ui;

namespace {

using Log = std::vector<std::string>;

const char* kTemplates = R"(
DIALOG 830 0 0 200 140 "操作"
  SPIN 701 "" 7 7 28 15
  SPIN 702 "" 40 7 28 15
  DEFPUSHBUTTON 1 "OK" 80 120 50 14
  PUSHBUTTON 2 "ｷｬﾝｾﾙ" 140 120 50 14
END
)";
// The ids of the dialog above and of its spin buttons, and of the notebook the test adds.
constexpr int kDialog = 830;
constexpr int kRefusingSpin = 701;
constexpr int kMovingSpin = 702;
constexpr int kNotebook = 703;

class ControlsPointer : public ::testing::Test {
protected:
    void SetUp() override {
        std::string error;
        ASSERT_TRUE(reg.LoadText(kTemplates, "", "controls", &error)) << error;
    }
    ResourceRegistry reg;
    Log log;
};

// A client point of the notebook's tab of a page, or (-1, -1).
wxPoint tabOf(wxNotebook* book, int page) {
    for (int y = 0; y < book->GetClientSize().y / 2; y += 2)
        for (int x = 0; x < book->GetClientSize().x; x += 2)
            if (book->HitTest(wxPoint(x, y)) == page)
                return wxPoint(x, y);
    return wxDefaultPosition;
}

TEST_F(ControlsPointer, SpinStepsPagesAndRightClicksReachTheMap) {
    TemplateDialog dlg(nullptr, kDialog, &reg);
    // 701 keeps its position (the handler refuses every step); 702 moves.
    dlg.OnNotify(UDN_DELTAPOS, kRefusingSpin, [&](Notification& n) {
        log.push_back("701 step " + std::to_string(n.delta));
        n.result = 1;
    });
    dlg.OnNotify(UDN_DELTAPOS, kMovingSpin,
                 [&](Notification& n) { log.push_back("702 to " + std::to_string(n.position)); });
    dlg.OnNotify(TCN_SELCHANGE, kNotebook,
                 [&](Notification& n) { log.push_back("page " + std::to_string(n.item)); });
    WPARAM menuFor = 0;
    wxPoint menuAt;
    dlg.OnMessage(WM_CONTEXTMENU, [&](WPARAM w, LPARAM l) {
        menuFor = w;
        menuAt = wxPoint(static_cast<short>(LOWORD(l)), static_cast<short>(HIWORD(l)));
        return LRESULT(0);
    });
    ASSERT_TRUE(dlg.Create(true));
    auto* refused = dlg.Item<wxSpinButton>(kRefusingSpin);
    auto* moving = dlg.Item<wxSpinButton>(kMovingSpin);
    for (wxSpinButton* spin : {refused, moving}) {
        spin->SetSize(spin->GetBestSize());
        spin->SetRange(0, 10);
        spin->SetValue(5);
    }
    auto* book = new wxNotebook(&dlg, kNotebook, wxPoint(5, 60), wxSize(220, 90));
    book->AddPage(new wxPanel(book), wxString::FromUTF8("一"));
    book->AddPage(new wxPanel(book), wxString::FromUTF8("二"));
    ASSERT_TRUE(ui::testing::WaitForPaint(&dlg));
    ASSERT_TRUE(ui::testing::WaitForPaint(book));

    EXPECT_TRUE(ui::testing::ClickSpinButton(refused, +1));
    EXPECT_TRUE(ui::testing::PumpUntil([&] { return log.size() == 1; }));
    EXPECT_TRUE(ui::testing::ClickSpinButton(refused, -1));
    EXPECT_TRUE(ui::testing::PumpUntil([&] { return log.size() == 2; }));
    EXPECT_EQ(refused->GetValue(), 5);
    EXPECT_TRUE(ui::testing::ClickSpinButton(moving, +1));
    EXPECT_TRUE(ui::testing::PumpUntil([&] { return log.size() == 3; }));
    EXPECT_EQ(moving->GetValue(), 6);

    const wxPoint tab = tabOf(book, 1);
    ASSERT_NE(tab, wxDefaultPosition);
    EXPECT_TRUE(ui::testing::ClickOnScreen(book, book->ClientToScreen(tab)));
    EXPECT_TRUE(ui::testing::PumpUntil([&] { return log.size() == 4; }));
    EXPECT_EQ(book->GetSelection(), 1);
    EXPECT_EQ(log, (Log{"701 step 1", "701 step -1", "702 to 6", "page 1"}));

    // A right click on the dialog's background.
    const wxPoint background(dlg.GetClientSize().x - 10, 10);
    ASSERT_TRUE(ui::testing::PointerTo(&dlg, background));
    wxUIActionSimulator sim;
    sim.MouseClick(wxMOUSE_BTN_RIGHT);
    EXPECT_TRUE(ui::testing::PumpUntil([&] { return menuFor != 0; }));
    EXPECT_EQ(menuFor, reinterpret_cast<WPARAM>(dlg.GetSafeHwnd()));
    EXPECT_EQ(menuAt, dlg.ClientToScreen(background));
    dlg.Hide();
}

} // namespace
