// Pattern matching and the resampling used to align the images of a focus series.
//
// CPatMatching finds a template (a patch of the new image) inside a search image (a larger
// patch of the previous image) by normalised correlation, coarse to fine: at every level the
// samples are taken every k pixels (k = initial step, k / 2, ..., 1) and the search narrows to
// the previous best position +- 2k. Samples come from the green plane of colour bitmaps.
#pragma once

#include "imaging/bitmaps/Dib.h"
#include "platform/WinTypes.h"

#include <vector>

// Uniform scale about the image centre, then a shift: (x, y) -> (xShift + cx + xScale (x - cx),
// yShift + cy + yScale (y - cy)) with cx = width / 2, cy = height / 2.
struct AlignTransform {
    double xScale = 1.0;
    double yScale = 1.0;
    int xShift = 0;
    int yShift = 0;
};

class CPatMatching {
public:
    CPatMatching() = default;
    virtual ~CPatMatching() = default;
    CPatMatching(const CPatMatching&) = delete;
    CPatMatching& operator=(const CPatMatching&) = delete;

    // Plane 1 of the rectangle's rows (right and bottom exclusive; clipped to the bitmap) as
    // the search image. 0 for a null bitmap or an empty clipped rectangle.
    int SetSearchImage(HDIB bitmap, const RECT& rect);
    // Plane 1 of the rectangle's rows as the template, with the sums of every level. 0 for a
    // null bitmap or an empty clipped rectangle.
    int SetPattern(HDIB bitmap, const RECT& rect);
    // 1, 2, 4, 8, 16 or 32: the sampling step of the coarsest level (1 to 6 levels). Other
    // values return 0 and keep the step.
    int SetStep(int step);
    // The best top-left position of the template (search-image coordinates plus the search
    // rectangle's origin) and its score, the normalised correlation (0.0 or more; 0.0 when
    // nothing correlates, the template does not fit or a patch is flat).
    double Search(POINT* position);
    // The normalised correlation of the whole template (every sample) with the search image
    // at top-left (x, y) in search-image coordinates (the rectangle origin not added). FALSE
    // when the template does not fit there or a patch is flat.
    BOOL ScoreAt(int x, int y, double* score) const;
    // The peak near a whole-pixel position (search-image coordinates) to a fraction of a
    // pixel: a parabola through the full-resolution scores of the position and its two
    // neighbours, separately in x and y, moved by at most half a pixel. A direction whose
    // neighbours are missing or that is no peak keeps the whole pixel.
    void RefinePeak(POINT position, double* x, double* y) const;

    int SearchWidth() const { return m_searchWidth; }
    int SearchHeight() const { return m_searchHeight; }
    int PatternWidth() const { return m_patWidth; }
    int PatternHeight() const { return m_patHeight; }

private:
    struct Range {
        int x0, y0, x1, y1; // inclusive bounds of top-left positions
    };
    // One level: best position within range at sampling step k; updates m_best.
    void SearchLevel(int k, const Range& range, POINT& bestPos);

    std::vector<int> m_search;
    int m_searchWidth = 0, m_searchHeight = 0;
    RECT m_searchRect{};
    std::vector<int> m_pattern;
    int m_patWidth = 0, m_patHeight = 0;
    int m_step = 1;
    int m_levels = 1;
    double m_patSum[6] = {};
    double m_patSquares[6] = {};
    std::vector<double> m_winSum, m_winSquares; // window tables of the current level
    int m_tableRows = 0, m_tableCols = 0;
    int m_levelCols = 0, m_levelRows = 0, m_levelCount = 0;
    double m_best = 0.0;
};

// Copy of the source resampled plane by plane with the transform: every output pixel takes
// the bilinear interpolation at its source point; source points outside the image give 0.
// Samples are clamped to 0..254 (8-bit samples) or 0..65534 (16-bit samples). Plane 0 is
// selected afterwards. Null when the copy cannot be made.
HDIB DibTransformPlanes(HDIB source, const AlignTransform& transform);
// The same into an existing target of the source's size and depth; FALSE when they differ.
BOOL DibTransformPlanesInto(HDIB source, HDIB target, const AlignTransform& transform);

// Maps a point with the transform about the centre of a width x height image, cut toward zero.
POINT MapAlignPoint(POINT p, const AlignTransform& transform, int width, int height);

// A point of the alignment fit, to a fraction of a pixel.
struct AlignPoint {
    double x = 0.0;
    double y = 0.0;
};
// The uniform scale and the shift that map the source points onto the destination points
// about the centre (width / 2, height / 2): the scale is the sum of the pairwise distances of
// the destination points over that of the source points (1 when the source points coincide);
// the shift is the mean of destination - (centre + scale (source - centre)), not rounded.
struct AlignFit {
    double scale = 1.0;
    double xShift = 0.0;
    double yShift = 0.0;
};
AlignFit FitAlignPoints(const AlignPoint* source, const AlignPoint* destination, int count, int width,
                        int height);
// The shift alone for a given scale, as FitAlignPoints finds it.
AlignFit FitAlignShift(const AlignPoint* source, const AlignPoint* destination, int count, int width,
                       int height, double scale);
