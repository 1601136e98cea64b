// The data of one 3D document without any window: its source planes and derived images, the
// image slots of the image processing, pitch and calibration, the two state blocks saved whole
// in document files, the measuring-line geometry, the measurement results and the display-list
// ids of the 3D scene. Views and panels never keep data of their own: they read and change it
// through the accessors below. The window document (viewer3d/app) derives from it and fills
// the hooks that rebuild overlays, profiles and display lists.
//
// Setters return 1 when they take a value and 0 when they refuse it (the stored value stays).
// Kinds, cursors and indexes marked 16-bit are taken as signed 16-bit values.
#pragma once

#include "ids/BrelvoxaIds.h"
#include "platform/GlobalMemory.h"
#include "platform/Palette.h"
#include "platform/WinTypes.h"
#include "viewer3d/core/data/AreaData.h"
#include "viewer3d/core/data/LineKind.h"
#include "viewer3d/core/data/PaneContent.h"
#include "viewer3d/core/data/ScreenMode.h"
#include "viewer3d/core/data/CalibRecord.h"
#include "viewer3d/core/bitmaps/Dib.h"
#include "viewer3d/core/data/MeasureState.h"
#include "viewer3d/core/data/ProcParams.h"
#include "viewer3d/core/data/SlotImageType.h"
#include "viewer3d/core/files/TdvFile.h"
#include "viewer3d/core/data/ViewState.h"
#include "viewer3d/core/files/Vv3Data.h"

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class CFile;
class CFileException;

namespace v3d {

// Display-list ids of the 3D scene (0 = none). Text groups keep their first id and length.
struct GlListBlock {
    int32_t surface = 0;
    int32_t colorMaterial = 0;
    int32_t frameBox = 0;
    int32_t whiteMaterial = 0;
    std::array<int32_t, 3> axisFirst{}; // "x", "y", "z"
    std::array<int32_t, 3> axisLength{};
    std::array<int32_t, 3> extentFirst{}; // the three extent texts
    std::array<int32_t, 3> extentLength{};
    int32_t rangeFirst = 0, rangeLength = 0;
    int32_t baseFirst = 0, baseLength = 0;
};

// The string table's units, eight of each in the same order (pixel, nm, µm, mm, cm, m, km, inch):
// the unit texts, their ASCII spellings and the area labels.
constexpr int kUnitStringFirst = bxid::str::UnitPixel;
constexpr int kAsciiUnitStringFirst = bxid::str::AsciiUnitPixel;
constexpr int kAreaLabelFirst = bxid::str::AreaUnitPixel;

// Reads string-table texts (UTF-8); the program installs the resource lookup.
using StringLoader = std::function<std::string(unsigned)>;

class View3dData {
public:
    View3dData();
    virtual ~View3dData();
    View3dData(const View3dData&) = delete;
    View3dData& operator=(const View3dData&) = delete;

    // ---- accessor family -------------------------------------------------------------------
    GlListBlock* GetGlLists() { return &glLists_; }
    ViewState* GetViewState() { return &view_; }
    MeasureState* GetMeasureState() { return &measure_; }
    double GetZScaleFactor() const;
    double GetGraphScale() const;
    int SetContourCount(int count);
    int SetSliceLevel(double level);
    int SetZAxisFixed(int on);
    int SetZAxisLength(double length);
    int SetScaleLinesShown(int on);
    int SetZScaleFixed(int on);
    int SetZScalePreset(double factor);
    int SetZScaleFreeOn(int on);
    int SetZScaleFree(double factor);
    int SetRotationFixed(int on);
    int SetRotationX(double degrees);
    int SetRotationY(double degrees);
    int SetRotationZ(double degrees);
    int SetZoom(double zoom);
    void ApplyFixedView();
    int SetSliceArea(double area);
    int SetSlicePerimeter(double perimeter);
    int SetSmoothing(int on);
    int SetSmoothingMethod(int method);
    int SetSmoothingWidth(int index);
    int SetComment(const std::string& utf8);
    int SetDisplayMode(int mode);
    int SetBackgroundColor(COLORREF color);
    int SetPaletteIndex(int index);
    int SetWireframeDivisions(int divisions);
    int SetGraphScalePreset(double factor);
    int SetGraphScaleFreeOn(int on);
    int SetGraphScaleFree(double factor);
    // Line kinds (LineKind) are taken as 16-bit values here and by the line coordinates.
    int SetLinePositionFixed(int kind, int fixed);
    int SetLinePosition(int kind, int position);
    int SetMeasuredValue(int index, double value);
    int SetLineMode(int mode);
    int SetLineCount(int count);
    int GetLineCount() const { return measure_.lineCount; }
    // Cursors 0 (A) and 1 (B) in samples along the line, 2 (C) and 3 (D) as levels in height
    // units above the profile's minimum; -1 for C or D: not placed yet.
    double GetLineCoord(int cursor, int kind) const;
    int SetLineCoord(int cursor, int kind, double value);
    void GetLineRects(RECT* first, RECT* second) const;
    void SetLineRect(int which, const RECT& rect);
    void GetRoiRect(RECT* rect) const { *rect = roi_; }
    void SetRoiRect(const RECT& rect) { roi_ = rect; }
    // Cursors A and B of a line kind or of every kind (kAllLineKinds) set again over the
    // measurement picture, with the cross lines of the free line's cursors (the free line's
    // cursors themselves only for every kind); 0 without a picture or for another number.
    int ResetLinePositions(int kind);
    // The point on the line (x1, y1, x2, y2) for a (x) and b (y), either of them -1; see the
    // source for the three cases. Results are truncated to integers.
    static void ProjectOnLine(const RECT& line, int a, int b, POINT* point);
    double GetPitch(int axis) const;
    void SetPitch(int axis, double value);
    // The unit of axis 0/1 (xy) or 2 (z) into text; other axes leave it unchanged.
    void GetUnitText(int axis, std::string* text) const;
    // Copies the text (cut to 20 CP932 bytes on a character boundary); returns the stored
    // length in CP932 bytes including the zero, or the axis for a refused axis.
    int SetUnitText(const std::string& utf8, int axis);
    void GetUnitLabel(std::string* label, int axis) const;
    // The xy pitch expressed in the unit of heights, so that lengths and heights multiply into
    // areas and divide into angles of one unit; the pitch itself when either unit is no length
    // (length units: the string table's 15001..15007 and nm, um, mm, cm, m, km, inch).
    double XyPitchInZUnit() const;
    // The xy pitch in micrometres, the unit of the roughness cut-off; the pitch itself when the
    // xy unit is no length.
    double XyPitchInMicrometres() const;
    HDIB GetHeightSource(int which) const;
    const int32_t* GetProfileSamples() const { return profile_.empty() ? nullptr : profile_.data(); }
    int GetProfileCount() const { return static_cast<int>(profile_.size()); }
    int GetProfileMax() const { return profileMax_; }
    int GetProfileMin() const { return profileMin_; }
    const double* GetHistogram() const { return area_.histogram.empty() ? nullptr : area_.histogram.data(); }
    double GetHistogramSum() const { return area_.histogramSum; }
    double* GetPerimeterArray() { return area_.perimeter.empty() ? nullptr : area_.perimeter.data(); }
    void SetPerimeterValue(int index, double value);
    const double* GetPerimeterCurve() const { return area_.curve; }
    double GetPerimeterMax() const { return area_.curveMax; }
    const AreaData& GetAreaData() const { return area_; }
    void FreeRenderCache();
    // Deletes every display list through ReleaseGlLists, in the order surface, colour
    // material, frame box, white material, axis letters, extent texts, range text, base text,
    // and sets the ids to 0.
    void DeleteGlLists();

    // Frees every plane and derived image (the state blocks, pitch, calibration and type codes
    // stay: each reader sets those it knows).
    virtual void DeleteContents();

    // ---- loading and saving ----------------------------------------------------------------
    // Format indexes by extension: 0 .frn, 1 .vv3, 2 .jpg, 3 .bmp, 4 .txt, 5 .tif, 6 .tdv; -1
    // for any other (compared without regard to case, from the last '.' of the file name).
    static int FormatIndexOfPath(const std::string& path);
    // Reads an open file of that format into the planes (after DeleteContents). Returns the
    // slot type found (-1 when the reader gives none) through *slotType; false when no plane
    // was read. File exceptions pass to the caller.
    bool ReadFileOfFormat(CFile* file, int format, int* slotType);
    // Takes a received height record; false when it is refused (nothing changed then but the
    // planes being freed).
    bool LoadVv3dRecord(const void* data, uint64_t length);
    // Whether a document of w x h pixels fits in the memory free now, with all that is derived
    // from its planes and what its views and 3D scene take; checked before a document is read
    // or received and again once its planes are there, so that one that does not fit is
    // refused before the window toolkit or the graphics library is asked for its pictures.
    static bool RoomForDocument(int w, int h);
    // Told once a document has been prepared and shown: the threads that every document uses
    // have started, and their room is no longer asked for.
    static void NoteWorkersStarted();
    // RoomForDocument for the size of the texture plane read (true without one).
    bool RoomForPlanes() const;
    // The header fields of a document file from the document, and the file written.
    TdvFields CurrentTdvFields() const;
    int SaveTdv(const std::string& path, CFileException* error = nullptr) const;

    // ---- plane processing and scene preparation (View3dDataProcessing.cpp) --------------------
    // The whole chain after a load (format index 0..6 or -1 for a received data set, slot type
    // or -1): texture type and display image, scene, height images, line positions, levels,
    // slice level, state repair. 0 without a usable texture.
    int ProcessPlanes(int format, int slotType);
    // Derived height images, scale factor, display values from the global parameters while the
    // parameter source is 1, axis texts and scene lists; then OnScenePrepared. 0 without texture.
    int RebuildScene();
    // Height display and levelled images, measure view image, surface and extent lists, levels.
    int ReprocessHeight();
    // Frame box and text lists with fresh axis texts.
    int RebuildExtentLists();
    // Texture flag from the display mode; colour material, surface and frame box lists.
    int RebuildGlLists();
    // Cuts the texture to the rectangle for the current screen (flag 0); see the source.
    int ApplyRoi(int flag, const RECT& rect);
    // Pseudo-colour table (display modes 1, 2) or grey table (mode 0) on the height plane.
    int ApplyHeightPalette();
    // Builds the histogram when there is none: 1 built, 0 there was one.
    int EnsureHistogram();
    // Histogram and level range, then the per-level perimeter array (maximum level + 1 zeros)
    // and the curve and its maximum from zero, on the height display image.
    void RebuildAreaData();
    // The area and perimeter of the slice at the current slice level. Its level index is the
    // slice level over the z pitch plus the minimum level (truncated); the area is x pitch times
    // y pitch times the pixels at or above that level (the per-level area array), the perimeter
    // x pitch times the level's entry of the per-level perimeter array, measured now
    // (MeasureSlicePerimeter) and kept there while it is 0. Each is stored into the display
    // state only where its array holds the index; returns 1 when the area was stored.
    int UpdateSliceMeasures();
    // The five axis texts ("%.2f %s").
    void MakeAxisTexts();
    // The 8-bit height display image of a height source (copy, smoothing, grey table).
    HDIB BuildHeightDisplay(HDIB source) const;
    float scaleFactor = 1.0f; // of the 3D scene's z axis
    double sceneScale = 1.0;  // f of the scale choice

    // Display-list groups the scene hook builds.
    enum SceneLists : unsigned {
        kListColorMaterial = 1,
        kListWhiteMaterial = 2,
        kListSurface = 4,
        kListFrameBox = 8,
        kListAxisLetters = 16,
        kListTexts = 32,
        kListAll = 63,
    };

    // ---- plane access for the processing, views and file code ------------------------------
    HDIB TexturePlane() const { return texture_; }
    HDIB HeightPlane() const { return height_; }
    // Takes ownership of both planes (freeing the ones held).
    void SetPlanes(HDIB texture, HDIB height);
    int TextureType() const { return textureType_; }
    int HeightType() const { return heightType_; }
    void SetTypes(int texture, int height);
    int HeightMaxValue() const { return heightMax_; }
    double BaseOffset() const { return baseOffset_; }
    int ParamSource() const { return paramSource_; }
    void SetParamSource(int state) { paramSource_ = state; }
    v3d::ScreenMode ScreenMode() const { return screenMode_; }
    void SetScreenMode(v3d::ScreenMode mode) { screenMode_ = mode; }
    v3d::LineKind LineKind() const { return lineKind_; }
    void SetLineKind(v3d::LineKind kind) { lineKind_ = kind; }
    const CalibRecord& Calib() const { return calib_; }
    // Rz (0), Ra (1), Rzjis (2) of the current profile; the measurement holds them.
    virtual double Roughness(int /*which*/) const { return 0.0; }

    // The string lookup used for unit texts and labels (the program installs the resources').
    static void SetStringLoader(StringLoader loader);
    static std::string LoadText(unsigned id);

    // ---- fields the 3D scene and the processing share (public as the views use them) --------
    int maxLevel = 0, minLevel = 0;
    std::array<HDIB, kSlotCount> slots{};
    std::array<std::array<int32_t, kSlotCount>, 7>
        slotAttributes{}; // type, bpp, stride, levels, per256, digits, mono
    HDIB textureDisplay = nullptr;
    std::array<HDIB, 2> regionCut{}, regionCutDisplay{};
    HDIB fitted = nullptr, fittedDisplay = nullptr;
    HDIB heightDisplay = nullptr, levelledHeight = nullptr, glTexture = nullptr;
    HDIB heightCut3d = nullptr, heightCutMeasure = nullptr, profileDisplay = nullptr;
    HDIB binaryOverlay = nullptr, contourOverlay = nullptr;
    HDIB binaryCache = nullptr, contourCache = nullptr; // the height display image fitted for each
    RECT cut3d{};
    int binaryStale = 0, contourStale = 0, sceneReady = 0;
    CPalette texturePalette;
    int printing = 0, areaData = 0, heightDisplayType = 0;
    int sourceWidth = 0, sourceHeight = 0;
    int windowStart = -1, windowEnd = -1;
    std::array<std::string, 3> extentTexts; // x, y, z extents
    std::string rangeText, baseText;
    int profileMark = -1;
    // 3D view fields.
    int pixelFormatOption = 0, textureOn = 1;
    void* renderContext = nullptr;       // of the most recently created 3D view
    void* sharedRenderContext = nullptr; // the first 3D view's, holding every display list
    float fixedRotation[3] = {0, 0, 0};
    float zoomFactor = 1.0f;
    double rotationMatrix[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    int viewport[4] = {0, 0, 0, 0};
    int interior[4] = {0, 0, 0, 0};
    int meshDivisions = 80, meshReserved = 0, heightPercent = 100, lightW = 0;
    float light[7] = {0.55f, 0.45f, 0.1f, 1.0f, 1.0f, 1.0f, 100.0f};
    int fullResolution = 1;
    HDIB renderCache = nullptr;
    int currentPlane = 0;
    std::vector<int32_t> profileCodeA, profileCodeB;

    // The contour picture (contourOverlay, 24 bits) and the slice picture (binaryOverlay, 8 bits,
    // 255 at and above the slice level) of the height display image fitted into the target area
    // (null: the area of the pane that shows it, OverlayTargetArea). Each keeps the fitted height
    // image as its cache, made again while its stale flag is set or when the fitted size differs
    // from the image's by more than a tenth; the picture itself is made from the cache on every
    // call. 1 made; 0 without a height display image, a cache or memory (View3dDataOverlays.cpp).
    virtual int BuildContourImage(const RECT* target = nullptr);
    virtual int BuildBinaryImage(const RECT* target = nullptr);
    // The measurement picture (second region cut, else the texture) resampled to the rectangle's
    // size into fitted, with its display image in fittedDisplay; returns the display image, else
    // the resampled one. Null for a null or empty rectangle or without a texture.
    HDIB CreateRoiImages(const RECT* rect);
    // Profile and roughness: the accessors start them; the measurement fills them in.
    virtual void ExtractProfile(v3d::LineKind /*kind*/) {}
    virtual void ComputeRoughness() {}

protected:
    // Deletes count display lists from first on (the GL binding does it in the window layer).
    virtual void ReleaseGlLists(int32_t /*first*/, int32_t /*count*/) {}
    // Builds the display-list groups in the 3D scene's context (the 3D view does it).
    virtual void BuildSceneLists(unsigned /*groups*/) {}
    // Histogram and level range of the height display image. The base sets the level minimum
    // and maximum; the measurement fills histogram and perimeter.
    virtual void BuildHeightHistogram();
    virtual void BuildPerimeterCurve() {}
    // The perimeter in pixels of the height display image's pixels at or above a level.
    virtual double MeasureSlicePerimeter(int /*level*/) { return 0.0; }
    // The scene is ready: the window document redraws its views.
    virtual void OnScenePrepared() {}
    // The client area of the pane showing the contour or slice picture; false when there is
    // none (the data without windows has none).
    virtual bool OverlayTargetArea(PaneContent /*kind*/, RECT* /*area*/) const { return false; }
    // The image resampled to width x height (slot image type given); the base samples the
    // nearest pixel, the window document resamples through its image toolkit.
    virtual HDIB ResampleImage(HDIB source, int type, int width, int height);
    // Messages of the processing (9204 memory, 9205 too large); the base shows them.
    virtual void ShowProcessingMessage(unsigned id);

    // Results the measurement fills.
    std::vector<int32_t> profile_;
    int profileMax_ = 0, profileMin_ = 0;
    AreaData area_;

private:
    GlListBlock glLists_;
    ViewState view_;
    MeasureState measure_;
    v3d::ScreenMode screenMode_ = kScreen3d;
    v3d::LineKind lineKind_ = kLineHorizontal;
    std::array<std::array<double, 3>, 4> lineCoord_{};
    std::array<RECT, 2> lineRects_{};
    RECT roi_{};
    double baseOffset_ = 0.0;
    HDIB texture_ = nullptr, height_ = nullptr;
    int paramSource_ = 1;
    int textureType_ = -1, heightType_ = -1;
    double pitch_ = 1.0;
    CalibRecord calib_;
    int heightMax_ = -1;
};

} // namespace v3d
