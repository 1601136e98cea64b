#include <gtest/gtest.h>

#include "ImageFileTestSupport.h"

#include "imaging/files/SECDib.h"
#include "platform/Archive.h"
#include "platform/File.h"

#include <cstring>

using namespace imgtest;

namespace {

// An image object holding a known 24-bit image of the given size.
void Fill24(SECDib& img, DWORD w, DWORD h) {
    img.FreeImage();
    img.m_bitsPerPixel = 24;
    img.m_width = w;
    img.m_height = h;
    const uint64_t stride = SECImage::PaddedRowBytes(24, w);
    img.m_bits = SECImage::AllocBlock(stride * h);
    for (uint64_t y = 0; y < h; ++y)
        for (uint64_t i = 0; i < 3 * w; ++i)
            img.m_bits[y * stride + i] = static_cast<BYTE>(y * 31 + i);
    img.m_rowsPadded = TRUE;
    img.BuildInfoHeader();
}

} // namespace

TEST(SECDib, RowLayoutOperationsKeepEveryPixel) {
    SECDib img;
    Fill24(img, 5, 3); // 15 bytes packed, 16 padded
    std::vector<BYTE> before(img.m_bits, img.m_bits + 48);
    ASSERT_TRUE(img.UnpadRows());
    for (int y = 0; y < 3; ++y)
        EXPECT_EQ(0, std::memcmp(img.m_bits + 15 * y, before.data() + 16 * y, 15));
    ASSERT_TRUE(img.PadRows());
    for (int y = 0; y < 3; ++y)
        EXPECT_EQ(0, std::memcmp(img.m_bits + 16 * y, before.data() + 16 * y, 15));
    // An odd height keeps its middle row; flipping twice restores everything.
    ASSERT_TRUE(img.FlipRows());
    EXPECT_EQ(0, std::memcmp(img.m_bits + 16, before.data() + 16, 15));
    EXPECT_EQ(0, std::memcmp(img.m_bits, before.data() + 32, 15));
    img.UnpadRows();
    ASSERT_TRUE(img.FlipRows()) << "flipping pads first";
    EXPECT_TRUE(img.m_rowsPadded);
    for (int y = 0; y < 3; ++y)
        EXPECT_EQ(0, std::memcmp(img.m_bits + 16 * y, before.data() + 16 * y, 15));
}

TEST(SECDib, ReadsBmpFilesAndKeepsThePreviousImageOnRefusal) {
    ScratchDir dir;
    BmpFields s8;
    s8.bitCount = 8;
    s8.clrUsed = 16; // only 16 colours in the file
    WriteBytes(dir.Path("a.bmp"), MakeBmp(s8));
    SECDib img;
    ASSERT_TRUE(img.ReadFromPath(dir.Path("a.bmp").c_str()));
    EXPECT_EQ(img.m_bitsPerPixel, 8);
    EXPECT_EQ(img.m_colorCount, 256) << "8-bit images always get 256 entries";
    EXPECT_EQ(img.m_colorTable[4 * 15 + 1], 255 - 15);
    EXPECT_EQ(img.m_colorTable[4 * 16 + 1], 0);
    CFile* first = img.m_currentFile;
    ASSERT_NE(first, nullptr);

    std::vector<BYTE> notBm = MakeBmp(BmpFields{});
    notBm[0] = 'X';
    WriteBytes(dir.Path("x.bmp"), notBm);
    BmpFields s4;
    s4.bitCount = 4;
    WriteBytes(dir.Path("b4.bmp"), MakeBmp(s4));
    BmpFields s1;
    s1.bitCount = 1;
    WriteBytes(dir.Path("b1.bmp"), MakeBmp(s1));
    for (const char* name : {"x.bmp", "b4.bmp", "b1.bmp"}) {
        EXPECT_FALSE(img.ReadFromPath(dir.Path(name).c_str())) << name;
        EXPECT_EQ(img.m_bitsPerPixel, 8) << name;
        EXPECT_EQ(img.GetWidth(), 4u) << name;
    }
    EXPECT_EQ(img.m_currentFile, first) << "the same file object is reopened";
    EXPECT_EQ(img.m_ownedFiles.size(), 1u);

    WriteBytes(dir.Path("c.bmp"), MakeBmp(BmpFields{}));
    ASSERT_TRUE(img.ReadFromPath(dir.Path("c.bmp").c_str()));
    EXPECT_EQ(img.m_bitsPerPixel, 24);
    EXPECT_EQ(img.m_colorCount, 0);
    EXPECT_EQ(img.GetPalette(), nullptr);
}

TEST(SECDib, SavesWithBfOffBits54AndReloadsTheSameImage) {
    ScratchDir dir;
    SECDib img;
    Fill24(img, 7, 4);
    const std::string path = dir.Path("s.bmp");
    ASSERT_TRUE(img.WriteToPath(path.c_str()));
    const auto bytes = ReadBytes(path);
    ASSERT_GE(bytes.size(), 54u);
    EXPECT_EQ(le::get32(&bytes[10]), 54u);
    EXPECT_EQ(bytes.size(), 54u + 4 * 24);
    SECDib back;
    ASSERT_TRUE(back.ReadFromPath(path.c_str()));
    EXPECT_EQ(0, std::memcmp(back.m_bits, img.m_bits, 4 * 24));
}

TEST(SECDib, ArchiveRoundTripAndTruncatedArchivesThrow) {
    SECDib img;
    Fill24(img, 3, 3);
    CMemFile mem;
    {
        CArchive ar(&mem, CArchive::store);
        img.Serialize(ar);
        ar.Close();
    }
    std::vector<BYTE> data = mem.Data();
    EXPECT_EQ(le::get32(&data[10]), 54u);
    EXPECT_EQ(le::get32(&data[2]), 54u + 36);
    {
        CMemFile in(data);
        CArchive ar(&in, CArchive::load);
        SECDib back;
        back.Serialize(ar);
        EXPECT_EQ(back.GetWidth(), 3u);
        EXPECT_EQ(0, std::memcmp(back.m_bits, img.m_bits, 36));
    }
    for (size_t cut : {size_t(10), size_t(40), size_t(60), data.size() - 1}) {
        CMemFile in(data.data(), cut);
        CArchive ar(&in, CArchive::load);
        SECDib back;
        Fill24(back, 2, 2);
        EXPECT_ANY_THROW(back.Serialize(ar)) << cut;
        EXPECT_EQ(back.GetWidth(), 2u) << "a failed load keeps the image";
    }
}

TEST(SECDib, PaletteFollowsTheColourTable) {
    SECDib img;
    img.m_info = SECImage::AllocBlock(40 + 1024);
    img.m_colorTable = img.m_info + 40;
    for (int i = 0; i < 256; ++i) {
        img.m_colorTable[4 * i] = static_cast<BYTE>(i);
        img.m_colorTable[4 * i + 2] = static_cast<BYTE>(255 - i);
    }
    img.m_bitsPerPixel = 8;
    img.m_colorCount = 256;
    img.m_width = img.m_height = 2;
    img.m_bits = SECImage::AllocBlock(8);
    ASSERT_TRUE(img.MakePalette());
    ASSERT_NE(img.GetPalette(), nullptr);
    PALETTEENTRY e[2];
    ASSERT_EQ(img.GetPalette()->GetPaletteEntries(9, 1, e), 1u);
    EXPECT_EQ(e[0].peRed, 255 - 9);
    EXPECT_EQ(e[0].peBlue, 9);
}
