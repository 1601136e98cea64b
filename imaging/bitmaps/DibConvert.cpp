// Display and depth conversions of bitmaps.
#include "imaging/bitmaps/DibConvert.h"

#include "imaging/bitmaps/DibPlanes.h"
#include "imaging/files/SECImage.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <vector>

using planes::PlaneRef;

namespace {

// Target of the display conversion by source depth and screen; -1 for no conversion.
int DisplayTargetKind(int bitCount, int screenBits) {
    const bool palette = screenBits <= 8;
    switch (bitCount) {
    case 16:
        return DIB_KIND_GREY8;
    case 24:
        return palette ? DIB_KIND_CUBE8 : -1;
    case 48:
        return palette ? DIB_KIND_CUBE8 : DIB_KIND_RGB24;
    default:
        return -1;
    }
}

// Entries of the mapping table the sample type asks for; samples above them map to 255.
int TypeTableSize(int type) {
    return ImageTypeLevels(type);
}

// One byte per possible 16-bit sample. Entries beyond the type's own range (which an ill-typed
// sample could reach) map to 255 like everything at or above `high`.
std::vector<BYTE> BuildDisplayTable(int low, int high, int type) {
    double s = std::fabs(static_cast<double>(high) - low + 1.0) / 256.0;
    if (!(s > 0.0))
        s = 1.0;
    const int typed = TypeTableSize(type);
    std::vector<BYTE> table(65536, 255);
    for (int v = 0; v < typed; ++v) {
        int e;
        if (v < low)
            e = 0;
        else if (v < high)
            e = static_cast<int>((v - low) / s);
        else
            e = 255;
        table[v] = static_cast<BYTE>(std::clamp(e, 0, 255));
    }
    return table;
}

int GreyModeByte(int mode, int r, int g, int b) {
    switch (mode) {
    case -1:
        return r / 43 * 36 + g / 43 * 6 + b / 43;
    case 0:
        return static_cast<int>(0.9 * r + 1.1 * g) / 2;
    case 1:
        return (r + b) / 2;
    case 2:
        return (r + g + b) / 3;
    case 3:
    case 6:
        return r;
    case 4:
        return g;
    case 5:
        return static_cast<int>(0.2 * r + 1.8 * b) / 2;
    default:
        return -1;
    }
}

// Bits per pixel of the screen the conversion is for (the one screen query of the imaging core).
int DibScreenBitsPerPixel() {
    return GetScreenCaps().bitsPixel;
}

} // namespace

HDIB DibConvertForDisplayOnScreen(HDIB source, HDIB destination, int low, int high, int type, int greyMode,
                                  int screenBits) {
    if (!source) {
        if (destination)
            GlobalFree(destination);
        return nullptr;
    }
    GlobalLockGuard src(source);
    if (!src) {
        if (destination)
            GlobalFree(destination);
        return nullptr;
    }
    const int w = DibGetWidth(src.get()), h = DibGetHeight(src.get()), bc = DibGetBitCount(src.get());
    const int kind = (w > 0 && h > 0) ? DisplayTargetKind(bc, screenBits) : -1;
    if (kind < 0) {
        if (destination)
            GlobalFree(destination);
        return nullptr;
    }
    const int targetBits = kind == DIB_KIND_RGB24 ? 24 : 8;
    if (destination) {
        bool fits = false;
        {
            GlobalLockGuard d(destination);
            fits = d && DibGetWidth(d.get()) == w && DibGetHeight(d.get()) == h &&
                   DibGetBitCount(d.get()) == targetBits;
        }
        if (!fits) {
            GlobalFree(destination);
            destination = nullptr;
        }
    }
    if (!destination)
        destination = DibCreate(w, h, kind);
    if (!destination)
        return nullptr;
    GlobalLockGuard dst(destination);
    const BYTE* sbits = DibGetBits(src.get());
    BYTE* dbits = DibGetBits(dst.get());
    const size_t sstride = DibStride(w, bc), dstride = DibStride(w, targetBits);

    if (bc == 16 || bc == 48) {
        const std::vector<BYTE> table = BuildDisplayTable(low, high, type);
        if (bc == 16) {
#pragma omp parallel for schedule(static)
            for (int y = 0; y < h; ++y) {
                const uint16_t* s = reinterpret_cast<const uint16_t*>(sbits + y * sstride);
                BYTE* d = dbits + y * dstride;
                for (int x = 0; x < w; ++x)
                    d[x] = table[s[x]];
            }
        } else if (targetBits == 24) {
#pragma omp parallel for schedule(static)
            for (int y = 0; y < h; ++y) {
                const uint16_t* s = reinterpret_cast<const uint16_t*>(sbits + y * sstride);
                BYTE* d = dbits + y * dstride;
                for (int x = 0; x < 3 * w; ++x)
                    d[x] = table[s[x]];
            }
        } else {
            std::vector<BYTE> red(65536), green(65536), blue(65536);
            for (int v = 0; v < 65536; ++v) {
                const int t = table[v];
                const bool top = v >= high || v >= TypeTableSize(type);
                red[v] = static_cast<BYTE>(top ? 180 : t / 43 * 36);
                green[v] = static_cast<BYTE>(top ? 30 : t / 43 * 6);
                blue[v] = static_cast<BYTE>(top ? 5 : t / 43);
            }
#pragma omp parallel for schedule(static)
            for (int y = 0; y < h; ++y) {
                const uint16_t* s = reinterpret_cast<const uint16_t*>(sbits + y * sstride);
                BYTE* d = dbits + y * dstride;
                for (int x = 0; x < w; ++x)
                    d[x] = static_cast<BYTE>(blue[s[3 * x]] + green[s[3 * x + 1]] + red[s[3 * x + 2]]);
            }
        }
    } else {
        // 24-bit source on a palette screen.
#pragma omp parallel for schedule(static)
        for (int y = 0; y < h; ++y) {
            const BYTE* s = sbits + y * sstride;
            BYTE* d = dbits + y * dstride;
            for (int x = 0; x < w; ++x) {
                const int v = GreyModeByte(greyMode, s[3 * x + 2], s[3 * x + 1], s[3 * x]);
                if (v >= 0)
                    d[x] = static_cast<BYTE>(v);
            }
        }
    }
    return destination;
}

HDIB DibConvertForDisplay(HDIB source, HDIB destination, int low, int high, int type, int greyMode) {
    return DibConvertForDisplayOnScreen(source, destination, low, high, type, greyMode,
                                        DibScreenBitsPerPixel());
}

HDIB DibMakeDisplayCopyOnScreen(HDIB bitmap, int screenBits) {
    if (!bitmap)
        return nullptr;
    int type = -1;
    {
        GlobalLockGuard g(bitmap);
        if (!g)
            return bitmap;
        switch (DibGetBitCount(g.get())) {
        case 8: {
            type = 0;
            RGBQUAD table[256] = {};
            if (DibColorCount(g.get()) != 256) {
                type = 1;
            } else {
                DibGetColorTable(bitmap, table);
                for (int i = 0; i < 256; ++i)
                    if (table[i].rgbBlue != i || table[i].rgbGreen != i || table[i].rgbRed != i)
                        type = 1;
            }
            break;
        }
        case 16:
            type = 6;
            break;
        case 24:
            type = 3;
            break;
        case 48:
            type = 9;
            break;
        default:
            type = -1;
        }
    }
    const HDIB shown =
        DibConvertForDisplayOnScreen(bitmap, nullptr, 0, ImageTypeFullScale(type), type, -1, screenBits);
    return shown ? shown : bitmap;
}

HDIB DibCopyRect(HDIB source, HDIB destination, const RECT& rect) {
    if (!source)
        return destination;
    const int rw = rect.right - rect.left, rh = rect.bottom - rect.top;
    int sbc = 0;
    {
        GlobalLockGuard s(source);
        if (!s)
            return destination;
        sbc = DibGetBitCount(s.get());
    }
    if (planes::SamplesPerPixel(sbc) == 0)
        return destination;
    if (!destination) {
        if (rw < 1 || rh < 1)
            return nullptr;
        destination = DibCreateOfKind(rw, rh, planes::KindOfDepth(sbc));
        if (!destination)
            return nullptr;
    }
    GlobalLockGuard s(source);
    GlobalLockGuard d(destination);
    if (!s || !d)
        return destination;
    const int dbc = DibGetBitCount(d.get());
    if (planes::SamplesPerPixel(dbc) == 0 || planes::IsWideDepth(dbc) != planes::IsWideDepth(sbc))
        return destination;
    const int sw = DibGetWidth(s.get()), sh = DibGetHeight(s.get());
    const int cw = std::min(rw, static_cast<int>(DibGetWidth(d.get())));
    const int ch = std::min(rh, static_cast<int>(DibGetHeight(d.get())));
    if (cw < 1 || ch < 1)
        return destination;
    const int selected = DibGetSelectedPlane();
    const int dPlanes = planes::SamplesPerPixel(dbc), sPlanes = planes::SamplesPerPixel(sbc);
    auto copy = [&](auto sp, auto dp) {
        // Columns and rows of the rectangle that lie inside the source.
        const int cx0 = std::clamp(-rect.left, 0, cw), cx1 = std::clamp(sw - rect.left, cx0, cw);
#pragma omp parallel for schedule(static)
        for (int row = 0; row < ch; ++row) {
            const int sy = rect.top + row;
            const bool inside = sy >= 0 && sy < sh;
            for (int col = 0; col < cw; ++col) {
                const bool in = inside && col >= cx0 && col < cx1;
                dp.at(col, row) =
                    in ? static_cast<typename decltype(dp)::value_type>(sp.at(rect.left + col, sy)) : 0;
            }
        }
    };
    for (int p = 0; p < dPlanes; ++p) {
        const int sPlane = sPlanes == 3 ? (dPlanes == 3 ? p : selected) : 0;
        planes::WithDibPlane(s.get(), sPlane, [&](auto sp) {
            planes::WithDibPlane(d.get(), p, [&](auto dp) { copy(sp, dp); });
        });
    }
    return destination;
}

namespace {
// The conversions of a colour bitmap into one plane: a grey bitmap becomes a copy of itself and
// other depths are refused; a colour bitmap gets a new bitmap of kind24 or kind48 that `fill`
// fills from the locked source and destination blocks.
template <class Fill> HDIB ConvertColourToPlane(HDIB bitmap, int kind24, int kind48, Fill fill) {
    if (!bitmap)
        return nullptr;
    GlobalLockGuard s(bitmap);
    if (!s)
        return nullptr;
    const int bc = DibGetBitCount(s.get());
    if (bc == 8 || bc == 16)
        return DibCopyInto(bitmap, nullptr);
    if (bc != 24 && bc != 48)
        return nullptr;
    HDIB out = DibCreateOfKind(DibGetWidth(s.get()), DibGetHeight(s.get()), bc == 24 ? kind24 : kind48);
    if (!out)
        return nullptr;
    GlobalLockGuard d(out);
    fill(s.get(), d.get(), bc);
    return out;
}
} // namespace

HDIB DibToLightness(HDIB bitmap) {
    return ConvertColourToPlane(bitmap, DIB_KIND_GREY8, DIB_KIND_GREY16, [](void* s, void* d, int bc) {
        if (bc == 24) {
            planes::LightnessPlane(planes::MakeDibPlane<uint8_t>(s, 0), planes::MakeDibPlane<uint8_t>(s, 1),
                                   planes::MakeDibPlane<uint8_t>(s, 2), planes::MakeDibPlane<uint8_t>(d, 0));
        } else {
            planes::LightnessPlane(planes::MakeDibPlane<uint16_t>(s, 0), planes::MakeDibPlane<uint16_t>(s, 1),
                                   planes::MakeDibPlane<uint16_t>(s, 2),
                                   planes::MakeDibPlane<uint16_t>(d, 0));
        }
    });
}

HDIB DibKeepRedPlane(HDIB bitmap) {
    return ConvertColourToPlane(bitmap, DIB_KIND_RGB24, DIB_KIND_RGB48, [](void* s, void* d, int) {
        planes::WithDibPlane(
            s, 0, [&](auto sp) { planes::WithDibPlane(d, 0, [&](auto dp) { planes::CopyPlane(sp, dp); }); });
        DibSelectPlane(0);
    });
}

HDIB DibShrink(HDIB bitmap, int width, int height) {
    if (!bitmap || width < 1 || height < 1)
        return nullptr;
    GlobalLockGuard s(bitmap);
    if (!s)
        return nullptr;
    const int w = DibGetWidth(s.get()), h = DibGetHeight(s.get()), bc = DibGetBitCount(s.get());
    if (w == width && h == height)
        return DibCopyInto(bitmap, nullptr);
    if (planes::SamplesPerPixel(bc) == 0)
        return nullptr;
    HDIB out = DibCreateOfKind(width, height, planes::KindOfDepth(bc));
    if (!out)
        return nullptr;
    GlobalLockGuard d(out);
    const int maxValue = planes::DepthMax(bc);
    for (int p = 0; p < planes::PlaneCount(bc); ++p) {
        planes::WithDibPlane(s.get(), p, [&](auto sp) {
            planes::WithDibPlane(d.get(), p, [&](auto dp) { planes::ShrinkPlane(sp, dp, maxValue); });
        });
    }
    DibSelectPlane(0);
    return out;
}

HDIB DibResizeNearestPlane(HDIB source, HDIB destination, int width, int height) {
    if (!source || width < 1 || height < 1)
        return destination;
    GlobalLockGuard s(source);
    if (!s)
        return destination;
    const int sw = DibGetWidth(s.get()), sh = DibGetHeight(s.get()), bc = DibGetBitCount(s.get());
    if (planes::SamplesPerPixel(bc) == 0)
        return destination;
    if (!destination) {
        destination = DibCreateOfKind(width, height, planes::KindOfDepth(bc));
        if (!destination)
            return nullptr;
    }
    GlobalLockGuard d(destination);
    if (!d || planes::IsWideDepth(DibGetBitCount(d.get())) != planes::IsWideDepth(bc))
        return destination;
    const int plane = DibGetSelectedPlane();
    const int dw = std::min(width, static_cast<int>(DibGetWidth(d.get())));
    const int dh = std::min(height, static_cast<int>(DibGetHeight(d.get())));
    planes::WithDibPlane(s.get(), plane, [&](auto sp) {
        planes::WithDibPlane(d.get(), plane, [&](auto dp) {
#pragma omp parallel for schedule(static)
            for (int i = 0; i < dh; ++i) {
                const int sy = static_cast<int>(static_cast<int64_t>(i) * sh / height);
                for (int k = 0; k < dw; ++k) {
                    const int sx = static_cast<int>(static_cast<int64_t>(k) * sw / width);
                    dp.at(k, i) = static_cast<typename decltype(dp)::value_type>(sp.at(sx, sy));
                }
            }
        });
    });
    return destination;
}

int FillHeightColorTable(RGBQUAD* entries) {
    for (int i = 0; i < 128; ++i) {
        entries[i].rgbBlue = static_cast<BYTE>(254 - 2 * i);
        entries[i].rgbGreen = static_cast<BYTE>(2 * i);
        entries[i].rgbRed = 0;
        entries[i].rgbReserved = 0;
    }
    for (int i = 128; i < 255; ++i) {
        entries[i].rgbBlue = 0;
        entries[i].rgbGreen = static_cast<BYTE>(510 - 2 * i);
        entries[i].rgbRed = static_cast<BYTE>(2 * (i - 128));
        entries[i].rgbReserved = 0;
    }
    entries[255] = RGBQUAD{};
    return 1;
}
