// The settings dialogs on their templates, driven as the user drives them, and what their openers
// in the main frame and the capture view write into the settings file.
#include "ShellGuiFixture.h"

#include "browser/SelListCtrl.h"
#include "ids/VantorelIds.h"
#include "shell/capture/EDEdit.h"
#include "shell/capture/EDListCtrl.h"
#include "shell/app/OrsandelDoc.h"
#include "shell/capture/SelectedBox.h"
#include "shell/settings/SetAutoPos.h"
#include "shell/settings/SetDepth.h"
#include "shell/settings/SetFocusType.h"
#include "shell/settings/SetManual.h"
#include "shell/settings/SetScopeDlg.h"
#include "shell/settings/SetSubsDlg.h"
#include "shell/controls/SliderEdit.h"
#include "shell/frame/TopMenuDialog.h"
#include "tests/browser/core/BrowserTestImages.h"
#include "ui/DataExchange.h"
#include "ui/Services.h"
#include "result/ScaleButton.h"
#include "result/SetOutputAppDlg.h"
#include "result/SetScaleDlg.h"

#include <wx/app.h>
#include <wx/checkbox.h>
#include <wx/combobox.h>
#include <wx/dcmemory.h>
#include <wx/slider.h>
#include <wx/textctrl.h>
#include <wx/timer.h>

namespace {

using ui::testing::Click;
using ui::testing::FindById;
using ui::testing::PumpUntil;
using ui::testing::Type;

// Runs action on the next modal dialog of class T once it is painted (a dialog opened from
// another modal dialog is told apart from its opener by its class).
template <class T> class ModalOf : public wxTimer {
public:
    explicit ModalOf(std::function<void(T*)> action) : action_(std::move(action)) { Start(10); }
    void Notify() override {
        for (wxWindow* w : wxTopLevelWindows) {
            auto* d = dynamic_cast<T*>(w);
            if (d && d->IsModal() && d->IsShown()) {
                Stop();
                auto action = std::move(action_);
                wxTheApp->CallAfter([action, d] {
                    EXPECT_TRUE(ui::testing::WaitForPaint(d));
                    action(d);
                });
                wxTheApp->CallAfter([this] { delete this; });
                return;
            }
        }
    }

private:
    std::function<void(T*)> action_;
};
template <class T> void WhenModalOf(std::function<void(T*)> action) {
    new ModalOf<T>(std::move(action));
}

std::string Text(wxWindow* root, int id) {
    return ui::ToUtf8(FindById<wxTextCtrl>(root, id)->GetValue());
}

void Pick(wxWindow* root, int id, int index) {
    auto* combo = FindById<wxComboBox>(root, id);
    combo->SetSelection(index);
    wxCommandEvent ev(wxEVT_COMBOBOX, id);
    ev.SetEventObject(combo);
    ev.SetInt(index);
    combo->ProcessWindowEvent(ev);
}

void LeaveEdit(wxWindow* root, int id) {
    wxWindow* edit = FindById(root, id);
    wxFocusEvent ev(wxEVT_KILL_FOCUS, id);
    ev.SetEventObject(edit);
    edit->ProcessWindowEvent(ev);
}

void Mouse(wxWindow* target, wxEventType type, wxPoint at, bool leftDown) {
    ui::testing::SendMouse(target, type, at, leftDown);
}

class SettingsDialogs : public ShellWindows {
protected:
    void SetUp() override {
        ShellWindows::SetUp();
        shots = outputDir + "/settings";
        std::filesystem::create_directories(shots);
    }
    // A parent window for dialogs tested on their own, with the settings file of the folder.
    wxFrame* Parent() {
        SetSettingsFilePath(folder + "/Vantorel.ini");
        if (!parent) {
            parent = new wxFrame(nullptr, wxID_ANY, "parent");
            parent->Show();
        }
        return parent;
    }
    void TearDown() override {
        if (parent) {
            EXPECT_TRUE(ui::testing::DestroyAndWait(parent));
        }
        ShellWindows::TearDown();
    }
    std::string shots;
    wxFrame* parent = nullptr;
};

TEST_F(SettingsDialogs, TemplatesHaveEveryIdTheClassesUse) {
    wxFrame* p = Parent();
    CSetFocusType focusType(p);
    EXPECT_TRUE(focusType.CheckControlIds().empty());
    CSetManual manual(p);
    EXPECT_TRUE(manual.CheckControlIds().empty());
    CSetAutoPos autoPos(p);
    EXPECT_TRUE(autoPos.CheckControlIds().empty());
    CSetDepth depth(p, nullptr, nullptr);
    EXPECT_TRUE(depth.CheckControlIds().empty());
    CSetScopeDlg scope(p);
    EXPECT_TRUE(scope.CheckControlIds().empty());
    CSetSubsDlg subs(p);
    EXPECT_TRUE(subs.CheckControlIds().empty());
    CSetScaleDlg scale(p);
    EXPECT_TRUE(scale.CheckControlIds().empty());
    CSetOutputAppDlg paths(p);
    EXPECT_TRUE(paths.CheckControlIds().empty());
}

TEST_F(SettingsDialogs, CompositionTypeEnablingAndSmoothPresetHandedBack) {
    CSetFocusType dlg(Parent());
    dlg.m_type = 1;
    dlg.m_autoPos = 0;
    dlg.m_size = 8;
    dlg.m_smoothing = 6;
    const std::string dir = shots;
    WhenModalOf<CSetFocusType>([dir](CSetFocusType* d) {
        EXPECT_EQ(ui::ToUtf8(d->GetTitle()), "合成設定");
        EXPECT_EQ(ui::ToUtf8(FindById(d, vtid::CompositionSettingsDialog::Smooth)->GetLabel()), "滑らか");
        EXPECT_FALSE(FindById(d, vtid::CompositionSettingsDialog::ManualSettings)->IsEnabled());
        EXPECT_TRUE(FindById(d, vtid::CompositionSettingsDialog::AutoAlign)->IsEnabled());
        EXPECT_FALSE(FindById(d, vtid::CompositionSettingsDialog::AlignSettings)->IsEnabled());
        Click(FindById(d, vtid::CompositionSettingsDialog::Manual));
        EXPECT_TRUE(FindById(d, vtid::CompositionSettingsDialog::ManualSettings)->IsEnabled());
        Click(FindById(d, vtid::CompositionSettingsDialog::AutoAlign));
        EXPECT_TRUE(FindById(d, vtid::CompositionSettingsDialog::AlignSettings)->IsEnabled());
        ui::testing::ScreenshotRoot(dir + "/composition-settings.png");
        WhenModalOf<CSetManual>([dir](CSetManual* m) {
            EXPECT_EQ(Text(m, vtid::ManualSettingsDialog::SizeValue), "8");
            EXPECT_EQ(Text(m, vtid::ManualSettingsDialog::SmoothingValue), "6");
            Pick(m, vtid::ManualSettingsDialog::Preset, 2); // 滑らか
            EXPECT_EQ(Text(m, vtid::ManualSettingsDialog::SizeValue), "15");
            EXPECT_EQ(Text(m, vtid::ManualSettingsDialog::SmoothingValue), "6");
            EXPECT_EQ(FindById<wxSlider>(m, vtid::ManualSettingsDialog::SizeSlider)->GetValue(), 15);
            ui::testing::ScreenshotRoot(dir + "/manual-settings.png");
            Click(FindById(m, IDOK));
        });
        Click(FindById(d, vtid::CompositionSettingsDialog::ManualSettings));
        EXPECT_EQ(d->m_size, 15);
        EXPECT_EQ(d->m_smoothing, 6);
        Click(FindById(d, vtid::CompositionSettingsDialog::Normal));
        EXPECT_FALSE(FindById(d, vtid::CompositionSettingsDialog::ManualSettings)->IsEnabled());
        Click(FindById(d, vtid::CompositionSettingsDialog::Manual));
        Click(FindById(d, IDOK));
    });
    ASSERT_EQ(dlg.DoModal(), IDOK);
    EXPECT_EQ(dlg.m_type, 3);
    EXPECT_EQ(dlg.m_autoPos, 1);
    EXPECT_EQ(dlg.m_size, 15);
    EXPECT_EQ(dlg.m_smoothing, 6);

    // A stereo microscope: no alignment, although it is stored as on.
    CSetFocusType stereo(Parent());
    stereo.m_type = 0;
    stereo.m_autoPos = 1;
    stereo.m_scopeType = 1;
    WhenModalOf<CSetFocusType>([](CSetFocusType* d) {
        EXPECT_TRUE(FindById<wxCheckBox>(d, vtid::CompositionSettingsDialog::AutoAlign)->GetValue());
        EXPECT_FALSE(FindById(d, vtid::CompositionSettingsDialog::AutoAlign)->IsEnabled());
        EXPECT_FALSE(FindById(d, vtid::CompositionSettingsDialog::AlignSettings)->IsEnabled());
        Click(FindById(d, vtid::CompositionSettingsDialog::Manual));
        EXPECT_TRUE(FindById(d, vtid::CompositionSettingsDialog::ManualSettings)->IsEnabled());
        EXPECT_FALSE(FindById(d, vtid::CompositionSettingsDialog::AlignSettings)->IsEnabled());
        Click(FindById(d, IDCANCEL));
    });
    EXPECT_EQ(stereo.DoModal(), IDCANCEL);
}

TEST_F(SettingsDialogs, ManualSlidersRangesTypedValuesAndCancel) {
    CSetManual dlg(Parent());
    dlg.m_size = 3;
    dlg.m_smoothing = 9;
    WhenModalOf<CSetManual>([](CSetManual* d) {
        auto* size = FindById<wxSlider>(d, vtid::ManualSettingsDialog::SizeSlider);
        auto* smoothing = FindById<wxSlider>(d, vtid::ManualSettingsDialog::SmoothingSlider);
        EXPECT_EQ(size->GetMin(), 0);
        EXPECT_EQ(size->GetMax(), 20);
        EXPECT_EQ(smoothing->GetMax(), 10);
        EXPECT_EQ(size->GetValue(), 3);
        EXPECT_EQ(smoothing->GetValue(), 9);
        EXPECT_EQ(ui::ToUtf8(d->GetTitle()), "マニュアル設定");
        EXPECT_EQ(ui::ToUtf8(FindById(d, IDOK)->GetLabel()), "設定");
        Type(FindById(d, vtid::ManualSettingsDialog::SizeValue), "12");
        EXPECT_EQ(size->GetValue(), 12);
        EXPECT_EQ(d->m_size, 12);
        Type(FindById(d, vtid::ManualSettingsDialog::SmoothingValue), "25"); // clamped to the range
        EXPECT_EQ(smoothing->GetValue(), 10);
        EXPECT_EQ(d->m_smoothing, 10);
        Pick(d, vtid::ManualSettingsDialog::Preset, 0); // 細かい
        EXPECT_EQ(Text(d, vtid::ManualSettingsDialog::SizeValue), "1");
        EXPECT_EQ(Text(d, vtid::ManualSettingsDialog::SmoothingValue), "8");
        Click(FindById(d, IDOK));
    });
    ASSERT_EQ(dlg.DoModal(), IDOK);
    EXPECT_EQ(dlg.m_size, 1);
    EXPECT_EQ(dlg.m_smoothing, 8);
    EXPECT_EQ(dlg.m_preset, 0);
}

// Counts the red pixels of the square's outline around a point of the drawn frame.
int RedAround(const wxImage& img, PixelPoint c) {
    int red = 0;
    for (int d = -kMatchSquareHalf; d <= kMatchSquareHalf; ++d)
        for (auto [x, y] :
             {std::pair{c.x + d, c.y - kMatchSquareHalf}, std::pair{c.x - kMatchSquareHalf, c.y + d}})
            if (x >= 0 && y >= 0 && x < img.GetWidth() && y < img.GetHeight() && img.GetRed(x, y) == 255 &&
                img.GetGreen(x, y) == 0)
                ++red;
    return red;
}

TEST_F(SettingsDialogs, AlignmentDefaultsDrawingAndDrag) {
    CSetAutoPos dlg(Parent());
    dlg.m_countIndex = 2;
    dlg.m_points = DefaultMatchPoints(2);
    const std::string dir = shots;
    WhenModalOf<CSetAutoPos>([dir](CSetAutoPos* d) {
        const wxRect frame = d->FrameRect();
        ASSERT_GT(frame.width, 100);
        ASSERT_GT(frame.height, 100);
        auto drawn = [&] {
            wxBitmap bmp(frame.width, frame.height, 24);
            wxMemoryDC dc(bmp);
            d->DrawFrame(dc, frame.GetSize());
            dc.SelectObject(wxNullBitmap);
            return bmp.ConvertToImage();
        };
        const PixelPoint fourth = MatchPointPixels({25, 50}, frame.width, frame.height);
        EXPECT_GT(RedAround(drawn(), fourth), 20);

        // Three areas: the table's places, the fourth neither drawn nor found.
        Pick(d, vtid::AlignmentSettingsDialog::AreaCount, 1);
        EXPECT_EQ(d->m_points, DefaultMatchPoints(1));
        wxImage img = drawn();
        EXPECT_EQ(RedAround(img, fourth), 0);
        for (int i = 0; i < 3; ++i)
            EXPECT_GT(RedAround(img, MatchPointPixels(d->m_points[i], frame.width, frame.height)), 20) << i;
        EXPECT_EQ(img.GetRed(frame.width / 2, frame.height / 2), 255); // white inside
        EXPECT_EQ(img.GetBlue(frame.width / 2, frame.height / 2), 255);
        ui::testing::ScreenshotRoot(dir + "/alignment-settings.png");

        // A drag on the frame window: the pointer stands 5 pixels up and left of the place.
        wxWindow* w = FindById(d, vtid::AlignmentSettingsDialog::AreaFrame);
        const PixelPoint first = MatchPointPixels(d->m_points[0], frame.width, frame.height);
        const wxPoint grab(first.x - 5, first.y - 5);
        Mouse(w, wxEVT_LEFT_DOWN, grab, true);
        EXPECT_TRUE(d->Dragging());
        Mouse(w, wxEVT_MOTION, grab + wxPoint(6, 6), true);
        const MatchPoint moved{int(double(first.x + 6) / frame.width * 100),
                               int(double(first.y + 6) / frame.height * 100)};
        EXPECT_EQ(d->m_points[0], moved);
        // Near the top edge: a square that would touch it leaves the point, one pixel lower moves.
        const MatchPoint high{50, int(20.0 * 100 / frame.height) + 1};
        d->m_points[0] = high;
        const PixelPoint now = MatchPointPixels(high, frame.width, frame.height);
        Mouse(w, wxEVT_MOTION, wxPoint(now.x - 5, kMatchSquareHalf - 5), true);
        EXPECT_EQ(d->m_points[0], high);
        Mouse(w, wxEVT_MOTION, wxPoint(now.x - 5, kMatchSquareHalf + 1 - 5), true);
        EXPECT_EQ(d->m_points[0], (MatchPoint{50, int(double(kMatchSquareHalf + 1) / frame.height * 100)}));
        Mouse(w, wxEVT_LEFT_UP, grab, false);
        EXPECT_FALSE(d->Dragging());
        // The unused fourth place is not draggable.
        Mouse(w, wxEVT_LEFT_DOWN, wxPoint(fourth.x - 5, fourth.y - 5), true);
        Mouse(w, wxEVT_MOTION, wxPoint(fourth.x - 3, fourth.y - 3), true);
        Mouse(w, wxEVT_LEFT_UP, wxPoint(fourth.x - 3, fourth.y - 3), false);
        EXPECT_FALSE(d->m_points[3].InUse());

        // Two areas by the button.
        Pick(d, vtid::AlignmentSettingsDialog::AreaCount, 0);
        Click(FindById(d, vtid::AlignmentSettingsDialog::DefaultPositions));
        EXPECT_EQ(d->m_points, DefaultMatchPoints(0));
        Click(FindById(d, IDOK));
    });
    ASSERT_EQ(dlg.DoModal(), IDOK);
    EXPECT_EQ(dlg.m_countIndex, 0);
    EXPECT_EQ(dlg.m_points, DefaultMatchPoints(0));
}

TEST_F(SettingsDialogs, ScopeAndStereoDetailsWrittenAsScopeWhenTheProgramEnds) {
    Settings(vtid::StartDialog::SelectByThumbnail, "[SCOPE]\nSCOPETYPE=0\nSUBSTYPE=0\nSUBSPOS=2\n");
    ASSERT_TRUE(StartProgram());
    const std::string dir = shots;
    WhenModalOf<CSetScopeDlg>([dir](CSetScopeDlg* d) {
        EXPECT_EQ(ui::ToUtf8(d->GetTitle()), "顕微鏡設定");
        EXPECT_FALSE(FindById(d, vtid::ScopeSettingsDialog::Details)->IsEnabled());
        Click(FindById(d, vtid::ScopeSettingsDialog::Stereo));
        EXPECT_TRUE(FindById(d, vtid::ScopeSettingsDialog::Details)->IsEnabled());
        Click(FindById(d, vtid::ScopeSettingsDialog::Confocal));
        EXPECT_FALSE(FindById(d, vtid::ScopeSettingsDialog::Details)->IsEnabled());
        Click(FindById(d, vtid::ScopeSettingsDialog::Stereo));
        ui::testing::ScreenshotRoot(dir + "/microscope-settings.png");
        WhenModalOf<CSetSubsDlg>([dir](CSetSubsDlg* s) {
            EXPECT_EQ(s->m_method, 0);
            for (int id : {vtid::StereoDetailsDialog::Area1, vtid::StereoDetailsDialog::Area2,
                           vtid::StereoDetailsDialog::Area3, vtid::StereoDetailsDialog::AreaPrompt})
                EXPECT_FALSE(FindById(s, id)->IsEnabled()) << id;
            Click(FindById(s, vtid::StereoDetailsDialog::ManualMatch));
            for (int id : {vtid::StereoDetailsDialog::Area1, vtid::StereoDetailsDialog::Area2,
                           vtid::StereoDetailsDialog::Area3, vtid::StereoDetailsDialog::AreaPrompt})
                EXPECT_TRUE(FindById(s, id)->IsEnabled()) << id;
            EXPECT_EQ(FindById(s, vtid::StereoDetailsDialog::AreaPicture)->GetSize(), wxSize(141, 114));
            Click(FindById(s, vtid::StereoDetailsDialog::Area3));
            ui::testing::ScreenshotRoot(dir + "/stereo-details.png");
            Click(FindById(s, vtid::StereoDetailsDialog::AutoMatch));
            EXPECT_FALSE(FindById(s, vtid::StereoDetailsDialog::AreaPrompt)->IsEnabled());
            Click(FindById(s, vtid::StereoDetailsDialog::ManualMatch));
            Click(FindById(s, IDOK));
        });
        Click(FindById(d, vtid::ScopeSettingsDialog::Details));
        Click(FindById(d, IDOK));
    });
    EXPECT_TRUE(Frame()->RouteCommandId(vtid::cmd::ScopeSettings));
    COrsandelDoc* doc = Frame()->Document();
    EXPECT_EQ(doc->m_scopeType, 1);
    EXPECT_EQ(doc->m_subsType, 1);
    EXPECT_EQ(doc->m_subsPos, 2);
    EXPECT_EQ(SettingsSection("SCOPE"), "[SCOPE]\nSCOPETYPE=0\nSUBSTYPE=0\nSUBSPOS=2\n");
    CloseProgram();
    EXPECT_EQ(SettingsSection("SCOPE"), "[SCOPE]\nSCOPETYPE=1\nSUBSTYPE=1\nSUBSPOS=2\n");
}

TEST_F(SettingsDialogs, CompositionSettingsCommandWritesParameters) {
    Settings(vtid::StartDialog::SelectByThumbnail);
    ASSERT_TRUE(StartProgram());
    WhenModalOf<CSetFocusType>([](CSetFocusType* d) {
        EXPECT_EQ(d->m_type, 1);
        EXPECT_EQ(d->m_countIndex, 2);
        Click(FindById(d, vtid::CompositionSettingsDialog::Smooth)); // 滑らか
        Click(FindById(d, vtid::CompositionSettingsDialog::AutoAlign));
        WhenModalOf<CSetAutoPos>([](CSetAutoPos* a) {
            Pick(a, vtid::AlignmentSettingsDialog::AreaCount, 1);
            Click(FindById(a, IDOK));
        });
        Click(FindById(d, vtid::CompositionSettingsDialog::AlignSettings));
        Click(FindById(d, IDOK));
    });
    EXPECT_TRUE(Frame()->RouteCommandId(vtid::cmd::CompositionSettings));
    EXPECT_EQ(SettingsSection("PARAMETER"),
              "[PARAMETER]\nCOMTYPE=2\nCOMPSIZE=8\nCOMSMOOTHING=6\nCOMAUTOPOS=1\nCOMPSPEED=1\nAREANO=1\n"
              "INICOMPOS1X=50\nINICOMPOS1Y=25\nINICOMPOS2X=75\nINICOMPOS2Y=75\n"
              "INICOMPOS3X=25\nINICOMPOS3Y=75\nINICOMPOS4X=-1\nINICOMPOS4Y=-1\nSAI=0\nTAN=0\n");
}

TEST_F(SettingsDialogs, HeightsFromStartAndIntervalAndRefusedValues) {
    Settings(vtid::StartDialog::SelectByThumbnail, "[PARAMETER]\nTAN=5\n");
    ASSERT_TRUE(StartProgram());
    CMainFrame* f = Frame();
    // 818 and 820 follow the start button 819, which wants more than two entries in the box.
    wxWindow* start = f->CompositionBar()->GetDlgItem(vtid::CompositionBar::StartComposition);
    auto enabled = [f](int id) {
        ui::CmdUI state(id);
        f->UpdateCmdUI(state);
        return state.enabled.value_or(false);
    };
    ASSERT_TRUE(PumpUntil([&] { return !start->IsEnabled(); }));
    EXPECT_FALSE(enabled(vtid::cmd::HeightSettings));
    EXPECT_FALSE(enabled(vtid::cmd::CompositionSettings));
    for (const char* name : {"a001.bmp", "a002.bmp", "a003.bmp"})
        ASSERT_TRUE(f->SelectedBox()->AddFile(WriteFlatImage(folder + "/" + name, 16, 12, 9, 9, 9), 7.0));
    CSelListCtrl* box = f->FocusBoxList();
    ASSERT_EQ(box->GetItemCount(), 4);
    ASSERT_TRUE(PumpUntil([&] { return start->IsEnabled(); }));
    EXPECT_TRUE(enabled(vtid::cmd::HeightSettings));
    EXPECT_TRUE(enabled(vtid::cmd::CompositionSettings));
    CScriptedMessageSink sink(IDOK);
    const std::string before = Read("Vantorel.ini");
    const std::string dir = shots;
    WhenModalOf<CSetDepth>([&, dir](CSetDepth* d) {
        EXPECT_EQ(ui::ToUtf8(d->GetTitle()), "高さ設定");
        ASSERT_EQ(d->RowCount(), 3);
        EXPECT_EQ(d->CellText(1, 0), "a002.bmp");
        EXPECT_EQ(d->CellText(1, 1), "7");
        CEDListCtrl* list = d->List();
        EXPECT_TRUE(list->PlainFirstColumn());
        ASSERT_EQ(list->GetColumnCount(), 2);
        EXPECT_EQ(list->GetColumnWidth(0), 90);
        EXPECT_GT(list->GetColumnWidth(1), 20);
        EXPECT_EQ(Text(d, 42), "0");
        EXPECT_EQ(Text(d, 43), "0");
        Type(FindById(d, 42), "100");
        Type(FindById(d, 43), "-2.5");
        Click(FindById(d, 44));
        EXPECT_EQ(d->CellText(0, 1), "100");
        EXPECT_EQ(d->CellText(1, 1), "97.5");
        EXPECT_EQ(d->CellText(2, 1), "95");
        ui::testing::ScreenshotRoot(dir + "/height-settings.png");
        // A start beyond the range is refused and the rows stay.
        Type(FindById(d, 42), "1000000");
        Click(FindById(d, 44));
        EXPECT_EQ(sink.ShownIds(), std::vector<UINT>{vtid::str::StartIntervalOutOfRange});
        EXPECT_EQ(d->CellText(0, 1), "100");
        // A height beyond the range keeps the dialog open and nothing is written.
        Type(FindById(d, 42), "100");
        const wxRect third = list->GetItemRect(2);
        list->ClickAt(wxPoint(list->GetColumnWidth(0) + 5, third.GetTop() + third.GetHeight() / 2), false,
                      false);
        ASSERT_NE(list->GetEdit(), nullptr);
        EXPECT_EQ(list->GetEdit()->GetValue(), "95");
        list->GetEdit()->SetValue("-1000000");
        Click(FindById(d, IDOK)); // the open edit's text counts
        EXPECT_EQ(sink.ShownIds(),
                  (std::vector<UINT>{vtid::str::StartIntervalOutOfRange, vtid::str::HeightOutOfRange}));
        EXPECT_TRUE(d->IsModal());
        EXPECT_EQ(Read("Vantorel.ini"), before);
        EXPECT_EQ(d->CellText(2, 1), "-1000000");
        d->SetCellText(2, 1, "95");
        Click(FindById(d, IDOK));
    });
    EXPECT_TRUE(f->RouteCommandId(vtid::cmd::HeightSettings));
    std::vector<double> heights;
    for (const auto& e : box->Items())
        if (!e->IsPlaceholder()) {
            heights.push_back(e->m_position);
            EXPECT_EQ(e->m_reserved1, 0);
        }
    EXPECT_EQ(heights, (std::vector<double>{100, 97.5, 95}));
    EXPECT_DOUBLE_EQ(f->Document()->m_depthStart, 100);
    EXPECT_DOUBLE_EQ(f->Document()->m_depthInterval, -2.5);
    EXPECT_EQ(
        SettingsSection("PARAMETER"),
        "[PARAMETER]\nTAN=0\nCOMTYPE=1\nCOMPSIZE=8\nCOMSMOOTHING=6\nCOMAUTOPOS=0\nCOMPSPEED=1\nAREANO=2\n"
        "INICOMPOS1X=50\nINICOMPOS1Y=25\nINICOMPOS2X=75\nINICOMPOS2Y=50\n"
        "INICOMPOS3X=50\nINICOMPOS3Y=75\nINICOMPOS4X=25\nINICOMPOS4Y=50\nSAI=0\n");

    // The next opening shows the start and interval kept in the document.
    WhenModalOf<CSetDepth>([](CSetDepth* d) {
        EXPECT_EQ(Text(d, 42), "100");
        EXPECT_EQ(Text(d, 43), "-2.5");
        Click(FindById(d, IDCANCEL));
    });
    EXPECT_TRUE(f->RouteCommandId(vtid::cmd::HeightSettings));
}

TEST_F(SettingsDialogs, ScaleLabelsWholePixelsRangeAndAllLensesKeys) {
    Write("Vantorel.ini", "[CALIBRATION]\nSCALEALLCHK1=0\n");
    CScriptedMessageSink sink(IDOK);
    auto colours = ui::SetColourDialogService([](wxWindow*, COLORREF initial) {
        EXPECT_EQ(initial, 0x800080u);
        return std::optional<COLORREF>(0x00FF00);
    });
    CSetScaleDlg dlg(Parent());
    dlg.m_lensName = "Thirty";
    dlg.m_length = 10;
    dlg.m_pixels = 5;
    dlg.m_step = 2;
    dlg.m_position = 2;
    const std::string dir = shots;
    std::string beforeOk;
    WhenModalOf<CSetScaleDlg>([&, dir](CSetScaleDlg* d) {
        // Both boxes from SCALEALLCHK1 when SCALEALLCHK2 is not there.
        EXPECT_FALSE(FindById<wxCheckBox>(d, vtid::ScaleSettingsDialog::LengthForAllLenses)->GetValue());
        EXPECT_FALSE(FindById<wxCheckBox>(d, vtid::ScaleSettingsDialog::PixelsForAllLenses)->GetValue());
        EXPECT_EQ(ui::ToUtf8(FindById(d, vtid::ScaleSettingsDialog::LensName)->GetLabel()), "Thirty");
        EXPECT_EQ(d->PositionButton(2)->IsPushed(), 1);
        EXPECT_EQ(ui::ToUtf8(d->PositionButton(0)->GetLabel()), "10um");
        Type(FindById(d, vtid::ScaleSettingsDialog::Length), "50");
        LeaveEdit(d, vtid::ScaleSettingsDialog::Length);
        for (int i = 0; i < 4; ++i)
            EXPECT_EQ(ui::ToUtf8(d->PositionButton(i)->GetLabel()), "50um") << i;
        Type(FindById(d, vtid::ScaleSettingsDialog::Length), "60");
        LeaveEdit(d, vtid::ScaleSettingsDialog::Pixels); // leaving the pixels also labels them by the length
        EXPECT_EQ(ui::ToUtf8(d->PositionButton(3)->GetLabel()), "60um");
        Type(FindById(d, vtid::ScaleSettingsDialog::Length), "50");
        LeaveEdit(d, vtid::ScaleSettingsDialog::Length);
        Click(d->PositionButton(1));
        for (int i = 0; i < 4; ++i)
            EXPECT_EQ(d->PositionButton(i)->IsPushed(), i == 1 ? 1 : 0) << i;
        Click(FindById(d, vtid::ScaleSettingsDialog::Colour));
        Type(FindById(d, vtid::ScaleSettingsDialog::Pixels), "12.7");
        Click(FindById(d, vtid::ScaleSettingsDialog::LengthForAllLenses));
        ui::testing::ScreenshotRoot(dir + "/scale-settings.png");
        // Beyond the range: the framework's message, the dialog stays, no key written.
        beforeOk = Read("Vantorel.ini");
        Type(FindById(d, vtid::ScaleSettingsDialog::Step), "100000000");
        Click(FindById(d, IDOK));
        ASSERT_EQ(sink.ShownIds().size(), 1u);
        EXPECT_EQ(sink.ShownMessages()[0].id, ui::IDS_DX_NUMBER_RANGE);
        EXPECT_EQ(sink.ShownMessages()[0].args, (std::vector<std::string>{"0", "99999999"}));
        EXPECT_TRUE(d->IsModal());
        EXPECT_EQ(Read("Vantorel.ini"), beforeOk);
        Type(FindById(d, vtid::ScaleSettingsDialog::Step), "-1");
        Click(FindById(d, IDOK));
        EXPECT_EQ(sink.ShownIds().size(), 2u);
        Type(FindById(d, vtid::ScaleSettingsDialog::Step), "5");
        Click(FindById(d, IDOK));
    });
    ASSERT_EQ(dlg.DoModal(), IDOK);
    ui::SetColourDialogService(colours);
    EXPECT_DOUBLE_EQ(dlg.m_length, 50);
    EXPECT_EQ(dlg.m_pixels, 12);
    EXPECT_DOUBLE_EQ(dlg.m_step, 5);
    EXPECT_EQ(dlg.m_position, 1);
    EXPECT_EQ(dlg.m_colour, 0x00FF00u);
    EXPECT_EQ(Read("Vantorel.ini"), "[CALIBRATION]\nSCALEALLCHK1=1\nSCALEALLCHK2=0\n");

    // Each box opens with its own key now.
    CSetScaleDlg again(Parent());
    WhenModalOf<CSetScaleDlg>([](CSetScaleDlg* d) {
        EXPECT_TRUE(FindById<wxCheckBox>(d, vtid::ScaleSettingsDialog::LengthForAllLenses)->GetValue());
        EXPECT_FALSE(FindById<wxCheckBox>(d, vtid::ScaleSettingsDialog::PixelsForAllLenses)->GetValue());
        Click(FindById(d, IDCANCEL));
    });
    EXPECT_EQ(again.DoModal(), IDCANCEL);
}

TEST_F(SettingsDialogs, TypedProgramPathsAreTestedAndBrowseShowsEveryFile) {
    const std::string viewer = folder + "/viewer-program";
    const std::string analysis = folder + "/analysis-program";
    Write("viewer-program", "x");
    Write("analysis-program", "x");
    ui::FileDialogRequest asked;
    auto files = ui::SetFileDialogService([&](wxWindow*, const ui::FileDialogRequest& r) {
        asked = r;
        return ui::FileDialogResult{{analysis}, 0};
    });
    CSetOutputAppDlg dlg(Parent());
    dlg.m_viewerPath = viewer;
    dlg.m_analysisPath = "";
    const std::string dir = shots;
    WhenModalOf<CSetOutputAppDlg>([&, dir](CSetOutputAppDlg* d) {
        EXPECT_EQ(Text(d, vtid::TransferProgramsDialog::ThreeDProgram), viewer);
        Click(FindById(d, vtid::TransferProgramsDialog::BrowseAnalysis));
        EXPECT_EQ(asked.title, "Palvint指定");
        EXPECT_NE(asked.filter.find("ｱﾌﾟﾘｹｰｼｮﾝﾌｧｲﾙ(*.exe)|*|"), std::string::npos);
        EXPECT_EQ(Text(d, vtid::TransferProgramsDialog::AnalysisProgram), analysis);
        Click(FindById(d, vtid::TransferProgramsDialog::BrowseThreeD));
        EXPECT_EQ(asked.title, "Brelvoxa指定");
        EXPECT_EQ(asked.folder, folder);
        EXPECT_EQ(asked.fileName, "viewer-program");
        // The browse's answer typed back
        Type(FindById(d, vtid::TransferProgramsDialog::ThreeDProgram), viewer);
        ui::testing::ScreenshotRoot(dir + "/program-paths.png");
        // The typed path decides, not the one the dialog opened with.
        Type(FindById(d, vtid::TransferProgramsDialog::ThreeDProgram), folder + "/missing-program");
        Click(FindById(d, IDOK));
    });
    ASSERT_EQ(dlg.DoModal(), IDOK);
    ui::SetFileDialogService(files);
    EXPECT_EQ(dlg.m_viewerPath, folder + "/missing-program");
    EXPECT_FALSE(dlg.m_viewerFound);
    EXPECT_EQ(dlg.m_analysisPath, analysis);
    EXPECT_TRUE(dlg.m_analysisFound);
    EXPECT_FALSE(CSetOutputAppDlg::ProgramFileOpens(folder)); // a folder is no program
}

TEST_F(SettingsDialogs, CaptureViewScaleSettingsWriteTheSlotAndEveryLens) {
    Settings(vtid::StartDialog::ManualCapture, "[CALIBRATION]\nCALIBNO=1\nSCALEALLCHK1=1\nSCALEALLCHK2=0\n");
    ASSERT_TRUE(StartProgram());
    CMainFrame* f = Frame();
    ASSERT_TRUE(f->CaptureView());
    WhenModalOf<CSetScaleDlg>([](CSetScaleDlg* d) {
        EXPECT_EQ(ui::ToUtf8(FindById(d, vtid::ScaleSettingsDialog::LensName)->GetLabel()), "レンズ2");
        Type(FindById(d, vtid::ScaleSettingsDialog::Length), "50");
        Type(FindById(d, vtid::ScaleSettingsDialog::Pixels), "12.7");
        Type(FindById(d, vtid::ScaleSettingsDialog::Step), "10");
        Click(d->PositionButton(3));
        Click(FindById(d, IDOK));
    });
    Click(FindById(f->TopMenu(), vtid::TopMenuBar::ScaleSettings));
    EXPECT_FALSE(wxTopLevelWindows.empty());
    COrsandelDoc* doc = f->Document();
    EXPECT_DOUBLE_EQ(doc->m_currentLens.m_scaleLength, 50);
    EXPECT_EQ(doc->m_currentLens.m_scaleDots, 12);
    EXPECT_EQ(doc->m_slots[1]->m_scaleDots, 12);
    EXPECT_EQ(doc->m_slots[0]->m_scaleDots, 0);
    EXPECT_EQ(SettingsSection("CALIBRATION"),
              "[CALIBRATION]\nCALIBNO=1\nSCALEALLCHK1=1\nSCALEALLCHK2=0\nSCALECOLOR1=0\nSCALEPOS1=3\n"
              "SCALELEN2=50\nSCALEDOT2=12\nSCALECEIL2=10\nSCALEPOS2=3\nSCALECOLOR2=0\n"
              "SCALELEN1=50\nSCALELEN3=50\nSCALELEN4=50\nSCALELEN5=50\n");
    EXPECT_EQ(SettingsSection("CALIBRATION_ML30-1"), "[CALIBRATION_ML30-1]\nSCALELEN1=50\n");
    EXPECT_EQ(SettingsSection("CALIBRATION_ML90-2.5"), "[CALIBRATION_ML90-2.5]\nSCALELEN1=50\n");
}

} // namespace
