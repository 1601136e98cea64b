// The memory check every image reader makes before it allocates: grants share half of the
// available memory, and each reader refuses an image that does not fit while other decodes
// hold their grants.
#include <gtest/gtest.h>

#include "ImageFileTestSupport.h"

#include "ids/VantorelIds.h"
#include "imaging/bitmaps/Dib.h"
#include "imaging/files/ImageFile.h"
#include "imaging/files/ImageFileDecodeInto.h"
#include "imaging/files/ImageFileMemory.h"
#include "imaging/bitmaps/MyImageData.h"
#include "imaging/files/SECImage.h"
#include "imaging/files/Tiff16.h"
#include "platform/Archive.h"
#include "platform/File.h"
#include "platform/ScriptedMessageSink.h"

#include <functional>
#include <memory>

using namespace imgtest;

namespace {

constexpr uint64_t kMB = 1ull << 20;

} // namespace

TEST(ImageFileMemory, GrantsTogetherStayWithinHalfOfTheAvailableMemory) {
    AvailableMemoryScope memory(100 * kMB);
    ImageMemoryGrant a = ReserveImageMemory(30 * kMB);
    ASSERT_TRUE(a);
    EXPECT_FALSE(ReserveImageMemory(30 * kMB)) << "30 + 30 MB is more than half of 100 MB";
    ImageMemoryGrant b = ReserveImageMemory(20 * kMB);
    ASSERT_TRUE(b);
    EXPECT_EQ(ImageMemoryGranted(), 50 * kMB);
    EXPECT_FALSE(ReserveImageMemory(1));

    ImageMemoryGrant moved = std::move(a);
    EXPECT_FALSE(a);
    EXPECT_EQ(ImageMemoryGranted(), 50 * kMB) << "a moved grant is still held once";
    moved.Release();
    moved.Release();
    EXPECT_EQ(ImageMemoryGranted(), 20 * kMB);
    EXPECT_TRUE(ReserveImageMemory(30 * kMB));
    b = ReserveImageMemory(5 * kMB); // the old grant goes when another replaces it
    EXPECT_EQ(ImageMemoryGranted(), 5 * kMB);
    b.Release();
    EXPECT_EQ(ImageMemoryGranted(), 0u);

    // The largest image any reader may hold caps every grant, whatever is available.
    SECImage::SetMaxImageBytes(10 * kMB);
    EXPECT_FALSE(ReserveImageMemory(11 * kMB));
    EXPECT_TRUE(ReserveImageMemory(10 * kMB));
    SECImage::SetMaxImageBytes(0);
}

TEST(ImageFileMemory, AProgressiveJpegAsksForItsCoefficientsToo) {
    ScratchDir dir;
    // 1024 x 1024 colour: 3 MB of rows; a progressive file keeps 3 MB of coefficients
    // besides (full-size luma, quarter-size chroma). The share is 4.5 MB.
    AvailableMemoryScope memory(9 * kMB);
    WriteBytes(dir.Path("b.jpg"), MakeJpeg(1024, 1024, false));
    WriteBytes(dir.Path("p.jpg"), MakeJpeg(1024, 1024, true));
    int type = -2;
    HDIB baseline = ReadImageFile(dir.Path("b.jpg"), &type);
    EXPECT_NE(baseline, nullptr);
    EXPECT_EQ(ReadImageFile(dir.Path("p.jpg"), &type), nullptr);
    GlobalFree(baseline);
}

TEST(ImageFileMemory, EveryReaderRefusesAnImageThatDoesNotFitBesideTheOtherDecodes) {
    ScratchDir dir;
    // Images of about 4.6 MB decoded; the 32 MB share of 64 MB holds them.
    AvailableMemoryScope memory(64 * kMB);
    HDIB colour = DibCreateOfKind(1400, 1100, DIB_KIND_RGB24);
    HDIB deep = DibCreateOfKind(700, 1100, DIB_KIND_RGB48);
    ASSERT_TRUE(SaveImageFile(colour, dir.Path("c.bmp"), 3, 75));
    ASSERT_TRUE(SaveImageFile(colour, dir.Path("c.jpg"), 3, 75));
    ASSERT_TRUE(SaveImageFile(colour, dir.Path("c.tif"), 3, 75));
    ASSERT_TRUE(SaveImageFile(deep, dir.Path("d.tif"), 9, 75));
    // An image record whose thumbnail is as large.
    CMemFile record;
    {
        CMyImageData rec;
        rec.SetPath("/x/c.bmp");
        auto thumb = std::make_unique<CMyThumbnl>();
        ASSERT_TRUE(thumb->ReadFromPath(dir.Path("c.bmp").c_str()));
        rec.SetThumbnail(std::move(thumb));
        CArchive ar(&record, CArchive::store);
        rec.Serialize(ar);
        ar.Close();
    }

    struct Reader {
        const char* what;
        std::function<bool()> read;
    };
    auto file = [&dir](const char* name) {
        return [&dir, name] {
            int type = -2;
            HDIB dib = ReadImageFile(dir.Path(name), &type);
            GlobalFree(dib);
            return dib != nullptr;
        };
    };
    CScriptedMessageSink sink;
    const Reader readers[] = {
        {"BMP", file("c.bmp")},
        {"JPEG", file("c.jpg")},
        {"TIFF image class", file("c.tif")},
        {"high-bit-depth TIFF", file("d.tif")},
        {"image record thumbnail",
         [&record] {
             CMemFile in(record.Data());
             CArchive ar(&in, CArchive::load);
             CMyImageData back;
             try {
                 back.Serialize(ar);
             } catch (const CArchiveException&) {
                 return false;
             }
             return back.GetThumbnail() != nullptr;
         }},
        {"high-bit-depth TIFF thumbnail",
         [&dir] {
             CTiff16 tiff;
             std::unique_ptr<CMyThumbnl> t(tiff.Open(dir.Path("d.tif").c_str(), "r") ? tiff.MakeThumbnail(64)
                                                                                     : nullptr);
             return t != nullptr;
         }},
    };
    for (const Reader& r : readers) {
        SCOPED_TRACE(r.what);
        EXPECT_TRUE(r.read()) << "fits alone";
        {
            // Another decode holds 28 MB of the 32 MB share.
            const ImageMemoryGrant other = ReserveImageMemory(28 * kMB);
            ASSERT_TRUE(other);
            EXPECT_FALSE(r.read()) << "refused beside the other decode";
        }
        EXPECT_TRUE(r.read()) << "fits again once the other decode is done";
        EXPECT_EQ(ImageMemoryGranted(), 0u) << "every grant is given back";
    }
    // Only the thumbnail maker tells the user; the file readers leave that to their callers.
    EXPECT_EQ(sink.ShownIds(), std::vector<UINT>{vtid::str::NoMemory});
    GlobalFree(colour);
    GlobalFree(deep);
}

TEST(ImageFileMemory, DecodingIntoASeriesBitmapTellsLackOfMemoryFromAnUnreadableFile) {
    ScratchDir dir;
    HDIB grey = DibCreateOfKind(200, 100, DIB_KIND_GREY8);
    ASSERT_TRUE(SaveImageFile(grey, dir.Path("g.bmp"), 0, 75));
    ASSERT_TRUE(SaveImageFile(grey, dir.Path("g.jpg"), 0, 75));
    GlobalFree(grey);
    AvailableMemoryScope memory(2048);
    for (const char* name : {"g.bmp", "g.jpg"}) {
        // No bitmap to decode into and none to be had: lack of memory, not an unreadable file.
        HDIB bitmap = nullptr;
        int type = -1;
        EXPECT_EQ(ReadImageFileInto(dir.Path(name), &bitmap, &type), ImageFileRead::NoMemory) << name;
        GlobalFree(bitmap);
    }
    // A bitmap of the series' size is reused: the BMP rows need no more memory.
    HDIB reuse = DibCreateOfKind(200, 100, DIB_KIND_GREY8);
    int type = -1;
    EXPECT_EQ(ReadImageFileInto(dir.Path("g.bmp"), &reuse, &type), ImageFileRead::Read);
    GlobalFree(reuse);
    // A progressive file into a bitmap of its size still needs the decoder's coefficients: when
    // they cannot be had that is lack of memory, not an unreadable file.
    WriteBytes(dir.Path("p.jpg"), MakeJpeg(64, 64, true));
    HDIB colour = DibCreateOfKind(64, 64, DIB_KIND_RGB24);
    EXPECT_EQ(ReadImageFileInto(dir.Path("p.jpg"), &colour, &type), ImageFileRead::NoMemory);
    GlobalFree(colour);
}
