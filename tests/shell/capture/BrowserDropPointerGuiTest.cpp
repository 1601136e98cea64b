// Thumbnails dragged with the real pointer into the lower part of the focus image box, where the
// result window lies behind the main window, and again where it lies minimised: they are added.
#include "BrowserJoinFixture.h"

#include "tests/browser/core/BrowserTestImages.h"
#include "ui/testing/Pointer.h"
#include "result/ImageFrame.h"

namespace {

using ui::testing::PumpUntil;

class BrowserDropPointer : public BrowserJoin {};

TEST_F(BrowserDropPointer, DropsOverTheResultWindowBehindOrMinimisedAreAdded) {
    std::filesystem::create_directories(folder + "/img");
    for (int i = 1; i <= 3; ++i)
        WriteFlatImage(folder + "/img/s" + std::to_string(i) + ".bmp", 64, 48, 60 * i, 100, 100);
    StartOn("img");
    // The result window (a picture opened in it) over the lower part of the box.
    ASSERT_NE(app->OpenImageDocument((folder + "/img/s1.bmp").c_str(), nullptr, nullptr, nullptr, 1),
              nullptr);
    CImageFrame* result = app->m_pResultFrame;
    ASSERT_NE(result, nullptr);
    const wxRect area = box->GetScreenRect();
    result->SetSize(area.x - 40, area.y + area.height / 2, area.width + 200, area.height / 2 + 60);
    const wxPoint low(area.width / 2, area.height * 3 / 4);
    ASSERT_TRUE(ui::testing::WaitForPaint(result));
    ASSERT_TRUE(PumpUntil([&] { return result->GetScreenRect().Contains(box->ClientToScreen(low)); }));
    auto dropLow = [&](int cell, size_t count) {
        // The pointer over the box's lower part raises the main window above the result window.
        ASSERT_TRUE(ui::testing::PointerTo(box, low));
        const wxPoint from = thumbs->GetCellRect(cell).GetPosition() + wxPoint(20, 20);
        ASSERT_TRUE(ui::testing::DragThenClickElsewhere(thumbs, from,
                                                        thumbs->ScreenToClient(box->ClientToScreen(low))));
        ASSERT_TRUE(PumpUntil([&] { return !box->IsBusy(); }));
        ASSERT_EQ(box->Items().size(), count + 1);
        EXPECT_EQ(GetFileNamePart(box->GetItemPath(int(count) - 1)), "s" + std::to_string(cell + 1) + ".bmp");
    };
    dropLow(0, 1);
    ui::testing::ScreenshotRoot(Shot("browser-drop-result-behind.png"));
    result->Iconize(true);
    ui::testing::ProcessPending();
    dropLow(2, 2);
    EXPECT_EQ(Count(), "  2");
    EXPECT_TRUE(sink.ShownIds().empty());
}

} // namespace
