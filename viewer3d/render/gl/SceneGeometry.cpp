#include "viewer3d/render/gl/SceneGeometry.h"

#include "viewer3d/core/bitmaps/Dib.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

namespace v3d::scene {
namespace {

constexpr double kSpan = 2.56;
constexpr double kHalfSpan = 1.28;

Vec3 sub(const Vec3& a, const Vec3& b) {
    return {a.x - b.x, a.y - b.y, a.z - b.z};
}
Vec3 cross(const Vec3& a, const Vec3& b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
Vec3 unit(const Vec3& a) {
    double n = std::sqrt(a.x * a.x + a.y * a.y + a.z * a.z);
    return n > 0 ? Vec3{a.x / n, a.y / n, a.z / n} : Vec3{};
}

// Rounds half up, as the mesh step is defined.
int roundHalfUp(double v) {
    return static_cast<int>(std::floor(v + 0.5));
}

// Height of the data top in world units: m x percentage / 100.
double dataTop(const SceneValues& v) {
    return ZExtent(v) * v.heightPercentage / 100.0;
}

// The real height a fixed axis is measured against: raw range x z-calibration, 1.0 when that is
// not above 0 (a flat map would divide by zero).
double fixedAxisQuotient(const SceneValues& v) {
    double full = static_cast<double>(v.rawMaximum - v.rawMinimum) * v.zCalibration;
    return full > 0 ? full : 1.0;
}

// The full height of the data for the fixed axis of the labels: maximum raw value x
// z-calibration, 1.0 when not above 0.
double labelFullHeight(const SceneValues& v) {
    double full = static_cast<double>(v.maxRawValue) * v.zCalibration;
    return full > 0 ? full : 1.0;
}

double perScale(double value, double zs) {
    return zs > 0 ? value / zs : value;
}

} // namespace

double ZExtent(const SceneValues& v) {
    double larger = std::max(v.imageWidth, v.imageHeight) * v.pitch;
    if (!(larger > 0))
        return kSpan;
    return kSpan * static_cast<double>(v.rawMaximum - v.rawMinimum) * v.zCalibration / larger;
}

Vec3 CellNormal(const Vec3 p[4]) {
    Vec3 a = unit(cross(sub(p[1], p[2]), sub(p[0], p[2])));
    Vec3 b = unit(cross(sub(p[3], p[2]), sub(p[1], p[2])));
    return {(a.x + b.x) * 0.5, (a.y + b.y) * 0.5, (a.z + b.z) * 0.5};
}

void BuildSurfaceMesh(HDIB heightImage, const SceneValues& v, const TextureRatios& ratios, SceneExtents& ext,
                      SceneSink& sink) {
    GlobalLockGuard lock(heightImage);
    const void* block = lock.get();
    if (!block)
        return;
    const int w = DibGetWidth(block);
    const int h = std::abs(static_cast<int>(DibGetHeight(block)));
    if (w < 1 || h < 1)
        return;
    const int mode = v.displayMode;
    sink.PolygonMode(mode == 2 ? GL_LINE : GL_FILL);

    // Extents: the larger side spans 2.56 whatever its sample count, centred.
    double d = kSpan, c = kSpan;
    if (w < h)
        d = w * kSpan / h;
    else
        c = h * kSpan / w;
    if (!(d > 0) || d > kSpan)
        d = kSpan;
    if (!(c > 0) || c > kSpan)
        c = kSpan;
    const double offX = kHalfSpan - d / 2, offY = kHalfSpan - c / 2;
    const double m = ZExtent(v);
    ext.xMin = -d / 2;
    ext.yMin = -c / 2;
    ext.zExtent = m;
    ext.zHalf = m / 2;

    const double f = v.heightPercentage * 0.01 * m / 256.0;
    double vs = d * ratios.rs, vt = c * ratios.rt;
    if (!(vs > 0))
        vs = 1.0;
    if (!(vt > 0))
        vt = 1.0;

    int divisions;
    if (v.fullResolution)
        divisions = mode == 2 ? v.wireframeDivisions : 512;
    else
        divisions = mode == 2 ? std::min(v.wireframeDivisions, 40) : v.meshDivisions;
    divisions = std::max(divisions, 1);
    const int step = std::max({roundHalfUp(static_cast<double>(h) / divisions),
                               roundHalfUp(static_cast<double>(w) / divisions), 1});
    const double cell = kSpan * step / std::max(w, h);

    // Sampled columns (left to right) and rows (from the bottom row up); the last step of each
    // ends exactly on the border and is shorter.
    std::vector<int> cols, rows;
    for (int x = 0; x < w - 1; x += step)
        cols.push_back(x);
    cols.push_back(w - 1);
    for (int r = h - 1;; r -= step) {
        rows.push_back(std::max(r, 0));
        if (r <= 0)
            break;
    }
    const int nc = static_cast<int>(cols.size());
    const int nr = static_cast<int>(rows.size());
    if (nr < 2)
        return;

    std::vector<double> xr(nc);
    for (int i = 0; i < nc; ++i)
        xr[i] = static_cast<double>(cols[i]) / step * cell;
    auto yrOf = [&](int k) { return static_cast<double>(h - 1 - rows[k]) / step * cell; };

    // Four sampled rows around the strip: below, lower, upper, above (border rows repeat).
    std::vector<int> buffer[4];
    int held[4] = {-1, -1, -1, -1};
    for (auto& b : buffer)
        b.assign(w, 0);
    auto rowValues = [&](int k) -> const std::vector<int>& {
        k = std::clamp(k, 0, nr - 1);
        for (int s = 0; s < 4; ++s)
            if (held[s] == k)
                return buffer[s];
        // Replace the slot holding the row farthest from k.
        int slot = 0, far = -1;
        for (int s = 0; s < 4; ++s) {
            int dist = held[s] < 0 ? 1 << 30 : std::abs(held[s] - k);
            if (dist > far)
                far = dist, slot = s;
        }
        DibReadRow(buffer[slot].data(), block, 0, rows[k], w);
        held[slot] = k;
        return buffer[slot];
    };
    auto point = [&](int i, int k) {
        const std::vector<int>& values = rowValues(k);
        return Vec3{xr[i], yrOf(k), values[cols[i]] * f};
    };
    auto cellNormal = [&](int ci, int ck) {
        ci = std::clamp(ci, 0, nc - 2);
        ck = std::clamp(ck, 0, nr - 2);
        Vec3 corners[4] = {point(ci, ck + 1), point(ci + 1, ck + 1), point(ci, ck), point(ci + 1, ck)};
        return CellNormal(corners);
    };
    auto vertexNormal = [&](int i, int k) {
        if (nc < 2)
            return Vec3{0, 0, 1};
        Vec3 n{};
        for (int dk = -1; dk <= 0; ++dk)
            for (int di = -1; di <= 0; ++di) {
                Vec3 c4 = cellNormal(i + di, k + dk);
                n.x += c4.x, n.y += c4.y, n.z += c4.z;
            }
        return Vec3{n.x * 0.25, n.y * 0.25, n.z * 0.25};
    };

    const bool textured = v.textureOn == 1;
    RgbF colour;
    auto vertex = [&](int i, int k, bool topmost) {
        const std::vector<int>& values = rowValues(k);
        const int value = values[cols[i]];
        const double yr = yrOf(k);
        if (textured) {
            double t = topmost ? c / vt - 0.01 : yr / vt;
            sink.TexCoord(static_cast<float>(xr[i] / vs), static_cast<float>(t));
        } else {
            if (PaletteColour(mode, v.paletteIndex, value / 256.0, colour))
                sink.Material(colour);
            Vec3 n = vertexNormal(i, k);
            sink.Normal(static_cast<float>(n.x), static_cast<float>(n.y), static_cast<float>(n.z));
        }
        sink.Vertex(static_cast<float>(xr[i] - kHalfSpan + offX), static_cast<float>(yr - kHalfSpan + offY),
                    static_cast<float>(value * f - ext.zHalf));
    };
    for (int k = 0; k + 1 < nr; ++k) {
        const bool topmost = k + 2 == nr;
        sink.Begin(GL_TRIANGLE_STRIP);
        for (int i = 0; i < nc; ++i) {
            vertex(i, k + 1, topmost);
            vertex(i, k, false);
        }
        sink.End();
    }

    if (mode == 1 || mode == 2) {
        if (mode == 2)
            sink.PolygonMode(GL_FILL);
        const RgbF* table = HeightPalette(v.paletteIndex);
        const float y = static_cast<float>(ext.yMin);
        const float x0 = static_cast<float>(ext.xMin - 0.5), x1 = static_cast<float>(ext.xMin - 0.3);
        sink.Begin(GL_QUADS);
        for (int i = 0; i < 255; ++i) {
            float z0 = static_cast<float>(-ext.zHalf + i * ext.zExtent / 255.0);
            float z1 = static_cast<float>(-ext.zHalf + (i + 1) * ext.zExtent / 255.0);
            sink.Material(table[i]);
            sink.Vertex(x1, y, z0);
            sink.Vertex(x0, y, z0);
            sink.Material(table[i + 1]);
            sink.Vertex(x0, y, z1);
            sink.Vertex(x1, y, z1);
        }
        sink.End();
        if (mode == 2)
            sink.PolygonMode(GL_LINE);
    }
}

void DrawFrameBox(const SceneValues& v, SceneExtents& ext, SceneSink& sink) {
    const int w = v.imageWidth, h = v.imageHeight;
    double X = kSpan, Y = kSpan;
    if (w > 0 && h > 0) {
        if (h < w)
            Y = h * kSpan / w;
        else
            X = w * kSpan / h;
    }
    const double zs = v.zScaleFactor;
    const double m = ZExtent(v);
    ext.zExtent = m;
    ext.zHalf = m / 2;
    // A scale factor of 0 is reachable (slider stop, preset): the floor then stays just below
    // the surface instead of at infinity.
    ext.zBase = perScale(-0.01, zs);
    double top = dataTop(v);
    if (v.zAxisFixed)
        top = top * std::max(v.zAxisLength, 0.0) / fixedAxisQuotient(v);
    const double zh = ext.zHalf;
    const double zb = ext.zBase - zh;
    const double u = perScale(0.25, zs);
    const double x0 = ext.xMin, y0 = ext.yMin;
    auto line = [&](double ax, double ay, double az, double bx, double by, double bz) {
        sink.Vertex(static_cast<float>(ax), static_cast<float>(ay), static_cast<float>(az));
        sink.Vertex(static_cast<float>(bx), static_cast<float>(by), static_cast<float>(bz));
    };

    sink.LineWidth(1.0f);
    sink.Begin(GL_LINES);
    line(x0, y0, zb, x0 + X + 0.25, y0, zb);
    line(x0, y0, zb, x0, y0 + Y + 0.25, zb);
    line(x0, y0, zb, x0, y0, u + top - zh);
    if (v.gridShown) {
        for (int k = 0; k <= 5; ++k) {
            double fy = y0 + k * 0.2 * Y, fx = x0 + k * 0.2 * X;
            double level = (k == 0 ? ext.zBase : k * 0.2 * top) - zh;
            line(x0, fy, zb, x0 + X, fy, zb);
            line(fx, y0, zb, fx, y0 + Y, zb);
            line(x0, y0 + Y, level, x0 + X, y0 + Y, level);
            line(fx, y0 + Y, zb, fx, y0 + Y, top - zh);
            line(x0, y0, level, x0, y0 + Y, level);
            line(x0, fy, zb, x0, fy, top - zh);
        }
    }
    sink.End();

    sink.LineWidth(1.0f);
    if (v.displayMode == 2)
        sink.PolygonMode(GL_FILL);
    auto head = [&](const Vec3& b0, const Vec3& b1, const Vec3& b2, const Vec3& tip) {
        const Vec3* faces[4][3] = {{&b0, &b1, &b2}, {&b0, &b1, &tip}, {&b1, &b2, &tip}, {&b2, &b0, &tip}};
        sink.Begin(GL_POLYGON);
        for (auto& face : faces)
            for (const Vec3* p : face)
                sink.Vertex(static_cast<float>(p->x), static_cast<float>(p->y), static_cast<float>(p->z));
        sink.End();
    };
    const double e = perScale(0.03, zs);
    const double ax = x0 + X + 0.25;
    head({ax, y0, zb + e}, {ax, y0 + 0.03, zb - e}, {ax, y0 - 0.03, zb - e}, {ax + 0.1, y0, zb});
    const double ay = y0 + Y + 0.25;
    head({x0, ay, zb + e}, {x0 + 0.03, ay, zb - e}, {x0 - 0.03, ay, zb - e}, {x0, ay + 0.1, zb});
    const double az = u + top - zh;
    head({x0, y0 + 0.03, az}, {x0 - 0.03, y0 - 0.03, az}, {x0 + 0.03, y0 - 0.03, az},
         {x0, y0, az + perScale(0.1, zs)});
    if (v.displayMode == 2)
        sink.PolygonMode(GL_FILL);
}

void ComputeAxisLengths(const SceneValues& v, double& x, double& y, double& z) {
    const int w = v.imageWidth, h = v.imageHeight;
    x = kSpan, y = kSpan;
    if (w > 0 && h > 0) {
        if (w < h)
            x = w * kSpan / h;
        else
            y = h * kSpan / w;
    }
    // An unknown maximum raw value (-1) must not turn the axis downwards: the data top stands.
    z = dataTop(v);
    if (v.zAxisFixed)
        z = z * std::max(v.zAxisLength, 0.0) / labelFullHeight(v);
}

Vec3 AxisLetterPos(const SceneValues& v, const SceneExtents& ext, int axis) {
    double x, y, z;
    ComputeAxisLengths(v, x, y, z);
    switch (axis) {
    case 0:
        return {ext.xMin + x + 0.4, ext.yMin, -ext.zHalf};
    case 1:
        return {ext.xMin, ext.yMin + y + 0.4, -ext.zHalf};
    default:
        return {ext.xMin, ext.yMin, z + perScale(0.25 + 0.1 + 0.05, v.zScaleFactor) - ext.zHalf};
    }
}

Vec3 AxisValuePos(const SceneValues& v, const SceneExtents& ext, int axis) {
    double x, y, z;
    ComputeAxisLengths(v, x, y, z);
    switch (axis) {
    case 0:
        return {ext.xMin + x, ext.yMin - 0.32, -ext.zHalf};
    case 1:
        return {ext.xMin - 0.32, ext.yMin + y, -ext.zHalf};
    default:
        return {ext.xMin - 0.32, ext.yMin, z - ext.zHalf};
    }
}

bool DataTopLabelPos(const SceneValues& v, const SceneExtents& ext, Vec3& pos) {
    if (!v.zAxisFixed)
        return true;
    const double full = labelFullHeight(v);
    if (v.zAxisLength <= full)
        return false;
    const double g = dataTop(v);
    const double scaled = v.zAxisLength * g / full;
    pos = {ext.xMin - 0.32, ext.yMin, (scaled - g > 0.2 ? g : scaled - 0.2) - ext.zHalf};
    return true;
}

Vec3 OriginLabelPos(const SceneExtents& ext) {
    return {ext.xMin - 0.32, ext.yMin - 0.32, -ext.zHalf};
}

void RotationMatrix(double angle, double x, double y, double z, double out[16]) {
    double n = std::sqrt(x * x + y * y + z * z);
    if (n > 0)
        x /= n, y /= n, z /= n;
    const double a = angle * std::numbers::pi / 180.0;
    const double c = std::cos(a), s = std::sin(a), t = 1 - c;
    // Column order: out[col * 4 + row].
    out[0] = x * x * t + c, out[4] = x * y * t - z * s, out[8] = x * z * t + y * s, out[12] = 0;
    out[1] = y * x * t + z * s, out[5] = y * y * t + c, out[9] = y * z * t - x * s, out[13] = 0;
    out[2] = x * z * t - y * s, out[6] = y * z * t + x * s, out[10] = z * z * t + c, out[14] = 0;
    out[3] = 0, out[7] = 0, out[11] = 0, out[15] = 1;
}

void MultiplyMatrix(const double a[16], const double b[16], double out[16]) {
    double r[16];
    for (int col = 0; col < 4; ++col)
        for (int row = 0; row < 4; ++row) {
            double sum = 0;
            for (int k = 0; k < 4; ++k)
                sum += a[k * 4 + row] * b[col * 4 + k];
            r[col * 4 + row] = sum;
        }
    std::copy(r, r + 16, out);
}

void AccumulateRotation(double matrix[16], int rotationMode, double angleX, double angleY, double angleZ) {
    double turn[16], r[16];
    if (rotationMode) {
        RotationMatrix(angleX, 1, 0, 0, turn);
        RotationMatrix(angleY, 0, 1, 0, r);
        MultiplyMatrix(turn, r, turn);
        RotationMatrix(angleZ, 0, 0, 1, r);
        MultiplyMatrix(turn, r, turn);
    } else {
        RotationMatrix(angleX, 0, -1, 0, turn);
        RotationMatrix(angleY, -1, 0, 0, r);
        MultiplyMatrix(turn, r, turn);
    }
    MultiplyMatrix(turn, matrix, matrix);
}

LabelBox LabelBoxAt(int x, int y, int length, int charWidth, int ascent, int descent) {
    LabelBox b;
    b.left = x;
    b.right = x + length * charWidth;
    b.bottom = y - descent;
    b.top = y + ascent;
    return b;
}

int LabelShiftClearOf(const LabelBox& box, const std::vector<LabelBox>& placed) {
    constexpr int kGap = 2;
    LabelBox b = box;
    // A label that sits higher than the one it meets moves up, else down, so that the labels
    // keep their order on the screen; a label moved onto another moves on past that one.
    int way = 0;
    for (size_t round = 0; round <= placed.size(); ++round) {
        const LabelBox* hit = nullptr;
        for (const LabelBox& p : placed)
            if (b.left < p.right + kGap && p.left < b.right + kGap && b.bottom < p.top + kGap &&
                p.bottom < b.top + kGap) {
                hit = &p;
                break;
            }
        if (!hit)
            break;
        if (way == 0)
            way = b.bottom + b.top >= hit->bottom + hit->top ? 1 : -1;
        const int move = way > 0 ? hit->top + kGap - b.bottom : hit->bottom - kGap - b.top;
        b.bottom += move;
        b.top += move;
    }
    return b.bottom - box.bottom;
}

bool ToWindow(const ScreenView& view, const Vec3& p, double* x, double* y) {
    const double in[4] = {p.x, p.y, p.z, 1.0};
    double eye[4], clip[4];
    for (int r = 0; r < 4; ++r)
        eye[r] = view.modelview[r] * in[0] + view.modelview[4 + r] * in[1] + view.modelview[8 + r] * in[2] +
                 view.modelview[12 + r] * in[3];
    for (int r = 0; r < 4; ++r)
        clip[r] = view.projection[r] * eye[0] + view.projection[4 + r] * eye[1] +
                  view.projection[8 + r] * eye[2] + view.projection[12 + r] * eye[3];
    if (!(clip[3] > 0.0))
        return false;
    *x = view.viewport[0] + (clip[0] / clip[3] + 1.0) * 0.5 * view.viewport[2];
    *y = view.viewport[1] + (clip[1] / clip[3] + 1.0) * 0.5 * view.viewport[3];
    return true;
}

namespace {

// Keeps the corners of the polygons the frame box issues: its arrow heads.
class ArrowHeadSink : public SceneSink {
public:
    std::vector<std::vector<Vec3>> heads;
    void PolygonMode(unsigned) override {}
    void LineWidth(float) override {}
    void Begin(unsigned primitive) override {
        inHead_ = primitive == GL_POLYGON;
        if (inHead_)
            heads.emplace_back();
    }
    void End() override { inHead_ = false; }
    void TexCoord(float, float) override {}
    void Normal(float, float, float) override {}
    void Material(const RgbF&) override {}
    void Vertex(float x, float y, float z) override {
        if (inHead_)
            heads.back().push_back({x, y, z});
    }

private:
    bool inHead_ = false;
};

} // namespace

std::vector<LabelBox> ArrowHeadBoxes(const SceneValues& v, const SceneExtents& ext, const ScreenView& view) {
    ArrowHeadSink sink;
    SceneExtents copy = ext; // the frame box stores its extents; the scene's stay as they are
    DrawFrameBox(v, copy, sink);
    std::vector<LabelBox> boxes;
    for (const auto& head : sink.heads) {
        double left = 0, right = 0, bottom = 0, top = 0;
        bool any = false;
        for (const Vec3& p : head) {
            double x = 0, y = 0;
            if (!ToWindow(view, p, &x, &y))
                continue;
            left = any ? std::min(left, x) : x;
            right = any ? std::max(right, x) : x;
            bottom = any ? std::min(bottom, y) : y;
            top = any ? std::max(top, y) : y;
            any = true;
        }
        if (any)
            boxes.push_back(
                {int(std::floor(left)), int(std::floor(bottom)), int(std::ceil(right)), int(std::ceil(top))});
    }
    return boxes;
}

LabelPlacer::LabelPlacer(const SceneValues& v, const SceneExtents& ext, const ScreenView& view, int charWidth,
                         int ascent, int descent)
    : charWidth_(charWidth), ascent_(ascent), descent_(descent) {
    if (charWidth > 0) // without a cell nothing is placed
        placed_ = ArrowHeadBoxes(v, ext, view);
}

int LabelPlacer::Place(int x, int y, int length) {
    LabelBox box = LabelBoxAt(x, y, length, charWidth_, ascent_, descent_);
    const int shift = LabelShiftClearOf(box, placed_);
    box.bottom += shift;
    box.top += shift;
    placed_.push_back(box);
    return shift;
}

} // namespace v3d::scene
