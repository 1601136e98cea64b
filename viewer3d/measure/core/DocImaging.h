// The 3D document's image toolkit: 20 image slots with the attributes of their images, sample
// access that understands every slot image type and colour plane, fills, rectangles,
// binarisation, level tables, boundaries, region filling, outline tracing with step classes,
// the perimeter of everything above a height level, the perimeter-by-level curve, the height
// histogram and bicubic resampling.
//
// The document (CView3dDoc) owns one DocImaging and forwards its members to it. A slot holds a
// handle without owning it: the document owns its images. Slots 10 and 11 are scratch slots that
// the perimeter, curve, histogram and line-sampling operations fill; every operation that frees
// an image it put into a slot also empties that slot, so a slot never holds a freed image, and
// the scratch slots are empty again when those operations return.
//
// Coordinates are x from the left and y from the top. Reads outside an image give 0 and writes
// outside it are dropped.
#pragma once

#include "platform/GlobalMemory.h"
#include "platform/WinTypes.h"
#include "viewer3d/core/data/AreaData.h"
#include "viewer3d/core/data/LineKind.h"
#include "viewer3d/core/data/SlotImageType.h"
#include "viewer3d/measure/core/OutlineTables.h"

#include <array>
#include <cstdint>
#include <vector>

namespace v3d {

constexpr int kScratchSlot = 10; // the working copy of the perimeter, histogram and line sampling
constexpr int kQuarterSlot = 11; // the quarter-size image of the perimeter curve

// What the document keeps beside a slot's handle; -1 (mono 0) when the slot is empty.
struct SlotAttributes {
    int type = -1;
    int bytesPerPixel = -1;
    int stride = -1;
    int levels = -1;
    int levelsPer256 = -1;
    int levelDigits = -1;
    int mono = 0;
};

// Step counts of a traced outline by class 0..7, then the number of outline points.
struct OutlineStats {
    int classCount[8] = {};
    int points = 0;
};

// A 1-bit mask of a slot's size: rows from the top, each padded to 16 bits, the most
// significant bit of a byte first; a set bit marks a selected pixel.
struct MaskBitmap {
    int width = 0;
    int height = 0;
    int stride = 0; // bytes per row
    std::vector<BYTE> bits;
    bool IsSet(int x, int y) const;
};

// The bounding box FillRegion reports: -1 everywhere until a fill succeeds.
struct RegionBox {
    int left = -1;
    int top = -1;
    int right = -1;
    int bottom = -1;
};

// The measuring lines a profile is taken along, in image pixels with y from the top: the
// horizontal line's row, the vertical line's column and the free line's end points (the corners
// of the region of interest).
struct MeasuringLines {
    int row = 0;
    int column = 0;
    int freeX1 = 0;
    int freeY1 = 0;
    int freeX2 = 0;
    int freeY2 = 0;
};

// A height profile: samples along the line averaged over the parallel lines, their largest and
// smallest value, and the last sampled line's orientation ('i' mostly horizontal, 'j' mostly
// vertical) with the range of its major coordinate.
struct LineProfile {
    std::vector<int> samples;
    int largest = 0;
    int smallest = 0;
    char orientation = 'i';
    int first = 0;
    int last = 0;
};

// The value of a line point outside the image.
constexpr int kNoSample = -1;

class DocImaging {
public:
    DocImaging() = default;
    DocImaging(const DocImaging&) = delete;
    DocImaging& operator=(const DocImaging&) = delete;

    // ---- slots -------------------------------------------------------------------------------
    // n >= 20 (or < 0): nothing. Empties the slot; with a bitmap, stores it with the type (given,
    // or derived from the bitmap when the depth carries none) and its attributes.
    void SetSlotImage(HDIB dib, int n, int type = -1);
    HDIB GetSlotImage(int n) const;
    // Empty attributes for a slot number out of range.
    SlotAttributes GetSlotAttributes(int n) const;
    // 1024 (types 4, 7, 10), 4096 (5, 8, 11), 65536 (6, 9, 12), else 256.
    int GetSlotLevelCount(int slot) const;
    // Width and height of a slot's image; 0 when empty.
    int GetSlotWidth(int slot) const;
    int GetSlotHeight(int slot) const;

    // The colour plane of colour samples: 0 red, 1 green, 2 blue (other values are kept to 0..2).
    void SetColorPlane(int plane);
    int GetColorPlane() const { return plane_; }

    // ---- sample access -----------------------------------------------------------------------
    int GetSlotPixel(int slot, int x, int y) const;
    void SetSlotPixel(int slot, int x, int y, int value);
    // count samples to the right (rows) or downwards (columns); count <= 0: nothing.
    void ReadSlotRow(int slot, int* values, int x, int y, int count) const;
    void WriteSlotRow(int slot, const int* values, int x, int y, int count);
    void ReadSlotColumn(int slot, int* values, int x, int y, int count) const;
    // Same types only; count cut to the target's width - x.
    void CopySlotRow(int source, int target, int x, int y, int count);
    void FillRowSegment(int slot, int x, int y, int count, int value);
    void FillColumnSegment(int slot, int x, int y, int count, int value);

    // ---- rectangles and levels (1 done, 0 refused) -------------------------------------------
    int DrawSlotRect(int slot, int x0, int y0, int x1, int y1, int value);
    int CopySlotRect(int source, int target, int x0, int y0, int x1, int y1);
    int BinarizeSlot(int source, int target, int x0, int y0, int x1, int y1, int threshold, int mode);
    // table holds at least GetSlotLevelCount(source) entries.
    int ApplyLevelTable(int source, int target, int x0, int y0, int x1, int y1, const int* table);
    int MapSlotLevels(int source, int target, int x0, int y0, int x1, int y1, int start, int end, int low,
                      int high, int mode);
    int RelabelValue(int source, int target, int x0, int y0, int x1, int y1, int from, int to);
    int ExtractSlotBoundary(int source, int target, int x0, int y0, int x1, int y1, int connectivity);

    // ---- masks, regions and outlines ---------------------------------------------------------
    int CreateMaskBitmap(int slot);
    int BuildMaskBitmap(int slot, int sourceSlot);
    const MaskBitmap& GetMaskBitmap() const { return mask_; }
    int FindFirstPixel(int slot, int x0, int y0, int x1, int y1, int value, int* outX, int* outY) const;
    int FillRegion(int slot, int x0, int y0, int x1, int y1, int seedX, int seedY, int oldValue, int newValue,
                   int connectivity, RegionBox* box);
    int TraceOutline(int slot, int x0, int y0, int x1, int y1, int value, int connectivity,
                     OutlineStats* stats);

    // ---- measurements on the height display image --------------------------------------------
    // The perimeter of every object at or above the level; 0.0 without an image. heightType is
    // the document's height slot image type.
    double MeasurePerimeter(HDIB image, int level, int heightType);
    // The 64-point curve of area.curve/curveMax at levels levelMin + trunc(i x A), A = (levelMax -
    // levelMin + 1) / 64, measured on a quarter-size copy; the per-level array is not touched
    // (its entries are full-size perimeters). Without the measure flag, or when the outline
    // tables are missing, area.flag becomes 0 and nothing is measured. Returns 1.
    int BuildPerimeterCurve(HDIB image, int heightType, bool measureFlag, AreaData* area);
    // The level range of the image into area.levelMax/levelMin; with the measure flag the
    // cumulative histogram (levelMax + 1 entries, at least one) and its sum, flag 1; without it
    // no histogram, sum 0, flag 0. 0 for a null image or area; else 1.
    int BuildHeightHistogram(HDIB image, int heightType, bool measureFlag, AreaData* area);
    // A new bitmap of width x height resampled bicubically from slot n, stored in slot n + 1
    // (same type) and handed to the caller, who owns it; null for types 2 and above 12, sizes
    // below 1, n + 1 beyond the last slot or refused memory.
    HDIB ResizeSlotImage(int n, int width, int height);

    // ---- line profiles -----------------------------------------------------------------------
    // Samples the line from (x0, y0) to (x1, y1) of the image (stored in the scratch slot with
    // the height type while it runs) into array[0 .. length - 1], by Bresenham's walk along the
    // major axis from the end with the smaller major coordinate; points outside the image leave
    // their entry unchanged. Returns 1 (0 for a null image or array).
    int SampleLine(HDIB image, int heightType, int x0, int y0, int x1, int y1, int* array, int length,
                   int* first, int* last, char* orientation, int* largest, int* smallest);
    // The profile along the measuring line of a kind, averaged over lineCount parallel lines at
    // offsets k - lineCount / 2 (a count below 1 counts as 1). A null image gives an empty
    // profile.
    void ExtractProfile(LineKind kind, int lineCount, HDIB image, int heightType, const MeasuringLines& lines,
                        LineProfile* profile);

private:
    struct Slot {
        HDIB dib = nullptr;
        SlotAttributes attr;
    };
    // A slot's pixels resolved once per operation.
    struct View {
        BYTE* bits = nullptr;
        int width = 0;
        int height = 0;
        int stride = 0;
        int type = -1;
        int bpp = 0;
        explicit operator bool() const { return bits != nullptr; }
    };
    View view(int slot) const;
    int read(const View& v, int x, int y) const;
    void write(const View& v, int x, int y, int value) const;
    // Runs fn once for 8-bit and grey types, once per colour plane for 24- and 48-bit types,
    // and leaves the plane at 0 afterwards for colour types.
    template <typename Fn> int perPlane(int type, Fn fn);
    int boundaryOnce(int source, int target, int x0, int y0, int x1, int y1, int connectivity);
    int nextDirection(const View& v, int x, int y, int prev, int value, int connectivity) const;
    bool ensureTables();

    std::array<Slot, kSlotCount> slots_{};
    int plane_ = 0;
    MaskBitmap mask_;
    // Outline work area: the step tables and the saved border of a traced rectangle.
    bool tablesLoaded_ = false;
    OutlineTableSet tables_{};
    std::vector<int> borderTop_, borderBottom_, borderLeft_, borderRight_;
};

template <typename Fn> int DocImaging::perPlane(int type, Fn fn) {
    const bool colour = type == 2 || type == 3 || type == 7 || type == 8 || type == 9;
    if (!colour) {
        plane_ = 0;
        return fn();
    }
    int result = 1;
    for (int p = 0; p < 3; ++p) {
        plane_ = p;
        if (!fn())
            result = 0;
    }
    plane_ = 0;
    return result;
}

} // namespace v3d
