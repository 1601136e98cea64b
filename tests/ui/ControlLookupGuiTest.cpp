// Control lookups of template windows find the window's own controls only: a panel and a dialog
// in one frame may use the same ids, and asking for an id the template lacks is reported.
#include "AssertRecorder.h"

#include "ui/DataExchange.h"
#include "ui/RoutedFrame.h"
#include "ui/TemplateWindow.h"
#include "ui/testing/GuiTest.h"

#include <gtest/gtest.h>

#include <wx/button.h>
#include <wx/textctrl.h>
#include <wx/weakref.h>

using namespace ui;

namespace {

const char* kTemplates = R"(
DIALOG 830 0 0 120 40 "" NOCAPTION
  EDITTEXT 1001 "" 7 7 60 13
END
DIALOG 831 0 0 160 60 "設定"
  PUSHBUTTON 1001 "適用" 7 7 50 14
  EDITTEXT 1002 "" 7 25 60 13
  PUSHBUTTON 2 "ｷｬﾝｾﾙ" 80 40 50 14
END
DIALOG 833 0 0 200 80 "" NOCAPTION
  EDITTEXT 1003 "" 7 7 60 13
END
)";
// The ids of the templates above; the first two hold a control of one id each.
constexpr int kInnerPanel = 830;
constexpr int kDialog = 831;
constexpr int kOuterPanel = 833;
constexpr int kSharedId = 1001;
constexpr int kOuterEdit = 1003;

class OuterPanel : public TemplatePanel {
public:
    explicit OuterPanel(const ResourceRegistry* reg) : TemplatePanel(kOuterPanel, reg) {}
    void DoDataExchange(DataExchange& dx) override {
        dx.Text(kOuterEdit, value);
        if (exchangeForeignId)
            dx.Text(kSharedId, value);
    }
    bool exchangeForeignId = false;
    wxString value = "7";
};

class ControlLookupGui : public ::testing::Test {
protected:
    void SetUp() override {
        std::string error;
        ASSERT_TRUE(reg.LoadText(kTemplates, "", "lookups", &error)) << error;
        frame = new RoutedFrame(nullptr, "lookups", wxDefaultPosition, wxSize(500, 400));
        weak = frame;
    }
    void TearDown() override {
        frame->Destroy();
        EXPECT_TRUE(ui::testing::PumpUntil([&] { return !weak; }));
    }
    ResourceRegistry reg;
    RoutedFrame* frame = nullptr;
    wxWeakRef<wxFrame> weak;
};

TEST_F(ControlLookupGui, PanelAndDialogInOneFrameFindTheirOwnControlOfOneId) {
    auto* panel = new TemplatePanel(kInnerPanel, &reg);
    ASSERT_TRUE(panel->Create(frame));
    auto* dialog = new TemplateDialog(frame, kDialog, &reg);
    int applied = 0;
    dialog->OnCommand(kSharedId, [&] { ++applied; });
    ASSERT_TRUE(dialog->Create(true));
    frame->Show();
    ASSERT_TRUE(ui::testing::PumpUntil([&] { return dialog->IsShownOnScreen(); }));

    auto* edit = panel->Item<wxTextCtrl>(kSharedId);
    auto* button = dialog->Item<wxButton>(kSharedId);
    ASSERT_NE(edit, nullptr);
    ASSERT_NE(button, nullptr);
    EXPECT_EQ(edit->GetParent(), panel);
    EXPECT_EQ(button->GetParent(), dialog);
    panel->SetDlgItemText(kSharedId, "12");
    EXPECT_EQ(edit->GetValue(), "12");
    EXPECT_EQ(button->GetLabel(), wxString::FromUTF8("適用"));
    ui::testing::Click(button);
    EXPECT_EQ(applied, 1);
    dialog->Destroy();
}

TEST_F(ControlLookupGui, AnIdTheTemplateLacksIsReportedNotTakenFromAWindowInside) {
    auto* outer = new OuterPanel(&reg);
    ASSERT_TRUE(outer->Create(frame));
    auto* inner = new TemplatePanel(kInnerPanel, &reg);
    ASSERT_TRUE(inner->Create(outer, wxPoint(0, 40)));
    ASSERT_NE(inner->GetDlgItem(kSharedId), nullptr);

    AssertRecorder asserts;
    EXPECT_EQ(outer->GetDlgItem(kSharedId), nullptr);
    outer->EnableItem(kSharedId, false);
    EXPECT_TRUE(inner->GetDlgItem(kSharedId)->IsEnabled());
    outer->exchangeForeignId = true;
    outer->UpdateData(false);
    EXPECT_NE(dynamic_cast<wxTextCtrl*>(inner->GetDlgItem(kSharedId))->GetValue(), "7");
    ASSERT_EQ(asserts.Messages().size(), 3u);
    for (const std::string& m : asserts.Messages())
        EXPECT_NE(m.find("OuterPanel: control 1001 is not in dialog template 833"), std::string::npos) << m;
    // Statics without an id are nobody's business; asking for them is no error.
    EXPECT_EQ(outer->GetDlgItem(-1), nullptr);
    EXPECT_EQ(asserts.Messages().size(), 3u);
}

} // namespace
