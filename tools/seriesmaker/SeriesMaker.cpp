// Synthetic focus series: texture, surface, blur levels and the rendering of frames.
#include "tools/seriesmaker/SeriesMaker.h"

#include "imaging/bitmaps/Dib.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace seriesmaker {

namespace {

uint32_t Hash(uint32_t x, uint32_t y, uint32_t c, uint32_t seed) {
    uint32_t h = x * 0x8da6b343u ^ y * 0xd8163841u ^ c * 0xcb1ab31fu ^ seed * 0x9e3779b9u;
    h ^= h >> 15;
    h *= 0x2c1b3c6du;
    h ^= h >> 12;
    h *= 0x297a2d39u;
    h ^= h >> 15;
    return h;
}

double Unit(uint32_t h) {
    return (h & 0xFFFFFF) / static_cast<double>(0xFFFFFF);
}

// Value noise with cells of `cell` pixels, interpolated smoothly between the cell corners.
double SmoothNoise(int x, int y, int cell, uint32_t c, uint32_t seed) {
    const double u = static_cast<double>(x) / cell, v = static_cast<double>(y) / cell;
    const int i = static_cast<int>(std::floor(u)), j = static_cast<int>(std::floor(v));
    double fu = u - i, fv = v - j;
    fu = fu * fu * (3 - 2 * fu);
    fv = fv * fv * (3 - 2 * fv);
    auto n = [&](int a, int b) {
        return Unit(Hash(static_cast<uint32_t>(a), static_cast<uint32_t>(b), c, seed));
    };
    return (1 - fv) * ((1 - fu) * n(i, j) + fu * n(i + 1, j)) +
           fv * ((1 - fu) * n(i, j + 1) + fu * n(i + 1, j + 1));
}

// Three passes of a box of radius r along rows and along columns, edges clamped.
void BoxBlur(std::vector<float>& plane, int w, int h, int r) {
    if (r <= 0)
        return;
    std::vector<float> tmp(plane.size());
    const float norm = 1.0f / (2 * r + 1);
    for (int pass = 0; pass < 3; ++pass) {
#pragma omp parallel for schedule(static)
        for (int y = 0; y < h; ++y) {
            const float* s = &plane[static_cast<size_t>(y) * w];
            float* d = &tmp[static_cast<size_t>(y) * w];
            double acc = 0.0;
            for (int k = -r; k <= r; ++k)
                acc += s[std::clamp(k, 0, w - 1)];
            for (int x = 0; x < w; ++x) {
                d[x] = static_cast<float>(acc * norm);
                acc += s[std::min(x + r + 1, w - 1)] - s[std::max(x - r, 0)];
            }
        }
#pragma omp parallel for schedule(static)
        for (int x = 0; x < w; ++x) {
            double acc = 0.0;
            for (int k = -r; k <= r; ++k)
                acc += tmp[static_cast<size_t>(std::clamp(k, 0, h - 1)) * w + x];
            for (int y = 0; y < h; ++y) {
                plane[static_cast<size_t>(y) * w + x] = static_cast<float>(acc * norm);
                acc += tmp[static_cast<size_t>(std::min(y + r + 1, h - 1)) * w + x] -
                       tmp[static_cast<size_t>(std::max(y - r, 0)) * w + x];
            }
        }
    }
}

} // namespace

SeriesMaker::SeriesMaker(const SeriesParams& params) : params_(params) {
    const int w = params_.width, h = params_.height;
    const size_t n = static_cast<size_t>(w) * h;
    texture_.assign(n * 3, 0);
    height_.assign(n, 0.0);
    contrast_.assign(n, 0.0);
    const int flatFrom = static_cast<int>(w * (1.0 - params_.flatFraction));
    const double top = std::max(params_.frames - 1, 0);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const size_t i = static_cast<size_t>(y) * w + x;
            for (int c = 0; c < 3; ++c) {
                double v = 128.0;
                if (x < flatFrom) {
                    // Fine detail for the focus measure, larger structure for the alignment.
                    const double fine = Unit(Hash(x / 3, y / 3, c, params_.seed));
                    const double coarse = Unit(Hash(x / 9, y / 9, c + 7, params_.seed));
                    const double large = SmoothNoise(x, y, 28, c + 13, params_.seed);
                    const double f = std::clamp(params_.fineDetail, 0.0, 0.85);
                    v = 30.0 + 195.0 * (f * fine + 0.15 * coarse + (0.85 - f) * large);
                }
                texture_[i * 3 + c] = static_cast<uint8_t>(std::lround(v));
            }
            const double s = 0.5 + 0.45 * std::sin(2 * std::numbers::pi * (0.9 * x / w + 0.1)) *
                                       std::cos(2 * std::numbers::pi * 0.7 * y / h);
            height_[i] = top * std::clamp(s, 0.0, 1.0);
        }
    // Local contrast of the lightness.
    std::vector<double> light(n);
    for (size_t i = 0; i < n; ++i) {
        const int r = texture_[i * 3], g = texture_[i * 3 + 1], b = texture_[i * 3 + 2];
        light[i] = (std::max({r, g, b}) + std::min({r, g, b})) / 2.0;
    }
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            double s = 0.0, q = 0.0;
            int cnt = 0;
            for (int dy = -2; dy <= 2; ++dy)
                for (int dx = -2; dx <= 2; ++dx) {
                    const int xx = x + dx, yy = y + dy;
                    if (xx < 0 || yy < 0 || xx >= w || yy >= h)
                        continue;
                    const double v = light[static_cast<size_t>(yy) * w + xx];
                    s += v;
                    q += v * v;
                    ++cnt;
                }
            const double m = s / cnt;
            contrast_[static_cast<size_t>(y) * w + x] = std::sqrt(std::max(0.0, q / cnt - m * m));
        }
    // Blur levels of the texture.
    levels_.resize(kLevels);
    std::vector<float> plane(n);
    for (int r = 0; r < kLevels; ++r) {
        levelSigma_[r] = std::sqrt(static_cast<double>(r) * (r + 1));
        levels_[r].assign(n * 3, 0);
        for (int c = 0; c < 3; ++c) {
            for (size_t i = 0; i < n; ++i)
                plane[i] = texture_[i * 3 + c];
            BoxBlur(plane, w, h, r);
            for (size_t i = 0; i < n; ++i)
                levels_[r][i * 3 + c] =
                    static_cast<uint16_t>(std::clamp(std::lround(plane[i] * 256.0f), 0L, 65535L));
        }
    }
}

void SeriesMaker::Render(int k, std::vector<uint16_t>& rgb) const {
    const int w = params_.width, h = params_.height;
    rgb.assign(static_cast<size_t>(w) * h * 3, 0);
    const double s = 1.0 + k * params_.scalePerFrame;
    const double cx = w / 2, cy = h / 2;
    const double ox = k * (params_.shiftXPerFrame + params_.driftPerFrame), oy = k * params_.shiftYPerFrame;
    const double maxSigma = levelSigma_[kLevels - 1];
#pragma omp parallel for schedule(static)
    for (int y = 0; y < h; ++y) {
        const double v = std::clamp((y - cy - oy) / s + cy, 0.0, h - 1.0);
        const int y0 = static_cast<int>(v), y1 = std::min(y0 + 1, h - 1);
        const double fy = v - y0;
        for (int x = 0; x < w; ++x) {
            const double u = std::clamp((x - cx - ox) / s + cx, 0.0, w - 1.0);
            const int x0 = static_cast<int>(u), x1 = std::min(x0 + 1, w - 1);
            const double fx = u - x0;
            const double z = Height(static_cast<int>(std::lround(u)), static_cast<int>(std::lround(v)));
            const double sigma = std::min(std::fabs(z - k) * params_.blurPerStep, maxSigma);
            int r = 0;
            while (r + 1 < kLevels - 1 && levelSigma_[r + 1] <= sigma)
                ++r;
            const double t =
                std::clamp((sigma - levelSigma_[r]) / (levelSigma_[r + 1] - levelSigma_[r]), 0.0, 1.0);
            for (int c = 0; c < 3; ++c) {
                auto sample = [&](const std::vector<uint16_t>& lv) {
                    const double a = lv[(static_cast<size_t>(y0) * w + x0) * 3 + c];
                    const double b = lv[(static_cast<size_t>(y0) * w + x1) * 3 + c];
                    const double d = lv[(static_cast<size_t>(y1) * w + x0) * 3 + c];
                    const double e = lv[(static_cast<size_t>(y1) * w + x1) * 3 + c];
                    return (1 - fy) * ((1 - fx) * a + fx * b) + fy * ((1 - fx) * d + fx * e);
                };
                const double val = (1 - t) * sample(levels_[r]) + t * sample(levels_[r + 1]);
                rgb[(static_cast<size_t>(y) * w + x) * 3 + c] =
                    static_cast<uint16_t>(std::clamp(val, 0.0, 65535.0));
            }
        }
    }
}

HDIB MakeBitmap(int width, int height, int bitCount, const std::vector<uint16_t>& rgb) {
    const int kind = bitCount == 8    ? DIB_KIND_GREY8
                     : bitCount == 16 ? DIB_KIND_GREY16
                     : bitCount == 48 ? DIB_KIND_RGB48
                                      : DIB_KIND_RGB24;
    HDIB dib = DibCreate(width, height, kind);
    if (!dib)
        return nullptr;
    GlobalLockGuard g(dib);
    BYTE* bits = DibGetBits(g.get());
    const size_t stride = DibStride(width, bitCount);
    auto to8 = [](int v) { return static_cast<BYTE>(std::min((v + 128) >> 8, 255)); };
    auto to16 = [](int v) { return static_cast<uint16_t>(std::min((v * 257 + 128) >> 8, 65535)); };
    for (int y = 0; y < height; ++y) {
        BYTE* row = bits + static_cast<size_t>(height - 1 - y) * stride;
        for (int x = 0; x < width; ++x) {
            const size_t i = (static_cast<size_t>(y) * width + x) * 3;
            const int r = rgb[i], gr = rgb[i + 1], b = rgb[i + 2];
            switch (bitCount) {
            case 8:
                row[x] = to8((r + gr + b) / 3);
                break;
            case 16: {
                const uint16_t v = to16((r + gr + b) / 3);
                row[2 * x] = static_cast<BYTE>(v & 0xFF);
                row[2 * x + 1] = static_cast<BYTE>(v >> 8);
                break;
            }
            case 48: {
                const uint16_t s[3] = {to16(b), to16(gr), to16(r)};
                for (int c = 0; c < 3; ++c) {
                    row[6 * x + 2 * c] = static_cast<BYTE>(s[c] & 0xFF);
                    row[6 * x + 2 * c + 1] = static_cast<BYTE>(s[c] >> 8);
                }
                break;
            }
            default:
                row[3 * x] = to8(b);
                row[3 * x + 1] = to8(gr);
                row[3 * x + 2] = to8(r);
            }
        }
    }
    return dib;
}

HDIB SeriesMaker::TextureBitmap() const {
    std::vector<uint16_t> rgb(texture_.size());
    for (size_t i = 0; i < texture_.size(); ++i)
        rgb[i] = static_cast<uint16_t>(texture_[i] * 256);
    return MakeBitmap(params_.width, params_.height, params_.bitCount, rgb);
}

HDIB SeriesMaker::Frame(int k) const {
    std::vector<uint16_t> rgb;
    Render(k, rgb);
    return MakeBitmap(params_.width, params_.height, params_.bitCount, rgb);
}

} // namespace seriesmaker
