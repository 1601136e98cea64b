// The scene's geometry without GL: mesh extents and steps, heights, colour bar, frame box,
// label positions, palettes and the accumulated turn.
#include "viewer3d/render/gl/SceneGeometry.h"

#include "viewer3d/core/bitmaps/Dib.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

namespace s = v3d::scene;

namespace {

struct Block {
    unsigned primitive = 0;
    std::vector<s::Vec3> vertices;
    std::vector<s::Vec3> texCoords; // z unused
    std::vector<s::RgbF> colours;   // material in force at each vertex
    std::vector<s::Vec3> normals;
};

class Recorder final : public s::SceneSink {
public:
    void PolygonMode(unsigned mode) override { modes.push_back(mode); }
    void LineWidth(float) override {}
    void Begin(unsigned p) override { blocks.push_back({p, {}, {}, {}, {}}); }
    void End() override {}
    void TexCoord(float u, float v) override { tex = {u, v, 0}; }
    void Normal(float x, float y, float z) override { normal = {x, y, z}; }
    void Material(const s::RgbF& c) override { colour = c; }
    void Vertex(float x, float y, float z) override {
        Block& b = blocks.back();
        b.vertices.push_back({x, y, z});
        b.texCoords.push_back(tex);
        b.colours.push_back(colour);
        b.normals.push_back(normal);
    }
    std::vector<unsigned> modes;
    std::vector<Block> blocks;
    s::Vec3 tex, normal;
    s::RgbF colour;
};

struct Owned {
    explicit Owned(HDIB h) : h(h) {}
    ~Owned() { GlobalFree(h); }
    HDIB h;
};

// An 8-bit height image filled by value(x, y) with y from the top.
template <class F> HDIB heightImage(int w, int h, F value) {
    HDIB dib = v3d::DibCreate(w, h, v3d::kKindGrey8);
    GlobalLockGuard lock(dib);
    std::vector<int> row(w);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x)
            row[x] = value(x, y);
        v3d::DibWriteRow(row.data(), lock.get(), 0, y, w);
    }
    return dib;
}

s::SceneValues values(int w, int h, int mode) {
    s::SceneValues v;
    v.imageWidth = w;
    v.imageHeight = h;
    v.displayMode = mode;
    v.textureOn = mode == 0 ? 1 : 0;
    v.rawMinimum = 0;
    v.rawMaximum = 255;
    return v;
}

void bounds(const Recorder& r, unsigned primitive, s::Vec3& lo, s::Vec3& hi, size_t* count = nullptr) {
    const double inf = std::numeric_limits<double>::infinity();
    lo = {inf, inf, inf}, hi = {-inf, -inf, -inf};
    size_t n = 0;
    for (const Block& b : r.blocks)
        if (b.primitive == primitive)
            for (const s::Vec3& p : b.vertices) {
                lo = {std::min(lo.x, p.x), std::min(lo.y, p.y), std::min(lo.z, p.z)};
                hi = {std::max(hi.x, p.x), std::max(hi.y, p.y), std::max(hi.z, p.z)};
                ++n;
            }
    if (count)
        *count = n;
}

int blocksOf(const Recorder& r, unsigned primitive) {
    int n = 0;
    for (const Block& b : r.blocks)
        n += b.primitive == primitive ? 1 : 0;
    return n;
}

TEST(SceneMesh, WideImageAtFullResolutionStepsByTwoAndIsCentred) {
    Owned img(heightImage(1000, 500, [](int, int) { return 0; }));
    s::SceneValues v = values(1000, 500, 0);
    s::SceneExtents ext;
    Recorder r;
    s::BuildSurfaceMesh(img.h, v, {}, ext, r);
    // G = 2: columns 0, 2, ..., 998 and the border column 999; rows 499 up to 1, then 0.
    ASSERT_EQ(blocksOf(r, GL_TRIANGLE_STRIP), 250);
    EXPECT_EQ(r.blocks.front().vertices.size(), 2u * 501);
    s::Vec3 lo, hi;
    bounds(r, GL_TRIANGLE_STRIP, lo, hi);
    EXPECT_NEAR(lo.x, -1.28, 1e-6);
    EXPECT_NEAR(hi.x, -1.28 + 2.56 * 999 / 1000, 1e-6); // 1.27744
    EXPECT_NEAR(lo.y, -0.64, 1e-6);
    EXPECT_NEAR(hi.y, -0.64 + 2.56 * 499 / 1000, 1e-6); // 0.63744
    EXPECT_DOUBLE_EQ(ext.xMin, -1.28);
    EXPECT_DOUBLE_EQ(ext.yMin, -0.64);
    // The first strip: upper vertex first, at the next row up, then the bottom-row vertex.
    const Block& first = r.blocks.front();
    EXPECT_NEAR(first.vertices[0].y - first.vertices[1].y, 2 * 0.00256, 1e-6);
    EXPECT_NEAR(first.vertices[2].x - first.vertices[0].x, 2 * 0.00256, 1e-6);
    // The last column's step is shortened to one sample.
    const auto& fv = first.vertices;
    EXPECT_NEAR(fv[fv.size() - 1].x - fv[fv.size() - 3].x, 0.00256, 1e-6);
}

TEST(SceneMesh, SingleRowDrawsNothingAndTallImageSpansTheHeight) {
    {
        Owned img(heightImage(300, 1, [](int, int) { return 9; }));
        s::SceneValues v = values(300, 1, 1);
        s::SceneExtents ext;
        Recorder r;
        s::BuildSurfaceMesh(img.h, v, {}, ext, r);
        EXPECT_EQ(blocksOf(r, GL_TRIANGLE_STRIP), 0);
    }
    // A small image (larger side below 256) spans 2.56 centred, like a large one.
    Owned img(heightImage(50, 100, [](int, int) { return 0; }));
    s::SceneValues v = values(50, 100, 1);
    s::SceneExtents ext;
    Recorder r;
    s::BuildSurfaceMesh(img.h, v, {}, ext, r);
    s::Vec3 lo, hi;
    bounds(r, GL_TRIANGLE_STRIP, lo, hi);
    EXPECT_NEAR(lo.y, -1.28, 1e-6);
    EXPECT_NEAR(hi.y, -1.28 + 2.56 * 99 / 100, 1e-6);
    EXPECT_NEAR(lo.x, -0.64, 1e-6);
    EXPECT_NEAR(hi.x, -0.64 + 2.56 * 49 / 100, 1e-6);
}

TEST(SceneMesh, HeightsSpanTheZExtentAndColoursFollowThePalette) {
    // Left half 0, right half 255.
    Owned img(heightImage(512, 512, [](int x, int) { return x < 256 ? 0 : 255; }));
    s::SceneValues v = values(512, 512, 1);
    v.pitch = 2.0;
    v.rawMaximum = 1100, v.rawMinimum = 100, v.zCalibration = 0.5;
    const double m = 2.56 * 1000 * 0.5 / (512 * 2.0);
    EXPECT_DOUBLE_EQ(s::ZExtent(v), m);
    s::SceneExtents ext;
    Recorder r;
    s::BuildSurfaceMesh(img.h, v, {}, ext, r);
    s::Vec3 lo, hi;
    bounds(r, GL_TRIANGLE_STRIP, lo, hi);
    EXPECT_NEAR(lo.z, -m / 2, 1e-6);
    EXPECT_NEAR(hi.z, m * 255 / 256 - m / 2, 1e-6);
    // Colours: raw 0 gets entry 0 of the rainbow (blue), raw 255 entry 254.
    const s::RgbF* rainbow = s::HeightPalette(0);
    const Block& b = r.blocks.front();
    EXPECT_FLOAT_EQ(b.colours[1].b, rainbow[0].b);
    EXPECT_FLOAT_EQ(b.colours[b.vertices.size() - 1].r, rainbow[254].r);
    // Normals of the flat left part point along z; of unit length or less.
    EXPECT_NEAR(std::fabs(b.normals[1].z), 1.0, 1e-6);
}

TEST(SceneMesh, ColourBarHas255QuadsFromBlueAtTheBottomToRedAtTheTop) {
    Owned img(heightImage(64, 64, [](int x, int) { return x; }));
    s::SceneValues v = values(64, 64, 2);
    s::SceneExtents ext;
    Recorder r;
    s::BuildSurfaceMesh(img.h, v, {}, ext, r);
    ASSERT_EQ(blocksOf(r, GL_QUADS), 1);
    const Block& bar = r.blocks.back();
    ASSERT_EQ(bar.vertices.size(), 255u * 4);
    EXPECT_NEAR(bar.vertices.front().z, -ext.zHalf, 1e-6);
    EXPECT_NEAR(bar.vertices.back().z, ext.zHalf, 1e-5);
    EXPECT_NEAR(bar.vertices[0].x, ext.xMin - 0.3, 1e-6);
    EXPECT_NEAR(bar.vertices[1].x, ext.xMin - 0.5, 1e-6);
    EXPECT_GT(bar.colours.front().b, 0.9f);
    EXPECT_GT(bar.colours.back().r, 0.9f);
    EXPECT_LT(bar.colours.back().b, 0.01f);
    // Wireframe: lines for the mesh, filled for the bar, lines again.
    EXPECT_EQ(r.modes, (std::vector<unsigned>{GL_LINE, GL_FILL, GL_LINE}));
}

TEST(SceneMesh, TextureModeGivesCoordinatesAndTheTopRowStopsShortOfTheEdge) {
    Owned img(heightImage(256, 128, [](int, int) { return 0; }));
    s::SceneValues v = values(256, 128, 0);
    s::SceneExtents ext;
    Recorder r;
    s::BuildSurfaceMesh(img.h, v, {1.0, 2.0}, ext, r); // texture twice as tall as the picture
    const Block& bottom = r.blocks.front();
    EXPECT_NEAR(bottom.texCoords[1].x, 0.0, 1e-6);
    EXPECT_NEAR(bottom.texCoords[1].y, 0.0, 1e-6);
    EXPECT_NEAR(bottom.texCoords.back().x, 255.0 / 256, 1e-6);
    const Block& top = r.blocks.back();
    EXPECT_NEAR(top.texCoords[0].y, 0.5 - 0.01, 1e-6); // C / vt - 0.01
    EXPECT_EQ(blocksOf(r, GL_QUADS), 0);
}

TEST(SceneFrameBox, GridHas39LinesAndThreeArrowHeads) {
    s::SceneValues v = values(1000, 500, 1);
    s::SceneExtents ext;
    ext.xMin = -1.28, ext.yMin = -0.64;
    Recorder r;
    s::DrawFrameBox(v, ext, r);
    ASSERT_EQ(r.blocks.size(), 4u);
    EXPECT_EQ(r.blocks[0].primitive, static_cast<unsigned>(GL_LINES));
    EXPECT_EQ(r.blocks[0].vertices.size(), 2u * 39);
    for (int i = 1; i < 4; ++i) {
        EXPECT_EQ(r.blocks[i].primitive, static_cast<unsigned>(GL_POLYGON));
        EXPECT_EQ(r.blocks[i].vertices.size(), 12u);
    }
    // The x axis runs 0.25 past the surface; its tip 0.1 further.
    EXPECT_NEAR(r.blocks[0].vertices[1].x, -1.28 + 2.56 + 0.25, 1e-6);
    EXPECT_NEAR(r.blocks[1].vertices.back().x, -1.28 + 2.56 + 0.35, 1e-6);

    v.gridShown = 0;
    Recorder plain;
    s::DrawFrameBox(v, ext, plain);
    EXPECT_EQ(plain.blocks[0].vertices.size(), 2u * 3);
}

TEST(SceneFrameBox, ZeroScaleFactorAndFlatDataKeepEveryCoordinateFinite) {
    s::SceneValues v = values(200, 200, 2);
    v.zScaleFactor = 0.0;             // reachable through the slider's first stop
    v.rawMaximum = v.rawMinimum = 40; // flat map: raw range 0
    v.zAxisFixed = 1;
    v.zAxisLength = 5.0;
    s::SceneExtents ext;
    Recorder r;
    s::DrawFrameBox(v, ext, r);
    EXPECT_DOUBLE_EQ(ext.zBase, -0.01);
    for (const Block& b : r.blocks)
        for (const s::Vec3& p : b.vertices)
            ASSERT_TRUE(std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z));
    v.zScaleFactor = 2.0;
    s::DrawFrameBox(v, ext, r);
    EXPECT_DOUBLE_EQ(ext.zBase, -0.005);
}

TEST(SceneLabels, AxisLengthsAndPositions) {
    s::SceneValues v = values(400, 800, 1);
    v.rawMaximum = 255, v.maxRawValue = -1; // maximum raw value not known
    const double m = s::ZExtent(v);
    double x, y, z;
    s::ComputeAxisLengths(v, x, y, z);
    EXPECT_DOUBLE_EQ(x, 1.28);
    EXPECT_DOUBLE_EQ(y, 2.56);
    EXPECT_DOUBLE_EQ(z, m); // not -m: an unknown maximum must not turn the axis down
    v.heightPercentage = 50;
    s::ComputeAxisLengths(v, x, y, z);
    EXPECT_DOUBLE_EQ(z, m / 2);

    s::SceneExtents ext;
    ext.xMin = -0.64, ext.yMin = -1.28, ext.zHalf = 0.3;
    v.zScaleFactor = 2.0;
    s::Vec3 p = s::AxisLetterPos(v, ext, 2);
    EXPECT_NEAR(p.z, m / 2 + 0.4 / 2 - 0.3, 1e-9);
    p = s::AxisValuePos(v, ext, 0);
    EXPECT_NEAR(p.x, -0.64 + 1.28, 1e-9);
    EXPECT_NEAR(p.y, -1.28 - 0.32, 1e-9);
    p = s::OriginLabelPos(ext);
    EXPECT_NEAR(p.x, -0.96, 1e-9);

    // Fixed axis below the data's full height: no data-top label; above it: one.
    v.heightPercentage = 100;
    v.zAxisFixed = 1;
    v.maxRawValue = 200, v.zCalibration = 0.5; // full height 100
    v.zAxisLength = 80;
    EXPECT_FALSE(s::DataTopLabelPos(v, ext, p));
    v.zAxisLength = 150;
    ASSERT_TRUE(s::DataTopLabelPos(v, ext, p));
    // m = 2.56 x 255 x 0.5 / 800 = 0.408; 150 / 100 of it is more than 0.2 above it: the label
    // sits at the data top. At 120 it is not: 0.2 below the scaled top.
    EXPECT_NEAR(p.z, 0.408 - 0.3, 1e-9);
    v.zAxisLength = 120;
    ASSERT_TRUE(s::DataTopLabelPos(v, ext, p));
    EXPECT_NEAR(p.z, 0.408 * 1.2 - 0.2 - 0.3, 1e-9);
}

TEST(ScenePalettes, ListedRowsAreExactAndOutOfRangeIndexesUseTheRainbow) {
    auto bytes = [](const s::RgbF& c) {
        return std::vector<int>{static_cast<int>(std::lround(c.r * 255)),
                                static_cast<int>(std::lround(c.g * 255)),
                                static_cast<int>(std::lround(c.b * 255))};
    };
    using V = std::vector<int>;
    const s::RgbF* t0 = s::HeightPalette(0);
    EXPECT_EQ(bytes(t0[0]), (V{0, 0, 254}));
    EXPECT_EQ(bytes(t0[63]), (V{0, 254, 254}));
    EXPECT_EQ(bytes(t0[127]), (V{0, 254, 0}));
    EXPECT_EQ(bytes(t0[191]), (V{254, 254, 0}));
    EXPECT_EQ(bytes(t0[255]), (V{254, 0, 0}));
    EXPECT_EQ(bytes(t0[10]), (V{0, 40, 254})); // by the rule: steps of 4
    const s::RgbF* t1 = s::HeightPalette(1);
    EXPECT_EQ(bytes(t1[0]), (V{0, 0, 255}));
    EXPECT_EQ(bytes(t1[64]), (V{0, 128, 127}));
    EXPECT_EQ(bytes(t1[128]), (V{0, 255, 0}));
    EXPECT_EQ(bytes(t1[192]), (V{129, 127, 0}));
    EXPECT_EQ(bytes(t1[255]), (V{255, 0, 0}));
    const s::RgbF* t3 = s::HeightPalette(3);
    EXPECT_EQ(bytes(t3[1]), (V{30, 20, 10}));
    EXPECT_EQ(bytes(t3[128]), (V{142, 110, 30}));
    EXPECT_EQ(bytes(t3[255]), (V{254, 200, 49}));
    EXPECT_EQ(bytes(s::HeightPalette(2)[128]), (V{128, 128, 128}));
    EXPECT_EQ(bytes(s::HeightPalette(7)[9]), (V{9, 9, 0}));
    EXPECT_EQ(bytes(s::HeightPalette(9)[200]), (V{200, 0, 200}));
    EXPECT_EQ(s::HeightPalette(12), t0);
    EXPECT_EQ(s::HeightPalette(-1), t0);

    s::RgbF c{0.5f, 0.5f, 0.5f};
    EXPECT_FALSE(s::PaletteColour(1, 0, 1.01, c));
    EXPECT_FALSE(s::PaletteColour(0, 0, 0.5, c));
    EXPECT_FLOAT_EQ(c.r, 0.5f);
    EXPECT_TRUE(s::PaletteColour(2, 12, 1.0, c));
    EXPECT_FLOAT_EQ(c.r, t0[255].r);
}

TEST(SceneTurn, ScreenAxesInFreeModeAndTurnsAccumulateInFront) {
    auto apply = [](const double m[16], s::Vec3 p) {
        return s::Vec3{m[0] * p.x + m[4] * p.y + m[8] * p.z, m[1] * p.x + m[5] * p.y + m[9] * p.z,
                       m[2] * p.x + m[6] * p.y + m[10] * p.z};
    };
    double m[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    // Free mode: angle X about the vertical screen axis (x goes to +z), angle Z ignored.
    s::AccumulateRotation(m, 0, 90, 0, 45);
    s::Vec3 p = apply(m, {1, 0, 0});
    EXPECT_NEAR(p.x, 0, 1e-12);
    EXPECT_NEAR(p.z, 1, 1e-12);
    EXPECT_NEAR(apply(m, {0, 1, 0}).y, 1, 1e-12);
    // Angle Y about the horizontal screen axis, applied in front of the earlier turn: the
    // y axis goes to -z.
    s::AccumulateRotation(m, 0, 0, 90, 0);
    p = apply(m, {0, 1, 0});
    EXPECT_NEAR(p.z, -1, 1e-12);
    p = apply(m, {1, 0, 0}); // was at +z, now turned about screen x to +y
    EXPECT_NEAR(p.y, 1, 1e-12);
    // Fixed mode: about x, y, z in this order.
    double f[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    s::AccumulateRotation(f, 1, 0, 0, 90);
    p = apply(f, {1, 0, 0});
    EXPECT_NEAR(p.y, 1, 1e-12);
}

TEST(SceneMesh, CellNormalOfATiltedCellLeansAgainstTheSlope) {
    // Rising along x: z = x.
    s::Vec3 c[4] = {{0, 1, 0}, {1, 1, 1}, {0, 0, 0}, {1, 0, 1}};
    s::Vec3 n = s::CellNormal(c);
    EXPECT_NEAR(n.x, -std::sqrt(0.5), 1e-12);
    EXPECT_NEAR(n.y, 0, 1e-12);
    EXPECT_NEAR(n.z, std::sqrt(0.5), 1e-12);
}

} // namespace
