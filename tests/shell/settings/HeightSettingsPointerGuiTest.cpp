// The heights of a series taken from the browser, given in the height settings dialog with the
// real pointer and keys: the focus image box keeps them, the composition takes them, and its
// result window has live heights that its .vv3 file holds.
#include "BrowserJoinFixture.h"
#include "XServerInput.h"

#include "ids/VantorelIds.h"
#include "imaging/bitmaps/Dib.h"
#include "imaging/files/ImageFile.h"
#include "platform/File.h"
#include "shell/capture/EDEdit.h"
#include "shell/capture/EDListCtrl.h"
#include "shell/settings/SetDepth.h"
#include "tools/seriesmaker/SeriesMaker.h"
#include "ui/CommandRouting.h"
#include "result/ImageDoc.h"
#include "result/ImageFrame.h"
#include "viewer3d/core/files/Vv3Data.h"

#include <wx/combobox.h>
#include <wx/textctrl.h>

#include <algorithm>
#include <set>

namespace {

using ui::testing::PumpUntil;

class HeightSettingsPointer : public BrowserJoin {
protected:
    void MakeSeries(const std::string& name, int frames) {
        std::filesystem::create_directories(folder + "/" + name);
        seriesmaker::SeriesParams p;
        p.width = 160;
        p.height = 120;
        p.frames = frames;
        seriesmaker::SeriesMaker maker(p);
        for (int k = 0; k < frames; ++k) {
            HDIB frame = maker.Frame(k);
            ASSERT_TRUE(SaveImageFile(frame, folder + "/" + name + "/f" + std::to_string(k) + ".bmp", 3, 75));
            GlobalFree(frame);
        }
    }
    // A click of the real pointer in the middle of a window (or at a client point of it).
    static bool ClickIn(wxWindow* w, const std::function<bool()>& done, wxPoint at = wxDefaultPosition) {
        const wxPoint screen = at == wxDefaultPosition ? xinput::Centre(w) : w->ClientToScreen(at);
        return xinput::PressUntil(
            w, screen, [](wxUIActionSimulator& sim) { sim.MouseClick(); }, done);
    }
    // Replaces the text of an edit by typing on the keyboard after a click into it.
    static bool TypeInto(wxTextCtrl* edit, const std::string& text) {
        if (!ClickIn(edit, [&] { return ui::testing::FocusWithin(wxGetTopLevelParent(edit)) == edit; }))
            return false;
        wxUIActionSimulator sim;
        sim.Char('a', wxMOD_CONTROL);
        sim.Text(text.c_str());
        return PumpUntil([&] { return ui::ToUtf8(edit->GetValue()) == text; });
    }
    static std::vector<double> BoxHeights(const CSelListCtrl* list) {
        std::vector<double> out;
        for (const auto& e : list->Items())
            if (!e->IsPlaceholder())
                out.push_back(e->m_position);
        return out;
    }
};

TEST_F(HeightSettingsPointer, HeightsGivenThereReachTheCompositionAndItsVv3File) {
    MakeSeries("series", 5);
    StartOn("series");
    f->CompositionBar()->SpeedCombo()->SetSelection(0);
    // Every thumbnail into the box: each at height 0 as it comes from the browser.
    ASSERT_TRUE(f->RouteCommandId(vtid::cmd::AddAllToFocusBox));
    ASSERT_TRUE(PumpUntil([&] { return !box->IsBusy() && box->GetItemCount() == 6; }));
    EXPECT_EQ(BoxHeights(box), std::vector<double>(5, 0.0));

    wxWindow* heightsButton = f->CompositionBar()->GetDlgItem(vtid::CompositionBar::HeightSettings);
    ASSERT_TRUE(PumpUntil([&] { return heightsButton->IsEnabled(); }));
    bool closed = false;
    ui::testing::WhenModal([&](wxDialog* d) {
        auto* depth = dynamic_cast<CSetDepth*>(d);
        ASSERT_NE(depth, nullptr);
        ASSERT_EQ(depth->RowCount(), 5);
        // Start and interval, then "座標入力".
        ASSERT_TRUE(TypeInto(ui::testing::FindById<wxTextCtrl>(d, vtid::HeightSettingsDialog::Start), "2"));
        ASSERT_TRUE(
            TypeInto(ui::testing::FindById<wxTextCtrl>(d, vtid::HeightSettingsDialog::Interval), "5"));
        ASSERT_TRUE(ClickIn(ui::testing::FindById(d, vtid::HeightSettingsDialog::EnterCoordinates),
                            [&] { return depth->CellText(4, 1) == "22"; }));
        // A height typed into its cell and Enter: the cell takes it and the next row's opens.
        CEDListCtrl* list = depth->List();
        const wxRect row = list->GetItemRect(3);
        const wxPoint cell(list->GetColumnWidth(0) + 10, row.y + row.height / 2);
        ASSERT_TRUE(ClickIn(
            list, [&] { return list->GetEdit() != nullptr; }, cell));
        ASSERT_TRUE(PumpUntil([&] { return ui::testing::FocusWithin(d) == list->GetEdit(); }));
        wxUIActionSimulator sim;
        sim.Char('a', wxMOD_CONTROL);
        sim.Text("17.5");
        sim.Char(WXK_RETURN);
        ASSERT_TRUE(PumpUntil([&] {
            CEDEdit* next = list->GetEdit();
            return depth->CellText(3, 1) == "17.5" && next && next->Row() == 4 &&
                   ui::testing::FocusWithin(d) == next;
        }));
        EXPECT_TRUE(d->IsShown());
        // The last one typed, and "設定" pressed while its cell is still open.
        CEDEdit* edit = list->GetEdit();
        sim.Char('a', wxMOD_CONTROL);
        sim.Text("30");
        ASSERT_TRUE(PumpUntil([&] { return edit->GetValue() == "30"; }));
        ui::testing::ScreenshotRoot(Shot("height-settings-typed.png"));
        ClickIn(ui::testing::FindById(d, IDOK), [&] { return !d->IsModal() || !d->IsShown(); });
        closed = true;
    });
    ASSERT_TRUE(ClickIn(heightsButton, [&] { return closed; }));
    ASSERT_TRUE(PumpUntil([&] {
        for (wxWindow* w : wxTopLevelWindows)
            if (dynamic_cast<CSetDepth*>(w))
                return false;
        return true;
    }));
    EXPECT_EQ(BoxHeights(box), (std::vector<double>{2, 7, 12, 17.5, 30}));
    EXPECT_TRUE(sink.ShownIds().empty());

    // The composition takes them: the result's heights are the series' heights.
    wxWindow* startButton = f->CompositionBar()->GetDlgItem(vtid::CompositionBar::StartComposition);
    ASSERT_TRUE(ClickIn(startButton, [&] {
        const CImageFrame* viewer = app->m_pResultFrame;
        return viewer && viewer->IsShown() && viewer->GetImageDoc()->m_image;
    }));
    CImageFrame* viewer = app->m_pResultFrame;
    CImageDoc* doc = viewer->GetImageDoc();
    ASSERT_TRUE(PumpUntil([&] { return doc->m_busy == 0 && !doc->IsWorkerRunning(); }, 60000));
    ASSERT_FALSE(doc->m_heights.Empty());
    std::set<double> seen(doc->m_heights.Data(), doc->m_heights.Data() + doc->m_heights.Count());
    EXPECT_GT(seen.size(), 1u);
    for (double z : seen)
        EXPECT_TRUE(z == 2 || z == 7 || z == 12 || z == 17.5 || z == 30) << z;
    // "高さ" is live in the result window.
    ui::CmdUI state(vtid::cmd::ShowHeight);
    ui::RouteUpdate(viewer->CommandChain(), state);
    EXPECT_TRUE(state.enabled.value_or(false));

    // The .vv3 file holds them (as the noise cut left them): the 3D viewer's reader spreads their
    // range over its levels.
    ASSERT_TRUE(doc->SaveVv3(folder + "/result.vv3"));
    v3d::HeightSetInfo read{};
    HDIB levels = nullptr, texture = nullptr;
    if (CFile vv3; vv3.Open(folder + "/result.vv3", CFile::modeRead))
        texture = v3d::ReadVv3File(&vv3, v3d::InvalidHeightRule{}, &levels, &read);
    EXPECT_TRUE(texture && levels);
    const auto [lo, hi] =
        std::minmax_element(doc->m_working.Data(), doc->m_working.Data() + doc->m_working.Count());
    EXPECT_GT(*hi - *lo, 20.0);
    EXPECT_NEAR(read.zScale * read.maxValue, *hi - *lo, 1e-3);
    for (HDIB dib : {texture, levels})
        if (dib)
            GlobalFree(dib);
    doc->m_saved = 1;
}

} // namespace
