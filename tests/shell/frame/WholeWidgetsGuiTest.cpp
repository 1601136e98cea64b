// Controls shown whole in the dialog font: the lens selection's row buttons, the file names of
// the height settings and the buttons of a message box, which keep clear of the box's edges.
#include "ShellGuiFixture.h"

#include "browser/SelListCtrl.h"
#include "ids/VantorelIds.h"
#include "tests/browser/core/BrowserTestImages.h"
#include "devices/camera/gui/LensCalibRegDlg.h"
#include "devices/camera/gui/LensCalibTxtDlg.h"
#include "devices/camera/gui/XYCalibDialog.h"
#include "shell/capture/EDListCtrl.h"
#include "shell/capture/SelectedBox.h"
#include "shell/settings/SetDepth.h"
#include "shell/frame/TopMenuDialog.h"
#include "ui/MessageBoxes.h"

#include <wx/dcclient.h>
#include <wx/dialog.h>
#include <wx/radiobut.h>
#include <wx/timer.h>

#include <gtk/gtk.h>

#include <cstdlib>
#include <functional>

namespace {

using WholeWidgets = ShellWindows;

// Runs the action once on the next dialog of class T, from its own loop.
template <class T> void WhenModalOf(std::function<void(T*)> action) {
    ui::testing::WhenModal([action](wxDialog* d) {
        auto* t = dynamic_cast<T*>(d);
        ASSERT_NE(t, nullptr);
        action(t);
    });
}

// The control is as large as the toolkit needs to draw it whole.
void ExpectWhole(wxWindow* w, const std::string& what) {
    ASSERT_NE(w, nullptr) << what;
    const wxSize best = w->GetBestSize(), size = w->GetSize();
    EXPECT_GE(size.x, best.x) << what;
    EXPECT_GE(size.y, best.y) << what;
}

TEST_F(WholeWidgets, LensRowButtonsAndHeightFileNamesAreShownWhole) {
    Settings(vtid::StartDialog::SelectByThumbnail);
    ASSERT_TRUE(StartProgram());
    CMainFrame* f = Frame();

    // The lens selection with the lens file: both pages' five row buttons.
    WhenModalOf<CXYCalibDialog>([this](CXYCalibDialog* d) {
        const std::pair<wxWindow*, std::vector<int>> pages[] = {
            {d->TablePage(),
             {vtid::LensTablePage::Select1, vtid::LensTablePage::Select2, vtid::LensTablePage::Select3,
              vtid::LensTablePage::Select4, vtid::LensTablePage::Select5}},
            {d->SlotPage(),
             {vtid::LensSlotsPage::Select1, vtid::LensSlotsPage::Select2, vtid::LensSlotsPage::Select3,
              vtid::LensSlotsPage::Select4, vtid::LensSlotsPage::Select5}}};
        for (const auto& [page, ids] : pages) {
            ASSERT_NE(page, nullptr);
            for (int id : ids)
                ExpectWhole(ui::testing::FindById<wxRadioButton>(page, id),
                            "row button " + std::to_string(id));
        }
        ui::testing::Screenshot(d, Shot("lens-selection.png"));
        ui::testing::Click(ui::testing::FindById(d, IDCANCEL));
    });
    f->RouteCommandId(vtid::cmd::SelectLens);

    // The height settings of a series named frame_000.bmp ...: every name fits its column.
    for (const char* name : {"frame_000.bmp", "frame_001.bmp", "frame_002.bmp"})
        ASSERT_TRUE(f->SelectedBox()->AddFile(WriteFlatImage(folder + "/" + name, 16, 12, 9, 9, 9), 0.0));
    ASSERT_TRUE(ui::testing::PumpUntil([&] { return f->FocusBoxList()->GetItemCount() == 4; }));
    bool shown = false;
    WhenModalOf<CSetDepth>([&](CSetDepth* d) {
        shown = true;
        CEDListCtrl* list = d->List();
        ASSERT_EQ(d->RowCount(), 3);
        wxClientDC dc(list);
        dc.SetFont(list->GetFont());
        // The cell's text starts a few pixels inside the column and must end inside it.
        const int needed = dc.GetTextExtent("frame_000.bmp").x + 8;
        EXPECT_GE(list->GetColumnWidth(0), needed);
        EXPECT_GE(list->GetColumnWidth(0), 90);
        // The heights' column still takes the rest of the list.
        EXPECT_GE(list->GetColumnWidth(0) + list->GetColumnWidth(1), list->GetClientSize().x);
        ui::testing::Screenshot(d, Shot("height-settings-names.png"));
        ui::testing::Click(ui::testing::FindById(d, IDCANCEL));
    });
    f->RouteCommandId(vtid::cmd::HeightSettings);
    EXPECT_TRUE(shown);
}

// The message box of the program's sink: its buttons have their ordinary height and
// stand clear of the box's bottom and side edges.
TEST(WholeMessageBox, ButtonsKeepClearOfTheEdges) {
    struct Seen {
        int buttons = 0, lowest = 0, leftmost = 1 << 20, rightmost = 0, minHeight = 1 << 20;
        int width = 0, height = 0;
    } seen;
    std::function<void(GtkWidget*, GtkWidget*)> visit = [&](GtkWidget* w, GtkWidget* top) {
        if (GTK_IS_BUTTON(w) && gtk_widget_get_visible(w)) {
            GtkAllocation a;
            gtk_widget_get_allocation(w, &a);
            int x = 0, y = 0;
            gtk_widget_translate_coordinates(w, top, 0, 0, &x, &y);
            ++seen.buttons;
            seen.lowest = std::max(seen.lowest, y + a.height);
            seen.leftmost = std::min(seen.leftmost, x);
            seen.rightmost = std::max(seen.rightmost, x + a.width);
            seen.minHeight = std::min(seen.minHeight, a.height);
        }
        if (GTK_IS_CONTAINER(w)) {
            GList* children = gtk_container_get_children(GTK_CONTAINER(w));
            for (GList* c = children; c; c = c->next)
                visit(GTK_WIDGET(c->data), top);
            g_list_free(children);
        }
    };
    // The box runs its own loop: a timer finds it on the screen, measures it and answers it.
    wxTimer timer;
    bool answered = false;
    timer.Bind(wxEVT_TIMER, [&](wxTimerEvent&) {
        GList* tops = gtk_window_list_toplevels();
        for (GList* t = tops; t && !answered; t = t->next) {
            GtkWidget* w = GTK_WIDGET(t->data);
            if (!GTK_IS_WINDOW(w) || !gtk_window_get_modal(GTK_WINDOW(w)) || !gtk_widget_get_mapped(w))
                continue;
            GtkAllocation a;
            gtk_widget_get_allocation(w, &a);
            if (a.height <= 1)
                continue;
            seen.width = a.width;
            seen.height = a.height;
            visit(w, w);
            // For looking: the box as the screen shows it.
            const std::string shot =
                "import -window root " + ui::testing::OutputFolder() + "/message-box.png";
            EXPECT_EQ(std::system(shot.c_str()), 0);
            answered = true;
            for (wxWindow* top : wxTopLevelWindows)
                if (auto* box = dynamic_cast<wxDialog*>(top); box && box->IsModal())
                    box->EndModal(wxID_YES);
        }
        g_list_free(tops);
    });
    timer.Start(50);
    ui::WxMessageSink sink;
    sink.Show(vtid::str::ConfirmOverwrite, MB_YESNO | MB_ICONQUESTION, {"/tmp/frame_000.bmp"});
    timer.Stop();
    ASSERT_TRUE(answered);
    ASSERT_EQ(seen.buttons, 2);
    EXPECT_GE(seen.minHeight, 24);
    EXPECT_LE(seen.lowest, seen.height - 6);
    EXPECT_GE(seen.leftmost, 6);
    EXPECT_LE(seen.rightmost, seen.width - 6);
}

} // namespace
