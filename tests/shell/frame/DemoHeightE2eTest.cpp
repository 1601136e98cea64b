// The demonstration's specimen, a dome 0..100 um high, captured over Z 0..100 by an automatic
// series with the coupler at either side: the rendering test camera puts the focal plane where the
// drive's motion brings it, so the composed height map and the saved .vv3 show a dome (centre
// above the corners), never a bowl.
#include "AutoPanelFixture.h"

#include "ids/VantorelIds.h"
#include "imaging/bitmaps/Dib.h"
#include "platform/File.h"
#include "platform/GlobalMemory.h"
#include "result/ImageDoc.h"
#include "result/ImageFrame.h"
#include "result/ImageView.h"
#include "viewer3d/core/bitmaps/Dib.h"
#include "viewer3d/core/files/Vv3Data.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <functional>

namespace {

namespace fs = std::filesystem;

// Mean of a value over a square patch of a width x height grid: the centre's and the four
// corners' (inset by a twentieth of the size), corners averaged.
struct CentreAndCorners {
    double centre = 0, corners = 0;
};
CentreAndCorners Sample(int w, int h, const std::function<double(int x, int y)>& at) {
    const int half = std::max(2, std::min(w, h) / 40);
    auto patch = [&](int cx, int cy) {
        double sum = 0;
        int n = 0;
        for (int y = cy - half; y <= cy + half; ++y)
            for (int x = cx - half; x <= cx + half; ++x, ++n)
                sum += at(x, y);
        return sum / n;
    };
    const int ix = w / 20 + half, iy = h / 20 + half;
    CentreAndCorners s;
    s.centre = patch(w / 2, h / 2);
    s.corners =
        (patch(ix, iy) + patch(w - 1 - ix, iy) + patch(ix, h - 1 - iy) + patch(w - 1 - ix, h - 1 - iy)) / 4;
    return s;
}

class DemoHeight : public AutoPanel, public ::testing::WithParamInterface<int> {};

TEST_P(DemoHeight, SeriesOverTheDemoRangeComposesADome) {
    const int side = GetParam();
    ASSERT_TRUE(Start("mmc2", 1, 1.0, 0, side));
    CScriptedMessageSink sink(IDOK);
    fs::create_directories(folder + "/series");
    ScriptFileDialogs({folder + "/series/dome.bmp"});
    Click(vtid::AutoPanel::SelectPath);
    ui::testing::Type(Item(vtid::AutoPanel::StartPosition), "0");
    ui::testing::Type(Item(vtid::AutoPanel::EndPosition), "100");
    ui::testing::Type(Item(vtid::AutoPanel::Interval), "10");
    ui::testing::Click(Item(vtid::AutoPanel::AutoCompose)); // compose when the series ends
    Click(vtid::AutoPanel::StartCapture);
    ASSERT_EQ(panel->LastSeriesEnd(), CAutoDialog::SeriesEnd::Completed);
    // The program's Z and the drive's own count: equal at the lens side, opposite at the stage side.
    EXPECT_DOUBLE_EQ(panel->CurrentZ(), 100.0);
    EXPECT_EQ(emulator->ProgramPosition(), side ? -100 : 100);

    ASSERT_TRUE(ui::testing::PumpUntil(
        [&] {
            const CImageFrame* viewer = app->m_pResultFrame;
            return viewer && viewer->IsShown() && viewer->GetImageDoc()->m_image;
        },
        120000));
    CImageFrame* viewer = app->m_pResultFrame;
    CImageDoc* doc = viewer->GetImageDoc();
    ASSERT_TRUE(ui::testing::PumpUntil([&] { return doc->m_busy == 0 && !doc->IsWorkerRunning(); }, 60000));
    doc->m_saved = 1;
    const int w = doc->m_width, h = doc->m_height;
    ASSERT_EQ(doc->m_heights.Width(), w);
    ASSERT_EQ(doc->m_heights.Height(), h);
    const CentreAndCorners inDoc =
        Sample(w, h, [&](int x, int y) { return doc->m_heights.Data()[static_cast<size_t>(y) * w + x]; });
    std::printf("coupler side %d: height at the centre %.1f um, at the corners %.1f um\n", side, inDoc.centre,
                inDoc.corners);
    // The dome rises 100 um at the centre and about 20 um near the corners.
    EXPECT_GT(inDoc.centre, 80.0);
    EXPECT_LT(inDoc.corners, 40.0);
    EXPECT_GT(inDoc.centre - inDoc.corners, 50.0);

    // For looking: the height view of the result.
    viewer->RouteCommandId(89);
    ui::testing::Screenshot(viewer->GetImageView(), Shot("demo-dome-side" + std::to_string(side) + ".png"));

    // The saved .vv3, read by the 3D viewer's reader: its height levels rise from the corners to
    // the centre as well.
    const std::string vv3 = folder + "/dome.vv3";
    ASSERT_TRUE(doc->SaveVv3(vv3));
    CFile file;
    ASSERT_TRUE(file.Open(vv3, CFile::modeRead));
    HDIB levels = nullptr;
    v3d::HeightSetInfo info{};
    HDIB picture = v3d::ReadVv3File(&file, v3d::InvalidHeightRule{}, &levels, &info);
    ASSERT_NE(picture, nullptr);
    GlobalFree(picture);
    ASSERT_NE(levels, nullptr);
    {
        GlobalLockGuard lock(levels);
        ASSERT_EQ(DibGetBitCount(lock.get()), 16);
        ASSERT_EQ(DibGetWidth(lock.get()), w);
        ASSERT_EQ(DibGetHeight(lock.get()), h);
        // The viewer's 16-bit planes carry a colour table before their rows.
        const BYTE* bits = v3d::DibGetBits(lock.get());
        const size_t stride = DibStride(w, 16);
        const CentreAndCorners inFile = Sample(w, h, [&](int x, int y) {
            const BYTE* p = bits + static_cast<size_t>(y) * stride + 2 * static_cast<size_t>(x);
            return (p[0] | (p[1] << 8)) * info.zScale;
        });
        EXPECT_GT(inFile.centre - inFile.corners, 50.0);
    }
    GlobalFree(levels);
    for (UINT id : sink.ShownIds())
        ADD_FAILURE() << "message " << id;
}

INSTANTIATE_TEST_SUITE_P(CouplerSides, DemoHeight, ::testing::Values(0, 1),
                         [](const ::testing::TestParamInfo<int>& i) {
                             return i.param ? "StageSide" : "LensSide";
                         });

} // namespace
