// The selected colour plane and the row, column and single-sample operations.
#include "imaging/bitmaps/Dib.h"

namespace {

// Each thread has its own selection, so a plane loop of the composition worker and one of the
// window thread cannot switch each other's plane.
thread_local int t_selectedPlane = 0;

bool validPlane(int plane) { return plane >= 0 && plane <= 2; }

// Byte offset of a plane inside a pixel of b bytes.
size_t planeOffset(int b, int plane) {
    if (b == 3)
        return static_cast<size_t>(2 - plane);
    if (b == 6)
        return static_cast<size_t>(4 - 2 * plane);
    return 0;
}

// Where the samples of a bitmap lie: first byte of pixel (0, 0) of memory row 0 plus the plane
// offset, bytes per pixel, stride and height.
struct SampleGrid {
    BYTE* bits = nullptr;
    int b = 0;
    size_t stride = 0;
    int height = 0;

    BYTE* at(int x, int y) const {
        return bits + static_cast<size_t>(height - y - 1) * stride + static_cast<size_t>(x) * b;
    }
    int read(const BYTE* s) const { return b == 1 || b == 3 ? *s : le::get16(s); }
    void write(BYTE* s, int v) const {
        if (b == 1 || b == 3)
            *s = static_cast<BYTE>(v);
        else
            le::put16(s, static_cast<uint16_t>(v));
    }
};

// Grid of the given plane; b is 0 for depths that hold no integer samples.
SampleGrid grid(const void* block, int plane) {
    SampleGrid g;
    g.b = DibBytesPerPixel(DibGetBitCount(block));
    if (g.b == 0)
        return g;
    g.stride = DibStride(static_cast<int64_t>(DibGetWidth(block)) * g.b, 8);
    g.height = DibGetHeight(block);
    g.bits = const_cast<BYTE*>(DibGetBits(block)) + planeOffset(g.b, plane);
    return g;
}

} // namespace

void DibSelectPlane(int plane) {
    if (validPlane(plane))
        t_selectedPlane = plane;
}

int DibGetSelectedPlane() { return t_selectedPlane; }

void DibReadRow(int* values, const void* block, int x, int y, int count) {
    SampleGrid g = grid(block, t_selectedPlane);
    if (g.b == 0 || count < 1)
        return;
    const BYTE* s = g.at(x, y);
    for (int i = 0; i < count; ++i, s += g.b)
        values[i] = g.read(s);
}

void DibWriteRow(const int* values, void* block, int x, int y, int count) {
    SampleGrid g = grid(block, t_selectedPlane);
    if (g.b == 0 || count < 1)
        return;
    BYTE* s = g.at(x, y);
    for (int i = 0; i < count; ++i, s += g.b)
        g.write(s, values[i]);
}

void DibReadColumn(int* values, const void* block, int x, int y, int count) {
    SampleGrid g = grid(block, t_selectedPlane);
    if (g.b == 0 || count < 1)
        return;
    for (int i = 0; i < count; ++i)
        values[i] = g.read(g.at(x, y + i));
}

void DibWriteColumn(const int* values, void* block, int x, int y, int count) {
    SampleGrid g = grid(block, t_selectedPlane);
    if (g.b == 0 || count < 1)
        return;
    for (int i = 0; i < count; ++i)
        g.write(g.at(x, y + i), values[i]);
}

int DibGetPixel(HDIB bitmap, int x, int y, int plane) {
    GlobalLockGuard lock(bitmap);
    if (!lock)
        return 0;
    SampleGrid g = grid(lock.get(), validPlane(plane) ? plane : 0);
    if (g.b == 0 || (g.b >= 3 && !validPlane(plane)))
        return 0;
    return g.read(g.at(x, y));
}

void DibSetPixel(HDIB bitmap, int x, int y, int plane, int value) {
    GlobalLockGuard lock(bitmap);
    if (!lock)
        return;
    SampleGrid g = grid(lock.get(), validPlane(plane) ? plane : 0);
    if (g.b == 0 || (g.b >= 3 && !validPlane(plane)))
        return;
    g.write(g.at(x, y), value);
}

int DibGetSample(int x, int y, int plane, int bytesPerPixel, const BYTE* rowBase, size_t stride, int height) {
    if (bytesPerPixel != 1 && bytesPerPixel != 2 && bytesPerPixel != 3 && bytesPerPixel != 6)
        return 0;
    if (bytesPerPixel >= 3 && !validPlane(plane))
        return 0;
    SampleGrid g;
    g.bits = const_cast<BYTE*>(rowBase) + planeOffset(bytesPerPixel, plane);
    g.b = bytesPerPixel;
    g.stride = stride;
    g.height = height;
    return g.read(g.at(x, y));
}
