// The result window's file dialogs as the user meets them on the X server: their titles, their
// place inside the work area, a name typed without an extension and Return in the name field.
#include "ids/VantorelIds.h"
#include "result/ImageDoc.h"
#include "result/ImageFrame.h"

#include "imaging/bitmaps/Dib.h"
#include "platform/Settings.h"
#include "ui/testing/GuiTest.h"
#include "tests/support/ScratchFolder.h"
#include "tests/support/ScratchSettingsFile.h"
#include "tests/ui/FileChooser.h"
#include "tests/ui/WindowStacking.h"

#include <gtest/gtest.h>

#include <wx/uiaction.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <vector>

using namespace ui::testing;

namespace {

std::string Contents(const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

class ResultFileDialogs : public ::testing::Test {
protected:
    void SetUp() override {
        imagePath = dir.Path();
        frame = new CImageFrame(nullptr);
        frame->m_pImagePath = &imagePath; // the program's image folder, as the application hands it
        frame->SetClientSize(700, 500);
        frame->Show();
        ASSERT_TRUE(WaitForPaint(frame));
        doc = frame->GetImageDoc();
        image = DibCreate(40, 30, 1);
        rows.assign(30, std::vector<double>(40, 1.0));
        focus.assign(30, std::vector<int>(40, 200));
        for (size_t y = 0; y < rows.size(); ++y) {
            heightRows.push_back(rows[y].data());
            focusRows.push_back(focus[y].data());
        }
        ASSERT_TRUE(frame->ShowResult(image, heightRows.data(), focusRows.data(), 0));
        ASSERT_TRUE(PumpUntil([&] { return doc->m_busy == 0; }));
    }
    std::string imagePath;
    void TearDown() override {
        frame->m_closingApp = true;
        doc->m_saved = 1;
        EXPECT_TRUE(DestroyAndWait(frame));
        GlobalFree(image);
    }
    // Runs the command, whose file dialog `inDialog` drives.
    void WithDialog(int command, const std::function<void(GtkWidget*)>& inDialog) {
        bool ran = false;
        chooser::WhenShown([&](GtkWidget* d) {
            inDialog(d);
            ran = true;
        });
        frame->RouteCommandId(command);
        EXPECT_TRUE(ran) << "no file dialog for command " << command;
    }

    ScratchSettingsFile settings;
    ScratchFolder dir;
    CImageFrame* frame = nullptr;
    CImageDoc* doc = nullptr;
    HDIB image = nullptr;
    std::vector<std::vector<double>> rows;
    std::vector<std::vector<int>> focus;
    std::vector<const double*> heightRows;
    std::vector<const int*> focusRows;
};

TEST_F(ResultFileDialogs, HaveTitlesAndOpenInsideTheWorkArea) {
    // A panel takes the bottom of the screen and the window sits just above it.
    stacking::AnnouncedWorkArea panel(stacking::ScreenAbovePanel(150));
    const wxRect area = panel.Area();
    ASSERT_FALSE(area.IsEmpty()) << "the toolkit did not take the work area";
    ASSERT_TRUE(stacking::PutAtBottomOf(frame, area, 100, wxSize(700, 300)));
    // Save image, load image, save 3D data.
    const std::pair<int, const char*> dialogs[] = {{vtid::cmd::SaveImage, "名前を付けて保存"},
                                                   {vtid::cmd::LoadImage, "ファイルを開く"},
                                                   {vtid::cmd::Save3dData, "名前を付けて保存"}};
    for (const auto& [command, title] : dialogs) {
        std::string shownTitle;
        wxRect shown;
        bool inside = false;
        WithDialog(command, [&](GtkWidget* d) {
            shownTitle = chooser::Title(d);
            inside = PumpUntil([&] {
                shown = stacking::FrameRect(stacking::XidOf(d));
                return area.Contains(shown);
            });
        });
        EXPECT_EQ(shownTitle, title) << command;
        EXPECT_TRUE(inside) << command << ": the dialog at " << shown.x << "," << shown.y << " "
                            << shown.width << "x" << shown.height << " leaves the work area";
    }
}

TEST_F(ResultFileDialogs, ANameWithoutExtensionIsAskedAboutBeforeItsFileIsReplaced) {
    const std::string existing = dir / "picture.bmp";
    { std::ofstream(existing, std::ios::binary) << "kept"; }
    // The name gets its extension and the chooser's question comes; No keeps the chooser open
    // and the file as it was.
    // A click in the question leaves it above the chooser.
    bool asked = false, stayed = false, questionAbove = false;
    WithDialog(vtid::cmd::SaveImage, [&](GtkWidget* d) {
        chooser::AnswerQuestion(d, GTK_RESPONSE_CANCEL, &asked, &questionAbove);
        ASSERT_TRUE(chooser::TypeNameAndReturn(d, "picture"));
        stayed = PumpUntil([&] { return asked; }) && chooser::Shown() == d;
    });
    EXPECT_TRUE(asked) << "no question before picture.bmp is replaced";
    EXPECT_TRUE(questionAbove) << "a click in the question hid it behind the chooser";
    EXPECT_TRUE(stayed);
    EXPECT_EQ(Contents(existing), "kept");
    // Yes replaces it with the picture.
    bool replaced = false;
    asked = false;
    WithDialog(vtid::cmd::SaveImage, [&](GtkWidget* d) {
        chooser::AnswerQuestion(d, GTK_RESPONSE_ACCEPT, &asked, &questionAbove);
        ASSERT_TRUE(chooser::TypeNameAndReturn(d, "picture"));
        replaced = PumpUntil([&] { return !chooser::Shown(); });
    });
    EXPECT_TRUE(asked);
    EXPECT_TRUE(replaced);
    EXPECT_EQ(Contents(existing).substr(0, 2), "BM");
    EXPECT_FALSE(std::filesystem::exists(dir / "picture"));
}

TEST_F(ResultFileDialogs, ReturnInTheNameFieldSavesANewFile) {
    bool accepted = false;
    WithDialog(vtid::cmd::SaveImage, [&](GtkWidget* d) {
        ASSERT_TRUE(chooser::TypeNameAndReturn(d, "fresh.tif"));
        accepted = PumpUntil([&] { return !chooser::Shown(); });
    });
    EXPECT_TRUE(accepted) << "Return left the dialog open";
    EXPECT_TRUE(std::filesystem::exists(dir / "fresh.tif"));
}

} // namespace
