// The surface mesh as vertex arrays: the triangle strips a SceneSink receives become one indexed
// triangle list in which every distinct vertex is held once, so that a frame draws the surface
// with one call and transforms each vertex once (a vertex is shared by two strips). The other
// primitives (polygon mode, colour bar) are recorded in their order before and after the strips,
// to be compiled into display lists around the drawing of the arrays.
#pragma once

#include "viewer3d/render/gl/SceneGeometry.h"

#include <cstdint>
#include <vector>

namespace v3d::scene {

// One call to a SceneSink, kept to be issued later.
struct SinkCall {
    enum Kind : uint8_t { kPolygonMode, kLineWidth, kBegin, kEnd, kTexCoord, kNormal, kMaterial, kVertex };
    Kind kind;
    unsigned code = 0; // polygon mode or primitive
    float a = 0, b = 0, c = 0;
};
void Replay(const std::vector<SinkCall>& calls, SceneSink& sink);

struct SurfaceArrays {
    // Vertex layout: textured s, t, x, y, z; else colour r, g, b, normal x, y, z, then x, y, z.
    bool textured = false;
    std::vector<float> vertices;
    std::vector<uint32_t> indices; // three a triangle, in the order and facing of the strips
    int Stride() const { return textured ? 5 : 9; }
    size_t VertexCount() const { return vertices.size() / Stride(); }
};

// Receives the mesh: GL_TRIANGLE_STRIP blocks go into the arrays, every other call into the
// calls before the first strip or after the last one. Texture coordinates, normals and the
// material colour in force at a vertex (white before the first material) go with it.
class SurfaceCollector final : public SceneSink {
public:
    explicit SurfaceCollector(bool textured);
    void PolygonMode(unsigned mode) override;
    void LineWidth(float width) override;
    void Begin(unsigned primitive) override;
    void End() override;
    void TexCoord(float s, float t) override;
    void Normal(float x, float y, float z) override;
    void Material(const RgbF& colour) override;
    void Vertex(float x, float y, float z) override;

    SurfaceArrays arrays;
    std::vector<SinkCall> before, after;

private:
    std::vector<SinkCall>& calls() { return stripsSeen_ ? after : before; }
    uint32_t vertexIndex(const float* record);

    bool inStrip_ = false, stripsSeen_ = false;
    float tex_[2] = {0, 0};
    float normal_[3] = {0, 0, 1};
    RgbF colour_{1, 1, 1};
    std::vector<uint32_t> strip_;
    std::vector<uint32_t> table_; // open-addressed hash of vertex records to their index
    size_t used_ = 0;
};

} // namespace v3d::scene
