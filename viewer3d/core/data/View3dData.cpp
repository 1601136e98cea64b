#include "viewer3d/core/data/View3dData.h"

#include "imaging/bitmaps/MemoryRoom.h"
#include "platform/Encoding.h"
#include "platform/File.h"
#include "viewer3d/core/files/ImageReaders.h"
#include "viewer3d/core/files/TxtFormatCheck.h"

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sys/resource.h>
#include <thread>

namespace v3d {

namespace {

StringLoader& loader() {
    static StringLoader l;
    return l;
}

void freeDib(HDIB& h) {
    if (h)
        GlobalFree(h);
    h = nullptr;
}

// The line kind a number names, taken as a 16-bit value; false when it names none.
bool lineKindOf(int value, LineKind* kind) {
    const int16_t k = static_cast<int16_t>(value);
    if (k < kLineHorizontal || k > kLineFree)
        return false;
    *kind = static_cast<LineKind>(k);
    return true;
}
bool nonNegative(double v) {
    return std::isfinite(v) && v >= 0.0;
}

} // namespace

View3dData::View3dData() {
    lineCoord_[2] = {-1.0, -1.0, -1.0};
    lineCoord_[3] = {-1.0, -1.0, -1.0};
    slotAttributes.fill({});
    for (int a = 0; a < 6; ++a)
        slotAttributes[a].fill(-1);
    const std::string unit = LoadText(bxid::str::UnitUm);
    calib_.xyUnit = unit.empty() ? "μｍ" : unit;
    calib_.zUnit = calib_.xyUnit;
    calib_.zScale = 1.0;
}

View3dData::~View3dData() {
    // Display lists are deleted by the window document while its GL context exists.
    View3dData::DeleteContents();
    for (HDIB& s : slots)
        freeDib(s);
}

void View3dData::SetStringLoader(StringLoader l) {
    loader() = std::move(l);
}

std::string View3dData::LoadText(unsigned id) {
    return loader() ? loader()(id) : std::string();
}

double View3dData::GetZScaleFactor() const {
    return view_.zScaleFreeOn ? view_.zScaleFree : view_.zScalePreset;
}

double View3dData::GetGraphScale() const {
    return measure_.graphScaleFreeOn ? measure_.graphScaleFree : measure_.graphScalePreset;
}

int View3dData::SetContourCount(int count) {
    if (count < 1 || count > 256)
        return 0;
    if (view_.contourCount != count) {
        view_.contourCount = static_cast<int16_t>(count);
        BuildContourImage();
    }
    return 1;
}

int View3dData::SetSliceLevel(double level) {
    if (!nonNegative(level))
        return 0;
    if (view_.sliceLevel != level) {
        view_.sliceLevel = level;
        BuildBinaryImage();
    }
    return 1;
}

int View3dData::SetZAxisFixed(int on) {
    return view_.zAxisFixed = on, 1;
}
int View3dData::SetZAxisLength(double v) {
    return nonNegative(v) ? (view_.zAxisLength = v, 1) : 0;
}
int View3dData::SetScaleLinesShown(int on) {
    return view_.scaleLinesShown = on, 1;
}
int View3dData::SetZScaleFixed(int on) {
    return view_.zScaleFixed = on, 1;
}
int View3dData::SetZScalePreset(double v) {
    return nonNegative(v) ? (view_.zScalePreset = v, 1) : 0;
}
int View3dData::SetZScaleFreeOn(int on) {
    return view_.zScaleFreeOn = on, 1;
}
int View3dData::SetZScaleFree(double v) {
    return nonNegative(v) ? (view_.zScaleFree = v, 1) : 0;
}
int View3dData::SetRotationFixed(int on) {
    return view_.rotationFixed = on, 1;
}
int View3dData::SetRotationX(double v) {
    return std::isfinite(v) ? (view_.rotationX = v, 1) : 0;
}
int View3dData::SetRotationY(double v) {
    return std::isfinite(v) ? (view_.rotationY = v, 1) : 0;
}
int View3dData::SetRotationZ(double v) {
    return std::isfinite(v) ? (view_.rotationZ = v, 1) : 0;
}
int View3dData::SetZoom(double v) {
    return nonNegative(v) ? (view_.zoom = v, 1) : 0;
}

void View3dData::ApplyFixedView() {
    fixedRotation[0] = static_cast<float>(view_.rotationX);
    fixedRotation[1] = static_cast<float>(view_.rotationY);
    fixedRotation[2] = static_cast<float>(view_.rotationZ);
    const double z = view_.zoom;
    zoomFactor = static_cast<float>(z > 0.0 && z < 1.0 ? -1.0 / z : z);
}

int View3dData::SetSliceArea(double v) {
    return nonNegative(v) ? (view_.sliceArea = v, 1) : 0;
}
int View3dData::SetSlicePerimeter(double v) {
    return nonNegative(v) ? (view_.slicePerimeter = v, 1) : 0;
}
int View3dData::SetSmoothing(int on) {
    return view_.smoothingOn = on, 1;
}
int View3dData::SetSmoothingMethod(int m) {
    return view_.smoothingMethod = m, 1;
}
// The index selects one of four weight sets: anything else would read past them.
int View3dData::SetSmoothingWidth(int i) {
    return i >= 0 && i <= 3 ? (view_.smoothingWidth = i, 1) : 0;
}

int View3dData::SetComment(const std::string& utf8) {
    view_.SetCommentUtf8(utf8);
    return 1;
}

int View3dData::SetDisplayMode(int mode) {
    return view_.displayMode = mode, 1;
}
int View3dData::SetBackgroundColor(COLORREF c) {
    return view_.backgroundColor = c, 1;
}
int View3dData::SetPaletteIndex(int i) {
    return i >= 0 && i <= 9 ? (view_.paletteIndex = i, 1) : 0;
}
int View3dData::SetWireframeDivisions(int d) {
    return d >= 10 ? (view_.wireframeDivisions = d, 1) : 0;
}
int View3dData::SetGraphScalePreset(double v) {
    return nonNegative(v) ? (measure_.graphScalePreset = v, 1) : 0;
}
int View3dData::SetGraphScaleFreeOn(int on) {
    return measure_.graphScaleFreeOn = on, 1;
}
int View3dData::SetGraphScaleFree(double v) {
    return nonNegative(v) ? (measure_.graphScaleFree = v, 1) : 0;
}

int View3dData::SetLinePositionFixed(int kind, int fixed) {
    v3d::LineKind k{};
    if (!lineKindOf(kind, &k))
        return 0;
    measure_.linePositionFixed[k] = fixed;
    return 1;
}

int View3dData::SetLinePosition(int kind, int position) {
    v3d::LineKind k{};
    if (!lineKindOf(kind, &k))
        return 0;
    measure_.linePosition[k] = position;
    ExtractProfile(k);
    ComputeRoughness();
    return 1;
}

int View3dData::SetMeasuredValue(int index, double value) {
    const int16_t i = static_cast<int16_t>(index);
    if (i < 0 || i > 3)
        return 0;
    measure_.measured[i] = value;
    return 1;
}

int View3dData::SetLineMode(int mode) {
    return mode == 0 || mode == 1 ? (measure_.lineMode = mode, 1) : 0;
}
int View3dData::SetLineCount(int count) {
    return count % 2 != 0 ? (measure_.lineCount = count, 1) : 0;
}

double View3dData::GetLineCoord(int cursor, int kind) const {
    v3d::LineKind k{};
    if (!lineKindOf(kind, &k))
        return -1.0;
    const int16_t c = static_cast<int16_t>(cursor);
    if (c < 0 || c > 3)
        return 0.0;
    return lineCoord_[c][k];
}

int View3dData::SetLineCoord(int cursor, int kind, double value) {
    v3d::LineKind k{};
    if (!lineKindOf(kind, &k))
        return 0;
    const int16_t c = static_cast<int16_t>(cursor);
    if (c >= 0 && c <= 3)
        lineCoord_[c][k] = value;
    return 1;
}

void View3dData::GetLineRects(RECT* first, RECT* second) const {
    if (first)
        *first = lineRects_[0];
    if (second)
        *second = lineRects_[1];
}

void View3dData::SetLineRect(int which, const RECT& rect) {
    if (which == 0 || which == 1)
        lineRects_[which] = rect;
}

void View3dData::ProjectOnLine(const RECT& line, int a, int b, POINT* point) {
    double dx = double(line.right) - line.left, dy = double(line.bottom) - line.top;
    if (dx == 0.0)
        dx = 1.0;
    if (dy == 0.0)
        dy = 1.0;
    const double len = std::hypot(dx, dy);
    const double ux = dx / len, uy = dy / len;
    if (a != -1 && b != -1) {
        // The foot of the perpendicular, in the unnormalised form (exact for whole numbers).
        const double t = ((a - line.left) * dx + (b - line.top) * dy) / (dx * dx + dy * dy);
        point->x = static_cast<LONG>(line.left + t * dx);
        point->y = static_cast<LONG>(line.top + t * dy);
        return;
    }
    // The point of the line at x = a (or y = b), and the cross line through it with direction
    // (-uy, ux), evaluated where the given coordinate of the point says.
    double cx, cy;
    if (b == -1) {
        cx = a;
        cy = line.top + (a - line.left) * dy / dx;
    } else {
        cy = b;
        cx = line.left + (b - line.top) * dx / dy;
    }
    if (point->x != -1) {
        const double s = (cx - point->x) / uy;
        point->y = static_cast<LONG>(cy + s * ux);
    } else {
        const double s = (point->y - cy) / ux;
        point->x = static_cast<LONG>(cx - s * uy);
    }
}

int View3dData::ResetLinePositions(int kind) {
    HDIB reference = regionCut[1] ? regionCut[1] : texture_;
    if (!reference || kind < kAllLineKinds || kind > kLineFree)
        return 0;
    int w = 0, h = 0;
    {
        GlobalLockGuard lock(reference);
        if (!lock)
            return 0;
        w = DibGetWidth(lock.get());
        h = DibGetHeight(lock.get());
    }
    const bool all = kind == kAllLineKinds;
    if (all || kind == kLineHorizontal) {
        lineCoord_[0][kLineHorizontal] = w / 4;
        lineCoord_[1][kLineHorizontal] = 3 * w / 4;
    }
    if (all || kind == kLineVertical) {
        lineCoord_[0][kLineVertical] = h / 4;
        lineCoord_[1][kLineVertical] = 3 * h / 4;
    }
    if (all || kind == kLineFree) {
        // Only a line without length is no free line: a horizontal or vertical free line (one
        // side of the rectangle 0) stays as the user drew it.
        if (roi_.right == roi_.left && roi_.bottom == roi_.top)
            roi_ = RECT{0, 0, w - 1, h - 1};
        const RECT diagonal = roi_;
        const LONG rw = std::abs(roi_.right - roi_.left), rh = std::abs(roi_.bottom - roi_.top);
        const bool wide = rw > rh;
        if (all) {
            const LONG span = wide ? rw : rh;
            lineCoord_[0][kLineFree] = span / 4;
            lineCoord_[1][kLineFree] = 3 * span / 4;
        }
        for (int c = 0; c < 2; ++c) {
            RECT r{};
            if (wide) {
                const int x = static_cast<int>(std::min(roi_.left, roi_.right) + lineCoord_[c][kLineFree]);
                POINT top{-1, 0}, bottom{-1, h};
                ProjectOnLine(diagonal, x, -1, &top);
                ProjectOnLine(diagonal, x, -1, &bottom);
                r = RECT{top.x, 0, bottom.x, h};
            } else {
                const int y = static_cast<int>(std::min(roi_.top, roi_.bottom) + lineCoord_[c][kLineFree]);
                POINT left{0, -1}, right{w, -1};
                ProjectOnLine(diagonal, -1, y, &left);
                ProjectOnLine(diagonal, -1, y, &right);
                r = RECT{0, left.y, w, right.y};
            }
            lineRects_[c] = r;
        }
    }
    return 1;
}

double View3dData::GetPitch(int axis) const {
    switch (static_cast<int16_t>(axis)) {
    case 0:
    case 1:
        return pitch_;
    case 2:
        return calib_.zScale;
    default:
        return -1.0;
    }
}

void View3dData::SetPitch(int axis, double value) {
    // Measurements divide by both: a value that is not a finite number above 0 is not taken.
    if (!(std::isfinite(value) && value > 0.0))
        return;
    switch (static_cast<int16_t>(axis)) {
    case 0:
    case 1:
        pitch_ = value;
        measure_.xPitch = measure_.yPitch = value;
        break;
    case 2:
        calib_.zScale = value;
        break;
    default:
        break;
    }
}

void View3dData::GetUnitText(int axis, std::string* text) const {
    const int16_t a = static_cast<int16_t>(axis);
    if (a == 0 || a == 1)
        *text = calib_.xyUnit;
    else if (a == 2)
        *text = calib_.zUnit;
}

int View3dData::SetUnitText(const std::string& utf8, int axis) {
    const int16_t a = static_cast<int16_t>(axis);
    if (a < 0 || a > 2)
        return axis;
    const std::string cp = Utf8ToCp932Cut(utf8, kCalibUnitBytes);
    (a == 2 ? calib_.zUnit : calib_.xyUnit) = Cp932ToUtf8(cp);
    return static_cast<int>(cp.size()) + 1;
}

void View3dData::GetUnitLabel(std::string* label, int axis) const {
    std::string unit;
    GetUnitText(axis, &unit);
    if (unit.empty() && !(axis >= 0 && axis <= 2))
        return;
    for (int i = 0; i < 8; ++i)
        if (LoadText(kUnitStringFirst + i) == unit) {
            *label = LoadText(kAreaLabelFirst + i);
            return;
        }
}

namespace {

// A length unit: one of it is factor x 10^exponent metres.
struct LengthUnit {
    double factor;
    int exponent;
};

// The string table's length units (after pixel) and their plain spellings; false for "pixel"
// and any other text.
bool lengthUnitOf(const std::string& unit, LengthUnit* u) {
    static const LengthUnit kUnits[8] = {{0, 0},  {1, -9}, {1, -6}, {1, -3},
                                         {1, -2}, {1, 0},  {1, 3},  {254, -4}};
    static const char* const kPlain[8] = {"pixel", "nm", "um", "mm", "cm", "m", "km", "inch"};
    if (unit.empty())
        return false;
    for (int i = 1; i < 8; ++i)
        if (View3dData::LoadText(kUnitStringFirst + i) == unit || unit == kPlain[i]) {
            *u = kUnits[i];
            return true;
        }
    if (unit != "µm" && unit != "μm")
        return false;
    *u = kUnits[2];
    return true;
}

// value x 10^shift as the double nearest to the decimal moved by shift places: a change of unit
// moves the decimal point, which a product with a power of ten in binary may miss by a unit in
// the last place (and a cut-off divided by the pitch then truncates to another count).
double shiftDecimal(double value, int shift) {
    if (!std::isfinite(value) || value == 0.0)
        return value;
    char text[64];
    std::snprintf(text, sizeof text, "%.14e", value);
    char* e = std::strchr(text, 'e');
    if (!e)
        return value;
    const int exponent = std::atoi(e + 1) + shift;
    std::snprintf(e, sizeof text - size_t(e - text), "e%d", exponent);
    return std::strtod(text, nullptr);
}

// A length in unit from expressed in unit to; itself when either is no length unit.
double convertLength(double value, const std::string& from, const std::string& to) {
    LengthUnit a{}, b{};
    if (!lengthUnitOf(from, &a) || !lengthUnitOf(to, &b))
        return value;
    return shiftDecimal(value * a.factor / b.factor, a.exponent - b.exponent);
}

} // namespace

double View3dData::XyPitchInZUnit() const {
    return convertLength(pitch_, calib_.xyUnit, calib_.zUnit);
}

double View3dData::XyPitchInMicrometres() const {
    return convertLength(pitch_, calib_.xyUnit, "um");
}

HDIB View3dData::GetHeightSource(int which) const {
    if (which == 0)
        return heightCut3d ? heightCut3d : height_;
    if (which == 1)
        return heightCutMeasure ? heightCutMeasure : height_;
    return nullptr;
}

void View3dData::SetPerimeterValue(int index, double value) {
    // Callers stay within the array; an index outside it is ignored rather than written.
    if (index >= 0 && static_cast<size_t>(index) < area_.perimeter.size())
        area_.perimeter[static_cast<size_t>(index)] = value;
}

void View3dData::FreeRenderCache() {
    freeDib(renderCache);
}

void View3dData::DeleteGlLists() {
    auto single = [&](int32_t& id) {
        if (id != 0)
            ReleaseGlLists(id, 1);
        id = 0;
    };
    auto group = [&](std::array<int32_t, 3>& first, std::array<int32_t, 3>& length) {
        for (int i = 0; i < 3; ++i) {
            for (int32_t k = 0; k < length[i]; ++k)
                ReleaseGlLists(first[i] + k, 1);
            first[i] = length[i] = 0;
        }
    };
    auto text = [&](int32_t& first, int32_t& length) {
        for (int32_t k = 0; k < length; ++k)
            ReleaseGlLists(first + k, 1);
        first = length = 0;
    };
    single(glLists_.surface);
    single(glLists_.colorMaterial);
    single(glLists_.frameBox);
    single(glLists_.whiteMaterial);
    group(glLists_.axisFirst, glLists_.axisLength);
    group(glLists_.extentFirst, glLists_.extentLength);
    text(glLists_.rangeFirst, glLists_.rangeLength);
    text(glLists_.baseFirst, glLists_.baseLength);
}

void View3dData::DeleteContents() {
    freeDib(texture_);
    freeDib(textureDisplay);
    for (int i = 0; i < 2; ++i) {
        freeDib(regionCut[i]);
        freeDib(regionCutDisplay[i]);
    }
    freeDib(fitted);
    freeDib(fittedDisplay);
    freeDib(heightCut3d);
    freeDib(heightCutMeasure);
    freeDib(profileDisplay);
    freeDib(binaryOverlay);
    freeDib(contourOverlay);
    freeDib(binaryCache);
    freeDib(contourCache);
    texturePalette.DeleteObject();
    freeDib(height_);
    freeDib(heightDisplay);
    freeDib(levelledHeight);
    freeDib(glTexture);
    FreeRenderCache();
}

void View3dData::SetPlanes(HDIB texture, HDIB height) {
    if (texture_ != texture)
        freeDib(texture_);
    if (height_ != height)
        freeDib(height_);
    texture_ = texture;
    height_ = height;
}

void View3dData::SetTypes(int texture, int height) {
    textureType_ = texture;
    heightType_ = height;
}

int View3dData::FormatIndexOfPath(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    const size_t dot = name.find_last_of('.');
    if (dot == std::string::npos)
        return -1;
    std::string ext = name.substr(dot);
    for (char& c : ext)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    static const char* const kExts[] = {".frn", ".vv3", ".jpg", ".bmp", ".txt", ".tif", ".tdv"};
    for (int i = 0; i < 7; ++i)
        if (ext == kExts[i])
            return i;
    return -1;
}

bool View3dData::ReadFileOfFormat(CFile* file, int format, int* slotType) {
    DeleteContents();
    int type = -1;
    HDIB texture = nullptr, height = nullptr;
    switch (format) {
    case 0: {
        FrnInfo info;
        texture = ReadFrnFile(file, &info, &pitch_, &calib_);
        if (texture) {
            type = info.type;
            windowStart = info.windowStart;
            windowEnd = info.windowEnd;
            heightMax_ = info.largest;
            measure_.xPitch = measure_.yPitch = pitch_;
        }
        break;
    }
    case 1: {
        const ProcParams& params = GlobalProcParams();
        HeightSetInfo info;
        texture = ReadVv3File(file, InvalidHeightRule{params.invalidOption != 0, params.invalidThreshold},
                              &height, &info);
        if (texture) {
            pitch_ = info.pitch;
            measure_.xPitch = measure_.yPitch = pitch_;
            calib_.zScale = info.zScale;
            heightMax_ = info.maxValue;
        }
        break;
    }
    case 2:
        texture = ReadJpgFile(file);
        break;
    case 3:
        texture = ReadBmpFile(file);
        break;
    case 4: {
        TxtFormat f;
        if (CheckTxtFormat(file, false, &f))
            texture = ReadTxtFile(file, f.valueType, f.columns, f.rows, f.separator == 1, &type);
        break;
    }
    case 5:
        texture = ReadTifFile(file, &type);
        break;
    case 6: {
        TdvFields fields;
        texture = ReadTdvFile(file, &fields, &height);
        if (texture) {
            view_ = fields.view;
            measure_ = fields.measure;
            textureType_ = fields.textureType;
            heightType_ = fields.heightType;
            pitch_ = fields.pitch;
            calib_ = fields.calib;
            heightMax_ = fields.maxValue;
            baseOffset_ = fields.baseOffset;
            type = fields.textureType;
            paramSource_ = 0;
            GlobalProcParams().TakeFromFile(view_);
        }
        break;
    }
    default:
        break;
    }
    if (!texture)
        return false;
    SetPlanes(texture, height);
    if (slotType)
        *slotType = type;
    return true;
}

bool View3dData::LoadVv3dRecord(const void* data, uint64_t length) {
    if (!CheckHeightRecord(data, length))
        return false;
    DeleteContents();
    HeightSetInfo info;
    HDIB height = nullptr;
    HDIB texture = LoadHeightRecord(data, length, &height, &info);
    if (!texture)
        return false;
    SetPlanes(texture, height);
    pitch_ = info.pitch;
    measure_.xPitch = measure_.yPitch = pitch_;
    calib_.zScale = info.zScale;
    heightMax_ = info.maxValue;
    return true;
}

namespace {

// What a document takes for each pixel at the most: the planes (texture 3, heights 2), the
// images derived from them (display, height display, levelled, OpenGL texture, profile,
// overlays and the work slots: about 17), the 3D scene's copy of its texture in the graphics
// library (about 6), and the larger of the reading's work buffers (10) and a view's picture
// and bitmap (7).
constexpr uint64_t kDocumentBytesPerPixel = 40;

std::atomic<bool> g_workersStarted{false};

// The first document starts the threads that process and draw every document: one a core for
// the processing, one a core in the graphics library for the 3D drawing and a few of the
// toolkit's. Each takes its stack and the range its own heap reserves (64 MB); the toolkit ends
// the process when it cannot start a thread, so their room is there before the first document.
uint64_t workersStillToStart() {
    if (g_workersStarted)
        return 0;
    rlimit stack{};
    const uint64_t stackBytes =
        ::getrlimit(RLIMIT_STACK, &stack) == 0 && stack.rlim_cur != RLIM_INFINITY ? stack.rlim_cur : 8u << 20;
    const uint64_t threads = 2 * uint64_t(std::max(1u, std::thread::hardware_concurrency())) + 4;
    return threads * (stackBytes + (uint64_t(64) << 20));
}

} // namespace

bool View3dData::RoomForDocument(int w, int h) {
    if (w <= 0 || h <= 0)
        return true; // nothing to allocate: the readers refuse such a size themselves
    return HasRoomFor(uint64_t(w) * uint64_t(h) * kDocumentBytesPerPixel, workersStillToStart());
}

void View3dData::NoteWorkersStarted() {
    g_workersStarted = true;
}

bool View3dData::RoomForPlanes() const {
    if (!texture_)
        return true;
    GlobalLockGuard lock(texture_);
    return !lock || RoomForDocument(DibGetWidth(lock.get()), std::abs(DibGetHeight(lock.get())));
}

TdvFields View3dData::CurrentTdvFields() const {
    TdvFields f;
    f.view = view_;
    f.measure = measure_;
    f.textureType = textureType_;
    f.heightType = heightType_;
    f.pitch = pitch_;
    f.calib = calib_;
    f.maxValue = heightMax_;
    f.baseOffset = baseOffset_;
    return f;
}

int View3dData::SaveTdv(const std::string& path, CFileException* error) const {
    return SaveTdvFile(path, CurrentTdvFields(), texture_, height_, error);
}

} // namespace v3d
