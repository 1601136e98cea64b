// Plane processing and scene preparation of the 3D document: what the views draw is derived
// here from the texture and height planes after a load and after every setting that changes
// the picture.
#include "ids/BrelvoxaIds.h"
#include "viewer3d/core/data/View3dData.h"

#include "platform/MessageSink.h"
#include "viewer3d/core/bitmaps/OverlayPictures.h"
#include "viewer3d/core/bitmaps/PaletteTable.h"
#include "viewer3d/core/data/PlaneImages.h"
#include "viewer3d/core/data/SlotImageType.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <iterator>

namespace v3d {

namespace {

void freeDib(HDIB& h) {
    if (h)
        GlobalFree(h);
    h = nullptr;
}

bool sizeOf(HDIB dib, int* w, int* h, int* bits = nullptr) {
    if (!dib)
        return false;
    GlobalLockGuard lock(dib);
    if (!lock)
        return false;
    *w = DibGetWidth(lock.get());
    *h = DibGetHeight(lock.get());
    if (bits)
        *bits = DibGetBitCount(lock.get());
    return true;
}

// Range of a type by its low 7 bits.
int rangeOfType(int type) {
    switch (type & 0x7F) {
    case 4:
    case 7:
    case 10:
        return 1023;
    case 5:
    case 8:
    case 11:
        return 4095;
    case 6:
    case 9:
    case 12:
        return 65535;
    default:
        return 255;
    }
}

bool isGreyRamp(HDIB dib) {
    RgbEntry t[256];
    if (!DibGetColorTable(dib, t))
        return false;
    for (int i = 0; i < 256; ++i)
        if (t[i].red != i || t[i].green != i || t[i].blue != i)
            return false;
    return true;
}

// The preset Z scale the scene starts with for a scale factor f.
double presetForScale(double f) {
    if (f <= 1.0)
        return 1.0;
    const double m = 1.0 / f;
    return m < 0.09   ? 0.0
           : m < 0.18 ? 0.1
           : m < 0.36 ? 0.2
           : m < 0.54 ? 0.4
           : m < 0.72 ? 0.6
           : m < 0.9  ? 0.8
                      : 1.0;
}

} // namespace

void View3dData::ShowProcessingMessage(unsigned id) {
    ShowMessage(id, MB_OK | MB_ICONEXCLAMATION);
}

void View3dData::BuildHeightHistogram() {
    // The level range of the height display image.
    if (!heightDisplay)
        return;
    GlobalLockGuard lock(heightDisplay);
    const BYTE* b = lock.get();
    const int w = DibGetWidth(b), h = DibGetHeight(b), bits = DibGetBitCount(b);
    int lo = INT32_MAX, hi = INT32_MIN;
    std::vector<int> row(size_t(std::max(w, 0)));
    for (int y = 0; y < h; ++y) {
        const int n = DibReadRow(row.data(), b, 0, y, w);
        for (int x = 0; x < n; ++x)
            lo = std::min(lo, row[x]), hi = std::max(hi, row[x]);
    }
    if (lo > hi || (bits != 8 && bits != 16))
        return;
    minLevel = lo;
    maxLevel = hi;
}

HDIB View3dData::BuildHeightDisplay(HDIB source) const {
    int w = 0, h = 0;
    if (!sizeOf(source, &w, &h))
        return nullptr;
    HDIB display = CutDib(source, RECT{0, 0, w, h});
    if (!display)
        return nullptr;
    if (view_.smoothingOn)
        SmoothHeightImage(display, view_.smoothingMethod, view_.smoothingWidth);
    RgbEntry grey[256];
    LoadPaletteTable(grey, -1);
    DibSetColorTable(display, grey);
    return display;
}

int View3dData::ProcessPlanes(int format, int slotType) {
    // 1. The texture: palette, type, display window and display image.
    texturePalette.DeleteObject();
    freeDib(textureDisplay);
    int w = 0, h = 0, bits = 0;
    if (!sizeOf(texture_, &w, &h, &bits))
        return 0;
    if (w < 0 || h < 0) {
        freeDib(texture_);
        ShowProcessingMessage(bxid::str::DataTooLarge);
        return 0;
    }
    if (DibCreateDisplayPalette(texture_, &texturePalette, 0)) {
        switch (bits) {
        case 8:
            textureType_ = isGreyRamp(texture_) ? 0 : 1;
            break;
        case 16:
            textureType_ = slotType < 0 ? 6 : slotType;
            break;
        case 24:
            textureType_ = 3;
            break;
        case 48:
            textureType_ = slotType < 0 ? 9 : slotType;
            break;
        default:
            textureType_ = -1;
            break;
        }
        if (windowStart < 0 || windowEnd < 0) {
            windowStart = 0;
            windowEnd = rangeOfType(textureType_);
        }
        if (heightMax_ == -1)
            heightMax_ = rangeOfType(textureType_);
        textureDisplay = DibConvertForDisplay(texture_, nullptr, windowStart, windowEnd, textureType_);
    } else {
        texturePalette.DeleteObject();
    }
    // 2. The processing interior.
    interior[0] = 1, interior[1] = 1, interior[2] = w - 2, interior[3] = h - 2;
    // 3. The scene.
    if (!RebuildScene())
        return 0;
    // 4. Height types.
    if (heightType_ == -1) {
        int hw = 0, hh = 0, hb = 0;
        if (sizeOf(height_, &hw, &hh, &hb))
            heightType_ = hb == 8 ? 0 : 6;
        else
            heightType_ = textureType_ == 7 ? 4 : textureType_ == 8 ? 5 : textureType_ == 9 ? 6 : 0;
    }
    heightDisplayType = heightType_ == 1    ? 0
                        : heightType_ == 10 ? 4
                        : heightType_ == 11 ? 5
                        : heightType_ == 12 ? 6
                                            : heightType_;
    // 5. The measure view's height cut and its display image.
    freeDib(heightCutMeasure);
    freeDib(profileDisplay);
    if (cut3d.right > cut3d.left && cut3d.bottom > cut3d.top)
        heightCutMeasure = CutDib(height_, cut3d);
    profileDisplay = BuildHeightDisplay(GetHeightSource(1));
    // 6. Lines through the middle, except for document files whose stored positions stand.
    if (format != 6) {
        SetLinePosition(kLineHorizontal, h / 2);
        SetLinePosition(kLineVertical, w / 2);
    }
    // 7.
    ResetLinePositions(kAllLineKinds);
    // The profile and roughness are those of the current measuring line (setting both lines
    // above leaves the last one's, and a document file sets none).
    ExtractProfile(lineKind_);
    ComputeRoughness();
    // 8. Histogram, level range and perimeter.
    RebuildAreaData();
    // 9. The slice level in the middle of the height range.
    if (format != 6)
        view_.sliceLevel = calib_.zScale * (maxLevel - minLevel) * 0.5;
    // 10.
    binaryStale = contourStale = sceneReady = 1;
    measure_.xPitch = measure_.yPitch = pitch_;
    // 11. State repair.
    if (measure_.lineMode != 0 && measure_.lineMode != 1)
        measure_.lineMode = 0;
    if (measure_.lineCount < 1 || measure_.lineCount > 19 || measure_.lineCount % 2 == 0)
        measure_.lineCount = 1;
    return 1;
}

int View3dData::RebuildScene() {
    if (!texture_)
        return 0;
    freeDib(heightDisplay);
    freeDib(levelledHeight);
    freeDib(glTexture);
    DeleteGlLists();
    const ProcParams& params = GlobalProcParams();
    if (paramSource_ == 1) {
        view_.smoothingOn = params.smoothingOn;
        view_.smoothingMethod = params.smoothingMethod;
        view_.smoothingWidth = params.smoothingWidth;
    }
    HDIB source = regionCut[0] ? regionCut[0] : texture_;
    int bits = 0;
    sizeOf(source, &sourceWidth, &sourceHeight, &bits);
    if (!height_) {
        height_ = DeriveHeightPlane(source);
        if (!height_)
            ShowProcessingMessage(bxid::str::CannotCreateImage);
    }
    freeDib(heightCut3d);
    if (cut3d.right > cut3d.left && cut3d.bottom > cut3d.top)
        heightCut3d = CutDib(height_, cut3d);
    heightDisplay = BuildHeightDisplay(GetHeightSource(0));
    if (GetHeightSource(0) && !heightDisplay)
        ShowProcessingMessage(bxid::str::CannotCreateImage);
    if (heightDisplay)
        levelledHeight = BuildLevelledImage(heightDisplay, &minLevel, &maxLevel);
    bool tooLarge = false;
    glTexture = BuildGlTexture(source, windowStart, windowEnd, &tooLarge);
    if (tooLarge)
        ShowProcessingMessage(bxid::str::DataTooLarge);
    std::fill(std::begin(rotationMatrix), std::end(rotationMatrix), 0.0);
    rotationMatrix[0] = rotationMatrix[5] = rotationMatrix[10] = rotationMatrix[15] = 1.0;

    textureOn = view_.displayMode == 0 ? 1 : 0;
    const double length = double(std::max(sourceWidth, sourceHeight)) * XyPitchInZUnit();
    double f = 1.0;
    scaleFactor = 1.0f;
    if (length > 0) {
        f = (maxLevel - minLevel) * calib_.zScale / length;
        scaleFactor = f > 1.0 ? float(-1.0 / f) : 1.0f;
    }
    sceneScale = f;
    if (paramSource_ == 1) {
        view_.contourCount = params.contourCount;
        view_.zAxisLength = params.zAxisLength;
        view_.zAxisFixed = params.zAxisFixed;
        view_.scaleLinesShown = params.scaleLinesShown;
        view_.zScaleFixed = params.zScaleFixed;
        if (params.zScaleFixed) {
            view_.zScalePreset = params.zScalePreset;
            view_.zScaleFreeOn = params.zScaleFreeOn;
        } else {
            view_.zScaleFreeOn = params.zScaleFreeOn;
            view_.zScalePreset = params.zScaleFreeOn ? params.zScalePreset : presetForScale(f);
        }
        view_.rotationFixed = params.rotationFixed;
        view_.rotationX = params.rotationX;
        view_.rotationY = params.rotationY;
        view_.rotationZ = params.rotationZ;
        view_.zoom = params.zoom;
        if (view_.rotationFixed)
            ApplyFixedView();
    }
    MakeAxisTexts();
    BuildSceneLists(kListAll);
    OnScenePrepared();
    return 1;
}

int View3dData::ReprocessHeight() {
    freeDib(heightDisplay);
    freeDib(levelledHeight);
    heightDisplay = BuildHeightDisplay(GetHeightSource(0));
    if (heightDisplay)
        levelledHeight = BuildLevelledImage(heightDisplay, &minLevel, &maxLevel);
    freeDib(profileDisplay);
    profileDisplay = BuildHeightDisplay(GetHeightSource(1));
    // The profile and its roughness are those of the heights now shown (smoothing and pitch
    // change them); the graph measures again from this profile when it is drawn.
    ExtractProfile(lineKind_);
    ComputeRoughness();
    MakeAxisTexts();
    BuildSceneLists(kListSurface | kListFrameBox | kListTexts);
    RebuildAreaData();
    OnScenePrepared();
    return 1;
}

int View3dData::RebuildExtentLists() {
    MakeAxisTexts();
    BuildSceneLists(kListFrameBox | kListTexts);
    return 1;
}

int View3dData::RebuildGlLists() {
    textureOn = view_.displayMode == 0 ? 1 : 0;
    BuildSceneLists(kListColorMaterial | kListSurface | kListFrameBox);
    return 1;
}

int View3dData::ApplyRoi(int flag, const RECT& rect) {
    if (flag != 0)
        return 1;
    const int pair = screenMode_ == kScreenMeasure ? 1 : 0; // the region pair of the screen
    freeDib(regionCut[pair]);
    freeDib(regionCutDisplay[pair]);
    const bool cut = rect.right - rect.left >= 1 && rect.bottom - rect.top >= 1;
    if (cut) {
        regionCut[pair] = CutDib(texture_, rect);
        if (regionCut[pair])
            regionCutDisplay[pair] =
                DibConvertForDisplay(regionCut[pair], nullptr, windowStart, windowEnd, textureType_);
    }
    int cw = 0, ch = 0;
    if (!sizeOf(regionCut[pair] ? regionCut[pair] : texture_, &cw, &ch))
        return 1;
    if (pair == 1) {
        SetLinePosition(kLineHorizontal, ch / 2);
        SetLinePosition(kLineVertical, cw / 2);
        freeDib(heightCutMeasure);
        if (cut)
            heightCutMeasure = CutDib(height_, rect);
        freeDib(profileDisplay);
        profileDisplay = BuildHeightDisplay(GetHeightSource(1));
        roi_ = RECT{};
        ResetLinePositions(kAllLineKinds);
        ExtractProfile(lineKind_);
        ComputeRoughness();
    } else {
        interior[0] = 1, interior[1] = 1, interior[2] = cw - 2, interior[3] = ch - 2;
        cut3d = cut ? rect : RECT{};
        RebuildScene();
        RebuildAreaData();
        SetSliceLevel(calib_.zScale * (maxLevel - minLevel) * 0.5);
        binaryStale = contourStale = 1;
    }
    return 1;
}

int View3dData::ApplyHeightPalette() {
    if (!height_)
        return 0;
    RgbEntry table[256];
    const bool pseudo = view_.displayMode == 1 || view_.displayMode == 2;
    for (int i = 0; i < 256; ++i) {
        if (pseudo) {
            double r = 0, g = 0, b = 0;
            PseudoColour(i, &r, &g, &b);
            table[i] = RgbEntry{BYTE(r * 255), BYTE(g * 255), BYTE(b * 255), 0};
        } else {
            table[i] = RgbEntry{BYTE(i), BYTE(i), BYTE(i), 0};
        }
    }
    if (!DibSetColorTable(height_, table))
        return 0;
    if (pseudo)
        heightType_ = heightType_ == 0   ? 1
                      : heightType_ == 4 ? 10
                      : heightType_ == 5 ? 11
                      : heightType_ == 6 ? 12
                                         : heightType_;
    else
        heightType_ = heightType_ == 1    ? 0
                      : heightType_ == 10 ? 4
                      : heightType_ == 11 ? 5
                      : heightType_ == 12 ? 6
                                          : heightType_;
    return 1;
}

int View3dData::EnsureHistogram() {
    if (!area_.histogram.empty())
        return 0;
    RebuildAreaData();
    return 1;
}

void View3dData::RebuildAreaData() {
    // The curve's maximum only grows while the curve is built, so a curve of an earlier image
    // must not stand beside the new one: everything starts from zero.
    BuildHeightHistogram();
    area_.perimeter.assign(size_t(std::max(maxLevel, 0)) + 1, 0.0);
    std::fill(std::begin(area_.curve), std::end(area_.curve), 0.0);
    area_.curveMax = 0.0;
    BuildPerimeterCurve();
}

int View3dData::UpdateSliceMeasures() {
    const double z = calib_.zScale;
    if (!(z > 0.0) || !std::isfinite(view_.sliceLevel))
        return 0;
    const double index = std::trunc(view_.sliceLevel / z + minLevel);
    if (!(index >= 0.0) || index > double(INT32_MAX))
        return 0;
    const size_t i = size_t(index);
    int stored = 0;
    if (i < area_.histogram.size())
        stored = SetSliceArea(pitch_ * pitch_ * area_.histogram[i]);
    if (area_.flag && i < area_.perimeter.size()) {
        if (area_.perimeter[i] == 0.0)
            area_.perimeter[i] = MeasureSlicePerimeter(int(i));
        SetSlicePerimeter(area_.perimeter[i] * pitch_);
    }
    return stored;
}

void View3dData::MakeAxisTexts() {
    auto label = [](const std::string& unit) {
        for (int i = 0; i < 8; ++i)
            if (LoadText(kUnitStringFirst + i) == unit) {
                const std::string l = LoadText(kAsciiUnitStringFirst + i);
                return l.empty() ? unit : l;
            }
        return unit;
    };
    auto text = [](double v, const std::string& unit) {
        char b[100];
        std::snprintf(b, sizeof b, "%.2f %s", v, unit.c_str());
        return std::string(b);
    };
    const std::string xy = label(calib_.xyUnit), z = label(calib_.zUnit);
    extentTexts[0] = text(sourceWidth * pitch_, xy);
    extentTexts[1] = text(sourceHeight * pitch_, xy);
    const double range = (maxLevel - minLevel) * calib_.zScale;
    if (view_.zAxisFixed) {
        extentTexts[2] = text(view_.zAxisLength, z);
        rangeText = text(range, z);
    } else {
        extentTexts[2] = text(range + baseOffset_, z);
        rangeText.clear();
    }
    baseText = text(baseOffset_, z);
}

} // namespace v3d
