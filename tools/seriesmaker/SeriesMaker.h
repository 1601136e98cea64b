// Synthetic focus series with ground truth, for the composition tests and the benchmark.
//
// The scene is a textured surface of known height. Frame k is the scene seen with the focus at
// height k (in frame steps): every point is blurred by a Gaussian whose width grows with its
// distance from the focus, |z - k| * blurPerStep, up to a limit. Optionally the frames drift
// horizontally (a stereo microscope) or are scaled and shifted about the image centre (an
// ordinary microscope whose picture grows and wanders with the focus).
#pragma once

#include "platform/GlobalMemory.h"

#include <cstdint>
#include <vector>

namespace seriesmaker {

struct SeriesParams {
    int width = 256;
    int height = 192;
    int frames = 7;
    int bitCount = 24; // 8, 16, 24 or 48
    unsigned seed = 1;
    double blurPerStep = 1.2;   // Gaussian sigma per frame step of defocus
    double driftPerFrame = 0.0; // horizontal shift of frame k: k * driftPerFrame pixels
    double scalePerFrame = 0.0; // frame k is scaled by 1 + k * scalePerFrame about the centre
    double shiftXPerFrame = 0.0, shiftYPerFrame = 0.0; // and shifted by k times these
    double flatFraction = 0.0; // width fraction of a featureless strip at the right edge
    double fineDetail = 0.45;  // share of 3-pixel detail in the texture (the rest is larger)
};

class SeriesMaker {
public:
    explicit SeriesMaker(const SeriesParams& params);

    const SeriesParams& Params() const { return params_; }
    // Ground truth in scene coordinates (those of frame 0 without drift or scaling).
    // Texture sample of plane c (0 red, 1 green, 2 blue) in 0..255.
    int Texture(int x, int y, int c) const {
        return texture_[(static_cast<size_t>(y) * params_.width + x) * 3 + c];
    }
    // Height of the surface in frame steps (0 .. frames - 1).
    double Height(int x, int y) const { return height_[static_cast<size_t>(y) * params_.width + x]; }
    // Local contrast of the texture: standard deviation of the lightness over a 5 x 5 box.
    double Contrast(int x, int y) const { return contrast_[static_cast<size_t>(y) * params_.width + x]; }

    // The texture as a new bitmap of the series' depth (16-bit samples are the 8-bit ones x 257).
    HDIB TextureBitmap() const;
    // Frame k as a new bitmap of the series' depth; null when memory is short.
    HDIB Frame(int k) const;

private:
    static constexpr int kLevels = 7; // blur levels: three box passes of radius 0..6
    void Render(int k, std::vector<uint16_t>& rgb) const;

    SeriesParams params_;
    std::vector<uint8_t> texture_;
    std::vector<double> height_;
    std::vector<double> contrast_;
    std::vector<std::vector<uint16_t>> levels_; // blurred textures, value x 256
    double levelSigma_[kLevels] = {};
};

// Stores plane samples of 8-bit range into a bitmap of the given depth.
HDIB MakeBitmap(int width, int height, int bitCount, const std::vector<uint16_t>& rgb256);

} // namespace seriesmaker
