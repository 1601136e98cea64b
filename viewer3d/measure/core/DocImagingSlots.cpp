// The slots of the document's image toolkit and their sample access.
#include "viewer3d/measure/core/DocImaging.h"

#include "viewer3d/core/bitmaps/Dib.h"
#include "viewer3d/core/data/SlotImageType.h"

#include <algorithm>
#include <cstdlib>

namespace v3d {

bool MaskBitmap::IsSet(int x, int y) const {
    if (x < 0 || y < 0 || x >= width || y >= height)
        return false;
    return (bits[static_cast<size_t>(y) * stride + x / 8] & (0x80 >> (x % 8))) != 0;
}

void DocImaging::SetSlotImage(HDIB dib, int n, int type) {
    if (n < 0 || n >= kSlotCount)
        return;
    Slot& s = slots_[n];
    s = Slot{};
    if (!dib)
        return;
    s.dib = dib;
    GlobalLockGuard lock(dib);
    if (!lock)
        return;
    const int t = SlotTypeFromDib(lock.get(), GlobalSize(dib), type);
    s.attr.type = t;
    if (const SlotTypeAttributes* a = SlotTypeInfo(t)) {
        s.attr.bytesPerPixel = a->bytesPerPixel;
        const int64_t width = DibGetWidth(lock.get());
        s.attr.stride = static_cast<int>(((width * a->bytesPerPixel * 8 + 31) / 32) * 4);
        s.attr.levels = a->levels ? a->levels : -1;
        s.attr.levelsPer256 = a->levels ? a->levelsPer256 : -1;
        s.attr.levelDigits = a->levels ? a->levelDigits : -1;
        s.attr.mono = a->mono ? 1 : 0;
    }
}

HDIB DocImaging::GetSlotImage(int n) const {
    return n >= 0 && n < kSlotCount ? slots_[n].dib : nullptr;
}

SlotAttributes DocImaging::GetSlotAttributes(int n) const {
    return n >= 0 && n < kSlotCount ? slots_[n].attr : SlotAttributes{};
}

int DocImaging::GetSlotLevelCount(int slot) const {
    if (slot < 0 || slot >= kSlotCount)
        return 256;
    return SlotTypeLevels(slots_[slot].attr.type);
}

int DocImaging::GetSlotWidth(int slot) const {
    const View v = view(slot);
    return v ? v.width : 0;
}

int DocImaging::GetSlotHeight(int slot) const {
    const View v = view(slot);
    return v ? v.height : 0;
}

void DocImaging::SetColorPlane(int plane) {
    plane_ = std::clamp(plane, 0, 2);
}

DocImaging::View DocImaging::view(int slot) const {
    View v;
    if (slot < 0 || slot >= kSlotCount || !slots_[slot].dib)
        return v;
    const Slot& s = slots_[slot];
    // Bytes one pixel of the type takes in its bitmap; 0 for the codes whose pixels have no samples.
    const SlotTypeAttributes* a = SlotTypeInfo(s.attr.type);
    const int bytes = a ? a->bytesPerPixel : 0;
    if (bytes == 0)
        return v;
    // The block stays where it is while its handle lives; the lock only resolves it.
    GlobalLockGuard lock(s.dib);
    if (!lock)
        return v;
    BYTE* block = lock.get();
    const uint64_t size = GlobalSize(s.dib);
    if (size < 40)
        return v;
    const int64_t width = DibGetWidth(block);
    const int64_t height = std::llabs(static_cast<long long>(DibGetHeight(block)));
    const int bitCount = DibGetBitCount(block);
    if (width <= 0 || height <= 0 || bitCount != bytes * 8 || DibGetHeight(block) < 0)
        return v;
    const uint64_t stride = DibStride(width, bitCount);
    BYTE* bits = DibGetBits(block);
    const uint64_t offset = static_cast<uint64_t>(bits - block);
    if (offset > size || stride * static_cast<uint64_t>(height) > size - offset)
        return v;
    v.bits = bits;
    v.width = static_cast<int>(width);
    v.height = static_cast<int>(height);
    v.stride = static_cast<int>(stride);
    v.type = s.attr.type;
    v.bpp = bytes;
    return v;
}

int DocImaging::read(const View& v, int x, int y) const {
    if (!v || x < 0 || y < 0 || x >= v.width || y >= v.height)
        return 0;
    const BYTE* row = v.bits + static_cast<size_t>(v.height - 1 - y) * v.stride;
    switch (v.type) {
    case 2:
        // Two-byte colour pixels: the plane's byte as far as the pixel reaches.
        return row[static_cast<size_t>(x) * 2 + std::min(2 - plane_, 1)];
    case 3:
        return row[static_cast<size_t>(x) * 3 + (2 - plane_)];
    case 4:
    case 5:
    case 6:
    case 10:
    case 11:
    case 12: {
        const BYTE* p = row + static_cast<size_t>(x) * 2;
        return p[0] | (p[1] << 8);
    }
    case 7:
    case 8:
    case 9: {
        const BYTE* p = row + static_cast<size_t>(x) * 6 + (4 - 2 * plane_);
        return p[0] | (p[1] << 8);
    }
    default:
        return row[x];
    }
}

void DocImaging::write(const View& v, int x, int y, int value) const {
    if (!v || x < 0 || y < 0 || x >= v.width || y >= v.height)
        return;
    BYTE* row = v.bits + static_cast<size_t>(v.height - 1 - y) * v.stride;
    switch (v.type) {
    case 2:
        row[static_cast<size_t>(x) * 2 + std::min(2 - plane_, 1)] = static_cast<BYTE>(value);
        return;
    case 3:
        row[static_cast<size_t>(x) * 3 + (2 - plane_)] = static_cast<BYTE>(value);
        return;
    case 4:
    case 5:
    case 6:
    case 10:
    case 11:
    case 12: {
        BYTE* p = row + static_cast<size_t>(x) * 2;
        p[0] = static_cast<BYTE>(value);
        p[1] = static_cast<BYTE>(value >> 8);
        return;
    }
    case 7:
    case 8:
    case 9: {
        BYTE* p = row + static_cast<size_t>(x) * 6 + (4 - 2 * plane_);
        p[0] = static_cast<BYTE>(value);
        p[1] = static_cast<BYTE>(value >> 8);
        return;
    }
    default:
        row[x] = static_cast<BYTE>(value);
    }
}

int DocImaging::GetSlotPixel(int slot, int x, int y) const {
    return read(view(slot), x, y);
}

void DocImaging::SetSlotPixel(int slot, int x, int y, int value) {
    write(view(slot), x, y, value);
}

void DocImaging::ReadSlotRow(int slot, int* values, int x, int y, int count) const {
    if (!values || count <= 0)
        return;
    const View v = view(slot);
    for (int i = 0; i < count; ++i)
        values[i] = read(v, x + i, y);
}

void DocImaging::WriteSlotRow(int slot, const int* values, int x, int y, int count) {
    if (!values || count <= 0)
        return;
    const View v = view(slot);
    for (int i = 0; i < count; ++i)
        write(v, x + i, y, values[i]);
}

void DocImaging::ReadSlotColumn(int slot, int* values, int x, int y, int count) const {
    if (!values || count <= 0)
        return;
    const View v = view(slot);
    for (int i = 0; i < count; ++i)
        values[i] = read(v, x, y + i);
}

void DocImaging::CopySlotRow(int source, int target, int x, int y, int count) {
    const View s = view(source);
    const View t = view(target);
    if (!s || !t || s.type != t.type)
        return;
    count = std::min(count, t.width - x);
    for (int i = 0; i < count; ++i)
        write(t, x + i, y, read(s, x + i, y));
}

void DocImaging::FillRowSegment(int slot, int x, int y, int count, int value) {
    const View v = view(slot);
    for (int i = 0; i < count; ++i)
        write(v, x + i, y, value);
}

void DocImaging::FillColumnSegment(int slot, int x, int y, int count, int value) {
    const View v = view(slot);
    for (int i = 0; i < count; ++i)
        write(v, x, y + i, value);
}

} // namespace v3d
