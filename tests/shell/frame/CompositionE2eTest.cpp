// A composition of the focus image box from the frame's command 819 to the result hand-over.
#include "ShellGuiFixture.h"

#include "ids/VantorelIds.h"
#include "imaging/files/ImageFileMemory.h"
#include "platform/File.h"
#include "platform/Process.h"
#include "result/core/TransferRecords.h"
#include "viewer3d/core/files/Vv3Data.h"

#include "imaging/bitmaps/Dib.h"
#include "imaging/files/ImageFile.h"
#include "result/FocusProgDialog.h"
#include "shell/capture/SelectedBox.h"
#include "tools/seriesmaker/SeriesMaker.h"
#include "result/ImageDoc.h"
#include "result/ImageFrame.h"
#include "result/ImageView.h"

#include <wx/dcmemory.h>
#include <wx/combobox.h>
#include <wx/image.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <set>

namespace {

class Composition : public ShellWindows {
protected:
    void MakeSeries(int frames, int width, int height) {
        seriesmaker::SeriesParams p;
        p.width = width;
        p.height = height;
        p.frames = frames;
        seriesmaker::SeriesMaker maker(p);
        for (int k = 0; k < frames; ++k) {
            HDIB frame = maker.Frame(k);
            const std::string path = folder + "/s" + std::to_string(k) + ".bmp";
            ASSERT_TRUE(SaveImageFile(frame, path, 3, 75));
            GlobalFree(frame);
            files.push_back(path);
        }
    }
    void FillBox() {
        CSelectedBox* box = Frame()->SelectedBox();
        box->RemoveAll();
        for (size_t k = 0; k < files.size(); ++k)
            ASSERT_TRUE(box->AddFile(files[k], 10.0 * static_cast<double>(k)));
    }
    static unsigned Colour(const wxImage& img, int x, int y) {
        return unsigned(img.GetRed(x, y)) << 16 | unsigned(img.GetGreen(x, y)) << 8 | img.GetBlue(x, y);
    }
    // The result window is on the screen with a composed picture.
    bool ResultShown() const {
        const CImageFrame* viewer = app->m_pResultFrame;
        return viewer && viewer->IsShown() && viewer->GetImageDoc()->m_image;
    }
    // Lets the result's noise cut end and marks the result kept, so that closing asks nothing.
    void Settle() {
        CImageDoc* doc = app->m_pResultFrame->GetImageDoc();
        ASSERT_TRUE(
            ui::testing::PumpUntil([&] { return doc->m_busy == 0 && !doc->IsWorkerRunning(); }, 60000));
        doc->m_saved = 1;
    }
    std::vector<std::string> files;
};

TEST_F(Composition, BoxSeriesReachesTheResultWithHeights) {
    Settings(vtid::StartDialog::ManualCapture, "", "");
    MakeSeries(5, 200, 150);
    ASSERT_TRUE(StartProgram());
    CMainFrame* f = Frame();
    CScriptedMessageSink sink(IDOK);
    f->CompositionBar()->SpeedCombo()->SetSelection(0);
    FillBox();
    f->RouteCommandId(vtid::cmd::StartComposition);
    EXPECT_TRUE(f->IsComposing());
    ASSERT_TRUE(ui::testing::PumpUntil([&] { return ResultShown(); }, 60000));
    EXPECT_FALSE(f->IsComposing());
    CImageFrame* viewer = app->m_pResultFrame;
    CImageDoc* doc = viewer->GetImageDoc();
    EXPECT_EQ(viewer->GetTitle().ToUTF8(), std::string("ﾌｫｰｶｽ合成結果"));
    EXPECT_TRUE(viewer->m_newResultShown);
    ASSERT_NE(doc->m_image, nullptr);
    const int w = doc->m_width;
    const int h = doc->m_height;
    EXPECT_GT(w, 100);
    ASSERT_EQ(doc->m_heights.Height(), h);
    EXPECT_EQ(doc->m_heights.Width(), w);
    // The smoothing of focus type 1 went to the automatic noise cut, which has ended.
    EXPECT_EQ(doc->m_filterSize, 6);
    ASSERT_TRUE(ui::testing::PumpUntil([&] { return doc->m_busy == 0 && !doc->IsWorkerRunning(); }, 60000));
    EXPECT_EQ(app->m_nSmoothing, 0);
    double lo = 1e9, hi = -1e9;
    for (size_t i = 0; i < doc->m_heights.Count(); ++i) {
        lo = std::min(lo, doc->m_heights.Data()[i]);
        hi = std::max(hi, doc->m_heights.Data()[i]);
    }
    EXPECT_GE(lo, 0.0);
    EXPECT_LE(hi, 40.0);
    EXPECT_GT(hi, lo); // the series' surface is not flat
    // The window shows the picture: its view is not one flat colour.
    // The screenshot is for looking; the check draws the view into a bitmap of its client size,
    // since other tests' windows on the shared display may cover it.
    ui::testing::Screenshot(viewer->GetImageView(), Shot("composition-result.png"));
    const wxSize client = viewer->GetImageView()->GetClientSize();
    ASSERT_GT(client.x, 0);
    ASSERT_GT(client.y, 0);
    wxBitmap drawn(client);
    {
        wxMemoryDC dc(drawn);
        viewer->GetImageView()->OnDraw(dc);
    }
    const wxImage seen = drawn.ConvertToImage();
    ASSERT_TRUE(seen.IsOk());
    // The window shows the picture fitted to it: most of the view is picture (not the plain
    // background of its corner), in many colours.
    const unsigned background = Colour(seen, 0, 0);
    std::set<unsigned> colours;
    int picture = 0, all = 0;
    for (int y = 0; y < seen.GetHeight(); y += 2)
        for (int x = 0; x < seen.GetWidth(); x += 2, ++all) {
            const unsigned c = Colour(seen, x, y);
            colours.insert(c);
            picture += c != background;
        }
    EXPECT_GT(colours.size(), 16u);
    EXPECT_GT(picture, all / 3);

    // The result saved as a .vv3 file, which the 3D viewer's reader takes with its heights.
    const std::string vv3 = folder + "/result.vv3";
    ASSERT_TRUE(doc->SaveVv3(vv3));
    {
        CFile file;
        ASSERT_TRUE(file.Open(vv3, CFile::modeRead));
        HDIB heights = nullptr;
        v3d::HeightSetInfo info{};
        HDIB picture = v3d::ReadVv3File(&file, v3d::InvalidHeightRule{}, &heights, &info);
        ASSERT_NE(picture, nullptr);
        ASSERT_NE(heights, nullptr);
        GlobalLockGuard lock(picture);
        EXPECT_EQ(DibGetWidth(lock.get()), w);
        EXPECT_EQ(DibGetHeight(lock.get()), h);
        GlobalFree(heights);
        GlobalFree(picture);
    }
    // The hand-over to a running 3D viewer (a stand-in that keeps what it receives): the record
    // it gets is the document's, and the 3D viewer's record check takes it.
    const std::string peer = std::string(VT_BINARY_DIR) + "/tools/findwin-peer/findwin-peer";
    const std::string received = folder + "/received";
    std::filesystem::create_directories(received);
    PROCESS_INFORMATION viewer3d;
    ASSERT_TRUE(CreateProcess(peer, {"--out", received, "--title", "Brelvoxa"}, {}, &viewer3d));
    ASSERT_TRUE(ui::testing::PumpUntil([&] { return std::filesystem::exists(received + "/ready"); }));
    viewer->RouteCommandId(91);
    ASSERT_TRUE(ui::testing::PumpUntil([&] { return std::filesystem::exists(received + "/record-1.bin"); }));
    std::vector<BYTE> block;
    ASSERT_TRUE(
        BuildHeightTransferBlock(ResultPixels{doc->m_display ? doc->m_display : doc->m_image, doc->m_typeCode,
                                              &doc->m_working, doc->m_minimum, doc->m_lens.umPerPixel},
                                 block));
    const std::string record = Read("received/record-1.bin");
    EXPECT_EQ(record, std::string(block.begin(), block.end()));
    int recordWidth = 0, recordHeight = 0;
    EXPECT_TRUE(v3d::CheckHeightRecord(record.data(), record.size(), &recordWidth, &recordHeight));
    EXPECT_EQ(recordWidth, w);
    EXPECT_EQ(recordHeight, h);
    ::kill(viewer3d.dwProcessId, SIGKILL);
    WaitForProcess(viewer3d.dwProcessId, 5000);

    // A new composition of an unsaved result asks before it starts; No keeps the result shown.
    EXPECT_TRUE(sink.ShownIds().empty());
    doc->m_saved = 0;
    sink.Queue({IDNO});
    f->RouteCommandId(vtid::cmd::StartComposition);
    EXPECT_FALSE(f->IsComposing());
    EXPECT_EQ(sink.ShownIds(), std::vector<UINT>{kMsgDiscardResult});
    EXPECT_TRUE(ResultShown());
    sink.ClearShown();

    // A second composition reuses the one window; leaving it hides it without a question once
    // the result is saved.
    doc->m_saved = 1;
    f->RouteCommandId(vtid::cmd::StartComposition);
    ASSERT_TRUE(ui::testing::PumpUntil([&] { return !f->IsComposing(); }, 60000));
    EXPECT_EQ(app->m_pResultFrame, viewer);
    ASSERT_TRUE(ui::testing::PumpUntil([&] { return doc->m_busy == 0 && !doc->IsWorkerRunning(); }, 60000));
    doc->m_saved = 1;
    EXPECT_TRUE(app->CloseImageFrame(true));
    EXPECT_FALSE(viewer->IsShown());
    EXPECT_EQ(app->m_pResultFrame, viewer);
    EXPECT_TRUE(sink.ShownIds().empty());
    // COMPSPEED was stored from the combo box before the settings were written.
    EXPECT_EQ(ReadIniInt("PARAMETER", "COMPSPEED", -1), 0);
}

TEST_F(Composition, CancelShows875AndAnUnreadableFile9201) {
    Settings(vtid::StartDialog::ManualCapture);
    // A series long enough that the cancel, clicked as soon as the run starts, comes before its
    // end however fast the worker is.
    MakeSeries(200, 400, 300);
    ASSERT_TRUE(StartProgram());
    CMainFrame* f = Frame();
    CScriptedMessageSink sink(IDOK);
    f->CompositionBar()->SpeedCombo()->SetSelection(0);
    FillBox();
    f->RouteCommandId(vtid::cmd::StartComposition);
    ASSERT_TRUE(f->IsComposing());
    ASSERT_NE(f->ProgressDialog(), nullptr);
    ui::testing::Click(ui::testing::FindById(f->ProgressDialog(), 2));
    ASSERT_TRUE(ui::testing::PumpUntil([&] { return !f->IsComposing(); }, 30000));
    const std::vector<UINT> shown = sink.ShownIds();
    EXPECT_EQ(shown, std::vector<UINT>{vtid::str::Cancelled});
    EXPECT_EQ(app->m_pResultFrame, nullptr);

    sink.ClearShown();
    Write("s2.bmp", "this is no picture");
    f->RouteCommandId(vtid::cmd::StartComposition);
    ASSERT_TRUE(ui::testing::PumpUntil([&] { return ResultShown(); }, 60000));
    EXPECT_EQ(sink.ShownIds(), std::vector<UINT>{vtid::str::CannotReadData});
    Settle();
}

TEST_F(Composition, LackOfMemoryShows876AndLeavesNothingBusy) {
    Settings(vtid::StartDialog::ManualCapture);
    MakeSeries(4, 160, 120);
    ASSERT_TRUE(StartProgram());
    CMainFrame* f = Frame();
    CScriptedMessageSink sink(IDOK);
    FillBox();
    // The machine reports almost no memory: the images of the run cannot be had.
    const AvailableMemoryFunction before = SetAvailableMemoryFunction([]() -> uint64_t { return 4096; });
    f->RouteCommandId(vtid::cmd::StartComposition);
    const bool ended = ui::testing::PumpUntil([&] { return !f->IsComposing(); }, 60000);
    SetAvailableMemoryFunction(before);
    ASSERT_TRUE(ended);
    EXPECT_EQ(sink.CountOf(vtid::str::NoMemory), 1u) << ::testing::PrintToString(sink.ShownIds());
    EXPECT_EQ(sink.CountOf(vtid::str::Cancelled), 0u);
    EXPECT_EQ(app->m_pResultFrame, nullptr);
    // Memory back: the same box composes.
    sink.ClearShown();
    f->RouteCommandId(vtid::cmd::StartComposition);
    ASSERT_TRUE(ui::testing::PumpUntil([&] { return ResultShown(); }, 60000));
    EXPECT_TRUE(sink.ShownIds().empty());
    Settle();
}

TEST_F(Composition, TwoEntriesAreNotEnough) {
    Settings(vtid::StartDialog::ManualCapture);
    MakeSeries(1, 64, 48);
    ASSERT_TRUE(StartProgram());
    CMainFrame* f = Frame();
    FillBox(); // one image and the placeholder
    ui::CmdUI state(vtid::cmd::StartComposition);
    ASSERT_TRUE(ui::RouteUpdate(f->CommandChain(), state));
    EXPECT_EQ(state.enabled, std::optional<bool>(false));
    f->SelectedBox()->AddFile(files[0], 1.0);
    ui::CmdUI again(vtid::cmd::StartComposition);
    ui::RouteUpdate(f->CommandChain(), again);
    EXPECT_EQ(again.enabled, std::optional<bool>(true));
}

} // namespace
