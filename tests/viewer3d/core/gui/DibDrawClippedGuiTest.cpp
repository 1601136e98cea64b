// Images of every slot type drawn through the viewer's tiled drawing into a window, unscaled and
// scaled, read back from the screen.
#include "imaging/gui/WxDibDrawTarget.h"
#include "ui/resources/ResourceRegistry.h"
#include "ui/testing/GuiTest.h"
#include "viewer3d/core/bitmaps/Dib.h"
#include "viewer3d/core/bitmaps/PaletteTable.h"
#include "viewer3d/core/data/SlotImageType.h"

#include <gtest/gtest.h>

#include <wx/dcclient.h>
#include <wx/dcmemory.h>
#include <wx/frame.h>
#include <wx/image.h>

#include <array>

namespace v3d {
namespace {

constexpr int kW = 96, kH = 64;    // every image
constexpr int kSW = 144, kSH = 96; // scaled by 3 / 2
constexpr int kCellW = 300, kCellH = 120;
constexpr std::array<int, 12> kTypes = {0, 1, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};

// A picture of the type: levels rise left to right; colour types carry green rising downwards
// and a little blue.
HDIB makeImage(int type) {
    const int kind = SlotTypeDibKind(type);
    const int top = SlotTypeMaxValue(type);
    HDIB dib = DibCreate(kW, kH, kind);
    RgbEntry table[256];
    if (type == 1 || type >= 10) {
        LoadPaletteTable(table, type == 1 ? 5 : type - 10); // gold, rainbow, ...
        DibSetColorTable(dib, table);
    }
    GlobalLockGuard lock(dib);
    BYTE* p = lock.get();
    const int bits = DibGetBitCount(p);
    const uint64_t stride = DibStride(kW, bits);
    for (int y = 0; y < kH; ++y) {
        BYTE* row = DibGetBits(p) + uint64_t(kH - 1 - y) * stride;
        for (int x = 0; x < kW; ++x) {
            const int r = x * top / (kW - 1), g = y * top / (kH - 1), b = top / 4;
            switch (bits) {
            case 8:
                row[x] = static_cast<BYTE>(r);
                break;
            case 16:
                le::put16(row + 2 * x, static_cast<uint16_t>(r));
                break;
            case 24:
                row[3 * x] = BYTE(b), row[3 * x + 1] = BYTE(g), row[3 * x + 2] = BYTE(r);
                break;
            case 48:
                le::put16(row + 6 * x, uint16_t(b)), le::put16(row + 6 * x + 2, uint16_t(g));
                le::put16(row + 6 * x + 4, uint16_t(r));
                break;
            }
        }
    }
    return dib;
}

// The colour of a shown bitmap at (x, y from the top).
wxColour colourAt(HDIB shown, int x, int y) {
    GlobalLockGuard lock(shown);
    const BYTE* p = lock.get();
    const int bits = DibGetBitCount(p);
    const BYTE* row = DibGetBits(p) + uint64_t(DibGetHeight(p) - 1 - y) * DibStride(DibGetWidth(p), bits);
    if (bits == 24)
        return wxColour(row[3 * x + 2], row[3 * x + 1], row[3 * x]);
    const BYTE* e = p + 40 + 4 * row[x];
    return wxColour(e[2], e[1], e[0]);
}

class SlotTypesGui : public ::testing::Test {
protected:
    void SetUp() override {
        ui::ResourceRegistry brelvoxa;
        ASSERT_TRUE(brelvoxa.LoadFolder(std::string(VT_SOURCE_DIR) + "/resources/brelvoxa"));
        ui::Resources().MergeFrom(brelvoxa);
        for (int type : kTypes) {
            HDIB image = makeImage(type);
            // What the viewer shows: 16- and 48-bit images through the display conversion.
            HDIB display = DibConvertForDisplay(image, nullptr, 0, SlotTypeMaxValue(type), type);
            images.push_back(image);
            shown.push_back(display ? display : image);
            owned.push_back(display);
        }
        big = DibCreate(5000, 3000, kKindGrey8);
        {
            GlobalLockGuard lock(big);
            BYTE* rows = DibGetBits(lock.get());
            for (int y = 0; y < 3000; ++y)
                for (int x = 0; x < 5000; ++x)
                    rows[uint64_t(y) * 5000 + x] = BYTE(((x / 500) + (y / 500)) % 2 ? 230 : 40);
        }
        frame = new wxFrame(nullptr, wxID_ANY, "DibDrawClipped", wxDefaultPosition, wxSize(1400, 640));
        canvas = new wxWindow(frame, wxID_ANY);
        canvas->SetBackgroundColour(*wxWHITE);
        canvas->Bind(wxEVT_PAINT, [this](wxPaintEvent&) {
            wxPaintDC dc(canvas);
            paint(dc);
            ++paints;
        });
        frame->Show();
    }
    void TearDown() override {
        EXPECT_TRUE(ui::testing::DestroyAndWait(frame));
        for (HDIB h : images)
            GlobalFree(h);
        for (HDIB h : owned)
            GlobalFree(h);
        GlobalFree(big);
    }
    static wxPoint origin(size_t i) { return wxPoint(10 + int(i % 4) * kCellW, 10 + int(i / 4) * kCellH); }
    void paint(wxDC& dc) {
        dc.SetBackground(*wxWHITE_BRUSH);
        dc.Clear();
        CWxDibDrawTarget target(dc);
        for (size_t i = 0; i < shown.size(); ++i) {
            const wxPoint o = origin(i);
            const RECT plain{o.x, o.y, o.x + kW, o.y + kH};
            const RECT scaled{o.x + kW + 10, o.y, o.x + kW + 10 + kSW, o.y + kSH};
            DibDrawClipped(&target, shown[i], nullptr, &plain, nullptr, nullptr);
            DibDrawClipped(&target, shown[i], nullptr, &scaled, nullptr, nullptr);
        }
        // A large image through 256-pixel tiles and the work bitmap, scaled to 1/20.
        const RECT small{10, 3 * kCellH + 10, 260, 3 * kCellH + 160};
        bigTiles = DibDrawClipped(&target, big, nullptr, &small, nullptr, nullptr);
    }
    std::vector<HDIB> images, shown, owned;
    HDIB big = nullptr;
    wxFrame* frame = nullptr;
    wxWindow* canvas = nullptr;
    int paints = 0;
    int bigTiles = 0;
};

TEST_F(SlotTypesGui, EverySlotTypeDrawsUnscaledAndScaled) {
    ASSERT_TRUE(
        ui::testing::PumpUntil([this] { return paints > 0 && canvas->GetClientSize().x >= 1200; }, 30000));
    // The window as drawn, to look at (other test windows on the shared display may cover it).
    ui::testing::Screenshot(canvas, ui::testing::OutputFolder() + "/viewer3d-slot-types.png");
    // The same drawing into a bitmap of the window's size is read back pixel by pixel.
    const wxSize size = canvas->GetClientSize();
    wxBitmap bitmap(size.x, size.y, 24);
    {
        wxMemoryDC dc(bitmap);
        paint(dc);
    }
    const wxImage img = bitmap.ConvertToImage();
    EXPECT_EQ(bigTiles, 20 * 12);

    auto expectAt = [&](int sx, int sy, const wxColour& want, const char* what, int type) {
        const wxColour got(img.GetRed(sx, sy), img.GetGreen(sx, sy), img.GetBlue(sx, sy));
        EXPECT_EQ(got, want) << what << " type " << type << " at " << sx << "," << sy << ": "
                             << got.GetAsString().ToStdString() << " for "
                             << want.GetAsString().ToStdString();
    };
    for (size_t i = 0; i < kTypes.size(); ++i) {
        const wxPoint o = origin(i);
        for (const auto& [x, y] :
             std::array<std::pair<int, int>, 4>{{{0, 0}, {kW - 1, kH - 1}, {47, 31}, {80, 5}}})
            expectAt(o.x + x, o.y + y, colourAt(shown[i], x, y), "unscaled", kTypes[i]);
        // Scaled corners show the source corners; scaled pixel (3k, 3m) shows (2k, 2m).
        const int sx0 = o.x + kW + 10;
        expectAt(sx0, o.y, colourAt(shown[i], 0, 0), "scaled", kTypes[i]);
        expectAt(sx0 + kSW - 1, o.y + kSH - 1, colourAt(shown[i], kW - 1, kH - 1), "scaled", kTypes[i]);
        // Inside, pixel (3k, 3m) shows one of the source pixels next to (2k, 2m).
        const wxColour mid(img.GetRed(sx0 + 60, o.y + 30), img.GetGreen(sx0 + 60, o.y + 30),
                           img.GetBlue(sx0 + 60, o.y + 30));
        bool near = false;
        for (int dy = -1; dy <= 1; ++dy)
            for (int dx = -1; dx <= 1; ++dx)
                near = near || mid == colourAt(shown[i], 40 + dx, 20 + dy);
        EXPECT_TRUE(near) << "scaled type " << kTypes[i] << ": " << mid.GetAsString().ToStdString();
        // Nothing spills beyond the scaled rectangle.
        expectAt(sx0 + kSW + 1, o.y + 5, *wxWHITE, "beside", kTypes[i]);
    }
    // The tiled picture: squares of 500 pixels are 25 screen pixels, light in the top-left and
    // bottom-right corners (ten squares across, six down).
    const int by = 3 * kCellH + 10;
    expectAt(10 + 12, by + 12, wxColour(230, 230, 230), "tiled", 0);
    expectAt(10 + 37, by + 12, wxColour(40, 40, 40), "tiled", 0);
    expectAt(10 + 12, by + 37, wxColour(40, 40, 40), "tiled", 0);
    expectAt(10 + 237, by + 137, wxColour(230, 230, 230), "tiled", 0);
}

} // namespace
} // namespace v3d
