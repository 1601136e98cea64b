// The input mode command with the rendering test camera: the camera's own dialog opens, and the
// frame size and colour mode chosen there reach the live picture; a cancelled dialog changes
// nothing.
#include "ShellGuiFixture.h"

#include "ids/VantorelIds.h"
#include "imaging/bitmaps/Dib.h"
#include "platform/GlobalMemory.h"
#include "shell/capture/MultiView.h"
#include "shell/app/OrsandelDoc.h"
#include "shell/controls/ScaleStatic.h"
#include "tools/testcam/RenderCamDialog.h"

#include <wx/choice.h>
#include <wx/radiobox.h>

namespace {

using CameraDialog = ShellWindows;

// Width and bits per pixel of the frame bitmap the program grabs live frames into.
std::pair<int, int> FrameBitmap(const COrsandelDoc* doc) {
    if (!doc || !doc->m_hFrame)
        return {0, 0};
    GlobalLockGuard lock(doc->m_hFrame);
    return {static_cast<int>(DibGetWidth(lock.get())), static_cast<int>(DibGetBitCount(lock.get()))};
}

TEST_F(CameraDialog, InputModeRunsTheCamerasDialogAndItsFrameSizeReachesTheLivePicture) {
    Settings(vtid::StartDialog::ManualCapture, "[CAMPARAM]\nIMAGESIZESEL=0\nCOLORMODE=0\n");
    ASSERT_TRUE(StartProgram());
    CMainFrame* f = Frame();
    CMultiView* view = f->CaptureView();
    ASSERT_TRUE(ui::testing::PumpUntil([&] { return view->LivePane()->HasImage(); }, 20000));
    ASSERT_EQ(view->FrameWidth(), 640);
    CScriptedMessageSink sink(IDOK);

    // Cancel: the record and the picture stay as they were.
    int shown = 0;
    ui::testing::WhenModal([&](wxDialog* d) {
        ++shown;
        auto* size = ui::testing::FindById<wxChoice>(d, testcam::kFrameSizeChoice);
        ASSERT_NE(size, nullptr);
        EXPECT_EQ(size->GetSelection(), 0);
        size->SetSelection(2);
        ui::testing::Click(ui::testing::FindById(d, wxID_CANCEL));
    });
    f->RouteCommandId(vtid::cmd::InputMode);
    EXPECT_EQ(shown, 1);
    EXPECT_EQ(f->CameraParameters().m_pRecord->GetInt(VT_CAMPARAM_IMAGESIZESEL), 0);
    EXPECT_EQ(FrameBitmap(app->m_pDocument), (std::pair<int, int>{640, 8}));

    // OK with 320 x 240 in colour: the program makes its frame bitmap anew and the live frames
    // come at the new size.
    ui::testing::WhenModal([&](wxDialog* d) {
        ++shown;
        auto* size = ui::testing::FindById<wxChoice>(d, testcam::kFrameSizeChoice);
        auto* mode = ui::testing::FindById<wxRadioBox>(d, testcam::kColourModeBox);
        ASSERT_NE(size, nullptr);
        ASSERT_NE(mode, nullptr);
        size->SetSelection(1);
        mode->SetSelection(1);
        ui::testing::Screenshot(d, Shot("testcam-input-mode.png"));
        ui::testing::Click(ui::testing::FindById(d, wxID_OK));
    });
    f->RouteCommandId(vtid::cmd::InputMode);
    EXPECT_EQ(shown, 2);
    EXPECT_EQ(f->CameraParameters().m_pRecord->GetInt(VT_CAMPARAM_IMAGESIZESEL), 1);
    EXPECT_EQ(f->CameraParameters().m_pRecord->ColorMode(), 1);
    EXPECT_FALSE(f->CameraFailed());
    EXPECT_EQ(FrameBitmap(app->m_pDocument), (std::pair<int, int>{320, 24}));
    ASSERT_TRUE(ui::testing::PumpUntil(
        [&] { return view->FrameWidth() == 320 && view->FrameHeight() == 240; }, 20000));
    EXPECT_TRUE(sink.ShownIds().empty());
}

} // namespace
