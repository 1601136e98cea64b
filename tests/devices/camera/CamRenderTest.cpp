// The rendering test camera through the real loader: its focus follows the position file of the
// focus-drive emulator, so a grab at the specimen's height is sharp and one away from it is blurred.
#include "CamTestFolders.h"

#include "imaging/bitmaps/Dib.h"
#include "platform/ScriptedMessageSink.h"
#include "platform/Time.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>

using camtest::CamFolders;
using camtest::FocusMeasure;
using camtest::OpenCamera;

namespace {

class CamRender : public ::testing::Test {
protected:
    CamFolders folders;
    CScriptedMessageSink messages;
    ScopedManualClock clock;
    std::string positionFile;
    OpenCamera c{"Vantorel Test Camera"};

    void SetUp() override {
        folders.AddCamera("testcam_render.cam", camtest::RenderModule());
        positionFile = folders.Camera() + "/../stage_z.txt";
        setenv("VANTOREL_STAGE_POSITION_FILE", positionFile.c_str(), 1);
        c.record.SetInt(VT_CAMPARAM_IMAGESIZESEL, 1); // 320 x 240
        ASSERT_TRUE(c.Ready());
    }
    void TearDown() override { unsetenv("VANTOREL_STAGE_POSITION_FILE"); }

    void SetStageZ(const char* text) { std::ofstream(positionFile) << text << "\n"; }

    // A still frame of the current mode; null on failure.
    HDIB Grab(int* type = nullptr) {
        if (!c.cam.UpdateCaptureInfo(&c.record))
            return nullptr;
        HDIB dib = c.cam.CreateFrameDib(c.cam.GetWidth(), c.cam.GetHeight(), type);
        if (dib && !c.cam.GrabFrame(dib, c.cam.GetWidth(), c.cam.GetHeight())) {
            GlobalFree(dib);
            return nullptr;
        }
        return dib;
    }
};

TEST_F(CamRender, FlatSpecimenIsSharpAtItsHeightAndBlurredAway) {
    c.record.SetRefParam(0, 1);  // flat
    c.record.SetRefParam(1, 50); // at 50 um
    SetStageZ("50.0");
    HDIB sharp = Grab();
    SetStageZ("90.5");
    HDIB blurred = Grab();
    ASSERT_TRUE(sharp && blurred);
    double s = FocusMeasure(sharp, 0, 0, 0, 320, 240);
    double b = FocusMeasure(blurred, 0, 0, 0, 320, 240);
    EXPECT_GT(s, 20.0 * b) << s << " vs " << b;
    // The same specimen: the mean brightness hardly changes with the blur.
    double ms = 0, mb = 0;
    for (int y = 0; y < 240; y += 4)
        for (int x = 0; x < 320; x += 4) {
            ms += DibGetPixel(sharp, x, y, 0);
            mb += DibGetPixel(blurred, x, y, 0);
        }
    EXPECT_NEAR(ms / mb, 1.0, 0.05);
    GlobalFree(sharp);
    GlobalFree(blurred);
}

TEST_F(CamRender, DomeIsSharpWhereItsHeightMeetsTheFocus) {
    c.record.SetRefParam(0, 0); // dome, 100 um high in the centre
    SetStageZ("100");
    HDIB top = Grab();
    SetStageZ("0");
    HDIB rim = Grab();
    ASSERT_TRUE(top && rim);
    auto centre = [](HDIB d) { return FocusMeasure(d, 0, 130, 90, 190, 150); };
    auto corner = [](HDIB d) { return FocusMeasure(d, 0, 0, 0, 40, 40); };
    EXPECT_GT(centre(top), 5.0 * centre(rim));
    EXPECT_GT(corner(rim), 5.0 * corner(top));
    GlobalFree(top);
    GlobalFree(rim);
}

TEST_F(CamRender, WithoutAPositionFileTheFixedFocusIsUsed) {
    unsetenv("VANTOREL_STAGE_POSITION_FILE");
    c.record.SetRefParam(0, 1);
    c.record.SetRefParam(1, 30);
    c.record.SetRefParam(2, 30); // fixed focus on the specimen
    HDIB sharp = Grab();
    c.record.SetRefParam(2, 80);
    HDIB blurred = Grab();
    ASSERT_TRUE(sharp && blurred);
    EXPECT_GT(FocusMeasure(sharp, 0, 0, 0, 320, 240), 20.0 * FocusMeasure(blurred, 0, 0, 0, 320, 240));
    GlobalFree(sharp);
    GlobalFree(blurred);
}

TEST_F(CamRender, DeepGreyAndColourModesUseTheirFullScale) {
    SetStageZ("50");
    struct Mode {
        int colour, bits, type, full;
    };
    for (const Mode& m : {Mode{0, 10, 4, 1023}, Mode{0, 12, 5, 4095}, Mode{0, 16, 6, 65535},
                          Mode{1, 8, 3, 255}, Mode{1, 12, 8, 4095}, Mode{1, 16, 9, 65535}}) {
        c.record.SetColorMode(m.colour);
        c.record.SetBpp(m.bits);
        int type = -1;
        HDIB dib = Grab(&type);
        ASSERT_NE(dib, nullptr);
        EXPECT_EQ(type, m.type);
        int hi = 0;
        for (int y = 0; y < 240; y += 3)
            for (int x = 0; x < 320; x += 3)
                for (int p = 0; p < (m.colour ? 3 : 1); ++p)
                    hi = std::max(hi, DibGetPixel(dib, x, y, p));
        EXPECT_LE(hi, m.full);
        EXPECT_GT(hi, m.full / 2) << m.bits;
        GlobalFree(dib);
    }
}

TEST_F(CamRender, LiveFramesCarryChangingNoiseStillFramesDoNot) {
    SetStageZ("50");
    HDIB a = Grab(), b = Grab();
    ASSERT_TRUE(a && b);
    HDIB live1 = c.cam.CreateFrameDib(320, 240, nullptr), live2 = c.cam.CreateFrameDib(320, 240, nullptr);
    for (HDIB d : {live1, live2}) {
        GlobalLockGuard lock(d);
        ASSERT_EQ(c.cam.SetFrameToDib(&c.record, DibGetBits(lock.get()), 320, 240), 0);
    }
    int stillDiff = 0, liveDiff = 0;
    for (int y = 0; y < 240; y += 2)
        for (int x = 0; x < 320; x += 2) {
            stillDiff += DibGetPixel(a, x, y, 0) != DibGetPixel(b, x, y, 0);
            liveDiff += DibGetPixel(live1, x, y, 0) != DibGetPixel(live2, x, y, 0);
        }
    EXPECT_EQ(stillDiff, 0);
    EXPECT_GT(liveDiff, 1000);
    for (HDIB d : {a, b, live1, live2})
        GlobalFree(d);
}

} // namespace
