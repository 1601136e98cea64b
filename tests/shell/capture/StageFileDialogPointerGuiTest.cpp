// The capture panels' save-file dialog on the X server: a name typed in its name field and
// Return takes the name, as the 設定 button does.
#include "shell/capture/StageFileDialog.h"

#include "platform/MessageSink.h"

#include "ui/testing/GuiTest.h"
#include "tests/support/ScratchFolder.h"
#include "tests/ui/FileChooser.h"

#include <gtest/gtest.h>

#include <wx/frame.h>

#include <optional>

using namespace ui::testing;

namespace {

TEST(StageFileDialogPointer, ReturnInTheNameFieldTakesTheName) {
    ScratchFolder dir;
    auto* frame = new wxFrame(nullptr, wxID_ANY, "capture", wxPoint(100, 100), wxSize(600, 400));
    frame->Show();
    ASSERT_TRUE(WaitForPaint(frame));
    // No name proposed yet: the folder alone.
    CStageFileDialog dlg(true, "bmp", dir / "", OFN_HIDEREADONLY | OFN_PATHMUSTEXIST, "BMP (*.bmp)|*.bmp||",
                         frame);
    dlg.m_title = "保存ファイル設定";
    bool title = false;
    std::optional<bool> closedByReturn;
    std::string typing;
    chooser::WhenShown([&](GtkWidget* d) {
        title = chooser::Title(d) == "保存ファイル設定";
        if (auto typed = chooser::TypeNameAndReturn(d, "sample"); !typed) {
            typing = typed.message();
            return;
        }
        closedByReturn = PumpUntil([&] { return !chooser::Shown(); });
    });
    const int result = dlg.DoModal();
    EXPECT_TRUE(title);
    ASSERT_TRUE(closedByReturn.has_value()) << typing;
    EXPECT_TRUE(*closedByReturn) << "Return left the dialog open";
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(dlg.GetPathName(), dir / "sample.bmp");
    EXPECT_TRUE(DestroyAndWait(frame));
}

} // namespace
