// BMP/DIB member of the image-file classes, and the BMP layout shared by every image-file
// class when it is stored in an archive.
#pragma once

#include "imaging/files/ImageFileMemory.h"
#include "imaging/files/SECImage.h"

#include <functional>
#include <vector>

class SECDib : public SECImage {
    DECLARE_DYNCREATE(SECDib)

public:
    SECDib() = default;
    ~SECDib() override = default;

    BOOL ReadBody(CFile* file) override;
    BOOL WriteBody(CFile* file) override;
};

// A source of bytes for the BMP reader: reads up to `count` bytes into `buffer` and returns
// how many it read (fewer only at the end of the data).
using BmpByteSource = std::function<uint64_t(void* buffer, uint64_t count)>;
using BmpByteSink = std::function<void(const void* buffer, uint64_t count)>;

// The source reading an open file from its position; sizes beyond what one Read call takes
// are read in pieces.
BmpByteSource BmpFileSource(CFile* file);

// What the headers of a BMP file say, after every check: the header normalised to 40 bytes
// with a positive height, whether the file stores its rows top row first, the row size and
// the bytes of all rows (present in the source when its length was known), and the memory
// granted for the header, table and rows, held until the reader has filled them.
struct BmpLayout {
    BITMAPINFOHEADER header;
    bool topDown = false;
    uint64_t entries = 0; // colour-table entries the file holds (4 bytes each)
    uint64_t stride = 0;
    uint64_t imageBytes = 0;
    ImageMemoryGrant memory;
};

// Bit counts a BMP reader accepts, as a mask of (1 << bit count).
constexpr uint64_t kBmpDepths8And24 = (1ull << 8) | (1ull << 24);
constexpr uint64_t kBmpDepthsImageClass = (1ull << 8) | (1ull << 16) | (1ull << 24) | (1ull << 32);
constexpr uint64_t kBmpDepthsAll = (1ull << 1) | (1ull << 4) | kBmpDepthsImageClass;

// Reads and checks the file header, info header and colour table (into `table`, 4 bytes per
// entry as in the file) and leaves the source at the first row. Checks: "BM"; a 40-, 52-,
// 56-, 108- or 124-byte header; no compression; width above 0, height not 0; an accepted bit
// count; 14 + header + table <= bfOffBits <= length; all rows within length; with `reserve`,
// memory for the image granted (ReserveImageMemory; a reader that decodes into a bitmap it
// already holds asks for what it needs itself). `length` is what the source holds from the file
// header on, 0 when unknown (then a short source fails when the rows are read).
bool ReadBmpHeaders(const BmpByteSource& source, uint64_t length, uint64_t depths, BmpLayout& layout,
                    std::vector<BYTE>& table, bool reserve = true);

// Turns rows read top row first into bottom-up rows, in place.
void FlipBmpRows(BYTE* rows, uint64_t stride, uint64_t height);

// Reads a BMP file (file header, info header, colour table, rows) into the image. `length`
// is the number of bytes the source holds from the file header on, or 0 when unknown (an
// archive); then every declared size must still be delivered by the source. The image is
// replaced only on success. Accepted: 40-, 52-, 56-, 108- and 124-byte info headers (kept as
// 40 bytes), uncompressed rows of 8, 16, 24 or 32 bits, bottom-up or top-down (stored
// bottom-up), with the whole colour table and every row present.
bool ReadBmpInto(SECImage& image, const BmpByteSource& source, uint64_t length);

// Writes the image in BMP file layout: 14-byte file header, 40-byte info header with the
// colour table of its bit count, padded rows bottom-up. With clearSizeImage the held
// header's biSizeImage is set to 0 first.
void WriteBmpFrom(SECImage& image, const BmpByteSink& sink, bool clearSizeImage);
