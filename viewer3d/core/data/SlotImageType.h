// The image type code the 3D viewer keeps beside every image slot, with what each code means
// for the bitmap that holds it.
#pragma once

#include "platform/WinTypes.h"

namespace v3d {

constexpr int kSlotCount = 20; // image slots of a 3D document

enum SlotImageType : int {
    SLOT_TYPE_NONE = -1,       // not an image the viewer handles
    SLOT_TYPE_GREY8 = 0,       // 8 bits, grey ramp table
    SLOT_TYPE_TABLE8 = 1,      // 8 bits, any other table
    SLOT_TYPE_COLOUR16 = 2,    // two-byte colour pixels; kept by the slot store only
    SLOT_TYPE_RGB24 = 3,       // 24-bit colour
    SLOT_TYPE_GREY10 = 4,      // 10-bit grey in 16-bit samples
    SLOT_TYPE_GREY12 = 5,      // 12-bit grey
    SLOT_TYPE_GREY16 = 6,      // 16-bit grey
    SLOT_TYPE_RGB30 = 7,       // 3 x 10 bits in 48-bit pixels
    SLOT_TYPE_RGB36 = 8,       // 3 x 12 bits
    SLOT_TYPE_RGB48 = 9,       // 3 x 16 bits
    SLOT_TYPE_PSEUDO10 = 10,   // as 4, shown through the image's own colour table
    SLOT_TYPE_PSEUDO12 = 11,   // as 5, own table
    SLOT_TYPE_PSEUDO16 = 12,   // as 6, own table
    SLOT_TYPE_FRN_DOUBLE = 17, // 8-byte samples of height files; never held in a slot
};

// What a code means for its bitmap; levels, levelsPer256 and levelDigits are 0 where the
// code has none (code 2).
struct SlotTypeAttributes {
    int bitCount;
    int bytesPerPixel;
    int levels;       // 256, 1024, 4096 or 65536
    int levelsPer256; // levels / 256
    int levelDigits;  // decimal digits of the largest level
    bool mono;
    int dibKind; // DibCreate kind of the bitmap that holds the code; -1 for code 2
};

// The attributes of codes 0..12; null for any other code.
const SlotTypeAttributes* SlotTypeInfo(int type);

// Levels the display conversion uses for a code: 1024 for 4, 7, 10; 4096 for 5, 8, 11; 65536
// for 6, 9, 12; 256 for every other code (codes above 12 count as 8-bit).
int SlotTypeLevels(int type);
// Largest sample value of a code: 1023 (4, 7, 10), 4095 (5, 8, 11), 65535 (6, 9, 12), 255 else.
int SlotTypeMaxValue(int type);
// DibCreate kind of the bitmap that holds a code: 0 (8-bit types and codes 13 and up), 1 (3),
// 3 (4-6, 10-12), 4 (7-9); -1 for codes 2 and below 0.
int SlotTypeDibKind(int type);

// The code of a bitmap stored without one: 8-bit -> 0 when its 256 entries are the grey ramp,
// else 1; 16-bit -> given (6 when given is below 0); 24-bit -> 3; 48-bit -> given (9 when
// below 0); any other depth -> -1. block is the locked bitmap.
int SlotTypeFromDib(const void* block, size_t blockSize, int given = -1);

} // namespace v3d
