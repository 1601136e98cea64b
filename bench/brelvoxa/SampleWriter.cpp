#include "SampleWriter.h"

#include "platform/WinTypes.h"
#include "viewer3d/core/data/View3dData.h"

#include <cmath>
#include <cstdio>
#include <cstring>

namespace brxsample {

namespace {

void pixels(std::vector<uint8_t>& out, int w, int h) {
    for (int y = 0; y < h; ++y) // bottom row first
        for (int x = 0; x < w; ++x) {
            const uint8_t r = uint8_t(255 * x / std::max(1, w - 1)),
                          g = uint8_t(255 * y / std::max(1, h - 1)), b = 96;
            out.insert(out.end(), {r, g, b, uint8_t((3 * r + 6 * g + b) / 10)});
        }
}

float heightAt(int x, int y, int w, int h) {
    const double dx = (x - w / 2.0) / (w / 4.0), dy = (y - h / 2.0) / (h / 4.0);
    return float(20.0 * std::exp(-(dx * dx + dy * dy)) + 2.0 * std::sin(x * 0.05));
}

void heights(std::vector<uint8_t>& out, int w, int h) {
    const size_t at = out.size();
    out.resize(at + 4 * size_t(w) * size_t(h));
    uint8_t* p = out.data() + at;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x, p += 4) {
            const float v = heightAt(x, y, w, h);
            uint32_t u;
            std::memcpy(&u, &v, 4);
            le::put32(p, u);
        }
}

} // namespace

std::vector<uint8_t> Record(int w, int h, double pitch) {
    std::vector<uint8_t> out(16, 0);
    le::put32(&out[0], uint32_t(w));
    le::put32(&out[4], uint32_t(h));
    le::putDouble(&out[8], pitch);
    pixels(out, w, h);
    heights(out, w, h);
    return out;
}

std::vector<uint8_t> Vv3File(int w, int h, double pitch) {
    std::vector<uint8_t> out(1440, 0);
    le::put32(&out[0], uint32_t(w));
    le::put32(&out[4], uint32_t(h));
    le::putDouble(&out[848], pitch);
    pixels(out, w, h);
    heights(out, w, h);
    heights(out, w, h);
    return out;
}

std::vector<uint8_t> TextFile(int w, int h) {
    std::string text;
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            text += x ? "," : "";
            text += std::to_string(int(heightAt(x, y, w, h) * 40) & 0xFFF);
        }
        text += "\r\n";
    }
    return std::vector<uint8_t>(text.begin(), text.end());
}

std::vector<uint8_t> BmpFile(int w, int h) {
    const uint32_t stride = (uint32_t(w) * 3 + 3) & ~3u;
    std::vector<uint8_t> out(54 + size_t(stride) * h, 0);
    out[0] = 'B', out[1] = 'M';
    le::put32(&out[2], uint32_t(out.size()));
    le::put32(&out[10], 54);
    le::put32(&out[14], 40);
    le::put32(&out[18], uint32_t(w));
    le::put32(&out[22], uint32_t(h));
    le::put16(&out[26], 1);
    le::put16(&out[28], 24);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            uint8_t* p = &out[54 + size_t(y) * stride + 3 * size_t(x)];
            p[0] = 96, p[1] = uint8_t(255 * y / std::max(1, h - 1)),
            p[2] = uint8_t(255 * x / std::max(1, w - 1));
        }
    return out;
}

bool WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f)
        return false;
    const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return std::fclose(f) == 0 && ok;
}

bool WriteTdv(const std::string& path, int w, int h, double pitch) {
    v3d::View3dData doc;
    const std::vector<uint8_t> rec = Record(w, h, pitch);
    if (!doc.LoadVv3dRecord(rec.data(), rec.size()))
        return false;
    doc.SetTypes(3, 6);
    return doc.SaveTdv(path) == 1;
}

} // namespace brxsample
