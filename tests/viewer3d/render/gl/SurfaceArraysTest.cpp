// The surface's strips as one indexed triangle list: the same triangles in the same order and
// facing as GL makes of the strips, each distinct vertex once, and the rest of the mesh kept in
// its place before or after the strips.
#include "viewer3d/render/gl/SurfaceArrays.h"

#include "viewer3d/core/bitmaps/Dib.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <array>
#include <vector>

namespace s = v3d::scene;

namespace {

// Every call as a SinkCall, strips included.
class Tape final : public s::SceneSink {
public:
    void PolygonMode(unsigned m) override { calls.push_back({s::SinkCall::kPolygonMode, m}); }
    void LineWidth(float w) override { calls.push_back({s::SinkCall::kLineWidth, 0, w}); }
    void Begin(unsigned p) override { calls.push_back({s::SinkCall::kBegin, p}); }
    void End() override { calls.push_back({s::SinkCall::kEnd}); }
    void TexCoord(float a, float b) override { calls.push_back({s::SinkCall::kTexCoord, 0, a, b}); }
    void Normal(float x, float y, float z) override { calls.push_back({s::SinkCall::kNormal, 0, x, y, z}); }
    void Material(const s::RgbF& c) override { calls.push_back({s::SinkCall::kMaterial, 0, c.r, c.g, c.b}); }
    void Vertex(float x, float y, float z) override { calls.push_back({s::SinkCall::kVertex, 0, x, y, z}); }
    std::vector<s::SinkCall> calls;
};

using Record = std::vector<float>;

// The triangles GL draws from the strips on the tape, each as its three vertex records in the
// collector's layout (state in force at each vertex, white before a material).
std::vector<std::array<Record, 3>> stripTriangles(const std::vector<s::SinkCall>& calls, bool textured) {
    std::vector<std::array<Record, 3>> out;
    std::vector<Record> strip;
    bool in = false;
    float tex[2] = {0, 0}, normal[3] = {0, 0, 1}, colour[3] = {1, 1, 1};
    for (const s::SinkCall& c : calls) {
        if (c.kind == s::SinkCall::kBegin && c.code == GL_TRIANGLE_STRIP)
            in = true, strip.clear();
        else if (c.kind == s::SinkCall::kEnd && in) {
            in = false;
            for (size_t j = 0; j + 2 < strip.size(); ++j)
                out.push_back(j % 2 ? std::array{strip[j + 1], strip[j], strip[j + 2]}
                                    : std::array{strip[j], strip[j + 1], strip[j + 2]});
        } else if (c.kind == s::SinkCall::kTexCoord)
            tex[0] = c.a, tex[1] = c.b;
        else if (c.kind == s::SinkCall::kNormal)
            normal[0] = c.a, normal[1] = c.b, normal[2] = c.c;
        else if (c.kind == s::SinkCall::kMaterial)
            colour[0] = c.a, colour[1] = c.b, colour[2] = c.c;
        else if (c.kind == s::SinkCall::kVertex && in)
            strip.push_back(textured ? Record{tex[0], tex[1], c.a, c.b, c.c}
                                     : Record{colour[0], colour[1], colour[2], normal[0], normal[1],
                                              normal[2], c.a, c.b, c.c});
    }
    return out;
}

HDIB bumps(int w, int h) {
    HDIB dib = v3d::DibCreate(w, h, v3d::kKindGrey8);
    GlobalLockGuard lock(dib);
    std::vector<int> row(w);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x)
            row[x] = (x * 37 + y * 11) % 256;
        v3d::DibWriteRow(row.data(), lock.get(), 0, y, w);
    }
    return dib;
}

} // namespace

TEST(SurfaceArrays, SameTrianglesAsTheStripsWithEachVertexOnceAndTheRestAroundThem) {
    // 21 x 13 samples at full density: step 1, so 21 x 13 distinct vertices.
    HDIB img = bumps(21, 13);
    for (int mode : {0, 1, 2}) {
        SCOPED_TRACE(mode);
        s::SceneValues v;
        v.imageWidth = 21, v.imageHeight = 13, v.displayMode = mode, v.textureOn = mode == 0;
        v.rawMaximum = 255;
        s::SceneExtents e1, e2;
        Tape tape;
        s::BuildSurfaceMesh(img, v, {}, e1, tape);
        s::SurfaceCollector mesh(mode == 0);
        s::BuildSurfaceMesh(img, v, {}, e2, mesh);

        const auto expected = stripTriangles(tape.calls, mode == 0);
        ASSERT_EQ(expected.size(), 12u * 20 * 2);
        ASSERT_EQ(mesh.arrays.indices.size(), expected.size() * 3);
        EXPECT_EQ(mesh.arrays.VertexCount(), 21u * 13);
        const int n = mesh.arrays.Stride();
        for (size_t t = 0; t < expected.size(); ++t)
            for (int k = 0; k < 3; ++k) {
                const float* got = &mesh.arrays.vertices[mesh.arrays.indices[t * 3 + k] * n];
                ASSERT_EQ(Record(got, got + n), expected[t][k]) << "triangle " << t << " corner " << k;
            }

        // What is not a strip, in order: before the strips only the polygon mode; after them
        // the colour bar (colour modes) and, in wireframe, lines again.
        std::vector<s::SinkCall> rest;
        bool in = false;
        for (const s::SinkCall& c : tape.calls) {
            const bool stripCall = in || (c.kind == s::SinkCall::kBegin && c.code == GL_TRIANGLE_STRIP);
            if (c.kind == s::SinkCall::kBegin && c.code == GL_TRIANGLE_STRIP)
                in = true;
            else if (c.kind == s::SinkCall::kEnd && in)
                in = false;
            else if (!stripCall)
                rest.push_back(c);
        }
        ASSERT_EQ(mesh.before.size(), 1u);
        EXPECT_EQ(mesh.before[0].code, unsigned(mode == 2 ? GL_LINE : GL_FILL));
        ASSERT_EQ(mesh.before.size() + mesh.after.size(), rest.size());
        for (size_t i = 0; i < mesh.after.size(); ++i) {
            const s::SinkCall &a = mesh.after[i], &b = rest[i + 1];
            EXPECT_TRUE(a.kind == b.kind && a.code == b.code && a.a == b.a && a.b == b.b && a.c == b.c) << i;
        }
        EXPECT_EQ(mesh.after.size(), mode == 0 ? 0u : 2u + 255 * 6 + (mode == 2 ? 2 : 0));
        // Replayed, the rest is issued as it came.
        Tape replayed;
        s::Replay(mesh.after, replayed);
        EXPECT_EQ(replayed.calls.size(), mesh.after.size());
    }
    GlobalFree(img);
}
