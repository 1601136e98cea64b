#include "ShellGuiFixture.h"

#include "browser/DirTreeView.h"
#include "ids/CommonIds.h"
#include "ids/VantorelIds.h"
#include "shell/capture/AutoDialog.h"
#include "shell/frame/LeftView.h"
#include "shell/capture/ManualDialog.h"
#include "shell/capture/MultiView.h"
#include "shell/app/OrsandelDoc.h"
#include "shell/capture/SelectedBox.h"
#include "shell/app/StartDialog.h"
#include "shell/frame/TopMenuDialog.h"
#include "shell/vossa/VossaDialog.h"
#include "shell/vossa/VossaImageView.h"
#include "shell/vossa/VossaLiveView.h"
#include "imaging/gui/GuiHooks.h"
#include "tests/support/ScopedRuntimeFolder.h"

#include <wx/anybutton.h>
#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/dcmemory.h>
#include <wx/display.h>
#include <wx/image.h>
#include <wx/menu.h>
#include <wx/stattext.h>

namespace {

using StartUp = ShellWindows;
using Modes = ShellWindows;

bool Shown(CMainFrame* f, const char* bar) {
    return f->Bars().HasBar(bar) && f->Bars().State(bar).shown;
}

// A capture view's own drawing, which its paint is: black, a white caption on it.
::testing::AssertionResult DrawsCaptionOnBlack(ui::View* view) {
    const wxSize size = view->Self()->GetClientSize();
    if (size.x <= 0 || size.y <= 0)
        return ::testing::AssertionFailure() << "no room";
    wxBitmap picture(size, 24);
    {
        wxMemoryDC dc(picture);
        dc.SetBackground(*wxRED_BRUSH);
        dc.Clear();
        view->OnDraw(dc);
    }
    const wxImage image = picture.ConvertToImage();
    int black = 0, white = 0;
    for (int y = 0; y < size.y; ++y)
        for (int x = 0; x < size.x; ++x) {
            const int sum = image.GetRed(x, y) + image.GetGreen(x, y) + image.GetBlue(x, y);
            black += sum == 0;
            white += sum > 600;
        }
    if (black < size.x * size.y / 2 || white == 0)
        return ::testing::AssertionFailure() << black << " black and " << white << " white pixels";
    return ::testing::AssertionSuccess();
}

bool MenuHas(CMainFrame* f, int id) {
    return f->GetMenuBar() && f->GetMenuBar()->FindItem(id) != nullptr;
}

TEST_F(StartUp, StartDialogRefusesVossaForSomeDevicesAndStoresTheCheckAtOnce) {
    Write("Vantorel.ini", "[STAGEINPUT]\nINPDEVICE=vport\n");
    CScriptedMessageSink sink(IDOK);
    ui::testing::WhenModal([](wxDialog* d) {
        // Refused: the dialog stays
        ui::testing::Click(ui::testing::FindById(d, vtid::StartDialog::VossaComposition));
        ui::testing::Click(ui::testing::FindById(d, vtid::StartDialog::HideNextTime));
        ui::testing::Click(ui::testing::FindById(d, 2)); // exit
    });
    EXPECT_FALSE(StartProgram());
    EXPECT_EQ(sink.ShownIds(), std::vector<UINT>{vtid::str::VossaNotWithDevice});
    EXPECT_EQ(Frame(), nullptr);
    EXPECT_NE(Read("Vantorel.ini").find("NOSTARTDISP=1"), std::string::npos);
    EXPECT_NE(Read("Vantorel.ini").find("Resource=QV_l_jpn.dll"), std::string::npos);
    app.reset();

    // Another device: the Vossa button ends the dialog with its mode.
    Write("Vantorel.ini", "[STAGEINPUT]\nINPDEVICE=DP70\n");
    COrsandelApp chooser;
    const std::string shot = Shot("start-dialog.png");
    ui::testing::WhenModal([shot](wxDialog* d) {
        EXPECT_FALSE(ui::testing::FindById<wxCheckBox>(d, vtid::StartDialog::HideNextTime)->GetValue());
        ui::testing::ScreenshotRoot(shot);
        ui::testing::Click(ui::testing::FindById(d, vtid::StartDialog::VossaComposition));
    });
    SetSettingsFilePath(folder + "/Vantorel.ini");
    EXPECT_EQ(chooser.ChooseStartMode(false), vtid::StartDialog::VossaComposition);
}

TEST_F(StartUp, SecondInstanceEndsAtOnceAndAnUnknownModeEntersNone) {
    constexpr int kNoMode = 1008; // no button of the start dialog has this id
    Settings(kNoMode);
    ASSERT_TRUE(StartProgram());
    CMainFrame* f = Frame();
    ASSERT_NE(f, nullptr);
    EXPECT_TRUE(f->IsActiveView<CLeftView>()); // no mode: the empty start view stays
    EXPECT_FALSE(Shown(f, "FocusBoxCmdDlg"));
    COrsandelApp second;
    EXPECT_FALSE(second.InitInstance());
    EXPECT_EQ(second.m_pMainFrame, nullptr);
}

TEST_F(StartUp, WithoutARuntimeFolderTheStartSaysWhyAndEnds) {
    Settings(vtid::StartDialog::ManualCapture);
    const ScopedNoRuntimeFolder none;
    CScriptedMessageSink sink(IDOK);
    EXPECT_FALSE(StartProgram());
    EXPECT_EQ(sink.ShownIds(), std::vector<UINT>{uiid::str::NoRuntimeFolder});
    EXPECT_EQ(Frame(), nullptr);
}

TEST_F(Modes, EachModeShowsItsBarsMenuAndView) {
    Settings(vtid::StartDialog::SelectByThumbnail, "", "HeightButton=0\n");
    ASSERT_TRUE(StartProgram());
    CMainFrame* f = Frame();
    ASSERT_NE(f, nullptr);
    CTopMenuDialog* top = f->TopMenu();
    struct Expect {
        int mode;
        bool focusBox, compositionItems, lens, thumbDown;
        int menuItem, notInMenu;
    } cases[] = {
        {vtid::StartDialog::SelectByThumbnail, true, true, false, true, vtid::cmd::SortByName,
         vtid::cmd::SelectInputDevice},
        {vtid::StartDialog::ManualCapture, true, true, true, false, vtid::cmd::StageControllerSettings,
         vtid::cmd::SortByName},
        {vtid::StartDialog::AutoCapture, true, true, true, false, vtid::cmd::ZCalibrationSettings,
         vtid::cmd::SortByName},
        {vtid::StartDialog::VossaComposition, false, false, true, false, vtid::cmd::SelectInputDevice,
         vtid::cmd::StageControllerSettings},
    };
    for (const Expect& e : cases) {
        SCOPED_TRACE(e.mode);
        if (e.mode != vtid::StartDialog::SelectByThumbnail) {
            ui::testing::WhenModal(
                [&e](wxDialog* d) { ui::testing::Click(ui::testing::FindById(d, e.mode)); });
            f->RouteCommandId(vtid::cmd::InitialMenu);
        }
        ASSERT_TRUE(ui::testing::PumpUntil([&] { return f->IsShown(); }));
        EXPECT_EQ(ReadIniInt("InitialSettings", "STARTINGMODE", 0), e.mode);
        EXPECT_EQ(Shown(f, "CusControlBar"), e.focusBox);
        EXPECT_EQ(Shown(f, "FocusBoxCmdDlg"), e.mode == vtid::StartDialog::SelectByThumbnail);
        EXPECT_TRUE(Shown(f, "TopMenuDlg"));
        EXPECT_EQ(f->CompositionBar()->GetDlgItem(vtid::CompositionBar::StartComposition)->IsShown(),
                  e.compositionItems);
        // HeightButton 0
        EXPECT_FALSE(f->CompositionBar()->GetDlgItem(vtid::CompositionBar::HeightSettings)->IsShown());
        EXPECT_EQ(top->GetDlgItem(vtid::TopMenuBar::LensName)->IsShown(), e.lens);
        EXPECT_EQ(top->GetDlgItem(vtid::TopMenuBar::ShowScale1)->IsShown(), e.lens);
        EXPECT_EQ(top->IsPressed(vtid::TopMenuBar::Thumbnails), e.thumbDown);
        EXPECT_EQ(top->IsPressed(vtid::TopMenuBar::MultiView), !e.thumbDown);
        EXPECT_TRUE(MenuHas(f, e.menuItem));
        EXPECT_FALSE(MenuHas(f, e.notInMenu));
        switch (e.mode) {
        case vtid::StartDialog::SelectByThumbnail: {
            // The command bar stacks 29, 30, 31 from its bottom and 23, 24 from its top.
            wxWindow* bar = f->Bars().Manager().GetPane("FocusBoxCmdDlg").window;
            ASSERT_NE(bar, nullptr);
            const int bottom = bar->GetClientSize().y;
            wxWindow* last = ui::testing::FindById(bar, vtid::FocusBoxCommandBar::SortDescending);
            EXPECT_EQ(last->GetRect().GetBottom() + 1, bottom - 20);
            EXPECT_LT(ui::testing::FindById(bar, vtid::FocusBoxCommandBar::AddAll)->GetRect().GetBottom(),
                      ui::testing::FindById(bar, vtid::FocusBoxCommandBar::Remove)->GetRect().GetTop());
            EXPECT_LT(ui::testing::FindById(bar, vtid::FocusBoxCommandBar::RemoveAll)->GetRect().GetBottom(),
                      ui::testing::FindById(bar, vtid::FocusBoxCommandBar::MoveUp)->GetRect().GetTop());
        }
            EXPECT_TRUE(f->IsActiveView<CDirTreeView>());
            EXPECT_TRUE(f->Layout().IsSplitterVisible(0));
            break;
        case vtid::StartDialog::VossaComposition:
            EXPECT_TRUE(f->IsActiveView<CVossaLiveView>());
            EXPECT_FALSE(f->Layout().IsSplitterVisible(0));
            EXPECT_TRUE(DrawsCaptionOnBlack(f->VossaLiveView()));
            EXPECT_TRUE(DrawsCaptionOnBlack(f->VossaImageView()));
            break;
        default:
            EXPECT_TRUE(f->IsActiveView<CMultiView>());
            EXPECT_TRUE(f->CaptureView()->IsShown());
            EXPECT_FALSE(f->Layout().IsSplitterVisible(0));
            EXPECT_TRUE(DrawsCaptionOnBlack(f->CaptureView()));
            break;
        }
        EXPECT_EQ(f->SelectedBox()->GetCountStatic()->GetLabel().Trim(false), "0");
        EXPECT_GT(f->SelectedBox()->GetCountStatic()->GetSize().x, 0);
        EXPECT_TRUE(ui::testing::Screenshot(f, Shot("vantorel-" + std::to_string(e.mode) + ".png")));
    }
}

TEST_F(Modes, ReenteredModeReusesItsPanelAndExitFromTheInitialMenuCloses) {
    Settings(vtid::StartDialog::SelectByThumbnail);
    ASSERT_TRUE(StartProgram());
    CMainFrame* f = Frame();
    wxWindow* panel = f->Bars().Manager().GetPane("FocusBoxCmdDlg").window;
    ASSERT_NE(panel, nullptr);
    for (int mode : {vtid::StartDialog::ManualCapture, vtid::StartDialog::SelectByThumbnail}) {
        ui::testing::WhenModal([mode](wxDialog* d) { ui::testing::Click(ui::testing::FindById(d, mode)); });
        f->RouteCommandId(vtid::cmd::InitialMenu);
    }
    EXPECT_EQ(f->Bars().Manager().GetPane("FocusBoxCmdDlg").window, panel);
    EXPECT_TRUE(Shown(f, "FocusBoxCmdDlg"));
    ui::testing::WhenModal([](wxDialog* d) { ui::testing::Click(ui::testing::FindById(d, 2)); });
    f->RouteCommandId(vtid::cmd::InitialMenu);
    EXPECT_TRUE(ui::testing::PumpUntil([&] { return app->m_pMainFrame == nullptr; }));
}

TEST_F(Modes, FrameStaysTallEnoughForTheModePanelsLastButton) {
    Settings(vtid::StartDialog::ManualCapture,
             "[WindowsSettings]\nLEFT=20\nTOP=20\nWIDTH=1100\nHEIGHT=300\n");
    ASSERT_TRUE(StartProgram());
    CMainFrame* f = Frame();
    struct Case {
        int mode, button, margin;
    };
    for (const Case c : {Case{vtid::StartDialog::ManualCapture, vtid::ManualPanel::EndCapture, 100},
                         Case{vtid::StartDialog::AutoCapture, vtid::AutoPanel::StartCapture, 110},
                         Case{vtid::StartDialog::VossaComposition, vtid::VossaPanel::Save, 110}}) {
        app->m_nStartMode = c.mode; // as the initial menu enters a mode
        f->EnterMode(c.mode);
        wxWindow* panel =
            c.mode == vtid::StartDialog::ManualCapture ? static_cast<wxWindow*>(f->ManualPanel())
            : c.mode == vtid::StartDialog::AutoCapture ? static_cast<wxWindow*>(f->AutoDialog())
                                                       : static_cast<wxWindow*>(f->VossaPanel());
        ASSERT_NE(panel, nullptr) << c.mode;
        wxWindow* button = ui::testing::FindById(panel, c.button);
        // Below the panel the composition bar (127 high) runs across the frame: it comes on top,
        // so that the button stays in sight.
        auto wanted = [&] {
            return f->ScreenToClient(button->GetScreenRect().GetBottomLeft()).y + 1 + c.margin + 127;
        };
        EXPECT_TRUE(ui::testing::PumpUntil([&] { return f->GetMinSize().y == wanted(); }))
            << c.mode << ": " << f->GetMinSize().y << " for " << wanted();
        // Made shorter, the frame keeps that height.
        f->SetSize(f->GetSize().x, 200);
        EXPECT_TRUE(ui::testing::PumpUntil([&] { return f->GetSize().y >= wanted(); }))
            << c.mode << ": " << f->GetSize().y << " for " << wanted();
    }
}

TEST_F(Modes, TopMenuButtonsShowTheirIconsBesideTheirWholeLabels) {
    InstallImagingGuiServices(); // the program's icon service, as its start installs it
    Settings(vtid::StartDialog::AutoCapture);
    ASSERT_TRUE(StartProgram());
    CTopMenuDialog* top = Frame()->TopMenu();
    for (int id : {vtid::TopMenuBar::FolderUp, vtid::TopMenuBar::MultiView, vtid::TopMenuBar::Thumbnails,
                   vtid::TopMenuBar::ShowScale1, vtid::TopMenuBar::ShowScale2,
                   vtid::TopMenuBar::ScaleSettings, vtid::TopMenuBar::SelectLens}) {
        auto* button = dynamic_cast<wxAnyButton*>(top->GetDlgItem(id));
        ASSERT_NE(button, nullptr) << id;
        EXPECT_TRUE(button->GetBitmap().IsOk()) << id;
        // A shown button holds its icon and its label side by side.
        const int needed = button->GetTextExtent(button->GetLabel()).x + button->GetBitmap().GetWidth() + 8;
        if (button->IsShown()) {
            EXPECT_LE(needed, button->GetSize().x) << id << " is too narrow for its icon and label";
        }
    }
    ui::testing::Screenshot(top, Shot("top-menu-icons.png"));
    SetSetButtonIconHook(nullptr);
}

TEST_F(Modes, MaximisedCloseWritesZoomedAndKeepsThePlacement) {
    Settings(vtid::StartDialog::ManualCapture,
             "[WindowsSettings]\nLEFT=40\nTOP=30\nWIDTH=1100\nHEIGHT=800\n");
    ASSERT_TRUE(StartProgram());
    CMainFrame* f = Frame();
    f->Maximize(true);
    ASSERT_TRUE(f->IsZoomed());
    CloseProgram();
    EXPECT_EQ(ReadIniInt("WindowsSettings", "ZOOMED", 0), 1);
    EXPECT_EQ(ReadIniInt("WindowsSettings", "LEFT", 0), 40);
    EXPECT_EQ(ReadIniInt("WindowsSettings", "WIDTH", 0), 1100);
    EXPECT_EQ(ReadIniInt("WindowsSettings", "HEIGHT", 0), 800);
    // The document wrote its settings when it went.
    EXPECT_EQ(ReadIniInt("SCOPE", "SUBSPOS", 0), 1);
}

TEST_F(Modes, PlacementOffEveryDisplayComesBack) {
    Settings(vtid::StartDialog::ManualCapture,
             "[WindowsSettings]\nLEFT=9000\nTOP=9000\nWIDTH=900\nHEIGHT=700\n");
    ASSERT_TRUE(StartProgram());
    const wxRect r = Frame()->GetRect();
    const wxRect screen = wxDisplay(0u).GetClientArea();
    EXPECT_TRUE(screen.Intersects(r)) << r.x << "," << r.y;
}

} // namespace

namespace {

TEST(ShellTemplates, EveryTemplateClassFindsItsControls) {
    CStartDialog start(nullptr);
    EXPECT_TRUE(start.CheckControlIds().empty());
    CTopMenuDialog top(nullptr);
    EXPECT_TRUE(top.CheckControlIds().empty());
    CCompositionBar bar;
    EXPECT_TRUE(bar.CheckControlIds().empty());
    CSelectedBox box(nullptr);
    EXPECT_TRUE(box.CheckControlIds().empty());
    CMultiView view;
    EXPECT_TRUE(view.CheckControlIds().empty());
}

} // namespace
