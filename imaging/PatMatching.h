// Pattern matching and the resampling used to align the images of a focus series.
//
// CPatMatching finds a template (a patch of the new image) inside a search image (a larger
// patch of the previous image) by normalised correlation, coarse to fine: at every level the
// samples are taken every k pixels (k = initial step, k / 2, ..., 1) and the search narrows to
// the previous best position +- 2k. Samples come from the green plane of colour bitmaps.
#pragma once

#include "imaging/Dib.h"
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
// Scale from the pairwise distances of the destination points over those of the source points
// (1 when the source points coincide), then the mean shift of the mapped source points,
// rounded to whole pixels.
AlignTransform FitAlignTransform(const POINT* source, const POINT* destination, int count, int width,
                                 int height);
