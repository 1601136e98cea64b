#include "ShellGuiFixture.h"

#include "shell/LeftView.h"
#include "shell/MultiView.h"
#include "shell/OrsandelDoc.h"
#include "shell/ScaleStatic.h"
#include "shell/SelectedBox.h"
#include "shell/TopMenuDialog.h"

#include <wx/menu.h>
#include <wx/tglbtn.h>

namespace {

using Modes = ShellWindows;

TEST_F(Modes, CaptureModeShowsTheLivePicture) {
    Settings(1009);
    ASSERT_TRUE(StartProgram());
    CMainFrame* f = Frame();
    ASSERT_NE(f, nullptr);
    EXPECT_TRUE(f->IsActiveView<CMultiView>());
    EXPECT_EQ(f->m_bCameraFailed, 0);
    ASSERT_NE(f->m_pMultiView, nullptr);
    ASSERT_TRUE(ui::testing::PumpUntil([&] { return f->m_pMultiView->LivePane()->HasImage(); }, 20000));
    EXPECT_GT(f->m_pMultiView->FrameWidth(), 0);
    ui::testing::Screenshot(f, ui::testing::OutputFolder() + "/vantorel-1009.png");
}

} // namespace
