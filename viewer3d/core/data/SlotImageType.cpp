#include "viewer3d/core/data/SlotImageType.h"

#include "viewer3d/core/bitmaps/Dib.h"

namespace v3d {

namespace {

constexpr int kNoKind = -1;

constexpr SlotTypeAttributes kAttributes[] = {
    {8, 1, 256, 1, 3, true, kKindGrey8},       // 0
    {8, 1, 256, 1, 3, true, kKindGrey8},       // 1
    {16, 2, 0, 0, 0, false, kNoKind},          // 2
    {24, 3, 256, 1, 3, false, kKindRgb24},     // 3
    {16, 2, 1024, 4, 4, true, kKindGrey16},    // 4
    {16, 2, 4096, 16, 4, true, kKindGrey16},   // 5
    {16, 2, 65536, 256, 5, true, kKindGrey16}, // 6
    {48, 6, 1024, 4, 4, false, kKindRgb48},    // 7
    {48, 6, 4096, 16, 4, false, kKindRgb48},   // 8
    {48, 6, 65536, 256, 5, false, kKindRgb48}, // 9
    {16, 2, 1024, 4, 4, true, kKindGrey16},    // 10
    {16, 2, 4096, 16, 4, true, kKindGrey16},   // 11
    {16, 2, 65536, 256, 5, true, kKindGrey16}, // 12
};

} // namespace

const SlotTypeAttributes* SlotTypeInfo(int type) {
    if (type < 0 || type > SLOT_TYPE_PSEUDO16)
        return nullptr;
    return &kAttributes[type];
}

int SlotTypeLevels(int type) { return ImageTypeLevels(type); }

int SlotTypeMaxValue(int type) {
    return SlotTypeLevels(type) - 1;
}

int SlotTypeDibKind(int type) {
    if (type < 0)
        return kNoKind;
    const SlotTypeAttributes* a = SlotTypeInfo(type);
    return a ? a->dibKind : kKindGrey8;
}

int SlotTypeFromDib(const void* block, size_t blockSize, int given) {
    if (!block || blockSize < 12)
        return SLOT_TYPE_NONE;
    switch (DibGetBitCount(block)) {
    case 8: {
        if (DibColorCount(block) != 256 || DibHeaderSize(block) + uint64_t(1024) > blockSize)
            return SLOT_TYPE_TABLE8;
        const BYTE* t = static_cast<const BYTE*>(block) + DibHeaderSize(block);
        for (int i = 0; i < 256; ++i, t += 4)
            if (t[0] != i || t[1] != i || t[2] != i)
                return SLOT_TYPE_TABLE8;
        return SLOT_TYPE_GREY8;
    }
    case 16:
        return given < 0 ? SLOT_TYPE_GREY16 : given;
    case 24:
        return SLOT_TYPE_RGB24;
    case 48:
        return given < 0 ? SLOT_TYPE_RGB48 : given;
    default:
        return SLOT_TYPE_NONE;
    }
}

} // namespace v3d
