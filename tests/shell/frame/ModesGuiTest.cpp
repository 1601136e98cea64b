#include "ShellGuiFixture.h"

#include "browser/DirTreeView.h"
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
        ui::testing::Click(ui::testing::FindById(d, 1014)); // refused: the dialog stays
        ui::testing::Click(ui::testing::FindById(d, 1017));
        ui::testing::Click(ui::testing::FindById(d, 2)); // exit
    });
    EXPECT_FALSE(StartProgram());
    EXPECT_EQ(sink.ShownIds(), std::vector<UINT>{1045});
    EXPECT_EQ(Frame(), nullptr);
    EXPECT_NE(Read("Vantorel.ini").find("NOSTARTDISP=1"), std::string::npos);
    EXPECT_NE(Read("Vantorel.ini").find("Resource=QV_l_jpn.dll"), std::string::npos);
    app.reset();

    // Another device: the Vossa button ends the dialog with its mode.
    Write("Vantorel.ini", "[STAGEINPUT]\nINPDEVICE=DP70\n");
    COrsandelApp chooser;
    const std::string shot = Shot("start-dialog.png");
    ui::testing::WhenModal([shot](wxDialog* d) {
        EXPECT_FALSE(ui::testing::FindById<wxCheckBox>(d, 1017)->GetValue());
        ui::testing::ScreenshotRoot(shot);
        ui::testing::Click(ui::testing::FindById(d, 1014));
    });
    SetSettingsFilePath(folder + "/Vantorel.ini");
    EXPECT_EQ(chooser.ChooseStartMode(false), 1014);
}

TEST_F(StartUp, SecondInstanceEndsAtOnceAndAnUnknownModeEntersNone) {
    Settings(1008);
    ASSERT_TRUE(StartProgram());
    CMainFrame* f = Frame();
    ASSERT_NE(f, nullptr);
    EXPECT_TRUE(f->IsActiveView<CLeftView>()); // no mode: the empty start view stays
    EXPECT_FALSE(Shown(f, "FocusBoxCmdDlg"));
    COrsandelApp second;
    EXPECT_FALSE(second.InitInstance());
    EXPECT_EQ(second.m_pMainFrame, nullptr);
}

TEST_F(Modes, EachModeShowsItsBarsMenuAndView) {
    Settings(1007, "", "HeightButton=0\n");
    ASSERT_TRUE(StartProgram());
    CMainFrame* f = Frame();
    ASSERT_NE(f, nullptr);
    CTopMenuDialog* top = f->TopMenu();
    struct Expect {
        int mode;
        bool focusBox, compositionItems, lens, thumbDown;
        int menuItem, notInMenu;
    } cases[] = {
        {1007, true, true, false, true, 32787, 32804},
        {1009, true, true, true, false, 32806, 32787},
        {1012, true, true, true, false, 32805, 32787},
        {1014, false, false, true, false, 32804, 32806},
    };
    for (const Expect& e : cases) {
        SCOPED_TRACE(e.mode);
        if (e.mode != 1007) {
            ui::testing::WhenModal(
                [&e](wxDialog* d) { ui::testing::Click(ui::testing::FindById(d, e.mode)); });
            f->RouteCommandId(950);
        }
        ASSERT_TRUE(ui::testing::PumpUntil([&] { return f->IsShown(); }));
        EXPECT_EQ(ReadIniInt("InitialSettings", "STARTINGMODE", 0), e.mode);
        EXPECT_EQ(Shown(f, "CusControlBar"), e.focusBox);
        EXPECT_EQ(Shown(f, "FocusBoxCmdDlg"), e.mode == 1007);
        EXPECT_TRUE(Shown(f, "TopMenuDlg"));
        EXPECT_EQ(f->CompositionBar()->GetDlgItem(819)->IsShown(), e.compositionItems);
        EXPECT_FALSE(f->CompositionBar()->GetDlgItem(818)->IsShown()); // HeightButton 0
        EXPECT_EQ(top->GetDlgItem(1392)->IsShown(), e.lens);
        EXPECT_EQ(top->GetDlgItem(1389)->IsShown(), e.lens);
        EXPECT_EQ(top->IsPressed(829), e.thumbDown);
        EXPECT_EQ(top->IsPressed(804), !e.thumbDown);
        EXPECT_TRUE(MenuHas(f, e.menuItem));
        EXPECT_FALSE(MenuHas(f, e.notInMenu));
        switch (e.mode) {
        case 1007: {
            // The command bar stacks 29, 30, 31 from its bottom and 23, 24 from its top.
            wxWindow* bar = f->Bars().Manager().GetPane("FocusBoxCmdDlg").window;
            ASSERT_NE(bar, nullptr);
            const int bottom = bar->GetClientSize().y;
            EXPECT_EQ(ui::testing::FindById(bar, 31)->GetRect().GetBottom() + 1, bottom - 20);
            EXPECT_LT(ui::testing::FindById(bar, 24)->GetRect().GetBottom(),
                      ui::testing::FindById(bar, 25)->GetRect().GetTop());
            EXPECT_LT(ui::testing::FindById(bar, 26)->GetRect().GetBottom(),
                      ui::testing::FindById(bar, 27)->GetRect().GetTop());
        }
            EXPECT_TRUE(f->IsActiveView<CDirTreeView>());
            EXPECT_TRUE(f->Layout().IsSplitterVisible(0));
            break;
        case 1014:
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
    Settings(1007);
    ASSERT_TRUE(StartProgram());
    CMainFrame* f = Frame();
    wxWindow* panel = f->Bars().Manager().GetPane("FocusBoxCmdDlg").window;
    ASSERT_NE(panel, nullptr);
    for (int mode : {1009, 1007}) {
        ui::testing::WhenModal([mode](wxDialog* d) { ui::testing::Click(ui::testing::FindById(d, mode)); });
        f->RouteCommandId(950);
    }
    EXPECT_EQ(f->Bars().Manager().GetPane("FocusBoxCmdDlg").window, panel);
    EXPECT_TRUE(Shown(f, "FocusBoxCmdDlg"));
    ui::testing::WhenModal([](wxDialog* d) { ui::testing::Click(ui::testing::FindById(d, 2)); });
    f->RouteCommandId(950);
    EXPECT_TRUE(ui::testing::PumpUntil([&] { return app->m_pMainFrame == nullptr; }));
}

TEST_F(Modes, FrameStaysTallEnoughForTheModePanelsLastButton) {
    Settings(1009, "[WindowsSettings]\nLEFT=20\nTOP=20\nWIDTH=1100\nHEIGHT=300\n");
    ASSERT_TRUE(StartProgram());
    CMainFrame* f = Frame();
    struct Case {
        int mode, button, margin;
    };
    for (const Case c : {Case{1009, 609, 100}, Case{1012, 913, 110}, Case{1014, 1221, 110}}) {
        app->m_nStartMode = c.mode; // as the initial menu enters a mode
        f->EnterMode(c.mode);
        wxWindow* panel = c.mode == 1009   ? static_cast<wxWindow*>(f->ManualPanel())
                          : c.mode == 1012 ? static_cast<wxWindow*>(f->AutoDialog())
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
    Settings(1012);
    ASSERT_TRUE(StartProgram());
    CTopMenuDialog* top = Frame()->TopMenu();
    for (int id : {800, 804, 829, 1389, 1390, 1391, 1393}) {
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
    Settings(1009, "[WindowsSettings]\nLEFT=40\nTOP=30\nWIDTH=1100\nHEIGHT=800\n");
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
    Settings(1009, "[WindowsSettings]\nLEFT=9000\nTOP=9000\nWIDTH=900\nHEIGHT=700\n");
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
