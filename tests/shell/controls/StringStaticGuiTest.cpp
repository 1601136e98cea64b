#include "ids/VantorelIds.h"
#include "shell/controls/StringStatic.h"
#include "ui/resources/ResourceRegistry.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include <wx/dcmemory.h>
#include <wx/frame.h>
#include <wx/settings.h>

namespace {

class PaintedStatics : public ::testing::Test {
protected:
    void SetUp() override {
        frame = new wxFrame(nullptr, wxID_ANY, "statics", wxDefaultPosition, wxSize(400, 200));
        frame->Show();
    }
    void TearDown() override { frame->Destroy(); }

    // Draws the control into a memory bitmap and counts the pixels near one pure colour (hatch
    // lines and text may be antialiased).
    template <class Control> int CountColour(const Control& c, wxSize size, const wxColour& colour) {
        wxBitmap bitmap(size, 24);
        {
            wxMemoryDC dc(bitmap);
            c.Draw(dc, size);
        }
        const wxImage image = bitmap.ConvertToImage();
        int n = 0;
        for (int y = 0; y < size.y; ++y)
            for (int x = 0; x < size.x; ++x)
                n += std::abs(image.GetRed(x, y) - colour.Red()) < 96 &&
                     std::abs(image.GetGreen(x, y) - colour.Green()) < 96 &&
                     std::abs(image.GetBlue(x, y) - colour.Blue()) < 96;
        return n;
    }
    wxFrame* frame = nullptr;
};

TEST_F(PaintedStatics, StringStaticSizesToItsTextAndFramedEmptyDrawsOnlyTheBox) {
    auto* s = new CStringStatic(frame, vtid::AutoPanel::ZPosition, wxPoint(20, 10));
    s->SetText(wxString::FromUTF8("現在位置 12.500"));
    EXPECT_EQ(s->GetSize().x, frame->GetClientSize().x - 10);
    EXPECT_EQ(s->GetSize().y, s->TextSize().y);
    EXPECT_GT(s->TextSize().x, 0);
    s->LoadText(vtid::str::FocusImageBoxTitle); // spans from its left edge to the parent's right edge
    EXPECT_EQ(s->GetText().ToStdString(wxConvUTF8),
              ui::Resources().LoadString(vtid::str::FocusImageBoxTitle));
    EXPECT_EQ(s->GetSize().x, frame->GetClientSize().x - 20);
    s->SetText(wxString::FromUTF8("現在位置 12.500"));
    s->SetTextOnly("other");
    EXPECT_EQ(s->GetText(), "other");
    EXPECT_EQ(s->GetSize().x, frame->GetClientSize().x - 10); // no resize

    // A framed box without text: the hatch and its frame, no text colour anywhere.
    s->SetFramed(true);
    s->SetFormat(CStringStatic::kCentredSingleLine);
    s->SetBackgroundColourOfBox(wxColour(0, 255, 0));
    s->SetForegroundColour(wxColour(255, 0, 0));
    wxFont big = s->TextFont();
    big.SetPixelSize(wxSize(0, 20));
    s->SetLogFont(big);
    s->SetTextOnly("");
    const wxSize box(120, 30);
    EXPECT_EQ(CountColour(*s, box, wxColour(255, 0, 0)), 0);
    EXPECT_GT(CountColour(*s, box, wxColour(0, 255, 0)), 0); // the hatch
    s->SetTextOnly("-12.500");
    EXPECT_GT(CountColour(*s, box, wxColour(255, 0, 0)), 0);
}

TEST_F(PaintedStatics, SysColStaticMapsGreysToTheSystemColours) {
    wxImage grey(4, 1);
    const unsigned char in[] = {0, 0, 0, 128, 128, 128, 192, 192, 192, 255, 255, 255};
    std::copy(std::begin(in), std::end(in), grey.GetData());
    const wxImage out = MapToSystemColours(grey, wxColour(1, 2, 3), wxColour(4, 5, 6), wxColour(7, 8, 9));
    EXPECT_EQ(out.GetRed(0, 0), 0);
    EXPECT_EQ(out.GetBlue(1, 0), 3);
    EXPECT_EQ(out.GetGreen(2, 0), 5);
    EXPECT_EQ(out.GetRed(3, 0), 7);

    auto* picture = new CSysColStatic(frame, vtid::TopMenuBar::Picture, wxPoint(0, 0), wxSize(80, 20));
    picture->LoadSysColorBitmap(-1); // no id yet: nothing
    EXPECT_FALSE(picture->Bitmap().IsOk());
    picture->LoadSysColorBitmap(vtid::img::TopMenuPicture);
    ASSERT_TRUE(picture->Bitmap().IsOk());
    EXPECT_EQ(picture->BitmapId(), vtid::img::TopMenuPicture);
    picture->LoadSysColorBitmap(-1); // reload keeps the id
    EXPECT_EQ(picture->BitmapId(), vtid::img::TopMenuPicture);
    EXPECT_TRUE(picture->Bitmap().IsOk());
}

} // namespace
