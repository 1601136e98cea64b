// Template dialogs from the program's bundle and from a test registry: ids, texts, layout,
// modal end codes, data exchange and validation.
#include "ids/VantorelIds.h"
#include "ui/DataExchange.h"
#include "ui/TemplateWindow.h"
#include "ui/testing/GuiTest.h"

#include "platform/ScriptedMessageSink.h"

#include <gtest/gtest.h>

#include <wx/button.h>
#include <wx/frame.h>
#include <wx/log.h>
#include <wx/panel.h>
#include <wx/checkbox.h>
#include <wx/radiobut.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

using namespace ui;
using ui::testing::Click;
using ui::testing::FindById;
using ui::testing::Type;
using ui::testing::WhenModal;

namespace {

// The start dialog as the Vantorel bundle lays it out.
TEST(TemplateDialogGui, StartDialogFromBundleHasIdsTextsAndRoomForThem) {
    TemplateDialog dlg(nullptr, vtid::dlg::StartDialog);
    ASSERT_TRUE(dlg.Create(true));
    ASSERT_TRUE(ui::testing::WaitForPaint(&dlg));
    EXPECT_EQ(dlg.GetTitle(), "Vantorel");
    struct Expect {
        int id;
        const char* text;
    } expected[] = {{vtid::StartDialog::SelectByThumbnail, "画像ファイルをサムネイルで選択"},
                    {vtid::StartDialog::ManualCapture, "手動で撮影"},
                    {vtid::StartDialog::AutoCapture, "自動Zステージを用いて撮影"},
                    {vtid::StartDialog::VossaComposition, "Vossa合成"},
                    {vtid::StartDialog::HideNextTime, "次回からこの画面を表示しない"},
                    {2, "Vantorel の終了"}};
    const wxRect client(wxPoint(0, 0), dlg.GetClientSize());
    for (const auto& e : expected) {
        wxWindow* w = dlg.GetDlgItem(e.id);
        ASSERT_NE(w, nullptr) << e.id;
        EXPECT_EQ(w->GetLabel(), wxString::FromUTF8(e.text)) << e.id;
        // The text fits in the control's rectangle and the control in the dialog.
        wxSize need = w->GetTextExtent(w->GetLabel());
        int extra = dynamic_cast<wxCheckBox*>(w) ? 24 : 8; // the box of a check box
        EXPECT_LE(need.x + extra, w->GetSize().x) << e.id;
        EXPECT_LE(need.y, w->GetSize().y) << e.id;
        EXPECT_TRUE(client.Contains(w->GetRect())) << e.id;
    }
    EXPECT_NE(dynamic_cast<wxCheckBox*>(dlg.GetDlgItem(vtid::StartDialog::HideNextTime)), nullptr);
    EXPECT_TRUE(ui::testing::Screenshot(&dlg, ui::testing::OutputFolder() + "/start-dialog.png"));
    ui::testing::ScreenshotRoot(ui::testing::OutputFolder() + "/start-dialog-screen.png");
}

// A dialog opened over a window whose frame is not shown yet (the stage check while the main
// window is made) is placed without asking the toolkit for screen positions it cannot know, which
// it complains of.
TEST(TemplateDialogGui, ADialogOverAFrameNotYetShownIsPlacedWithoutAComplaint) {
    struct Recorder : wxLog {
        std::vector<wxString> texts;
        void DoLogTextAtLevel(wxLogLevel, const wxString& text) override { texts.push_back(text); }
    };
    auto* frame = new wxFrame(nullptr, wxID_ANY, "hidden");
    auto* panel = new wxPanel(frame);
    auto* recorder = new Recorder;
    wxLog* old = wxLog::SetActiveTarget(recorder);
    const wxLogLevel level = wxLog::GetLogLevel();
    wxLog::SetLogLevel(wxLOG_Max);
    {
        TemplateDialog dlg(panel, vtid::dlg::StartDialog);
        EXPECT_TRUE(dlg.Create(false));
    }
    wxLog::SetLogLevel(level);
    wxLog::SetActiveTarget(old);
    for (const wxString& text : recorder->texts)
        EXPECT_FALSE(text.Contains("ClientToScreen")) << text;
    delete recorder;
    frame->Destroy();
}

TEST(TemplateDialogGui, MissingTemplateDoesNotOpen) {
    constexpr int kNoTemplate = 999999; // no bundle holds a dialog of this id
    TemplateDialog dlg(nullptr, kNoTemplate);
    EXPECT_EQ(dlg.DoModal(), -1);
    EXPECT_FALSE(dlg.Create());
}

// A small settings dialog of a test registry.
const char* kSettings = R"(
DIALOG 500 0 0 200 120 "設定"
  LTEXT -1 "間隔：" 7 9 40 10
  EDITTEXT 501 "" 50 7 60 13
  EDITTEXT 502 "" 50 25 60 13
  EDITTEXT 503 "" 50 43 60 13
  AUTOCHECKBOX 504 "自動位置合わせ" 7 62 100 12
  RADIOBUTTON 505 "細かい" 120 7 70 12 GROUP
  RADIOBUTTON 506 "通常" 120 21 70 12
  RADIOBUTTON 507 "滑らか" 120 35 70 12
  RADIOBUTTON 508 "別の組" 120 49 70 12 GROUP
  DEFPUSHBUTTON 1 "設定" 40 95 50 15
  PUSHBUTTON 2 "取消" 110 95 50 15
END
)";
// The ids of the dialog above and of its controls.
constexpr int kSettingsDialog = 500;
constexpr int kCount = 501;
constexpr int kInterval = 502;
constexpr int kName = 503;
constexpr int kAutoPos = 504;
constexpr int kFine = 505;
constexpr int kNormal = 506;
constexpr int kSmooth = 507;

class SettingsDialog : public TemplateDialog {
public:
    explicit SettingsDialog(const ResourceRegistry* reg) : TemplateDialog(nullptr, kSettingsDialog, reg) {}
    void DoDataExchange(DataExchange& dx) override {
        dx.Text(kCount, count);
        dx.MinMax(kCount, count, 0, 20);
        dx.Text(kInterval, interval);
        dx.MinMax(kInterval, interval, -999999.0, 999999.0);
        dx.Text(kName, name);
        dx.Check(kAutoPos, autoPos);
        dx.Radio(kFine, type);
    }
    int count = 5;
    double interval = 2.5;
    std::string name = "試料";
    int autoPos = 1;
    int type = 1;
};

class TemplateDataGui : public ::testing::Test {
protected:
    void SetUp() override {
        std::string error;
        ASSERT_TRUE(reg.LoadText(kSettings, "", "settings", &error)) << error;
    }
    ResourceRegistry reg;
    CScriptedMessageSink sink{IDOK};
};

TEST_F(TemplateDataGui, FieldsFillTheControlsAndOkTakesThemBack) {
    SettingsDialog dlg(&reg);
    WhenModal([&](wxDialog* d) {
        EXPECT_EQ(FindById<wxTextCtrl>(d, kCount)->GetValue(), "5");
        EXPECT_EQ(FindById<wxTextCtrl>(d, kInterval)->GetValue(), "2.5");
        EXPECT_EQ(FindById<wxTextCtrl>(d, kName)->GetValue(), wxString::FromUTF8("試料"));
        EXPECT_TRUE(FindById<wxCheckBox>(d, kAutoPos)->GetValue());
        EXPECT_TRUE(FindById<wxRadioButton>(d, kNormal)->GetValue());
        Type(FindById(d, kCount), "12");
        Type(FindById(d, kInterval), " -0.25 ");
        Type(FindById(d, kName), wxString::FromUTF8("新しい名前"));
        Click(FindById(d, kAutoPos));
        Click(FindById(d, kSmooth));
        Click(FindById(d, 1));
    });
    EXPECT_EQ(dlg.DoModal(), IDOK);
    EXPECT_EQ(dlg.count, 12);
    EXPECT_DOUBLE_EQ(dlg.interval, -0.25);
    EXPECT_EQ(dlg.name, "新しい名前");
    EXPECT_EQ(dlg.autoPos, 0);
    EXPECT_EQ(dlg.type, 2); // 508 starts a group of its own
    EXPECT_TRUE(sink.ShownIds().empty());
}

TEST_F(TemplateDataGui, CancelLeavesTheFields) {
    SettingsDialog dlg(&reg);
    WhenModal([&](wxDialog* d) {
        Type(FindById(d, kCount), "7");
        Click(FindById(d, 2));
    });
    EXPECT_EQ(dlg.DoModal(), IDCANCEL);
    EXPECT_EQ(dlg.count, 5);
}

TEST_F(TemplateDataGui, RefusedValuesKeepTheDialogOpenAndTellTheUser) {
    SettingsDialog dlg(&reg);
    std::vector<std::vector<UINT>> shownAfter;
    WhenModal([&](wxDialog* d) {
        Type(FindById(d, kCount), "21"); // above the range
        Click(FindById(d, 1));
        shownAfter.push_back(sink.ShownIds());
        EXPECT_TRUE(d->IsShown());
        EXPECT_EQ(ui::testing::FocusWithin(d), FindById(d, kCount));
        Type(FindById(d, kCount), "abc"); // not a number
        Click(FindById(d, 1));
        shownAfter.push_back(sink.ShownIds());
        Type(FindById(d, kCount), "20");
        Type(FindById(d, kInterval), "1e400"); // out of double's range
        Click(FindById(d, 1));
        shownAfter.push_back(sink.ShownIds());
        Type(FindById(d, kInterval), "1000000");
        Click(FindById(d, 1));
        shownAfter.push_back(sink.ShownIds());
        Type(FindById(d, kInterval), "999999");
        Click(FindById(d, 1));
    });
    EXPECT_EQ(dlg.DoModal(), IDOK);
    ASSERT_EQ(shownAfter.size(), 4u);
    EXPECT_EQ(shownAfter[0], (std::vector<UINT>{IDS_DX_INT_RANGE}));
    EXPECT_EQ(sink.ShownMessages()[0].args, (std::vector<std::string>{"0", "20"}));
    EXPECT_EQ(shownAfter[1].back(), IDS_DX_NEED_INTEGER);
    EXPECT_EQ(shownAfter[2].back(), IDS_DX_NEED_NUMBER);
    EXPECT_EQ(shownAfter[3].back(), IDS_DX_NUMBER_RANGE);
    EXPECT_EQ(dlg.count, 20);
    EXPECT_DOUBLE_EQ(dlg.interval, 999999.0);
}

TEST_F(TemplateDataGui, EscapeAndCloseBoxCancelAndEnterPressesTheDefaultButton) {
    {
        SettingsDialog dlg(&reg);
        WhenModal([&](wxDialog* d) {
            wxKeyEvent key(wxEVT_CHAR_HOOK);
            key.m_keyCode = WXK_ESCAPE;
            d->ProcessWindowEvent(key);
        });
        EXPECT_EQ(dlg.DoModal(), IDCANCEL);
    }
    {
        SettingsDialog dlg(&reg);
        WhenModal([&](wxDialog* d) { d->Close(); });
        EXPECT_EQ(dlg.DoModal(), IDCANCEL);
    }
    {
        SettingsDialog dlg(&reg);
        WhenModal([&](wxDialog* d) {
            FindById(d, kCount)->SetFocus();
            Type(FindById(d, kCount), "3");
            wxKeyEvent key(wxEVT_CHAR_HOOK);
            key.m_keyCode = WXK_RETURN;
            d->ProcessWindowEvent(key);
        });
        EXPECT_EQ(dlg.DoModal(), IDOK);
        EXPECT_EQ(dlg.count, 3);
    }
}

TEST_F(TemplateDataGui, CustomControlTakesTheTemplatePlace) {
    SettingsDialog dlg(&reg);
    wxRect seen;
    dlg.ReplaceControl(kName, [&](wxWindow* parent, const ControlTemplate& c, const wxRect& r) -> wxWindow* {
        seen = r;
        return new wxStaticText(parent, c.id, "custom", r.GetPosition(), r.GetSize());
    });
    ASSERT_TRUE(dlg.Create(false));
    auto* custom = dynamic_cast<wxStaticText*>(dlg.GetDlgItem(kName));
    ASSERT_NE(custom, nullptr);
    EXPECT_EQ(custom->GetRect(), seen);
    EXPECT_EQ(seen, dlg.MapDialogRect(RECT{50, 43, 110, 56}));
}

} // namespace
