#include "shell/core/layout/SdiLayout.h"
#include "shell/core/layout/ViewGeometry.h"

#include <gtest/gtest.h>

namespace {

void ExpectRect(const RECT& r, int l, int t, int rr, int b) {
    EXPECT_EQ(r.left, l);
    EXPECT_EQ(r.top, t);
    EXPECT_EQ(r.right, rr);
    EXPECT_EQ(r.bottom, b);
}

TEST(CaptureViewGeometry, SplitUpperAreaAndFittedLivePicture) {
    const RECT client{0, 0, 720, 600};
    EXPECT_EQ(CaptureViewSplit(client), 400);
    ExpectRect(CaptureViewUpperArea(client), -1, -1, 715, 395);
    auto live = CaptureViewLiveRect(client, 640, 480);
    ASSERT_TRUE(live);
    ExpectRect(*live, 121, 20, 121 + 474, 20 + 355);
    auto preview = CaptureViewPreviewRect(client, 0, 0);
    ASSERT_TRUE(preview);
    ExpectRect(*preview, 0, 416, 720, 602);
    preview = CaptureViewPreviewRect(client, 640, 480);
    ASSERT_TRUE(preview);
    EXPECT_EQ(preview->right - preview->left, 248); // 186 × 4/3
    EXPECT_EQ(preview->left, (720 - 248) / 2);
    // A tall, narrow view fits by height.
    live = CaptureViewLiveRect(RECT{0, 0, 300, 900}, 100, 100);
    ASSERT_TRUE(live);
    EXPECT_EQ(live->right - live->left, live->bottom - live->top);
}

TEST(CaptureViewGeometry, NothingIsLaidOutWithoutSizes) {
    EXPECT_FALSE(CaptureViewLiveRect(RECT{0, 0, 720, 600}, 0, 480));
    EXPECT_FALSE(CaptureViewLiveRect(RECT{0, 0, 720, 600}, 640, 0));
    EXPECT_FALSE(CaptureViewLiveRect(RECT{0, 0, 0, 600}, 640, 480));
    EXPECT_FALSE(CaptureViewLiveRect(RECT{0, 0, 30, 30}, 640, 480)); // nothing left after the margins
    EXPECT_FALSE(CaptureViewPreviewRect(RECT{0, 0, 720, 0}, 640, 480));
}

TEST(BarGeometry, TopMenuPlacesButtonsPictureAndLensControls) {
    TopMenuInput in;
    in.client = RECT{0, 0, 1000, 40};
    in.paneWidth = 200;
    in.up = SIZE{60, 32};
    in.multi = SIZE{70, 30};
    in.pictureWidth = 150;
    for (SIZE& s : in.lens)
        s = SIZE{50, 20};
    TopMenuLayout out = LayoutTopMenu(in);
    ExpectRect(out.multi, 233, 5, 303, 35);
    ExpectRect(out.thumb, 311, 5, 381, 35);
    ExpectRect(out.picture, 850, 0, 1000, 40);
    ExpectRect(out.band, 0, -1, 849, 43);
    ExpectRect(out.lens[0], 792, 10, 842, 30);
    ExpectRect(out.lens[1], 739, 10, 789, 30);
    EXPECT_EQ(out.minimumWidth, 381 + 150 + 24);
    EXPECT_FALSE(out.upShown);

    in.thumbnailDown = true;
    in.client.right = 400; // the picture would overlap 829: it moves right
    out = LayoutTopMenu(in);
    ExpectRect(out.band, 0, 0, 203, 40);
    EXPECT_TRUE(out.upShown);
    ExpectRect(out.up, 10, 4, 70, 36);
    EXPECT_EQ(out.picture.left, 381);
}

TEST(BarGeometry, CompositionBarAndControlBarSizes) {
    CompositionBarInput in;
    in.client = RECT{0, 0, 800, 127};
    in.settings = in.start = in.height = SIZE{80, 24};
    in.combo = SIZE{120, 22};
    in.label = SIZE{90, 12};
    in.initialMenu = SIZE{90, 30};
    CompositionBarLayout out = LayoutCompositionBar(in);
    ExpectRect(out.settings, 710, 98, 790, 122);
    ExpectRect(out.start, 625, 98, 705, 122);
    ExpectRect(out.height, 540, 98, 620, 122);
    ExpectRect(out.combo, 415, 95, 535, 117);
    ExpectRect(out.label, 415, 90, 505, 102);
    ExpectRect(out.initialMenu, 8, 48, 98, 78);

    ControlBarSizes s = ControlBarSizesFor(SIZE{150, 400});
    EXPECT_EQ(s.floating.cx, 150);
    EXPECT_EQ(s.vertical.cx, 159);
    EXPECT_EQ(s.vertical.cy, 400);
    EXPECT_EQ(s.horizontal.cy, 409);
    EXPECT_EQ(ClampControlBarExtent(5, 100, 800), 32);
    EXPECT_EQ(ClampControlBarExtent(2000, 100, 800), 900);
    EXPECT_EQ(ClampControlBarExtent(300, 100, 800), 300);

    FocusBoxLayout fb = LayoutFocusBox(RECT{0, 0, 180, 500}, RECT{2, 2, 60, 22});
    EXPECT_EQ(fb.title.right, 182);
    EXPECT_EQ(fb.countLeft, 119);
    ExpectRect(fb.list, 2, 22, 180, 500);
}

TEST(BarGeometry, FocusBoxButtonsStackFromBothEnds) {
    SIZE sizes[9];
    for (SIZE& s : sizes)
        s = SIZE{60, 24};
    FocusBoxButtonsLayout out = LayoutFocusBoxButtons(RECT{0, 0, 100, 600}, 30, sizes);
    EXPECT_EQ(out.minimumHeight, 16 * 24);
    ExpectRect(out.button[8], 20, 556, 80, 580);
    EXPECT_EQ(out.button[7].bottom, out.button[8].top - 24);
    EXPECT_EQ(out.button[0].top, 50);
    EXPECT_EQ(out.button[1].top, 84);
    EXPECT_GT(out.button[2].top, out.button[1].bottom);
    EXPECT_LT(out.button[3].bottom, out.button[4].top);
}

TEST(WindowPlacement, OffDisplayPlacementMovesOntoTheFirstDisplay) {
    const std::vector<RECT> displays{RECT{0, 0, 1920, 1080}, RECT{1920, 0, 3200, 1024}};
    const RECT onSecond{2000, 100, 2800, 700};
    ExpectRect(PlaceOnDisplays(onSecond, displays), 2000, 100, 2800, 700);
    const RECT gone{5000, 3000, 5800, 3600};
    ExpectRect(PlaceOnDisplays(gone, displays), 560, 240, 1360, 840);
    const RECT huge{-9000, -9000, -5000, -4000};
    ExpectRect(PlaceOnDisplays(huge, displays), 0, 0, 1920, 1080);
    const RECT sliver{1915, 1075, 2500, 1500}; // a few pixels on screen are not enough
    ExpectRect(PlaceOnDisplays(sliver, displays), 667, 327, 1252, 752);
}

TEST(SdiActivation, GroupsSwitchAsWholesAndSplitterSizesFollowTheTemplates) {
    SdiLayout sdi;
    const int left = sdi.Add({-1, 0, 0});
    const int thumbs = sdi.Add({0, 0, 1});
    const int tree = sdi.Add({0, 0, 0});
    const int capture = sdi.Add({-1, 0, 0});
    const int vossaImage = sdi.Add({1, 1, 0});
    const int vossaLive = sdi.Add({1, 0, 0});
    auto shapes = sdi.SplitterShapes();
    ASSERT_EQ(shapes.size(), 2u);
    EXPECT_EQ(shapes[0], std::make_pair(1, 2));
    EXPECT_EQ(shapes[1], std::make_pair(2, 1));

    auto s = sdi.Activate(left);
    EXPECT_TRUE(s.changed);
    EXPECT_EQ(s.show, std::vector<int>{left});
    s = sdi.Activate(thumbs);
    EXPECT_EQ(s.hide, std::vector<int>{left});
    EXPECT_EQ(s.show, (std::vector<int>{thumbs, tree}));
    EXPECT_EQ(s.showSplitter, 0);
    s = sdi.Activate(tree);
    EXPECT_TRUE(s.sameGroup);
    EXPECT_TRUE(s.hide.empty());
    EXPECT_TRUE(sdi.IsVisible(thumbs));
    EXPECT_EQ(sdi.Active(), tree);
    EXPECT_FALSE(sdi.Activate(tree).changed);
    s = sdi.Activate(capture);
    EXPECT_EQ(s.hide, (std::vector<int>{thumbs, tree}));
    EXPECT_EQ(s.hideSplitter, 0);
    EXPECT_FALSE(sdi.IsSplitterVisible(0));
    EXPECT_TRUE(sdi.IsVisible(capture));
    s = sdi.Activate(vossaLive);
    EXPECT_EQ(s.show, (std::vector<int>{vossaImage, vossaLive}));
    EXPECT_TRUE(sdi.IsSplitterVisible(1));
    EXPECT_FALSE(sdi.IsVisible(capture));
    EXPECT_FALSE(sdi.Activate(99).changed);

    EXPECT_EQ(SdiLayout::InitialPaneSize(""), std::make_pair(230, 230));
    EXPECT_EQ(SdiLayout::InitialPaneSize("300,200"), std::make_pair(300, 200));
    EXPECT_EQ(SdiLayout::InitialPaneSize("-1,,150,1,2,3,4,5,6,7,8,9"), std::make_pair(230, 150));
}

} // namespace
