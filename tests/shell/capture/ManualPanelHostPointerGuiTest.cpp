// The manual capture panel on a host of the test's own instead of the main frame, driven with
// the pointer through the X server: what the panel asks of its host decides its run, and a close
// asked for while a picture is being taken is retried once the picture has ended.
#include "shell/capture/CameraSource.h"
#include "shell/capture/CaptureHost.h"
#include "shell/capture/ManualDialog.h"

#include "ids/VantorelIds.h"
#include "imaging/gui/GuiHooks.h"
#include "platform/MessageSink.h"
#include "platform/ProgramHelpers.h"
#include "shell/app/OrsandelApp.h"
#include "tests/support/ScratchFolder.h"
#include "ui/testing/GuiTest.h"
#include "ui/testing/Pointer.h"

#include <gtest/gtest.h>

#include <wx/frame.h>

#include <functional>
#include <string>
#include <vector>

namespace {

namespace ids = vtid::ManualPanel;

// A host without a frame: no capture view, no focus image box, no camera module. It keeps what
// the panel asks of it.
class PanelHost : public CaptureHost, public CameraSource {
public:
    CameraSource& Camera() override { return *this; }
    CMultiView* CaptureView() const override { return nullptr; }
    COrsandelDoc* Document() const override { return nullptr; }
    wxWindow* StageBusyOwner() const override { return nullptr; }
    void SetStageBusyOwner(wxWindow*) override {}
    CAutoPanelLink* AutoPanelLink() const override { return nullptr; }
    bool IsManualCaptureRunning() const override { return false; }
    CSelListCtrl* FocusBoxList() const override { return nullptr; }
    CSelectedBox* SelectedBox() const override { return nullptr; }
    void RemoveFromFocusBox(bool all) override { removals.push_back(all); }
    CTopMenuDialog* TopMenu() const override { return nullptr; }
    void EnableCompositionBar(bool) override {}
    CXYCalibSetDlg* CalibSetDialog() const override { return nullptr; }
    void RedrawNow() override {}
    void StartComposition() override {}
    void RetryClose() override { ++closes; }

    CCamDll& CameraModule() override { return module; }
    CProcParameter& CameraParameters() override { return parameters; }
    const std::string& InputDevice() const override { return device; }
    const std::string& CameraModuleName() const override { return device; }
    bool CameraFailed() const override { return true; }
    bool LayoutRefreshPending() const override { return false; }
    void SetLayoutRefresh(bool) override {}

    std::string device;
    std::vector<bool> removals; // RemoveFromFocusBox's "all" of each call
    int closes = 0;
    CCamDll module;
    CProcParameter parameters;
};

// Answers every box with OK, keeps the ids and runs `whileShown` while a box is up.
class Boxes : public CMessageSink {
public:
    int Show(UINT id, UINT, const std::vector<std::string>&) override {
        ids.push_back(id);
        if (whileShown)
            whileShown(id);
        return IDOK;
    }
    std::vector<UINT> ids;
    std::function<void(UINT)> whileShown;
};

class ManualPanelHost : public ::testing::Test {
protected:
    void SetUp() override {
        InstallImagingGuiServices(); // the program's button icons and one-message pump
        app.m_strAutoDir = folder.Path();
        app.m_strAutoPath = folder / "img000.bmp";
        frame = new wxFrame(nullptr, wxID_ANY, "manual", wxPoint(100, 100));
        panel = new CManualDialog(&host);
        ASSERT_TRUE(panel->Create(frame));
        frame->SetClientSize(panel->GetSize());
        frame->Show();
        ASSERT_TRUE(ui::testing::WaitForPaint(panel));
    }
    void TearDown() override {
        EXPECT_TRUE(ui::testing::DestroyAndWait(frame));
        SetPumpOneMessageHook(nullptr);
        SetSetButtonIconHook(nullptr);
    }
    ::testing::AssertionResult Press(int id) {
        wxWindow* button = panel->GetDlgItem(id);
        if (!button || !button->IsShownOnScreen() || !button->IsEnabled())
            return ::testing::AssertionFailure() << id << " cannot be pressed";
        const wxRect r = button->GetScreenRect();
        return ui::testing::ClickOnScreen(button, wxPoint(r.x + r.width / 2, r.y + r.height / 2));
    }
    std::string FileName() const { return panel->GetDlgItemText(ids::FileName).ToStdString(); }

    ScratchFolder folder{"vt-manual-host"};
    COrsandelApp app; // the save path the panel shares with the program
    PanelHost host;
    Boxes boxes;
    CMessageSinkScope sink{&boxes};
    wxFrame* frame = nullptr;
    CManualDialog* panel = nullptr;
};

TEST_F(ManualPanelHost, RunNeedsTheHostsInputDeviceAndAWaitedCloseFollowsThePicture) {
    // No input device at the host: the start asks for one and no run begins.
    ASSERT_TRUE(Press(ids::StartCapture));
    EXPECT_EQ(boxes.ids, std::vector<UINT>{vtid::str::SelectInputDevice});
    EXPECT_EQ(panel->m_bInRun, 0);
    EXPECT_TRUE(host.removals.empty());

    // With one the run begins on an emptied focus image box, at the first numbered name.
    host.device = "Vantorel Test Camera";
    boxes.ids.clear();
    ASSERT_TRUE(Press(ids::StartCapture));
    EXPECT_TRUE(boxes.ids.empty());
    EXPECT_EQ(panel->m_bInRun, 1);
    EXPECT_EQ(host.removals, std::vector<bool>{true});
    EXPECT_EQ(FileName(), "img000.bmp");

    // The frame asks to close while the picture's failure is told (the host has no capture view):
    // the panel refuses while it is busy and has its host close again once the picture has ended.
    std::vector<bool> idleWhileShown;
    boxes.whileShown = [&](UINT) { idleWhileShown.push_back(panel->WaitIdle()); };
    ASSERT_TRUE(Press(ids::TakePicture));
    EXPECT_EQ(boxes.ids, std::vector<UINT>{vtid::str::CaptureFailed});
    EXPECT_EQ(idleWhileShown, std::vector<bool>{false});
    EXPECT_EQ(host.closes, 1);
    // The failed picture did not count: the next one takes the same name, and the panel is idle.
    EXPECT_EQ(FileName(), "img000.bmp");
    EXPECT_TRUE(panel->GetDlgItem(ids::TakePicture)->IsEnabled());
    boxes.whileShown = nullptr;
    EXPECT_TRUE(panel->WaitIdle());
    EXPECT_EQ(host.closes, 1);
}

} // namespace
