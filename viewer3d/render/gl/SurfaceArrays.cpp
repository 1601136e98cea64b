#include "viewer3d/render/gl/SurfaceArrays.h"

#include <GL/gl.h>

#include <cstring>

namespace v3d::scene {
namespace {

constexpr uint32_t kEmpty = 0xFFFFFFFFu;

uint64_t hashOf(const float* record, int n) {
    uint64_t h = 1469598103934665603ull;
    for (int i = 0; i < n; ++i) {
        uint32_t bits;
        std::memcpy(&bits, record + i, sizeof bits);
        h = (h ^ bits) * 1099511628211ull;
    }
    return h ^ (h >> 29);
}

} // namespace

void Replay(const std::vector<SinkCall>& calls, SceneSink& sink) {
    for (const SinkCall& c : calls) {
        switch (c.kind) {
        case SinkCall::kPolygonMode:
            sink.PolygonMode(c.code);
            break;
        case SinkCall::kLineWidth:
            sink.LineWidth(c.a);
            break;
        case SinkCall::kBegin:
            sink.Begin(c.code);
            break;
        case SinkCall::kEnd:
            sink.End();
            break;
        case SinkCall::kTexCoord:
            sink.TexCoord(c.a, c.b);
            break;
        case SinkCall::kNormal:
            sink.Normal(c.a, c.b, c.c);
            break;
        case SinkCall::kMaterial:
            sink.Material(RgbF{c.a, c.b, c.c});
            break;
        case SinkCall::kVertex:
            sink.Vertex(c.a, c.b, c.c);
            break;
        }
    }
}

SurfaceCollector::SurfaceCollector(bool textured) {
    arrays.textured = textured;
}

void SurfaceCollector::PolygonMode(unsigned mode) {
    calls().push_back({SinkCall::kPolygonMode, mode});
}

void SurfaceCollector::LineWidth(float width) {
    calls().push_back({SinkCall::kLineWidth, 0, width});
}

void SurfaceCollector::Begin(unsigned primitive) {
    if (primitive == GL_TRIANGLE_STRIP && !inStrip_) {
        inStrip_ = stripsSeen_ = true;
        strip_.clear();
        return;
    }
    calls().push_back({SinkCall::kBegin, primitive});
}

void SurfaceCollector::End() {
    if (!inStrip_) {
        calls().push_back({SinkCall::kEnd});
        return;
    }
    inStrip_ = false;
    // Triangle j of a strip: (j, j + 1, j + 2) for even j, (j + 1, j, j + 2) for odd j, so all
    // face the same way.
    for (size_t j = 0; j + 2 < strip_.size(); ++j) {
        const uint32_t a = strip_[j], b = strip_[j + 1], c = strip_[j + 2];
        if (j % 2 == 0)
            arrays.indices.insert(arrays.indices.end(), {a, b, c});
        else
            arrays.indices.insert(arrays.indices.end(), {b, a, c});
    }
}

void SurfaceCollector::TexCoord(float s, float t) {
    tex_[0] = s, tex_[1] = t;
    if (!inStrip_)
        calls().push_back({SinkCall::kTexCoord, 0, s, t});
}

void SurfaceCollector::Normal(float x, float y, float z) {
    normal_[0] = x, normal_[1] = y, normal_[2] = z;
    if (!inStrip_)
        calls().push_back({SinkCall::kNormal, 0, x, y, z});
}

void SurfaceCollector::Material(const RgbF& colour) {
    colour_ = colour;
    if (!inStrip_)
        calls().push_back({SinkCall::kMaterial, 0, colour.r, colour.g, colour.b});
}

void SurfaceCollector::Vertex(float x, float y, float z) {
    if (!inStrip_) {
        calls().push_back({SinkCall::kVertex, 0, x, y, z});
        return;
    }
    float record[9];
    if (arrays.textured) {
        const float r[5] = {tex_[0], tex_[1], x, y, z};
        std::memcpy(record, r, sizeof r);
    } else {
        const float r[9] = {colour_.r, colour_.g, colour_.b, normal_[0], normal_[1], normal_[2], x, y, z};
        std::memcpy(record, r, sizeof r);
    }
    strip_.push_back(vertexIndex(record));
}

uint32_t SurfaceCollector::vertexIndex(const float* record) {
    const int n = arrays.Stride();
    if ((used_ + 1) * 2 > table_.size()) {
        // Grow the table (kept at most half full) and put every vertex in again.
        table_.assign(table_.empty() ? 4096 : table_.size() * 2, kEmpty);
        const size_t mask = table_.size() - 1;
        for (uint32_t i = 0; i < used_; ++i) {
            size_t slot = hashOf(&arrays.vertices[size_t(i) * n], n) & mask;
            while (table_[slot] != kEmpty)
                slot = (slot + 1) & mask;
            table_[slot] = i;
        }
    }
    const size_t mask = table_.size() - 1;
    size_t slot = hashOf(record, n) & mask;
    while (table_[slot] != kEmpty) {
        if (std::memcmp(&arrays.vertices[size_t(table_[slot]) * n], record, sizeof(float) * n) == 0)
            return table_[slot];
        slot = (slot + 1) & mask;
    }
    const uint32_t index = static_cast<uint32_t>(used_++);
    table_[slot] = index;
    arrays.vertices.insert(arrays.vertices.end(), record, record + n);
    return index;
}

} // namespace v3d::scene
