// Frame bitmaps, reduction and grabbing with its retry rules, against real test modules.
#include "CamTestFolders.h"

#include "ids/VantorelIds.h"
#include "imaging/bitmaps/Dib.h"
#include "platform/ScriptedMessageSink.h"
#include "platform/Time.h"

#include <gtest/gtest.h>

using camtest::CamFolders;
using camtest::OpenCamera;

namespace {

class CamGrab : public ::testing::Test {
protected:
    CamFolders folders;
    CScriptedMessageSink messages;
    ScopedManualClock clock;

    void SetUp() override {
        for (const char* m :
             {"tc_v43", "tc_v44", "tc_pfw", "tc_vh8000", "tc_kh3000", "tc_fail_frame", "tc_fail_param_set"})
            folders.AddCameraModule(std::string(m) + ".cam", m);
    }

    // Frame counters the configurable module keeps in its own record fields.
    static int FrameTries(const CamParamRecord& r) { return r.RefParam(0); }
    static int OneShots(const CamParamRecord& r) { return r.RefParam(1); }
    static void ZeroCounters(CamParamRecord& r) {
        for (int i : {0, 1, 2, 3})
            r.SetRefParam(i, 0);
    }

    // Opens the module, grabs once into a bitmap of the module's size; returns the grab result.
    int GrabOnce(OpenCamera& c, int failuresBeforeSuccess) {
        EXPECT_TRUE(c.Ready());
        c.record.SetInt(VT_CAMPARAM_SAMPLE, failuresBeforeSuccess);
        ZeroCounters(c.record);
        HDIB dib = c.cam.CreateFrameDib(c.cam.GetWidth(), c.cam.GetHeight(), nullptr);
        EXPECT_NE(dib, nullptr);
        int r = c.cam.GrabFrame(dib, c.cam.GetWidth(), c.cam.GetHeight());
        GlobalFree(dib);
        return r;
    }
};

TEST_F(CamGrab, FrameBitmapKindAndTypeFollowModeAndDepth) {
    OpenCamera c("TestCam 44");
    ASSERT_TRUE(c.Ready());
    struct Row {
        int mode, bits, bitCount, type;
    };
    const Row table[] = {{0, 8, 8, 0},   {1, 8, 24, 3},  {0, 10, 16, 4}, {1, 10, 48, 7},
                         {0, 12, 16, 5}, {1, 12, 48, 8}, {0, 16, 16, 6}, {1, 16, 48, 9}};
    for (const Row& row : table) {
        c.record.SetColorMode(row.mode);
        c.record.SetBpp(row.bits);
        ASSERT_EQ(c.cam.UpdateCaptureInfo(&c.record), 1);
        EXPECT_EQ(c.cam.GetBitsPerSample(), row.bits);
        int type = -7;
        HDIB dib = c.cam.CreateFrameDib(c.cam.GetWidth(), c.cam.GetHeight(), &type);
        ASSERT_NE(dib, nullptr);
        EXPECT_EQ(type, row.type) << row.mode << "/" << row.bits;
        {
            GlobalLockGuard lock(dib);
            EXPECT_EQ(DibGetBitCount(lock.get()), row.bitCount);
            EXPECT_EQ(DibGetWidth(lock.get()), 64);
        }
        GlobalFree(dib);
    }
    // 14 bits or an unknown colour mode: no bitmap, the type left alone.
    int type = -7;
    c.record.SetColorMode(1);
    c.record.SetBpp(14);
    c.cam.UpdateCaptureInfo(&c.record);
    EXPECT_EQ(c.cam.CreateFrameDib(64, 48, &type), nullptr);
    EXPECT_EQ(type, -7);
    c.record.SetBpp(8);
    c.record.SetColorMode(2);
    c.cam.UpdateCaptureInfo(&c.record);
    EXPECT_EQ(c.cam.CreateFrameDib(64, 48, &type), nullptr);
    EXPECT_EQ(type, -7);
}

TEST_F(CamGrab, ReduceHalvesWidthAndHeightTowardZero) {
    OpenCamera c("TestCam 44");
    ASSERT_TRUE(c.Ready());
    struct Row {
        int sizeSel, reduce, width, height;
    };
    for (const Row& r : {Row{1, 2, 400, 300}, Row{2, 1, 800, 600}, Row{2, 0, 1601, 1201},
                         Row{1, -1, 1600, 1200}, Row{0, 3, 8, 6}}) {
        c.record.SetInt(VT_CAMPARAM_IMAGESIZESEL, r.sizeSel);
        c.record.SetReduce(r.reduce);
        ASSERT_EQ(c.cam.UpdateCaptureInfo(&c.record), 1);
        EXPECT_EQ(c.cam.GetWidth(), r.width);
        EXPECT_EQ(c.cam.GetHeight(), r.height);
    }
}

TEST_F(CamGrab, ReductionToNothingMakesNoBitmapAndNoGrab) {
    OpenCamera c("TestCam 43");
    ASSERT_TRUE(c.Ready());
    c.record.SetInt(VT_CAMPARAM_IMAGESIZESEL, 3); // a 1 x 1 camera
    c.record.SetReduce(1);
    ASSERT_EQ(c.cam.UpdateCaptureInfo(&c.record), 1);
    EXPECT_EQ(c.cam.GetWidth(), 0);
    EXPECT_EQ(c.cam.CreateFrameDib(c.cam.GetWidth(), c.cam.GetHeight(), nullptr), nullptr);
    ZeroCounters(c.record);
    EXPECT_EQ(c.cam.GrabFrame(nullptr, 0, 0), 0);
    EXPECT_EQ(FrameTries(c.record), 0);
}

TEST_F(CamGrab, StillFrameArrivesTopRowFirstInTheBitmap) {
    OpenCamera c("TestCam 43");
    ASSERT_TRUE(c.Ready());
    HDIB dib = c.cam.CreateFrameDib(64, 48, nullptr);
    ZeroCounters(c.record);
    ASSERT_EQ(c.cam.GrabFrame(dib, 64, 48), 1);
    EXPECT_EQ(FrameTries(c.record), 1);
    EXPECT_EQ(c.record.RefParam(2), 1); // param_set
    EXPECT_EQ(c.record.RefParam(3), 1); // param_clear
    // The module's ramp is x + 2y + 1 (+ frame number 0), image row 0 at the top.
    EXPECT_EQ(DibGetPixel(dib, 0, 0, 0), 1);
    EXPECT_EQ(DibGetPixel(dib, 5, 3, 0), 12);
    // A bitmap of another size or depth than the module writes is not handed to it.
    EXPECT_EQ(c.cam.GrabFrame(dib, 32, 48), 0);
    c.record.SetBpp(12);
    ASSERT_EQ(c.cam.UpdateCaptureInfo(&c.record), 1);
    ZeroCounters(c.record);
    EXPECT_EQ(c.cam.GrabFrame(dib, 64, 48), 0);
    EXPECT_EQ(FrameTries(c.record), 0);
    GlobalFree(dib);
}

TEST_F(CamGrab, RetriesUntilTheFirstSuccessWithoutPauseForOrdinaryModules) {
    OpenCamera c("TestCam 43");
    ASSERT_TRUE(c.Ready());
    unsigned long long slept = clock.SleptMs();
    c.record.SetInt(VT_CAMPARAM_SAMPLE, 5);
    ZeroCounters(c.record);
    HDIB dib = c.cam.CreateFrameDib(64, 48, nullptr);
    EXPECT_EQ(c.cam.GrabFrame(dib, 64, 48), 1);
    GlobalFree(dib);
    EXPECT_EQ(FrameTries(c.record), 6);
    EXPECT_EQ(clock.SleptMs(), slept);
}

TEST_F(CamGrab, AllTriesFailingIsReportedAsFailure) {
    OpenCamera c("Fails set_frameTodib");
    unsigned long long slept = 0;
    ASSERT_TRUE(c.Ready());
    slept = clock.SleptMs();
    c.record.SetInt(VT_CAMPARAM_SAMPLE, 0);
    ZeroCounters(c.record);
    HDIB dib = c.cam.CreateFrameDib(64, 48, nullptr);
    EXPECT_EQ(c.cam.GrabFrame(dib, 64, 48), 0);
    GlobalFree(dib);
    EXPECT_EQ(FrameTries(c.record), CCamDll::kGrabTries);
    EXPECT_EQ(c.record.RefParam(3), 1); // param_clear still runs
    EXPECT_EQ(clock.SleptMs(), slept);  // no pause between tries
}

TEST_F(CamGrab, PfwModulesPause33msBetweenTries) {
    OpenCamera c("pfw-Test");
    ASSERT_TRUE(c.Ready());
    unsigned long long slept = clock.SleptMs();
    c.record.SetInt(VT_CAMPARAM_SAMPLE, 5);
    ZeroCounters(c.record);
    HDIB dib = c.cam.CreateFrameDib(64, 48, nullptr);
    EXPECT_EQ(c.cam.GrabFrame(dib, 64, 48), 1);
    EXPECT_EQ(clock.SleptMs() - slept, 5u * 33u);
    slept = clock.SleptMs();
    c.record.SetInt(VT_CAMPARAM_SAMPLE, -1);
    EXPECT_EQ(c.cam.GrabFrame(dib, 64, 48), 0);
    EXPECT_EQ(clock.SleptMs() - slept, 299u * 33u); // 300 tries, 33 ms apart
    GlobalFree(dib);
}

TEST_F(CamGrab, SingleTryModulesStopAtTheFirstFailure) {
    for (const char* name : {"VH-8000", "kh3000"}) {
        OpenCamera c(name);
        EXPECT_EQ(GrabOnce(c, -1), 0) << name;
        EXPECT_EQ(FrameTries(c.record), 1) << name;
    }
}

TEST_F(CamGrab, VersionFortyFourTakesStillsWithOneShot) {
    OpenCamera c("TestCam 44");
    c.record.SetInt(VT_CAMPARAM_SAMPLE, -1); // set_frameTodib would fail: it is not used
    EXPECT_EQ(GrabOnce(c, -1), 1);
    EXPECT_EQ(OneShots(c.record), 1);
    EXPECT_EQ(FrameTries(c.record), 0);
    // The live path still uses set_frameTodib.
    c.record.SetInt(VT_CAMPARAM_SAMPLE, 0);
    HDIB dib = c.cam.CreateFrameDib(64, 48, nullptr);
    ASSERT_EQ(c.cam.ParamSet(&c.record), 0);
    {
        GlobalLockGuard lock(dib);
        EXPECT_EQ(c.cam.SetFrameToDib(&c.record, DibGetBits(lock.get()), 64, 48), 0);
    }
    c.cam.ParamClear(&c.record);
    GlobalFree(dib);
    EXPECT_EQ(FrameTries(c.record), 1);
}

TEST_F(CamGrab, FailingParamSetShowsItsMessageAndGrabsNothing) {
    OpenCamera c("Fails param_set");
    EXPECT_EQ(GrabOnce(c, 0), 0);
    EXPECT_EQ(messages.ShownIds(), std::vector<UINT>{vtid::str::BoardInitFailed});
    EXPECT_EQ(FrameTries(c.record), 0);
    EXPECT_EQ(c.record.RefParam(3), 0); // no param_clear after a failed param_set
}

TEST_F(CamGrab, NothingIsGrabbedFromAnUnloadedOrUnboundModule) {
    OpenCamera c("TestCam 43");
    HDIB dib = DibCreate(64, 48, 0);
    EXPECT_EQ(c.cam.GrabFrame(dib, 64, 48), 0);
    EXPECT_EQ(c.cam.UpdateCaptureInfo(&c.record), 0);
    ASSERT_EQ(c.Open(), 1);
    ZeroCounters(c.record);
    EXPECT_EQ(c.cam.GrabFrame(dib, 64, 48), 0); // loaded, not yet bound
    EXPECT_EQ(FrameTries(c.record), 0);
    GlobalFree(dib);
}

} // namespace
