// The result window hands its heights to the real 3D viewer: the viewer is started from the path
// in the settings when none runs, takes the record and opens a document for it; the next hand-over
// finds the running viewer by its title and opens a second document there.
#include "ids/VantorelIds.h"
#include "result/ImageDoc.h"
#include "result/ImageFrame.h"
#include "result/core/HandOver.h"

#include "imaging/bitmaps/Dib.h"
#include "platform/FindableWindow.h"
#include "platform/Process.h"
#include "platform/Sync.h"
#include "platform/ScriptedMessageSink.h"
#include "ui/Services.h"
#include "ui/testing/GuiTest.h"
#include "tests/support/ScratchFolder.h"
#include "tests/support/ScratchSettingsFile.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cmath>
#include <filesystem>
#include <optional>

using namespace ui::testing;
namespace fs = std::filesystem;

namespace {

// Environment variables that the test (and the viewer it starts) sees; the old values come back
// when the test ends.
class HandOverToBrelvoxa : public ::testing::Test {
protected:
    void Set(const char* name, const std::string& value) {
        const char* old = std::getenv(name);
        saved_.emplace_back(name, old ? std::optional<std::string>(old) : std::nullopt);
        ::setenv(name, value.c_str(), 1);
    }
    void TearDown() override {
        for (const auto& [name, old] : saved_)
            old ? ::setenv(name.c_str(), old->c_str(), 1) : ::unsetenv(name.c_str());
    }

private:
    std::vector<std::pair<std::string, std::optional<std::string>>> saved_;
};

// The 3D viewer's main windows on the display, with their titles.
std::vector<TopWindowInfo> ViewerWindows() {
    std::vector<TopWindowInfo> found;
    for (const TopWindowInfo& w : EnumTopWindows())
        if (w.title.rfind("Brelvoxa", 0) == 0)
            found.push_back(w);
    return found;
}

bool ViewerTitled(const std::string& title) {
    const auto windows = ViewerWindows();
    return windows.size() == 1 && windows[0].title == title;
}

} // namespace

TEST_F(HandOverToBrelvoxa, ViewerStartedFromTheSettingsTakesEachRecordAsADocument) {
    ScratchFolder dir("vt-brx");
    const std::string runtime = dir / "runtime";
    fs::create_directories(runtime);
    fs::permissions(runtime, fs::perms::owner_all);
    // Only this test's findable windows, and the viewer's file-type registration kept in the folder.
    Set("XDG_RUNTIME_DIR", runtime);
    Set("XDG_DATA_HOME", dir / "xdg");
    const std::string exe = dir / "Brelvoxa";
    fs::copy_file(std::string(VT_BINARY_DIR) + "/programs/brelvoxa/Brelvoxa", exe);

    ScratchSettingsFile settings;
    WriteIniString("APPPATH", "BRXPATH", exe.c_str());
    WriteIniDouble("CALIBRATION", "CALIB1", 0.5);
    CScriptedMessageSink sink{IDOK};
    auto* frame = new CImageFrame(nullptr);
    frame->SetClientSize(800, 600);
    frame->Show();
    ASSERT_TRUE(WaitForPaint(frame));
    CImageDoc* doc = frame->GetImageDoc();
    EXPECT_EQ(doc->m_viewerPath, exe);

    // A composed result with a bump of heights.
    const int w = 96, h = 64;
    HDIB image = DibCreate(w, h, 1);
    std::vector<std::vector<double>> hv(static_cast<size_t>(h), std::vector<double>(static_cast<size_t>(w)));
    std::vector<std::vector<int>> fv(size_t(h), std::vector<int>(size_t(w), 200));
    std::vector<const double*> hp;
    std::vector<const int*> fp;
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            DibSetPixel(image, x, y, 0, x * 2);
            DibSetPixel(image, x, y, 1, y * 3);
            DibSetPixel(image, x, y, 2, 90);
            hv[size_t(y)][size_t(x)] =
                5.0 + 10.0 * std::exp(-((x - 48) * (x - 48) + (y - 32) * (y - 32)) / 300.0);
        }
        hp.push_back(hv[size_t(y)].data());
        fp.push_back(fv[size_t(y)].data());
    }
    ASSERT_TRUE(frame->ShowResult(image, hp.data(), fp.data(), 0));
    GlobalFree(image); // the document keeps its own copy
    ASSERT_TRUE(PumpUntil([&] { return doc->m_busy == 0 && !doc->IsWorkerRunning(); }));
    ASSERT_TRUE(ViewerWindows().empty());

    // No viewer runs: the tool bar's hand-over button starts it from BRXPATH and sends.
    frame->RouteCommandId(91);
    EXPECT_TRUE(sink.ShownIds().empty()) << "the record was taken";
    ASSERT_TRUE(PumpUntil([] { return ViewerTitled("Brelvoxa - View3D1"); }, 20000));
    const TopWindowInfo started = ViewerWindows().front();
    EXPECT_EQ(started.className, "BrelvoxaMainFrame");
    EXPECT_TRUE(fs::exists(dir / "Brelvoxa.ini")) << "the viewer runs in its own folder";

    // The running viewer, now titled with its document, is found by the title rule: a second
    // document opens in the same process.
    frame->RouteCommandId(vtid::cmd::TransferTo3d);
    EXPECT_TRUE(sink.ShownIds().empty());
    ASSERT_TRUE(PumpUntil([] { return ViewerTitled("Brelvoxa - View3D2"); }, 20000));
    EXPECT_EQ(ViewerWindows().front().processId, started.processId);

    // The .vv3 file saved from the result window opens in the running viewer: a second start
    // hands the file over and ends, and the viewer keeps it in its recent files.
    const std::string vv3 = dir / "result.vv3";
    auto previous = ui::SetFileDialogService([&](wxWindow*, const ui::FileDialogRequest&) {
        ui::FileDialogResult r;
        r.paths.push_back(vv3);
        return r;
    });
    frame->RouteCommandId(vtid::cmd::Save3dData);
    ui::SetFileDialogService(previous);
    ASSERT_TRUE(fs::exists(vv3));
    EXPECT_EQ(doc->m_saved, 1);
    PROCESS_INFORMATION second;
    ASSERT_TRUE(CreateProcess(exe, {vv3}, dir.Path(), &second));
    DWORD exitCode = 1;
    EXPECT_EQ(WaitForProcess(second.dwProcessId, 30000, &exitCode), WAIT_OBJECT_0)
        << "it handed its file over and ended";
    EXPECT_EQ(exitCode, 0u) << "handing the file over is a success";
    ASSERT_TRUE(PumpUntil([] { return ViewerTitled("Brelvoxa - result.vv3"); }, 20000));
    EXPECT_TRUE(PumpUntil(
        [&] { return ScratchFolder::ReadAll(dir / "Brelvoxa.ini").find(vv3) != std::string::npos; }, 20000))
        << "the viewer read the file";

    // The viewer answers only once its check has taken a record: a block it refuses is not
    // answered while its report is up, and the sender reports 1034.
    HandOverTiming quick;
    quick.sendTimeoutMs = 3000;
    EXPECT_EQ(SendToHeightViewer(std::vector<BYTE>(40, 0xFF), exe, quick), kMsgHeightTransferFailed);

    ::kill(started.processId, SIGKILL);
    EXPECT_TRUE(PumpUntil([] { return ViewerWindows().empty(); }, 10000));
    frame->m_closingApp = true;
    doc->m_saved = 1;
    EXPECT_TRUE(DestroyAndWait(frame));
}
