// Binding by API version and the version-guarded wrappers, against real test modules.
#include "CamTestFolders.h"

#include "imaging/bitmaps/Dib.h"
#include "platform/ScriptedMessageSink.h"
#include "platform/Time.h"

#include <gtest/gtest.h>

using camtest::CamFolders;
using camtest::OpenCamera;

namespace {

TEST(CamBind, RequiredExportsPerVersion) {
    const std::vector<std::string> v2 = {"get_display_name", "initial",          "term",
                                         "dlog_set_param",   "set_capture_info", "param_set",
                                         "param_clear",      "set_frameTodib",   "special_monitor"};
    auto with = [](std::vector<std::string> v, std::initializer_list<const char*> more) {
        v.insert(v.end(), more.begin(), more.end());
        return v;
    };
    auto v3 = with(v2, {"SetImgNo"});
    auto v4 = with(v3, {"get_capture_info"});
    auto v42 = with(v4, {"StartConnect", "StopConnect"});
    auto v43 = with(v42, {"IsHaveLiveMode", "IsHaveCaptureButton"});
    auto v44 = with(v43, {"SetOneShot"});
    EXPECT_EQ(CamRequiredExports(2), v2);
    EXPECT_EQ(CamRequiredExports(3), v3);
    EXPECT_EQ(CamRequiredExports(4), v4);
    EXPECT_EQ(CamRequiredExports(42), v42);
    EXPECT_EQ(CamRequiredExports(43), v43);
    EXPECT_EQ(CamRequiredExports(44), v44);
    for (int other : {0, 1, 5, 41, 45, 100, -3})
        EXPECT_TRUE(CamRequiredExports(other).empty()) << other;
}

class CamBindModules : public ::testing::Test {
protected:
    CamFolders folders;
    CScriptedMessageSink messages;
    ScopedManualClock clock;

    void SetUp() override {
        for (const char* m : {"tc_v4", "tc_v42", "tc_v43", "tc_v44", "tc_v5", "tc_v44_no_SetOneShot",
                              "tc_v43_no_IsHaveCaptureButton", "tc_v42_no_StopConnect",
                              "tc_v4_no_get_capture_info", "tc_v4_no_special_monitor"})
            folders.AddCameraModule(std::string(m) + ".cam", m);
    }
};

TEST_F(CamBindModules, ModulesBindExactlyWhenTheirVersionsExportsArePresent) {
    const std::pair<const char*, int> cases[] = {
        {"TestCam 4", 1},
        {"TestCam 42", 1},
        {"TestCam 43", 1},
        {"TestCam 44", 1},
        {"TestCam 5", 0},
        {"Lacks SetOneShot", 0},
        {"Lacks IsHaveCaptureButton", 0},
        {"Lacks StopConnect", 0},
        {"Lacks get_capture_info", 0},
        {"Lacks special_monitor", 0},
    };
    for (const auto& [name, bound] : cases) {
        OpenCamera c(name);
        ASSERT_EQ(c.Open(), 1) << name;
        EXPECT_EQ(c.cam.BindExports(), bound) << name;
        EXPECT_EQ(c.cam.IsBound(), bound) << name;
        // An unbound module gives no geometry, so no grab is ever attempted on it.
        EXPECT_EQ(c.cam.UpdateCaptureInfo(&c.record), bound) << name;
        c.cam.ResetBinding();
        EXPECT_EQ(c.cam.IsBound(), 0);
    }
    EXPECT_TRUE(messages.ShownIds().empty());
}

TEST_F(CamBindModules, VersionGuardedWrappersAnswerForMissingExports) {
    struct Expect {
        const char* name;
        int version, connect, live, oneShot;
    };
    for (const Expect& e : {Expect{"TestCam 4", 4, -3, 0, -3}, Expect{"TestCam 42", 42, 0, 0, -3},
                            Expect{"TestCam 43", 43, 0, 1, -3}, Expect{"TestCam 44", 44, 0, 1, 0}}) {
        OpenCamera c(e.name);
        ASSERT_TRUE(c.Ready()) << e.name;
        EXPECT_EQ(c.cam.Version(), e.version);
        EXPECT_EQ(c.cam.GetDllVersion(), e.version);
        EXPECT_EQ(c.cam.SetImgNo(3), 0);
        EXPECT_EQ(c.cam.StartConnect(&c.record), e.connect) << e.name;
        EXPECT_EQ(c.cam.StopConnect(&c.record), e.connect) << e.name;
        EXPECT_EQ(c.record.GetInt(VT_CAMPARAM_EXT2 + 4),
                  e.connect == 0 ? 0 : -1); // StartConnect count from -1
        EXPECT_EQ(c.cam.IsHaveLiveMode(), e.live) << e.name;
        EXPECT_EQ(c.cam.IsHaveCaptureButton(), 0);
        HDIB dib = c.cam.CreateFrameDib(c.cam.GetWidth(), c.cam.GetHeight(), nullptr);
        ASSERT_NE(dib, nullptr);
        {
            GlobalLockGuard lock(dib);
            EXPECT_EQ(c.cam.SetOneShot(&c.record, DibGetBits(lock.get()), 64, 48), e.oneShot) << e.name;
        }
        GlobalFree(dib);
        EXPECT_TRUE(c.cam.RequestCaptureInfo(32, 24, 8, 0));
        EXPECT_FALSE(c.cam.RequestCaptureInfo(0, 24, 8, 0));
    }
}

TEST_F(CamBindModules, CloseCallsTermOnceAndUnloads) {
    OpenCamera c("TestCam 44");
    ASSERT_TRUE(c.Ready());
    EXPECT_EQ(c.cam.Close(), 1);
    EXPECT_EQ(c.record.GetInt(VT_CAMPARAM_EXT2), 0); // term counted from its default -1
    EXPECT_FALSE(c.cam.IsLoaded());
    EXPECT_FALSE(c.cam.IsBound());
    EXPECT_EQ(c.cam.LoadedPath(), "");
    // Unbound but loaded: term is looked up by name.
    OpenCamera d("TestCam 42");
    ASSERT_EQ(d.Open(), 1);
    EXPECT_EQ(d.cam.Close(), 1);
    EXPECT_EQ(d.record.GetInt(VT_CAMPARAM_EXT2), 0);
}

} // namespace
