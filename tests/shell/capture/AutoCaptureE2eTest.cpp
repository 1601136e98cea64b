// A whole automatic series: the emulated focus drive moves, the rendering test camera focuses on
// its position, the pictures go into files and the focus image box, and the composition's height
// map follows the specimen.
#include "AutoPanelFixture.h"
#include "XServerInput.h"

#include "browser/SelListCtrl.h"
#include "devices/camera/CamParamRecord.h"
#include "ids/CommonIds.h"
#include "ids/VantorelIds.h"
#include "imaging/bitmaps/Dib.h"
#include "imaging/files/ImageFile.h"
#include "platform/Settings.h"
#include "shell/app/OrsandelDoc.h"
#include "shell/controls/ScaleStatic.h"
#include "shell/capture/SelectedBox.h"
#include "result/ImageDoc.h"
#include "result/ImageFrame.h"
#include "tests/support/ScopedFileSizeLimit.h"
#include "tests/support/ScratchFifo.h"

#include <wx/combobox.h>
#include <wx/timer.h>

#include <gtk/gtk.h>

#include <fstream>

#include <algorithm>
#include <cmath>
#include <filesystem>

namespace {

namespace fs = std::filesystem;

// A sink that runs an action when a message id is shown (and answers as scripted).
class ActingSink : public CScriptedMessageSink {
public:
    ActingSink(UINT id, std::function<void()> action)
        : CScriptedMessageSink(IDYES), id_(id), action_(action) {}
    int Show(UINT id, UINT type, const std::vector<std::string>& args) override {
        const int answer = CScriptedMessageSink::Show(id, type, args);
        if (id == id_ && action_)
            action_();
        return answer;
    }

private:
    UINT id_;
    std::function<void()> action_;
};

// What the X server shows of a window now (its frame buffer, no event processed): RGB rows.
std::vector<unsigned char> ScreenPixels(wxWindow* w, const std::string& savePath = "") {
    const wxRect r = w->GetScreenRect();
    GdkPixbuf* pixels =
        gdk_pixbuf_get_from_window(gdk_get_default_root_window(), r.x, r.y, r.width, r.height);
    if (!pixels)
        return {};
    std::vector<unsigned char> out;
    const int stride = gdk_pixbuf_get_rowstride(pixels);
    const int rowBytes = gdk_pixbuf_get_width(pixels) * gdk_pixbuf_get_n_channels(pixels);
    const guchar* p = gdk_pixbuf_get_pixels(pixels);
    for (int y = 0; y < gdk_pixbuf_get_height(pixels); ++y)
        out.insert(out.end(), p + static_cast<size_t>(y) * stride,
                   p + static_cast<size_t>(y) * stride + rowBytes);
    if (!savePath.empty())
        gdk_pixbuf_save(pixels, savePath.c_str(), "png", nullptr, nullptr);
    g_object_unref(pixels);
    return out;
}

class AutoCapture : public AutoPanel {
protected:
    // The images of the capture folder, sorted.
    std::vector<std::string> Pictures() const {
        std::vector<std::string> out;
        for (const auto& e : fs::directory_iterator(folder + "/series"))
            out.push_back(e.path().filename().string());
        std::sort(out.begin(), out.end());
        return out;
    }
    // Chooses the series' first file through 1179 as the user would.
    void ChoosePath(const std::string& name = "img.bmp") {
        fs::create_directories(folder + "/series");
        ScriptFileDialogs({folder + "/series/" + name});
        Click(vtid::AutoPanel::SelectPath);
        // A chooser that takes only existing files could never name a new series.
        ASSERT_FALSE(requests.empty());
        EXPECT_FALSE(requests.back().open);
        EXPECT_FALSE(requests.back().confirmOverwrite);
    }
    // Start, end and interval typed into 1183, 1184, 1185.
    void TypeRange(const char* start, const char* end, const char* interval) {
        ui::testing::Type(Item(vtid::AutoPanel::StartPosition), start);
        ui::testing::Type(Item(vtid::AutoPanel::EndPosition), end);
        ui::testing::Type(Item(vtid::AutoPanel::Interval), interval);
    }
    bool ResultShown() const {
        const CImageFrame* viewer = app->m_pResultFrame;
        return viewer && viewer->IsShown() && viewer->GetImageDoc()->m_image;
    }
    std::vector<std::string> MovesSeen() const {
        std::vector<std::string> out;
        for (const std::string& c : emulator->Commands())
            if (c.rfind("A:", 0) == 0)
                out.push_back(c.substr(0, c.size() - 2));
        return out;
    }
};

// Dome specimen 0..100 um, 0.5 um per pulse, the drive at 40 pulses at the start (the zero).
TEST_F(AutoCapture, SeriesSavesBoxesAndComposesTheSpecimensHeight) {
    ASSERT_TRUE(Start("mmc2", 1, 0.5, 40));
    CMainFrame* f = Frame();
    CMultiView* view = f->CaptureView();
    CScriptedMessageSink sink(IDOK);

    // Step jogs: 10 um up and back.
    dynamic_cast<wxComboBox*>(Item(vtid::AutoPanel::JogStep))->SetValue("10");
    Click(vtid::AutoPanel::StepUp);
    EXPECT_EQ(emulator->ProgramPosition(), 60);
    EXPECT_DOUBLE_EQ(panel->CurrentZ(), 10.0);
    Click(vtid::AutoPanel::StepDown);
    EXPECT_EQ(emulator->ProgramPosition(), 40);

    // The range from the drive: start at Z -20 (focus 0 um), end at Z 80 (focus 100 um).
    panel->MoveToZ(-20);
    EXPECT_EQ(emulator->ProgramPosition(), 0);
    Click(vtid::AutoPanel::SetStart);
    panel->MoveToZ(80);
    Click(vtid::AutoPanel::SetEnd);
    EXPECT_EQ(panel->GetDlgItemText(vtid::AutoPanel::StartPosition), "-20");
    EXPECT_EQ(panel->GetDlgItemText(vtid::AutoPanel::EndPosition), "80");
    ui::testing::Type(Item(vtid::AutoPanel::Interval), "12.3");
    // -20, -7.7, 4.6, ... 78.4, 80: the last step is shortened.
    ASSERT_EQ(panel->GetDlgItemText(vtid::AutoPanel::PictureCount), "10");
    const std::vector<double> positions = panel->Positions();
    ASSERT_EQ(positions.size(), 10u);
    EXPECT_DOUBLE_EQ(positions[1], -7.7);
    EXPECT_DOUBLE_EQ(positions.back(), 80.0);

    ChoosePath();
    EXPECT_EQ(app->m_strAutoDir, folder + "/series");
    EXPECT_FALSE(panel->GetDlgItemText(vtid::AutoPanel::FileText).empty());
    ui::testing::Click(Item(vtid::AutoPanel::AutoCompose));
    emulator->ClearLog();
    Click(vtid::AutoPanel::StartCapture);

    EXPECT_EQ(panel->LastSeriesEnd(), CAutoDialog::SeriesEnd::Completed);
    EXPECT_FALSE(panel->IsCapturing());
    EXPECT_EQ(f->StageBusyOwner(), nullptr);
    EXPECT_TRUE(Enabled(vtid::AutoPanel::StartCapture));
    EXPECT_FALSE(Enabled(vtid::AutoPanel::StopCapture));
    // One absolute move per position to trunc(s z / u + o).
    std::vector<std::string> expected;
    for (double z : positions)
        expected.push_back("A:YP" + std::to_string(static_cast<long>(std::trunc(z / 0.5 + 40))));
    EXPECT_EQ(MovesSeen(), expected);
    // img000.bmp ... img009.bmp, each a picture of the camera.
    std::vector<std::string> names;
    for (int i = 0; i < 10; ++i) {
        char n[32];
        std::snprintf(n, sizeof n, "img%03d.bmp", i);
        names.push_back(n);
        int type = -1;
        HDIB back = ReadImageFile(folder + "/series/" + n, &type);
        ASSERT_NE(back, nullptr) << n;
        GlobalLockGuard lock(back);
        EXPECT_EQ(DibGetWidth(lock.get()), 640);
        EXPECT_EQ(DibGetHeight(lock.get()), 480);
        GlobalFree(back);
    }
    EXPECT_EQ(Pictures(), names);
    // The box holds them in order with the Z read back from the drive.
    const std::vector<SeriesEntry> entries = f->SelectedBox()->Entries();
    ASSERT_EQ(entries.size(), 11u);
    for (size_t i = 0; i < 10; ++i) {
        EXPECT_EQ(entries[i].path, folder + "/series/" + names[i]);
        const long pulses = static_cast<long>(std::trunc(positions[i] / 0.5 + 40));
        EXPECT_DOUBLE_EQ(entries[i].z, (pulses - 40) * 0.5) << i;
    }
    // The running composer's preview was shown.
    EXPECT_TRUE(view->PreviewPane()->HasImage());
    EXPECT_GT(view->PreviewPane()->GetSize().x, 0);

    // 819 was sent: the composition reaches the result window.
    ASSERT_TRUE(ui::testing::PumpUntil([&] { return ResultShown(); }, 120000));
    CImageDoc* doc = app->m_pResultFrame->GetImageDoc();
    ASSERT_TRUE(ui::testing::PumpUntil([&] { return doc->m_busy == 0 && !doc->IsWorkerRunning(); }, 60000));
    doc->m_saved = 1;
    const int w = doc->m_width, h = doc->m_height;
    ASSERT_EQ(doc->m_heights.Width(), w);
    ASSERT_EQ(doc->m_heights.Height(), h);
    // Height in the picture = focus - 20 um (the zero was taken at focus 20 um); the dome's
    // height at (x, y) of the 640 x 480 frame is 100 (1 - r^2). The composite may be cut to an
    // output rectangle: compare where the frame and the result meet, from the centre.
    const int ox = (640 - w) / 2, oy = (480 - h) / 2;
    std::vector<double> errors;
    for (int y = h / 8; y < h - h / 8; y += 16)
        for (int x = w / 8; x < w - w / 8; x += 16) {
            const double cx = 639 / 2.0, cy = 479 / 2.0;
            const double fx = x + ox, fy = y + oy;
            const double r2 = ((fx - cx) * (fx - cx) + (fy - cy) * (fy - cy)) / (cx * cx + cy * cy);
            const double truth = 100.0 * std::max(0.0, 1.0 - r2) - 20.0;
            // Height rows are bottom-up like the picture's.
            const double seen = doc->m_heights.Data()[static_cast<size_t>(h - 1 - y) * w + x];
            errors.push_back(std::fabs(seen - truth));
        }
    std::sort(errors.begin(), errors.end());
    const double median = errors[errors.size() / 2];
    const double p90 = errors[errors.size() * 9 / 10];
    std::printf("height map vs specimen: %zu points, median error %.2f um, 90th percentile %.2f um "
                "(interval 12.3 um)\n",
                errors.size(), median, p90);
    // Within one step of the series for nine points in ten, half a step for the median.
    EXPECT_LT(median, 6.2);
    EXPECT_LT(p90, 12.3);
    for (UINT id : sink.ShownIds())
        ADD_FAILURE() << "message " << id;
    ui::testing::ScreenshotRoot(Shot("auto-after-series.png"));
}

// While a series runs the screen follows it: the Z field and the focus image box as the X server
// shows them change from picture to picture, not only once the series has ended.
TEST_F(AutoCapture, SeriesShowsItsProgressOnTheScreenAsItGoes) {
    ASSERT_TRUE(Start("mmc2", 1, 0.5, 40));
    CScriptedMessageSink sink(IDOK);
    CMainFrame* f = Frame();
    // Eleven pictures: on a display that other tests share, moments when their windows cover this
    // one are left out, and enough others must remain.
    TypeRange("0", "100", "10");
    ASSERT_EQ(panel->Positions().size(), 11u);
    ChoosePath();
    CSelListCtrl* box = f->FocusBoxList();
    struct Seen {
        int pictures;
        std::vector<unsigned char> z, box;
    };
    std::vector<Seen> seen;
    wxTimer timer;
    timer.Bind(wxEVT_TIMER, [&](wxTimerEvent&) {
        // Other tests' windows may come over this one on a shared display: then it is raised
        // again, and that moment is left out.
        if (!xinput::OnTopOver(f, Item(vtid::AutoPanel::ZPosition)->GetScreenRect()) ||
            !xinput::OnTopOver(f, box->GetParent()->GetScreenRect())) {
            f->Raise();
            return;
        }
        const int pictures = box->GetItemCount() - 1;
        if (!panel->IsCapturing() || (!seen.empty() && seen.back().pictures == pictures))
            return;
        const bool shoot = pictures == 3;
        seen.push_back({pictures, ScreenPixels(Item(vtid::AutoPanel::ZPosition)),
                        ScreenPixels(box->GetParent(), shoot ? Shot("auto-series-mid-run-box.png") : "")});
        if (shoot)
            ScreenPixels(f, Shot("auto-series-mid-run.png"));
    });
    timer.Start(15);
    Click(vtid::AutoPanel::StartCapture);
    timer.Stop();
    EXPECT_EQ(panel->LastSeriesEnd(), CAutoDialog::SeriesEnd::Completed);
    auto distinct = [&](auto field) {
        std::vector<std::vector<unsigned char>> kinds;
        for (const Seen& s : seen)
            if (std::find(kinds.begin(), kinds.end(), s.*field) == kinds.end())
                kinds.push_back(s.*field);
        return kinds.size();
    };
    ASSERT_GE(seen.size(), 4u);
    EXPECT_GE(distinct(&Seen::z), 3u);
    EXPECT_GE(distinct(&Seen::box), 3u);
}

// 914 mid-series: the loop ends at its next look, 874, nothing composes; a second start inside
// the running series does nothing.
TEST_F(AutoCapture, StopEndsTheSeriesWithoutComposition) {
    ASSERT_TRUE(Start("mmc2", 1, 1.0, 0));
    ChoosePath();
    // An old file at the fourth name: its question comes during the series; the user says yes
    // and then stops the series.
    std::ofstream(folder + "/series/img003.bmp") << "kept";
    int startsInside = 0;
    ActingSink sink(vtid::str::ConfirmOverwrite, [&] {
        // For looking: the panel mid-series with the running preview (never compared).
        ui::testing::ScreenshotRoot(Shot("auto-mid-series.png"));
        Click(vtid::AutoPanel::StartCapture); // a second start inside the running one
        ++startsInside;
        Click(vtid::AutoPanel::StopCapture);
    });
    TypeRange("0", "50", "10");
    ui::testing::Click(Item(vtid::AutoPanel::AutoCompose));
    Click(vtid::AutoPanel::StartCapture);
    EXPECT_EQ(startsInside, 1);
    EXPECT_EQ(panel->LastSeriesEnd(), CAutoDialog::SeriesEnd::Stopped);
    EXPECT_EQ(sink.ShownIds(), (std::vector<UINT>{vtid::str::ConfirmOverwrite, vtid::str::CaptureStopped}));
    EXPECT_EQ(Pictures(), (std::vector<std::string>{"img000.bmp", "img001.bmp", "img002.bmp", "img003.bmp"}));
    EXPECT_TRUE(Read("series/img003.bmp") == "kept");
    EXPECT_EQ(Frame()->SelectedBox()->Entries().size(), 4u);
    EXPECT_TRUE(Enabled(vtid::AutoPanel::StartCapture));
    EXPECT_FALSE(Enabled(vtid::AutoPanel::StopCapture));
    ui::testing::ProcessPending();
    EXPECT_FALSE(Frame()->IsComposing());
    EXPECT_EQ(app->m_pResultFrame, nullptr);
}

// Late replies within their time keep the series going; a controller that stops answering ends it
// with 878: the pictures taken keep the Z the drive reported, none is saved past it, none composes.
TEST_F(AutoCapture, ControllerThatStopsAnsweringEndsTheSeriesWithItsPicturesAtTheirZ) {
    ASSERT_TRUE(Start("mmc2", 1, 1.0, 0));
    ChoosePath();
    // The question for the old file at the ninth name comes before the drive is sent there.
    std::ofstream(folder + "/series/img008.bmp") << "old";
    ActingSink sink(vtid::str::ConfirmOverwrite, [&] { emulator->SetFailureMode(FailureMode::Silent); });
    TypeRange("0", "100", "10");
    ui::testing::Click(Item(vtid::AutoPanel::AutoCompose));
    emulator->SetReplyDelay(100);
    Click(vtid::AutoPanel::StartCapture);
    emulator->SetFailureMode(FailureMode{}); // answering again (None: X11 takes the name here)
    EXPECT_EQ(panel->LastSeriesEnd(), CAutoDialog::SeriesEnd::ControllerFailed);
    EXPECT_EQ(sink.ShownIds(), (std::vector<UINT>{vtid::str::ConfirmOverwrite, vtid::str::WrongController}));
    EXPECT_EQ(Pictures().size(), 9u);
    EXPECT_TRUE(Read("series/img008.bmp") == "old");
    const std::vector<SeriesEntry> entries = Frame()->SelectedBox()->Entries();
    ASSERT_EQ(entries.size(), 9u); // eight pictures and the placeholder
    for (size_t i = 0; i < 8; ++i)
        EXPECT_DOUBLE_EQ(entries[i].z, 10.0 * i) << entries[i].path;
    ui::testing::ProcessPending();
    EXPECT_FALSE(Frame()->IsComposing());
}

// Closing the program during a series: the close waits for the loop, which stops at its next
// look; then the program closes.
TEST_F(AutoCapture, CloseDuringASeriesWaitsForTheLoop) {
    ASSERT_TRUE(Start("mmc2", 1));
    ChoosePath();
    std::ofstream(folder + "/series/img001.bmp") << "old";
    bool closedInside = true;
    ActingSink sink(vtid::str::ConfirmOverwrite, [&] {
        Frame()->Close();
        closedInside = Frame() == nullptr;
    });
    TypeRange("0", "40", "10");
    Click(vtid::AutoPanel::StartCapture);
    EXPECT_FALSE(closedInside);
    EXPECT_EQ(panel->LastSeriesEnd(), CAutoDialog::SeriesEnd::Stopped);
    EXPECT_EQ(Pictures(), (std::vector<std::string>{"img000.bmp", "img001.bmp"}));
    ASSERT_TRUE(ui::testing::PumpUntil([&] { return app->m_pMainFrame == nullptr; }));
    EXPECT_EQ(sink.CountOf(vtid::str::CaptureStopped), 1u);
}

// The camera module fails at the first picture: 873, the old file at that name is untouched, no
// empty file is left, nothing is boxed or composed.
TEST_F(AutoCapture, FailingModuleLeavesTheFolderAsItWas) {
    ASSERT_TRUE(Start("mmc2", 1));
    ChoosePath();
    std::ofstream(folder + "/series/img000.bmp") << "old picture";
    TypeRange("0", "20", "10");
    ui::testing::Click(Item(vtid::AutoPanel::AutoCompose));
    Frame()->CameraParameters().m_pRecord->SetColorMode(7); // the module refuses its parameters
    CScriptedMessageSink sink(IDYES);
    Click(vtid::AutoPanel::StartCapture);
    EXPECT_EQ(panel->LastSeriesEnd(), CAutoDialog::SeriesEnd::Failed);
    EXPECT_EQ(sink.ShownIds(), (std::vector<UINT>{vtid::str::ConfirmOverwrite, vtid::str::CaptureFailed}));
    EXPECT_EQ(Pictures(), std::vector<std::string>{"img000.bmp"});
    EXPECT_TRUE(Read("series/img000.bmp") == "old picture");
    EXPECT_EQ(Frame()->SelectedBox()->Entries().size(), 1u); // the placeholder
    ui::testing::ProcessPending();
    EXPECT_FALSE(Frame()->IsComposing());
    EXPECT_EQ(app->m_pResultFrame, nullptr);
}

// Numbers past 999 with positions left end the series at 895; a declined overwrite ends it
// before anything is taken for that name. Neither composes.
TEST_F(AutoCapture, PastTheLastNumberOrADeclinedOverwriteEndsTheSeries) {
    ASSERT_TRUE(Start("mmc2", 1));
    ChoosePath("img998.bmp");
    TypeRange("0", "20", "10");
    ui::testing::Click(Item(vtid::AutoPanel::AutoCompose));
    CScriptedMessageSink sink(IDOK);
    Click(vtid::AutoPanel::StartCapture);
    EXPECT_EQ(panel->LastSeriesEnd(), CAutoDialog::SeriesEnd::Stopped);
    EXPECT_EQ(sink.ShownIds(), std::vector<UINT>{vtid::str::CaptureLimitReached});
    EXPECT_EQ(Pictures(), (std::vector<std::string>{"img998.bmp", "img999.bmp"}));
    EXPECT_EQ(Frame()->SelectedBox()->Entries().size(), 3u);

    const std::string before = Read("series/img998.bmp");
    sink.ClearShown();
    sink.Queue({IDNO});
    Click(vtid::AutoPanel::StartCapture);
    EXPECT_EQ(panel->LastSeriesEnd(), CAutoDialog::SeriesEnd::Declined);
    EXPECT_EQ(sink.ShownIds(), std::vector<UINT>{vtid::str::ConfirmOverwrite});
    EXPECT_TRUE(Read("series/img998.bmp") == before);
    EXPECT_EQ(Frame()->SelectedBox()->Entries().size(), 1u);
    ui::testing::ProcessPending();
    EXPECT_FALSE(Frame()->IsComposing());
    EXPECT_EQ(app->m_pResultFrame, nullptr);
}

// A yes to the overwrite question covers the run of existing names that follows; the next
// existing name after a free one asks again. Every old file is replaced by a picture.
TEST_F(AutoCapture, OverwriteIsAskedOncePerRunOfExistingNames) {
    ASSERT_TRUE(Start("mmc2", 1));
    ChoosePath();
    for (const char* old : {"img001.bmp", "img002.bmp", "img004.bmp"})
        std::ofstream(folder + "/series/" + old) << "old";
    TypeRange("0", "40", "10");
    CScriptedMessageSink sink(IDYES);
    Click(vtid::AutoPanel::StartCapture);
    EXPECT_EQ(panel->LastSeriesEnd(), CAutoDialog::SeriesEnd::Completed);
    const std::vector<CScriptedMessageSink::Shown> shown = sink.ShownMessages();
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[0].id, vtid::str::ConfirmOverwrite);
    ASSERT_FALSE(shown[0].args.empty());
    EXPECT_NE(shown[0].args[0].find("img001.bmp"), std::string::npos);
    EXPECT_EQ(shown[1].id, vtid::str::ConfirmOverwrite);
    ASSERT_FALSE(shown[1].args.empty());
    EXPECT_NE(shown[1].args[0].find("img004.bmp"), std::string::npos);
    for (const std::string& name : Pictures()) {
        int type = -1;
        HDIB back = ReadImageFile(folder + "/series/" + name, &type);
        EXPECT_NE(back, nullptr) << name;
        if (back)
            GlobalFree(back);
    }
    EXPECT_EQ(Pictures().size(), 5u);
    EXPECT_EQ(Frame()->SelectedBox()->Entries().size(), 6u);
}

// STM6 (type 5): a short series through its own protocol; the Z of each picture is the
// displayed Z of its position (this drive counts the other way).
TEST_F(AutoCapture, Stm6Series) {
    ASSERT_TRUE(Start("stm6", 5, 0.0));
    ChoosePath();
    TypeRange("0", "-10", "5");
    CScriptedMessageSink sink(IDOK);
    Click(vtid::AutoPanel::StartCapture);
    EXPECT_EQ(panel->LastSeriesEnd(), CAutoDialog::SeriesEnd::Completed);
    EXPECT_TRUE(sink.ShownIds().empty());
    EXPECT_EQ(Pictures(), (std::vector<std::string>{"img000.bmp", "img001.bmp", "img002.bmp"}));
    const std::vector<SeriesEntry> entries = Frame()->SelectedBox()->Entries();
    ASSERT_EQ(entries.size(), 4u);
    EXPECT_DOUBLE_EQ(entries[0].z, 0.0);
    EXPECT_DOUBLE_EQ(entries[1].z, -5.0);
    EXPECT_DOUBLE_EQ(entries[2].z, -10.0);
    EXPECT_EQ(emulator->ProgramPosition(), 200); // -10 um at 0.05 um per step, negated
    // Every read of the series took the drive's step as the calibration.
    EXPECT_EQ(panel->GetDlgItemText(vtid::AutoPanel::PulseSize).ToStdString(), "0.0500  um/pulse");
    EXPECT_DOUBLE_EQ(ReadIniDouble("ZCALIBRATION", "1PULSE", 0.0), 0.05);
}

// MII (type 9): homed when the panel opens; it moves only in remote mode, so the series opens
// the controller for its length and closes it after the last picture.
TEST_F(AutoCapture, MiiSeriesHoldsTheControllerOpenForItsLength) {
    ASSERT_TRUE(Start("mii", 9, 0.5));
    auto* mii = dynamic_cast<AbEmulator*>(emulator.get());
    ASSERT_NE(mii, nullptr);
    EXPECT_FALSE(mii->Remote());
    ChoosePath();
    TypeRange("0", "20", "10");
    emulator->ClearLog();
    CScriptedMessageSink sink(IDOK);
    Click(vtid::AutoPanel::StartCapture);
    EXPECT_EQ(panel->LastSeriesEnd(), CAutoDialog::SeriesEnd::Completed);
    EXPECT_TRUE(sink.ShownIds().empty());
    EXPECT_FALSE(mii->Remote());
    const std::vector<std::string> seen = emulator->Commands();
    ASSERT_FALSE(seen.empty());
    EXPECT_EQ(seen.front(), "RMT:ON\r\n");
    EXPECT_EQ(seen.back(), "RMT:OFF\r\n");
    std::vector<std::string> moves;
    for (const std::string& c : seen)
        if (c.rfind("AGO:", 0) == 0)
            moves.push_back(c.substr(0, c.size() - 2));
    EXPECT_EQ(moves, (std::vector<std::string>{"AGO:A0", "AGO:A20", "AGO:A40"}));
    EXPECT_EQ(Pictures(), (std::vector<std::string>{"img000.bmp", "img001.bmp", "img002.bmp"}));
    const std::vector<SeriesEntry> entries = Frame()->SelectedBox()->Entries();
    ASSERT_EQ(entries.size(), 4u);
    for (size_t i = 0; i < 3; ++i)
        EXPECT_DOUBLE_EQ(entries[i].z, 10.0 * i) << i;
}

// Values outside +-999999 stop at the range message; the path checks come after.
TEST_F(AutoCapture, StartChecksRangeCountAndPath) {
    ASSERT_TRUE(Start("mmc2", 1));
    CScriptedMessageSink sink(IDOK);
    TypeRange("0", "1000000", "10");
    Click(vtid::AutoPanel::StartCapture);
    EXPECT_EQ(sink.ShownIds(), std::vector<UINT>{uiid::str::NumberRange});
    EXPECT_FALSE(panel->IsCapturing());
    sink.ClearShown();
    ui::testing::Type(Item(vtid::AutoPanel::EndPosition), "20");
    Click(vtid::AutoPanel::StartCapture);
    EXPECT_EQ(sink.ShownIds(), std::vector<UINT>{vtid::str::NoSavePath}); // no folder chosen yet
    sink.ClearShown();
    ChoosePath();
    ui::testing::Type(Item(vtid::AutoPanel::Interval), "0");
    Click(vtid::AutoPanel::StartCapture);
    EXPECT_EQ(sink.ShownIds(), std::vector<UINT>{vtid::str::RangeCountNotSet});
    sink.ClearShown();
    ui::testing::Type(Item(vtid::AutoPanel::EndPosition), "2570");
    ui::testing::Type(Item(vtid::AutoPanel::Interval), "10"); // 258 pictures
    Click(vtid::AutoPanel::StartCapture);
    EXPECT_EQ(sink.ShownIds(), std::vector<UINT>{vtid::str::RangeCountNotSet});
    EXPECT_TRUE(Pictures().empty());
}

// .dat files through the chosen full path: the save asks before overwriting, a load shows its
// range in the edits and switches to list mode; a broken file changes nothing.
TEST_F(AutoCapture, PositionFilesSaveAndLoadByFullPath) {
    ASSERT_TRUE(Start("mmc2", 1));
    CScriptedMessageSink sink(IDOK);
    const std::string elsewhere = folder + "/lists";
    fs::create_directories(elsewhere);
    TypeRange("10", "0", "3");
    ASSERT_EQ(panel->Positions(), (std::vector<double>{10, 7, 4, 1, 0}));
    ScriptFileDialogs({elsewhere + "/range"});
    panel->OnSaveList();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_FALSE(requests[0].open);
    EXPECT_TRUE(requests[0].confirmOverwrite);
    EXPECT_EQ(requests[0].title, "名前を付けて保存");
    ASSERT_TRUE(fs::exists(elsewhere + "/range.dat"));
    EXPECT_EQ(fs::file_size(elsewhere + "/range.dat"), 32u + 5 * 8);
    EXPECT_EQ(ReadIniString("InitialSettings", "TAKEPATH", ""), elsewhere);

    TypeRange("0", "1", "1");
    ScriptFileDialogs({elsewhere + "/range.dat"});
    panel->OnLoadList();
    EXPECT_EQ(requests.back().folder, elsewhere);
    EXPECT_EQ(requests.back().title, "ファイルを開く");
    EXPECT_EQ(panel->ListMode(), 0);
    EXPECT_EQ(panel->Positions(), (std::vector<double>{10, 7, 4, 1, 0}));
    EXPECT_EQ(panel->GetDlgItemText(vtid::AutoPanel::StartPosition), "10");
    EXPECT_EQ(panel->GetDlgItemText(vtid::AutoPanel::EndPosition), "0");
    EXPECT_EQ(panel->GetDlgItemText(vtid::AutoPanel::Interval), "3");
    EXPECT_EQ(panel->GetDlgItemText(vtid::AutoPanel::PictureCount), "5");
    for (int id :
         {vtid::AutoPanel::SaveList, vtid::AutoPanel::EditedNotice, vtid::AutoPanel::UseEqualInterval})
        EXPECT_TRUE(Shown(id)) << id;
    EXPECT_FALSE(Enabled(vtid::AutoPanel::StartPosition));
    EXPECT_EQ(ReadIniString("AUTOFOCUS", "LIST", ""), "10|7|4|1|0|~");
    EXPECT_TRUE(sink.ShownIds().empty());

    // A short file: 9201, nothing changes.
    std::ofstream(elsewhere + "/short.dat") << "0123456789";
    ScriptFileDialogs({elsewhere + "/short.dat"});
    panel->OnLoadList();
    EXPECT_EQ(sink.ShownIds(), std::vector<UINT>{vtid::str::CannotReadData});
    EXPECT_EQ(panel->Positions(), (std::vector<double>{10, 7, 4, 1, 0}));

    // Back to equal intervals from the edits.
    Click(vtid::AutoPanel::UseEqualInterval);
    EXPECT_EQ(panel->ListMode(), 1);
    EXPECT_FALSE(Shown(vtid::AutoPanel::SaveList));
    EXPECT_TRUE(Enabled(vtid::AutoPanel::StartPosition));
}

// A failed save names its cause: a folder that does not exist, one the system refuses (sysfs
// refuses every new file, also to root), a write past the file size limit as a full disk. A
// FIFO chosen for loading is refused at once.
TEST_F(AutoCapture, PositionFileFailuresNameTheirCause) {
    ASSERT_TRUE(Start("mmc2", 1));
    CScriptedMessageSink sink(IDOK);
    TypeRange("10", "0", "3"); // 5 positions: 72 bytes
    ScriptFileDialogs({folder + "/missing/list.dat", "/sys/list.dat", folder + "/big.dat"});
    panel->OnSaveList();
    panel->OnSaveList();
    {
        ScopedFileSizeLimit limit(40);
        ASSERT_TRUE(limit.Active());
        panel->OnSaveList();
    }
    EXPECT_EQ(sink.ShownIds(), (std::vector<UINT>{vtid::str::PathMissing, vtid::str::CannotCreateFile,
                                                  vtid::str::CannotSaveFile}));
    EXPECT_FALSE(fs::exists(folder + "/big.dat"));

    sink.ClearShown();
    ScratchFifo fifo(folder + "/pipe.dat");
    ASSERT_TRUE(fifo.Made());
    ScriptFileDialogs({fifo.Path()});
    FifoWatch watch(fifo.Path(), 3000);
    panel->OnLoadList();
    EXPECT_LT(watch.ElapsedMs(), 1000);
    EXPECT_EQ(sink.ShownIds(), std::vector<UINT>{vtid::str::CannotReadData});
    EXPECT_EQ(panel->Positions(), (std::vector<double>{10, 7, 4, 1, 0}));
}

// MII with a lens known from the lens port: entering the automatic mode drives to that lens's
// origin offset (ORIGINOFFSET_ML<n>).
TEST_F(AutoCapture, MiiGoesToTheLensOriginOffsetWhenThePanelOpens) {
    // The lens port and the emulator are the fixture's: they go, with their names, after the
    // program has closed, also when a check below ends the test early.
    const ScratchTerminal* lensPort = TerminalOnCom(2);
    ASSERT_NE(lensPort, nullptr);
    EmulatorOptions options;
    options.speedScale = 8.0;
    emulator = MakeEmulator("mii", options);
    ASSERT_TRUE(emulator && emulator->Start());
    ::setenv("VANTOREL_COM1", emulator->SlavePath().c_str(), 1);
    // The manual mode first: its capture view polls the lens port.
    Settings(vtid::StartDialog::ManualCapture,
             "[COMM]\nCONTROLLER=9\nPORT=0\nLENSPORT=1\nSIDE=0\n[ZCALIBRATION]\n1PULSE=0.5\n",
             "ORIGINOFFSET_ML90=5\n");
    ASSERT_TRUE(StartProgram());
    CMainFrame* f = Frame();
    ASSERT_TRUE(f->CaptureView()->LensTimerRunning());
    ASSERT_TRUE(lensPort->Send(0x1D)); // lens 90, zoom 2.5
    ASSERT_TRUE(ui::testing::PumpUntil([&] { return app->m_pDocument->m_lensNumber == 90; }, 10000));
    f->EnterMode(vtid::StartDialog::AutoCapture);
    panel = f->AutoDialog();
    ASSERT_NE(panel, nullptr);
    EXPECT_EQ(emulator->ProgramPosition(), -10); // -5 um at 0.5 um per pulse from the zero at 0
    EXPECT_DOUBLE_EQ(panel->ReadZPosition(), -5.0);
}

} // namespace
