#include <gtest/gtest.h>

#include "ImageFileTestSupport.h"

#include "imaging/bitmaps/MyImageData.h"
#include "platform/Archive.h"
#include "platform/File.h"

#include <cstring>

namespace {

std::unique_ptr<CMyThumbnl> SmallThumb() {
    auto t = std::make_unique<CMyThumbnl>();
    t->m_bitsPerPixel = 24;
    t->m_width = 3;
    t->m_height = 2;
    t->m_bits = SECImage::AllocBlock(24);
    for (int i = 0; i < 24; ++i)
        t->m_bits[i] = static_cast<BYTE>(i * 11);
    t->m_rowsPadded = TRUE;
    t->BuildInfoHeader();
    return t;
}

std::vector<BYTE> Store(CMyImageData& rec) {
    CMemFile mem;
    CArchive ar(&mem, CArchive::store);
    rec.Serialize(ar);
    ar.Close();
    return mem.Data();
}

} // namespace

TEST(MyImageData, StoringAndLoadingKeepsPathTitleAndPixelsOnly) {
    CMyImageData rec;
    rec.SetPath("/data/series/画像001.bmp");
    auto thumb = SmallThumb();
    thumb->m_cacheValue1 = 7;
    rec.SetThumbnail(std::move(thumb));
    rec.m_state = 3;
    EXPECT_EQ(rec.m_cacheValue1, 7);
    EXPECT_EQ(rec.m_title, "画像001.bmp");
    const auto bytes = Store(rec);
    EXPECT_EQ(le::get32(&bytes[10]), 54u);

    CMemFile in(bytes);
    CArchive ar(&in, CArchive::load);
    CMyImageData back;
    back.Serialize(ar);
    ASSERT_NE(back.GetThumbnail(), nullptr);
    EXPECT_TRUE(back.GetThumbnail()->m_loaded);
    EXPECT_EQ(back.GetThumbnail()->m_cacheValue1, -1);
    EXPECT_EQ(back.m_state, 0);
    EXPECT_EQ(back.m_path, rec.m_path);
    EXPECT_EQ(back.m_title, rec.m_title);
    EXPECT_EQ(0, std::memcmp(back.GetThumbnail()->m_bits, rec.GetThumbnail()->m_bits, 24));
}

TEST(MyImageData, ARecordWithoutThumbnailOrAMalformedArchiveThrows) {
    CMyImageData empty;
    empty.SetPath("/x.bmp");
    EXPECT_THROW(Store(empty), CArchiveException);

    CMyImageData rec;
    rec.SetPath("/x.bmp");
    rec.SetThumbnail(SmallThumb());
    auto bytes = Store(rec);
    // Every truncation, and a header that claims rows the archive does not hold.
    for (size_t cut = 0; cut < bytes.size(); cut += 3) {
        CMemFile in(bytes.data(), cut);
        CArchive ar(&in, CArchive::load);
        CMyImageData back;
        EXPECT_ANY_THROW(back.Serialize(ar)) << cut;
        EXPECT_EQ(back.GetThumbnail(), nullptr);
    }
    le::put32(&bytes[14 + 8], 100000); // biHeight
    CMemFile in(bytes);
    CArchive ar(&in, CArchive::load);
    CMyImageData back;
    EXPECT_THROW(back.Serialize(ar), CArchiveException);
}

TEST(MyImageData, ThumbnailOwnershipIsUnique) {
    CMyImageData rec;
    rec.SetThumbnail(SmallThumb());
    auto taken = rec.ReleaseThumbnail();
    ASSERT_NE(taken, nullptr);
    EXPECT_EQ(rec.GetThumbnail(), nullptr);
    rec.SetThumbnail(std::move(taken));
    rec.SetThumbnail(nullptr); // the old one is deleted, not leaked
    EXPECT_EQ(rec.GetThumbnail(), nullptr);
}
