// The base 2D pane painted into a bitmap: the colour image fitted in place on the background,
// the slice picture the document makes for the pane in red, background only for other kinds and
// missing images, and the overlay kept or made again as the pane is resized.
#include "ui/Document.h"
#include "ui/testing/GuiTest.h"
#include "viewer3d/core/Dib.h"
#include "viewer3d/render/BaseImgView.h"
#include "viewer3d/render/View3dView.h"

#include <gtest/gtest.h>
#include <wx/dcmemory.h>
#include <wx/frame.h>
#include <wx/image.h>

namespace {

class PaneDoc : public ui::Document, public v3d::View3dData, public v3d::SceneDocument {
public:
    v3d::View3dData& SceneData() override { return *this; }
    v3d::scene::DocumentScene& Scene() override { return scene; }
    v3d::scene::DocumentScene scene;
};

// An 8-bit picture: 255 in the left half, 0 in the right.
HDIB halves8(int w, int h) {
    HDIB dib = v3d::DibCreate(w, h, v3d::kKindGrey8);
    GlobalLockGuard lock(dib);
    std::vector<int> row(w);
    for (int x = 0; x < w; ++x)
        row[x] = x < w / 2 ? 255 : 0;
    for (int y = 0; y < h; ++y)
        v3d::DibWriteRow(row.data(), lock.get(), 0, y, w);
    return dib;
}

class BasePane : public ::testing::Test {
protected:
    void SetUp() override {
        frame = new wxFrame(nullptr, wxID_ANY, "2D");
        view = new v3d::CBaseImgView(frame);
        view->SetDocument(&doc);
    }
    void TearDown() override { EXPECT_TRUE(ui::testing::DestroyAndWait(frame)); }
    wxImage paint(int w, int h) {
        wxBitmap bitmap(w, h, 24);
        {
            wxMemoryDC dc(bitmap);
            view->DrawTo(dc);
        }
        return bitmap.ConvertToImage();
    }
    static wxColour at(const wxImage& i, int x, int y) {
        return {i.GetRed(x, y), i.GetGreen(x, y), i.GetBlue(x, y)};
    }

    PaneDoc doc;
    wxFrame* frame = nullptr;
    v3d::CBaseImgView* view = nullptr;
};

TEST_F(BasePane, ColourImageIsFittedInPlaceOnTheBackground) {
    // 400 x 200: red left half, blue right half (bitmap bytes blue, green, red).
    HDIB texture = v3d::DibCreate(400, 200, v3d::kKindRgb24);
    {
        GlobalLockGuard lock(texture);
        BYTE* bits = v3d::DibGetBits(lock.get());
        const uint64_t stride = DibStride(400, 24);
        for (int y = 0; y < 200; ++y)
            for (int x = 0; x < 400; ++x) {
                BYTE* p = bits + y * stride + x * 3;
                p[0] = x < 200 ? 0 : 255, p[1] = 0, p[2] = x < 200 ? 255 : 0;
            }
    }
    doc.SetPlanes(texture, nullptr);
    const wxImage i = paint(300, 300);
    EXPECT_EQ(view->imageRect.top, 75);
    EXPECT_EQ(view->imageRect.bottom, 225);
    EXPECT_EQ(view->imageRect.right, 300);
    EXPECT_EQ(at(i, 150, 30), *wxWHITE);
    EXPECT_EQ(at(i, 150, 270), *wxWHITE);
    EXPECT_EQ(at(i, 75, 150), wxColour(255, 0, 0));
    EXPECT_EQ(at(i, 225, 150), wxColour(0, 0, 255));

    // Above kind 3: the background only.
    view->contentKind = 5;
    EXPECT_EQ(at(paint(300, 300), 75, 150), *wxWHITE);
}

TEST_F(BasePane, SlicePictureShowsRedAndAMissingPictureLeavesTheBackground) {
    view->contentKind = 2;
    // Heights 255 in the left half, 0 in the right; the slice at 128 takes the left half.
    doc.heightDisplay = halves8(100, 100);
    doc.GetViewState()->sliceLevel = 128.0;
    const wxImage i = paint(300, 200);
    EXPECT_EQ(doc.binaryStale, 0); // the document made the picture for the pane
    EXPECT_EQ(at(i, 100, 100), wxColour(255, 0, 0));
    EXPECT_EQ(at(i, 200, 100), wxColour(0, 0, 0));
    EXPECT_EQ(at(i, 20, 100), *wxWHITE);

    // No height display image: background only, no division by its size.
    GlobalFree(doc.heightDisplay);
    doc.heightDisplay = nullptr;
    EXPECT_EQ(at(paint(300, 200), 100, 100), *wxWHITE);
}

TEST_F(BasePane, ContourPictureIsKeptForSmallResizesAndMadeAgainForLargeOnes) {
    view->contentKind = 1;
    doc.heightDisplay = halves8(100, 100);
    auto cacheWidth = [&] {
        GlobalLockGuard lock(doc.contourCache);
        return lock ? static_cast<int>(v3d::DibGetWidth(lock.get())) : 0;
    };
    paint(500, 500);
    EXPECT_EQ(doc.contourStale, 0);
    EXPECT_EQ(cacheWidth(), 500);
    paint(540, 540); // within a tenth: the picture is stretched
    EXPECT_EQ(cacheWidth(), 500);
    paint(500, 500);
    EXPECT_EQ(cacheWidth(), 500);
    paint(560, 560); // more than a tenth wider than the rectangle it was made for
    EXPECT_EQ(cacheWidth(), 560);
    EXPECT_EQ(doc.contourStale, 0);
}

} // namespace
