// The lens selection (259 with its pages 289 and 290) and the calibration settings dialog (260)
// from the bundle, with a lens table of the test's own and an owner window that records what the
// dialogs send it.
#include "devices/camera/gui/LensCalibRegDlg.h"
#include "devices/camera/gui/LensCalibTxtDlg.h"
#include "devices/camera/gui/XYCalibDialog.h"
#include "devices/camera/gui/XYCalibSetDlg.h"
#include "ids/VantorelIds.h"
#include "platform/ScriptedMessageSink.h"
#include "platform/Settings.h"
#include "tests/support/ScratchSettingsFile.h"
#include "ui/DataExchange.h"
#include "ui/RoutedFrame.h"
#include "ui/testing/GuiTest.h"

#include <gtest/gtest.h>

#include <wx/notebook.h>
#include <wx/radiobut.h>
#include <wx/scrolbar.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include <fstream>
#include <memory>
#include <sstream>
#include <vector>

using ui::testing::Click;
using ui::testing::FindById;
using ui::testing::PumpUntil;
using ui::testing::Type;
using ui::testing::WhenModal;

namespace {

// A lens table of n lenses "L1".."Ln"; a reload gives back the file's values.
class TestLensTable : public LensTable {
public:
    TestLensTable(int n, bool fileExists) : m_exists(fileExists), m_n(n) { Load(); }
    bool LensFileExists() const override { return m_exists; }
    int Count() const override { return static_cast<int>(m_lenses.size()); }
    CMLens* At(int i) const override { return i >= 0 && i < Count() ? m_lenses[i].get() : nullptr; }
    int IndexOf(const std::string& name) const override {
        for (int i = 0; i < Count(); ++i)
            if (m_lenses[i]->GetName() == name)
                return i;
        return -1;
    }
    bool ReloadFileValues() override {
        Load();
        ++reloads;
        return true;
    }
    int reloads = 0;

private:
    void Load() {
        m_lenses.clear();
        for (int i = 0; i < m_n; ++i) {
            auto lens = std::make_unique<CMLens>();
            lens->m_index = i;
            lens->SetName(i == 0 ? std::string("20X") : "L" + std::to_string(i + 1));
            lens->SetRegName("Obj" + std::to_string(i + 1));
            lens->SetCalib(0.25 * (i + 1));
            lens->SetGap(i + 1.0);
            m_lenses.push_back(std::move(lens));
        }
    }
    bool m_exists;
    int m_n;
    std::vector<std::unique_ptr<CMLens>> m_lenses;
};

// The owner: records the calibration messages and the commands it gets.
class OwnerFrame : public ui::RoutedFrame {
public:
    OwnerFrame() : ui::RoutedFrame(nullptr, "owner") {
        OnMessage(WM_XYCALIB_EDIT, [this](WPARAM w, LPARAM l) {
            edits.push_back({static_cast<int>(w), static_cast<int>(l)});
            return LRESULT(0);
        });
        OnMessage(WM_XYCALIB_APPLY, [this](WPARAM w, LPARAM) {
            applies.push_back(w);
            return LRESULT(0);
        });
        OnCommand(ID_LENS_SELECT, [this] { ++lensSelects; });
    }
    std::vector<std::pair<int, int>> edits;
    std::vector<WPARAM> applies;
    int lensSelects = 0;
};

// The text a control shows, UTF-8.
std::string Text(wxWindow* root, int id) {
    wxWindow* w = FindById(root, id);
    if (auto* edit = dynamic_cast<wxTextCtrl*>(w))
        return edit->GetValue().utf8_string();
    return w ? w->GetLabel().utf8_string() : "<missing>";
}
std::string Utf8(const wxString& s) {
    return s.utf8_string();
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

// The whole screen with the dialog active (so that its labels are drawn in their own colours).
void Shot(wxDialog* d, const std::string& name) {
    d->Raise();
    d->SetFocus();
    ui::testing::ProcessPending();
    EXPECT_TRUE(ui::testing::ScreenshotRoot(ui::testing::OutputFolder() + "/" + name));
}

void KillFocus(wxWindow* control) {
    wxFocusEvent ev(wxEVT_KILL_FOCUS, control->GetId());
    ev.SetEventObject(control);
    control->GetEventHandler()->ProcessEvent(ev);
}

class XYCalibGui : public ::testing::Test {
protected:
    void SetUp() override { owner = new OwnerFrame(); }
    void TearDown() override { EXPECT_TRUE(ui::testing::DestroyAndWait(owner)); }
    ScratchSettingsFile settings;
    CScriptedMessageSink messages{IDOK};
    OwnerFrame* owner = nullptr;
};

TEST_F(XYCalibGui, WithoutLensFileTheOwnRowsServeAndOkReturnsTheRadiosSlot) {
    TestLensTable table(7, false);
    int tab = 0;
    CXYCalibDialog dlg(owner, &table, &tab);
    dlg.m_dCalib[2] = 0.5;
    dlg.m_dGap[2] = 2.25;
    dlg.m_strNames[2] = "顕微鏡の対物レンズ二十倍のためのとても長い名前です";
    dlg.m_strNames[4] = "ＡＢＣＤＥＦＧＨＩＪＫＬＭＮＯＰＱＲＳＴ"; // 20 wide characters fit
    dlg.m_nSelSlot = 1;
    WhenModal([&](wxDialog* d) {
        EXPECT_EQ(Utf8(d->GetTitle()), "レンズ選択");
        EXPECT_FALSE(FindById(d, CXYCalibDialog::kTabControl)->IsShown());
        EXPECT_EQ(Text(d, vtid::LensSelectDialog::Name1), "レンズ1");
        EXPECT_EQ(Text(d, vtid::LensSelectDialog::Calib3), "0.500000");
        EXPECT_EQ(Text(d, vtid::LensSelectDialog::Gap3), "2.250000");
        EXPECT_EQ(Text(d, vtid::LensSelectDialog::Calib2), "1.000000");
        EXPECT_TRUE(FindById(d, vtid::LensSelectDialog::Register1)->IsShown());
        EXPECT_EQ(Text(d, vtid::LensSelectDialog::Register5), "登録");
        EXPECT_TRUE(FindById(d, IDCANCEL)->IsShown());
        EXPECT_TRUE(FindById<wxRadioButton>(d, vtid::LensSelectDialog::Select2)->GetValue());
        // The three spare rows stay hidden
        EXPECT_FALSE(FindById(d, vtid::LensSelectDialog::SpareRadio1)->IsShown());
        Shot(d, "259-slots.png");
        Click(FindById(d, vtid::LensSelectDialog::Select4));
        Click(FindById(d, IDOK));
    });
    ASSERT_EQ(dlg.DoModal(), IDOK);
    EXPECT_EQ(dlg.m_nSelSlot, 3);
    EXPECT_EQ(dlg.m_strNames[0], "レンズ1");
    // Names are taken back cut to 20 characters, never inside a character.
    EXPECT_EQ(dlg.m_strNames[2], "顕微鏡の対物レンズ二十倍のためのとても長");
    EXPECT_EQ(dlg.SelectedLensName(), "");
}

TEST_F(XYCalibGui, WithLensFileTabsShowTheTableAndAnEmptySelectionFallsBackToTheSlot) {
    TestLensTable table(7, true);
    int tab = 0;
    {
        CXYCalibDialog dlg(owner, &table, &tab);
        dlg.m_nSelSlot = 2;
        dlg.m_strCurrentLens = "no such lens";
        WhenModal([&](wxDialog* d) {
            auto* book = FindById<wxNotebook>(d, CXYCalibDialog::kTabControl);
            ASSERT_NE(book, nullptr);
            EXPECT_TRUE(book->IsShown());
            ASSERT_EQ(book->GetPageCount(), 2u);
            EXPECT_EQ(Utf8(book->GetPageText(0)), "標準");
            EXPECT_EQ(Utf8(book->GetPageText(1)), "任意");
            EXPECT_EQ(book->GetSelection(), 0);
            // The dialog's own rows are hidden
            EXPECT_FALSE(dlg.GetDlgItem(vtid::LensSelectDialog::Register1)->IsShown());
            EXPECT_FALSE(dlg.GetDlgItem(vtid::LensSelectDialog::NameHeading)->IsShown());
            CLensCalibTxtDlg* page = dlg.TablePage();
            EXPECT_EQ(Text(page, vtid::LensTablePage::LensName1), "20X");
            EXPECT_EQ(Text(page, vtid::LensTablePage::LensName5), "L5");
            EXPECT_EQ(Text(page, vtid::LensTablePage::Calib1), "0.250000");
            EXPECT_EQ(page->Pager().SelectedLens(), -1); // unknown current lens: first lens on top
            for (int id : CLensCalibTxtDlg::kRadio)
                EXPECT_FALSE(FindById<wxRadioButton>(page, id)->GetValue()) << id; // none shown checked
            EXPECT_EQ(page->Pager().Top(), 1);
            Shot(d, "259-290-table-seven-lenses.png");
            Click(FindById(d, IDOK));
        });
        ASSERT_EQ(dlg.DoModal(), IDOK);
        EXPECT_EQ(dlg.m_nSelSlot, 2); // no lens selected: the slot page's radio
    }
    {
        CXYCalibDialog dlg(owner, &table, &tab);
        dlg.m_strCurrentLens = "L4";
        WhenModal([&](wxDialog* d) {
            CLensCalibTxtDlg* page = dlg.TablePage();
            EXPECT_EQ(page->Pager().Top(), 4);
            EXPECT_EQ(Text(page, vtid::LensTablePage::LensName1), "L4");
            // Lenses 4..7: row 5 is empty
            EXPECT_FALSE(page->GetDlgItem(vtid::LensTablePage::GapUnit5)->IsShown());
            EXPECT_TRUE(page->GetDlgItem(vtid::LensTablePage::GapUnit4)->IsShown());
            EXPECT_FALSE(page->GetDlgItem(vtid::LensTablePage::Select5)->IsShown());
            Click(page->GetDlgItem(vtid::LensTablePage::Select2)); // row 2: lens L5
            Click(FindById(d, IDOK));
        });
        ASSERT_EQ(dlg.DoModal(), IDOK);
        EXPECT_EQ(dlg.m_nSelSlot, -1);
        EXPECT_EQ(dlg.SelectedLensName(), "L5");
        ASSERT_NE(dlg.TablePage()->GetSelLens(), nullptr);
        EXPECT_EQ(dlg.TablePage()->GetSelLens()->GetRegName(), "Obj5");
    }
    {
        // The slot tab, once chosen, is the owner's tab the next time; a lens still selected on the
        // table page does not count there.
        CXYCalibDialog dlg(owner, &table, &tab);
        dlg.m_strCurrentLens = "L2";
        WhenModal([&](wxDialog* d) {
            auto* book = FindById<wxNotebook>(d, CXYCalibDialog::kTabControl);
            book->SetSelection(1);
            EXPECT_TRUE(PumpUntil([&] { return tab == 1; }));
            Shot(d, "259-289-slots-tab.png");
            Click(dlg.SlotPage()->GetDlgItem(vtid::LensSlotsPage::Select3));
            Click(FindById(d, IDOK));
        });
        ASSERT_EQ(dlg.DoModal(), IDOK);
        EXPECT_EQ(dlg.m_nSelSlot, 2);
    }
    CXYCalibDialog again(owner, &table, &tab);
    WhenModal([&](wxDialog* d) {
        EXPECT_EQ(FindById<wxNotebook>(d, CXYCalibDialog::kTabControl)->GetSelection(), 1);
        Click(FindById(d, IDCANCEL));
    });
    EXPECT_EQ(again.DoModal(), IDCANCEL);
}

TEST_F(XYCalibGui, RegistrationRequestsEndTheSelectionAndReachTheOwner) {
    TestLensTable table(7, true);
    int tab = 0;
    {
        CXYCalibDialog dlg(owner, &table, &tab);
        WhenModal([&](wxDialog*) {
            Click(dlg.TablePage()->GetDlgItem(CLensCalibTxtDlg::kRegister)); // nothing selected: no request
            Click(dlg.TablePage()->GetDlgItem(vtid::LensTablePage::Select3));
            Click(dlg.TablePage()->GetDlgItem(CLensCalibTxtDlg::kRegister));
        });
        EXPECT_EQ(dlg.DoModal(), IDCANCEL);
    }
    {
        CXYCalibDialog dlg(owner, &table, &tab);
        WhenModal([&](wxDialog*) { Click(dlg.SlotPage()->GetDlgItem(vtid::LensSlotsPage::Register4)); });
        EXPECT_EQ(dlg.DoModal(), IDCANCEL);
    }
    ASSERT_TRUE(PumpUntil([&] { return owner->edits.size() == 2; }));
    EXPECT_EQ(owner->edits[0], std::make_pair(1, 2)); // lens table, third lens
    EXPECT_EQ(owner->edits[1], std::make_pair(0, 3)); // slot 4
}

TEST_F(XYCalibGui, ControllerTypeNineLeavesNoCancelInBothForms) {
    WriteIniInt("COMM", "CONTROLLER", 9);
    for (bool file : {false, true}) {
        TestLensTable table(3, file);
        int tab = 0;
        CXYCalibDialog dlg(owner, &table, &tab);
        WhenModal([&](wxDialog* d) {
            EXPECT_FALSE(FindById(d, IDCANCEL)->IsShown());
            EXPECT_TRUE(FindById(d, IDOK)->IsShown());
            Click(FindById(d, IDOK));
        });
        EXPECT_EQ(dlg.DoModal(), IDOK);
    }
}

TEST_F(XYCalibGui, TablePageScrollsHidesEmptyRowsAndResetsToTheFileValues) {
    int tab = 0;
    {
        TestLensTable three(3, true);
        CXYCalibDialog dlg(owner, &three, &tab);
        WhenModal([&](wxDialog* d) {
            CLensCalibTxtDlg* page = dlg.TablePage();
            for (int row : {3, 4})
                for (const int* ids :
                     {CLensCalibTxtDlg::kRadio, CLensCalibTxtDlg::kLensName, CLensCalibTxtDlg::kRegName,
                      CLensCalibTxtDlg::kCalib, CLensCalibTxtDlg::kCalibUnit, CLensCalibTxtDlg::kGap,
                      CLensCalibTxtDlg::kGapUnit})
                    EXPECT_FALSE(page->GetDlgItem(ids[row])->IsShown()) << ids[row];
            EXPECT_TRUE(page->GetDlgItem(vtid::LensTablePage::GapUnit3)->IsShown());
            Click(FindById(d, IDCANCEL));
        });
        dlg.DoModal();
    }
    TestLensTable table(7, true);
    table.At(0)->SetCalib(9.5); // a registration the reset takes back
    const std::string before = "[COMM]\r\nCONTROLLER=0\r\n";
    std::ofstream(settings.Path(), std::ios::binary) << before;
    CXYCalibDialog dlg(owner, &table, &tab);
    WhenModal([&](wxDialog* d) {
        CLensCalibTxtDlg* page = dlg.TablePage();
        auto scroll = [&](int code) {
            SendMessage(
                page->GetSafeHwnd(), ui::WM_VSCROLL, MAKELONG(code, 0),
                reinterpret_cast<LPARAM>(ui::WindowHandle(page->GetDlgItem(vtid::LensTablePage::ScrollBar))));
        };
        scroll(ui::SB_LINEDOWN);
        // The bar's own notification takes the same way.
        auto* bar = FindById<wxScrollBar>(page, CLensCalibTxtDlg::kScrollBar);
        ASSERT_NE(bar, nullptr);
        wxScrollEvent down(wxEVT_SCROLL_LINEDOWN, bar->GetId(), 1, wxVERTICAL);
        down.SetEventObject(bar);
        bar->GetEventHandler()->ProcessEvent(down);
        EXPECT_EQ(bar->GetThumbPosition(), 2);
        EXPECT_EQ(Text(page, vtid::LensTablePage::LensName1), "L3");
        EXPECT_EQ(Text(page, vtid::LensTablePage::LensName5), "L7");
        scroll(ui::SB_TOP);
        scroll(ui::SB_PAGEDOWN);
        EXPECT_EQ(page->Pager().Top(), 3);
        scroll(ui::SB_TOP);
        EXPECT_EQ(Text(page, vtid::LensTablePage::Calib1), "9.500000");

        messages.Queue({IDNO});
        Click(page->GetDlgItem(CLensCalibTxtDlg::kDefault));
        EXPECT_EQ(messages.CountOf(CLensCalibTxtDlg::kMsgDefault), 1u);
        EXPECT_EQ(ReadFile(settings.Path()), before); // No: nothing changes
        EXPECT_EQ(table.reloads, 0);

        messages.Queue({IDYES});
        Click(page->GetDlgItem(CLensCalibTxtDlg::kDefault));
        EXPECT_EQ(table.reloads, 1);
        EXPECT_EQ(Text(page, vtid::LensTablePage::Calib1), "0.250000");
        Click(FindById(d, IDCANCEL));
    });
    dlg.DoModal();
    // Every lens's section with the file's values, in table order, after what was there.
    std::string expected = before;
    const char* calib[] = {"0.25", "0.5", "0.75", "1", "1.25", "1.5", "1.75"};
    for (int i = 0; i < 7; ++i) {
        const std::string n = std::to_string(i + 1);
        expected += "[CALIBRATION_" + (i == 0 ? std::string("20X") : "L" + n) + "]\r\nCLBNAME1=Obj" + n +
                    "\r\nCALIB1=" + calib[i] + "\r\nGAP1=" + n + "\r\n";
    }
    EXPECT_EQ(ReadFile(settings.Path()), expected);
}

TEST_F(XYCalibGui, ModalCalibrationRefusesOneBillionAndStaysOpen) {
    CXYCalibSetDlg dlg(owner, 1);
    dlg.m_dCalib = 0.5;
    dlg.m_nViewWidth = 640;
    bool refusedAndOpen = false;
    WhenModal([&](wxDialog* d) {
        EXPECT_EQ(Utf8(d->GetTitle()), "キャリブレーション設定");
        EXPECT_EQ(Text(d, CXYCalibSetDlg::kLineEdit), "320"); // view width × calibration
        Shot(d, "260-calibration.png");
        Type(FindById(d, CXYCalibSetDlg::kCalibEdit), "1e9");
        Click(FindById(d, IDOK));
        refusedAndOpen = d->IsShown() && messages.CountOf(ui::IDS_DX_NUMBER_RANGE) == 1;
        Type(FindById(d, CXYCalibSetDlg::kCalibEdit), "0.75");
        Type(FindById(d, CXYCalibSetDlg::kGapEdit), "99999999");
        Click(FindById(d, IDOK));
    });
    EXPECT_EQ(dlg.DoModal(), IDOK);
    EXPECT_TRUE(refusedAndOpen);
    EXPECT_DOUBLE_EQ(dlg.m_dCalib, 0.75);
    EXPECT_DOUBLE_EQ(dlg.m_dGap, 99999999.0);
    EXPECT_EQ(ReadIniInt("CALIBRATION", "SCALELENPOSX", -1) >= 0, true);
}

TEST_F(XYCalibGui, ModelessLineLengthOkAndCancelReportToTheOwner) {
    WriteIniInt("CALIBRATION", "SCALELENPOSX", 40);
    WriteIniInt("CALIBRATION", "SCALELENPOSY", 30);
    auto* dlg = new CXYCalibSetDlg(owner, 0);
    ASSERT_TRUE(dlg->IsShown());
    double pixels = 200.0;
    dlg->m_lineLength = [&] { return pixels; };
    ASSERT_TRUE(ui::testing::WaitForPaint(dlg));
    // At the stored place (the X server here has no window manager to place it otherwise).
    EXPECT_EQ(dlg->GetPosition(), wxPoint(40, 30));

    auto* line = FindById(dlg, CXYCalibSetDlg::kLineEdit);
    Type(line, "100");
    KillFocus(line);
    EXPECT_DOUBLE_EQ(dlg->m_dCalib, 0.5);
    EXPECT_EQ(Text(dlg, CXYCalibSetDlg::kCalibEdit), "0.500000");
    // A quotient of many digits shows six decimals.
    pixels = 246.4;
    KillFocus(line);
    EXPECT_DOUBLE_EQ(dlg->m_dCalib, 100.0 / 246.4);
    EXPECT_EQ(Text(dlg, CXYCalibSetDlg::kCalibEdit), "0.405844");
    ASSERT_TRUE(dlg->UpdateData(true)); // the shown digits do not cut the value taken back
    EXPECT_DOUBLE_EQ(dlg->m_dCalib, 100.0 / 246.4);
    pixels = 0.0; // no line drawn: 0, never a division by zero
    KillFocus(line);
    EXPECT_EQ(dlg->m_dCalib, 0.0);

    // A refused value: the message, no result for the owner, the dialog stays.
    Type(FindById(dlg, CXYCalibSetDlg::kGapEdit), "1e9");
    Click(FindById(dlg, IDOK));
    EXPECT_EQ(messages.CountOf(ui::IDS_DX_NUMBER_RANGE), 1u);
    EXPECT_TRUE(dlg->IsShown());
    Type(FindById(dlg, CXYCalibSetDlg::kGapEdit), "5");
    Click(FindById(dlg, IDOK));
    ASSERT_EQ(owner->applies.size(), 1u);
    EXPECT_EQ(owner->applies[0], reinterpret_cast<WPARAM>(dlg->GetSafeHwnd()));
    EXPECT_DOUBLE_EQ(dlg->m_dGap, 5.0);

    dlg->Move(70, 50);
    ASSERT_TRUE(PumpUntil([&] { return dlg->GetPosition() == wxPoint(70, 50); }));
    Click(FindById(dlg, IDCANCEL));
    ASSERT_TRUE(PumpUntil([&] { return owner->lensSelects == 1; }));
    EXPECT_FALSE(dlg->IsShown());
    EXPECT_EQ(ReadIniInt("CALIBRATION", "SCALELENPOSX", 0), 70);
    EXPECT_EQ(ReadIniInt("CALIBRATION", "SCALELENPOSY", 0), 50);
    EXPECT_EQ(owner->applies.size(), 1u);
    dlg->Reopen();
    ASSERT_TRUE(ui::testing::WaitForPaint(dlg));
    EXPECT_TRUE(dlg->IsShown());
    EXPECT_TRUE(ui::testing::DestroyAndWait(dlg));
}

} // namespace
