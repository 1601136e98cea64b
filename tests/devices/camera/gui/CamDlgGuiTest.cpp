// The input-device dialog and the loader's two notices under Xvfb, with real test modules.
#include "ids/VantorelIds.h"
#include "tests/devices/camera/CamTestFolders.h"

#include "devices/camera/gui/CamNotices.h"
#include "devices/camera/gui/InpImgDlg.h"
#include "platform/ScriptedMessageSink.h"
#include "platform/Time.h"
#include "ui/testing/GuiTest.h"

#include <gtest/gtest.h>

#include <wx/combobox.h>
#include <wx/frame.h>
#include <wx/stattext.h>

using camtest::CamFolders;
using camtest::OpenCamera;
using ui::testing::Click;
using ui::testing::FindById;
using ui::testing::WhenModal;

namespace {

class CamDlgGui : public ::testing::Test {
protected:
    CamFolders folders;
    CScriptedMessageSink messages{IDOK};
    ScopedManualClock clock;

    // Searches the folders once, as the main frame does before the dialog can be opened.
    void Search(OpenCamera& c) { c.Open(); }

    struct Seen {
        std::vector<std::string> entries;
        int selection = -2;
        bool enabled = false;
        wxString title;
    };
    // Runs the dialog, notes what the combo box offers, then presses `button`.
    Seen Run(CInpImgDlg& dlg, int button, int* result, int choose = -1) {
        Seen seen;
        WhenModal([&](wxDialog* d) {
            auto* combo = FindById<wxComboBox>(d, CInpImgDlg::kDeviceCombo);
            ASSERT_NE(combo, nullptr);
            for (unsigned i = 0; i < combo->GetCount(); ++i)
                seen.entries.push_back(combo->GetString(i).utf8_string());
            seen.selection = combo->GetSelection();
            seen.enabled = combo->IsEnabled();
            seen.title = d->GetTitle();
            ui::testing::Screenshot(d, ui::testing::OutputFolder() + "/input-device-dialog.png");
            if (choose >= 0)
                combo->SetSelection(choose);
            Click(FindById(d, button));
        });
        *result = dlg.DoModal();
        return seen;
    }
};

TEST_F(CamDlgGui, ListsTheSearchedModulesAndSelectsByPrefixIgnoringCase) {
    folders.AddCameraModule("a.cam", "tc_v44");
    folders.AddCameraModule("b.cam", "tc_dp70");
    folders.AddProgramModule("c.cam", "tc_v43");
    OpenCamera c("dp");
    Search(c);
    CInpImgDlg dlg(nullptr, &c.owner);
    int result = 0;
    Seen seen = Run(dlg, 1, &result);
    EXPECT_EQ(seen.title, wxString::FromUTF8("画像入力機器設定"));
    EXPECT_EQ(seen.entries, (std::vector<std::string>{"TestCam 44", "DP70", "TestCam 43"}));
    EXPECT_TRUE(seen.enabled);
    EXPECT_EQ(seen.selection, 1);
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(dlg.m_deviceName, "DP70");
}

TEST_F(CamDlgGui, OkTakesTheChosenEntryCancelTakesNothing) {
    folders.AddCameraModule("a.cam", "tc_v44");
    folders.AddCameraModule("b.cam", "tc_v43");
    OpenCamera c("TestCam 44");
    Search(c);
    CInpImgDlg ok(nullptr, &c.owner);
    int result = 0;
    Seen seen = Run(ok, 1, &result, 1);
    EXPECT_EQ(seen.selection, 0);
    EXPECT_EQ(ok.m_deviceName, "TestCam 43");
    CInpImgDlg cancel(nullptr, &c.owner);
    Run(cancel, 2, &result, 1);
    EXPECT_EQ(result, IDCANCEL);
    EXPECT_EQ(cancel.m_deviceName, "");
}

TEST_F(CamDlgGui, NoModuleFoundGivesADisabledEmptyListAndAnEmptyName) {
    OpenCamera c("TestCam 44");
    Search(c);
    const CProcParameter* cases[] = {&c.owner, nullptr};
    for (const CProcParameter* params : cases) {
        CInpImgDlg dlg(nullptr, params);
        int result = 0;
        Seen seen = Run(dlg, 1, &result);
        EXPECT_TRUE(seen.entries.empty());
        EXPECT_FALSE(seen.enabled);
        EXPECT_EQ(result, IDOK);
        EXPECT_EQ(dlg.m_deviceName, "");
    }
}

TEST_F(CamDlgGui, ANamelessModuleAppearsAsUnregisteredAfterItsMessage) {
    folders.AddCameraModule("a.cam", "tc_noname");
    OpenCamera c("x");
    Search(c);
    messages.ClearShown();
    CInpImgDlg dlg(nullptr, &c.owner);
    int result = 0;
    Seen seen = Run(dlg, 1, &result);
    EXPECT_EQ(seen.entries, std::vector<std::string>{"名前未登録"});
    EXPECT_EQ(seen.selection, -1); // "x" begins no entry
    EXPECT_EQ(messages.ShownIds(), std::vector<UINT>{vtid::str::CannotRegisterName});
    EXPECT_EQ(dlg.m_deviceName, "");
}

TEST_F(CamDlgGui, NoticesShowTheirTextWhileOpenAndGoOnClose) {
    struct Expect {
        int templateId;
        const char* text;
    };
    for (const Expect& e :
         {Expect{CDeviceSeachDialog::kTemplateId,
                 "画像入力モジュール（CAMファイル）の検索中\nしばらくお待ちください。"},
          Expect{CDeviceWaitDialog::kTemplateId, "画像入力ボードの初期化中\nしばらくお待ちください。"}}) {
        std::unique_ptr<CCamNotice> notice;
        if (e.templateId == CDeviceSeachDialog::kTemplateId)
            notice = std::make_unique<CDeviceSeachDialog>();
        else
            notice = std::make_unique<CDeviceWaitDialog>();
        ASSERT_NE(notice->Window(), nullptr);
        EXPECT_TRUE(ui::testing::Screenshot(notice->Window(), ui::testing::OutputFolder() +
                                                                  "/camera-notice-" +
                                                                  std::to_string(e.templateId) + ".png"));
        EXPECT_TRUE(notice->Window()->IsShown());
        EXPECT_EQ(notice->Window()->GetTitle(), "Vantorel");
        EXPECT_EQ(notice->Window()->GetParent(), nullptr);
        EXPECT_TRUE(wxIsBusy());
        bool found = false;
        for (wxWindow* child : notice->Window()->GetChildren())
            if (auto* t = dynamic_cast<wxStaticText*>(child))
                found |= t->GetLabel() == wxString::FromUTF8(e.text);
        EXPECT_TRUE(found) << e.templateId;
        notice->Close();
        EXPECT_EQ(notice->Window(), nullptr);
        EXPECT_FALSE(wxIsBusy());
    }
}

TEST_F(CamDlgGui, TheLoaderShowsBothNoticesAroundASuccessfulSearch) {
    folders.AddCameraModule("a.cam", "tc_v44");
    struct Watch : CCamDllNotices {
        int shown = 0;
        void BeginWaitNotice() override {
            CCamDllNotices::BeginWaitNotice();
            ++shown;
            EXPECT_TRUE(wxIsBusy());
        }
        void BeginSearchNotice() override {
            CCamDllNotices::BeginSearchNotice();
            ++shown;
        }
    } notices;
    OpenCamera c("TestCam 44");
    c.cam.SetNotices(&notices);
    EXPECT_EQ(c.Open(), 1);
    EXPECT_EQ(notices.shown, 2);
    EXPECT_FALSE(wxIsBusy());
}

// The whole way back from a module to real windows of the window layer.
TEST_F(CamDlgGui, ModuleMessagesReachTheWindowsOfTheWindowLayer) {
    folders.AddCameraModule("a.cam", "tc_v44");
    wxFrame* frame = new wxFrame(nullptr, wxID_ANY, "main");
    wxFrame* view = new wxFrame(nullptr, wxID_ANY, "picture");
    ui::MessageTarget mainTarget(frame), viewTarget(view);
    std::vector<std::pair<char, UINT>> got;
    for (UINT m : {0x500u, 0x501u, 0x502u}) {
        mainTarget.OnMessage(m, [&got, m](WPARAM, LPARAM) -> LRESULT {
            got.push_back({'M', m});
            return 0;
        });
        viewTarget.OnMessage(m, [&got, m](WPARAM, LPARAM) -> LRESULT {
            got.push_back({'V', m});
            return 0;
        });
    }
    OpenCamera c("TestCam 44");
    c.cam.SetHostTokens(mainTarget.Token(), 1);
    ASSERT_TRUE(c.Ready());
    c.record.SetFrameWindow(viewTarget.Token());
    c.cam.StartConnect(&c.record);
    c.cam.SpecialMonitor(0);
    c.cam.StopConnect(&c.record);
    EXPECT_EQ(got, (std::vector<std::pair<char, UINT>>{{'M', 0x500}, {'V', 0x502}, {'M', 0x501}}));
    EXPECT_TRUE(ui::testing::DestroyAndWait(frame));
    EXPECT_TRUE(ui::testing::DestroyAndWait(view));
}

} // namespace
