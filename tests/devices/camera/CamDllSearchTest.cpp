// The module search against real test modules: folders, order, probing by version, choice by name,
// loading with initial, and the messages of each failure.
#include "CamTestFolders.h"

#include "ids/VantorelIds.h"
#include "platform/ScriptedMessageSink.h"
#include "platform/Time.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <fstream>

using camtest::CamFolders;
using camtest::OpenCamera;

namespace {

std::vector<std::string> FileNames(const std::vector<std::string>& paths) {
    std::vector<std::string> names;
    for (const std::string& p : paths)
        names.push_back(p.substr(p.rfind('/') + 1));
    return names;
}

class CamSearch : public ::testing::Test {
protected:
    CamFolders folders;
    CScriptedMessageSink messages;
    ScopedManualClock clock; // the probe pauses pass at once
};

TEST_F(CamSearch, CameraFolderFirstThenProgramFolderEachInNameOrderIgnoringCase) {
    folders.AddCameraModule("Zeta.CAM", "tc_v44");
    folders.AddCameraModule("alpha.cam", "tc_v43");
    folders.AddCameraModule("Mid.Cam", "tc_v42");
    folders.AddCameraModule("notes.txt", "tc_v44");
    folders.AddCameraModule("old.cam.bak", "tc_v44");
    folders.AddProgramModule("aaa.cam", "tc_v4");
    OpenCamera c("nothing of that name");
    EXPECT_EQ(c.Open(), 0);
    ASSERT_NE(c.owner.ModuleList(), nullptr);
    EXPECT_EQ(FileNames(*c.owner.ModuleList()),
              (std::vector<std::string>{"alpha.cam", "Mid.Cam", "Zeta.CAM", "aaa.cam"}));
    EXPECT_EQ(c.owner.ModuleList()->front(), folders.Camera() + "/alpha.cam");
    EXPECT_TRUE(messages.ShownIds().empty());
    EXPECT_FALSE(c.cam.IsLoaded());
}

TEST_F(CamSearch, EqualDisplayNamesTakeTheCameraFolderModule) {
    folders.AddProgramModule("a_twin.cam", "tc_twin_a"); // earlier name, but in the program folder
    folders.AddCameraModule("z_twin.cam", "tc_twin_b");
    OpenCamera c("Twin");
    ASSERT_TRUE(c.Ready());
    EXPECT_EQ(c.cam.LoadedPath(), folders.Camera() + "/z_twin.cam");
    EXPECT_EQ(c.cam.Geometry()[3], 2); // the fourth value tells the twins apart
}

TEST_F(CamSearch, ProbeKeepsVersionFourAndAboveAndPausesPerModule) {
    for (const char* m : {"tc_v2", "tc_v3", "tc_noversion", "tc_v4", "tc_v42", "tc_v43", "tc_v44", "tc_v5"})
        folders.AddCameraModule(std::string(m) + ".cam", m);
    OpenCamera c("TestCam 44");
    EXPECT_EQ(c.Open(), 1);
    EXPECT_EQ(FileNames(*c.owner.ModuleList()),
              (std::vector<std::string>{"tc_v4.cam", "tc_v42.cam", "tc_v43.cam", "tc_v44.cam", "tc_v5.cam"}));
    // Modules remain, so no version message
    EXPECT_EQ(messages.CountOf(vtid::str::CameraVersionMismatch), 0u);
    // 100 ms after each of the five accepted modules, and after each of the four looked at until
    // "TestCam 44" was found.
    EXPECT_EQ(clock.SleptMs(), 900u);
    EXPECT_EQ(c.record.RefParam(5), 1); // initial ran once
}

TEST_F(CamSearch, OnlyTooOldModulesGiveTheVersionMessageOnce) {
    folders.AddCameraModule("a.cam", "tc_v3");
    folders.AddCameraModule("b.cam", "tc_v2");
    OpenCamera c("TestCam 3");
    EXPECT_EQ(c.Open(), 0);
    EXPECT_TRUE(c.owner.ModuleList()->empty());
    EXPECT_EQ(messages.ShownIds(), std::vector<UINT>{vtid::str::CameraVersionMismatch});
}

TEST_F(CamSearch, AModuleWithoutVersionExportIsDroppedSilently) {
    folders.AddCameraModule("a.cam", "tc_noversion");
    OpenCamera c("TestCam unversioned");
    EXPECT_EQ(c.Open(), 0);
    EXPECT_TRUE(c.owner.ModuleList()->empty());
    EXPECT_TRUE(messages.ShownIds().empty());
}

TEST_F(CamSearch, NoModuleAnywhereEmptiesTheDeviceNameWithoutMessage) {
    OpenCamera c("TestCam 44");
    EXPECT_EQ(c.Open(), 0);
    EXPECT_EQ(c.owner.DeviceName(), "");
    ASSERT_NE(c.owner.ModuleList(), nullptr);
    EXPECT_TRUE(c.owner.ModuleList()->empty());
    EXPECT_TRUE(messages.ShownIds().empty());
}

TEST_F(CamSearch, EmptyDeviceNameMatchesNothingWithoutMessage) {
    folders.AddCameraModule("a.cam", "tc_v44");
    OpenCamera c("");
    EXPECT_EQ(c.Open(), 0);
    EXPECT_FALSE(c.cam.IsLoaded());
    EXPECT_EQ(c.owner.ModuleList()->size(), 1u);
    EXPECT_TRUE(messages.ShownIds().empty());
}

TEST_F(CamSearch, NamelessModuleIsAskedForAsUnregisteredName) {
    folders.AddCameraModule("a.cam", "tc_noname");
    OpenCamera c(kCamUnnamedText);
    EXPECT_EQ(c.Open(), 1);
    EXPECT_EQ(messages.CountOf(vtid::str::CannotRegisterName), 1u);
    EXPECT_EQ(std::string(kCamUnnamedText), "名前未登録");
}

TEST_F(CamSearch, MissingOrFailingInitialUnloadsWithItsMessage) {
    folders.AddCameraModule("a.cam", "tc_v44_no_initial");
    folders.AddCameraModule("b.cam", "tc_fail_initial");
    {
        OpenCamera c("Lacks initial");
        EXPECT_EQ(c.Open(), 0);
        EXPECT_FALSE(c.cam.IsLoaded());
        EXPECT_EQ(messages.ShownIds(), std::vector<UINT>{vtid::str::ReselectDevice});
    }
    messages.ClearShown();
    OpenCamera c("Fails initial");
    EXPECT_EQ(c.Open(), 0);
    EXPECT_FALSE(c.cam.IsLoaded());
    EXPECT_EQ(c.cam.BindExports(), 1); // nothing loaded: nothing to bind
    EXPECT_EQ(messages.ShownIds(), std::vector<UINT>{vtid::str::NoBoard});
}

TEST_F(CamSearch, LoadingWritesTheHostTokensAndRestoresTheCurrentDirectory) {
    folders.AddCameraModule("a.cam", "tc_v44");
    char before[4096];
    ASSERT_NE(getcwd(before, sizeof before), nullptr);
    OpenCamera c("TestCam 44");
    c.cam.SetHostTokens(0x1234, 0x77);
    c.record.SetExt1(5);
    ASSERT_EQ(c.Open(), 1);
    EXPECT_EQ(c.record.MainWindow(), 0x1234u);
    EXPECT_EQ(c.record.Instance(), 0x77u);
    EXPECT_EQ(c.record.Ext1(), 5); // the search itself leaves EXT1 alone
    char after[4096];
    ASSERT_NE(getcwd(after, sizeof after), nullptr);
    EXPECT_STREQ(before, after);
}

// Modules of the camera folder are loaded with that folder as the current directory, others not.
TEST_F(CamSearch, CameraFolderModulesFindTheirCompanionFiles) {
    std::ofstream(folders.Camera() + "/tc_companion.txt") << "x";
    folders.AddCameraModule("a.cam", "tc_v44");
    folders.AddProgramModule("b.cam", "tc_v43");
    OpenCamera inCamera("TestCam 44");
    ASSERT_EQ(inCamera.Open(), 1);
    EXPECT_EQ(inCamera.record.GetInt(VT_CAMPARAM_INPCANNEL), 1);
    OpenCamera inProgram("TestCam 43");
    ASSERT_EQ(inProgram.Open(), 1);
    EXPECT_EQ(inProgram.record.GetInt(VT_CAMPARAM_INPCANNEL), 0);
    inProgram.cam.Close();
    EXPECT_EQ(inProgram.cam.LoadSelectedModule("TestCam 44"), 1);
    EXPECT_EQ(inProgram.record.GetInt(VT_CAMPARAM_INPCANNEL), 1);
}

TEST_F(CamSearch, ChoosingFromTheListDoesNotSearchAgain) {
    folders.AddCameraModule("a.cam", "tc_v44");
    folders.AddCameraModule("b.cam", "tc_pfw");
    OpenCamera c("TestCam 44");
    ASSERT_EQ(c.Open(), 1);
    c.cam.Close();
    folders.AddCameraModule("c.cam", "tc_dp70"); // arrives after the search: not offered
    unsigned before = clock.SleepCalls();

    c.record.SetExt1(9);
    EXPECT_EQ(c.cam.LoadSelectedModule("DP70"), 0);
    EXPECT_EQ(c.cam.LoadSelectedModule("pfw-Test"), 1);
    EXPECT_EQ(c.record.Ext1(), 9); // a "PFW" module keeps EXT1
    c.cam.Close();
    EXPECT_EQ(c.cam.LoadSelectedModule("TestCam 44"), 1);
    EXPECT_EQ(c.record.Ext1(), -1);        // every other module starts with EXT1 = -1
    EXPECT_EQ(clock.SleepCalls(), before); // no pauses when choosing
    EXPECT_EQ(c.owner.ModuleList()->size(), 2u);
    EXPECT_TRUE(messages.ShownIds().empty());
}

struct NoticeLog : CamDllNotices {
    std::string log;
    void BeginSearchNotice() override { log += "S"; }
    void EndSearchNotice() override { log += "s"; }
    void BeginWaitNotice() override { log += "W"; }
    void EndWaitNotice() override { log += "w"; }
};

TEST_F(CamSearch, NoticesCoverSearchAndLoading) {
    folders.AddCameraModule("a.cam", "tc_v44");
    NoticeLog notices;
    {
        OpenCamera c("TestCam 44");
        c.cam.SetNotices(&notices);
        ASSERT_EQ(c.Open(), 1);
        EXPECT_EQ(notices.log, "SsWw");
    }
    notices.log.clear();
    OpenCamera c("unknown");
    c.cam.SetNotices(&notices);
    EXPECT_EQ(c.Open(), 0);
    EXPECT_EQ(notices.log, "Ss");
}

TEST_F(CamSearch, DisplayNameIsCopiedBeforeTheModuleIsFreed) {
    std::string path = folders.AddCameraModule("a.cam", "tc_dp70");
    std::string nameless = folders.AddCameraModule("b.cam", "tc_noname");
    std::string name = GetCamModuleDisplayName(path); // the module is unloaded again here
    EXPECT_EQ(name, "DP70");
    EXPECT_EQ(GetCamModuleDisplayName(nameless), "名前未登録");
    EXPECT_EQ(messages.ShownIds(), std::vector<UINT>{vtid::str::CannotRegisterName});
    EXPECT_EQ(GetCamModuleDisplayName(folders.Camera() + "/missing.cam"), "");
}

} // namespace

namespace {

TEST_F(CamSearch, ListedModulesAreNamedInOrderAndFoundByPrefix) {
    folders.AddCameraModule("a.cam", "tc_dp70");
    folders.AddCameraModule("b.cam", "tc_noname");
    folders.AddProgramModule("c.cam", "tc_v44");
    OpenCamera c("none");
    c.Open();
    std::vector<std::string> names = CamModuleDisplayNames(*c.owner.ModuleList());
    EXPECT_EQ(names, (std::vector<std::string>{"DP70", "名前未登録", "TestCam 44"}));
    EXPECT_EQ(messages.CountOf(vtid::str::CannotRegisterName), 2u); // once choosing, once naming
    EXPECT_EQ(CamFindNamePrefix(names, "dp"), 0);
    EXPECT_EQ(CamFindNamePrefix(names, "testcam"), 2);
    EXPECT_EQ(CamFindNamePrefix(names, "名前"), 1);
    EXPECT_EQ(CamFindNamePrefix(names, ""), 0);
    EXPECT_EQ(CamFindNamePrefix(names, "TestCam 445"), -1);
    EXPECT_EQ(CamFindNamePrefix({}, ""), -1);
}

} // namespace
