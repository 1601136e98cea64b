// The focus composer: turns a focus series (images of one specimen at different focus heights,
// all of one size and depth) into one all-in-focus composite, a height map and a best-focus
// map. It is fed one bitmap at a time, in capture order, and keeps running maps of which image
// was sharpest at every pixel.
//
// Calling order: StartSeries (with the series' FocusCompSettings) -> optionally PrepareImages ->
// AddImage per image -> optionally SetZValues and BuildHeightMap -> Compose -> take the results ->
// FreeAll -> FreeWorkMaps -> destroy. The composite may be read after any AddImage. A later
// StartSeries starts another series on the same engine.
//
// Per-pixel maps are arrays of row pointers, top row first, into one block per map (rows
// 64-byte aligned, large maps on large pages where the system gives them); rows handed to a
// caller (TakeHeightRows, TakeMaxRows) are freed with FreeRows.
// Working buffers are allocated once, with the first image, and reused for every later one;
// the per-image chain runs over bands of rows in parallel and gives the same result for any
// number of threads and any band height. The engine never reads the calling thread's selected plane while it
// works and leaves plane 0 selected.
#pragma once

#include "imaging/bitmaps/Dib.h"
#include "imaging/compose/FocusCompBands.h"
#include "imaging/compose/FocusCompSettings.h"
#include "imaging/compose/PatMatching.h"
#include "imaging/compose/PlaneSmoothing.h"
#include "platform/WinTypes.h"

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

// Why the last operation failed.
enum class FocusCompError {
    None,
    NoMemory,  // a map, a working buffer or a bitmap could not be allocated
    BadImage,  // null image, unsupported depth, or another size or depth than the series
    NotReady,  // AddImage before the series' maps exist, BuildHeightMap before any image
    NoZValues, // BuildHeightMap without Z values or with fewer than the images added
};

// Stores of the engine whose allocation a test can make fail, to follow the failure paths.
enum class FocusCompStore : unsigned {
    Maps = 1,        // best-focus, index and weight maps
    WorkBuffers = 2, // per-image working buffers and the working copy
    Composite = 4,   // the composite made from the first image
    HeightRows = 8,  // the height rows (and full-size best-focus rows in coarse mode)
    Output = 16,     // the cut composite
};

class CFocusComp {
public:
    CFocusComp();
    // Frees whatever the engine still holds (maps, working buffers, and a composite or height
    // rows that no caller took).
    ~CFocusComp();
    CFocusComp(const CFocusComp&) = delete;
    CFocusComp& operator=(const CFocusComp&) = delete;

    // ---- series of files (file mode, filled by the starter of the composition worker) ----
    std::vector<std::string> m_FileList; // paths in capture order
    std::vector<double> m_ZList;         // focus position of each file, same order
    int m_nImageCount = 0;               // number of files, set by the worker

    // Starts a new series with the settings: what an earlier series left in the engine's work
    // maps is freed (a composite or result rows not taken stay until the next image or the
    // destructor), and the best-focus, index and weight maps are made for the series, cleared.
    // False when memory for the maps is short: LastError() is NoMemory and no map is kept.
    bool StartSeries(const FocusCompSettings& settings);

    // Optional, after StartSeries and before the first image: allocates the working buffers of
    // the per-image chain and maps the pages of the maps and buffers on every thread, so that
    // the first image finds them ready (a caller runs it while the first file is decoded).
    // FALSE when memory is short (the first image then tries again) or before the maps exist;
    // TRUE and nothing done once an image was added.
    BOOL PrepareImages();

    // Adds the next image of the series (the caller keeps it). Returns 0 and adds nothing for a
    // null image, a depth other than 8, 16, 24 or 48 bits, an image of another size than the
    // series or another depth than the first image, before the maps exist, after Compose, or when
    // memory is short.
    int AddImage(HDIB image);

    // Z position of image k at index k; the caller keeps the array alive until BuildHeightMap.
    void SetZValues(const double* z, int count);
    // Height rows of the full image size from the index map and the Z values. FALSE (nothing
    // built) without images, without Z values, with fewer Z values than images added, after
    // Compose, or when memory is short. In coarse mode the best-focus map becomes full
    // resolution too.
    BOOL BuildHeightMap();
    // Chooses the output rectangle and cuts the composite and, when they exist, the height and
    // best-focus rows to it. FALSE when there is no composite, when memory is short, and for
    // every call after one that succeeded (the results are cut once; nothing changes).
    BOOL Compose();

    // Frees the index and weight maps, the drift state and the alignment patterns; keeps the
    // composite, the height rows and the best-focus rows.
    void FreeAll();
    // Frees the height rows and the best-focus rows. The flag is accepted for the callers'
    // sake; the engine knows how many rows each map has.
    void FreeWorkMaps(int afterCompose);

    // ---- file entry points of the composition worker (defined with the worker) ----
    int LoadImageFile(const char* path, HDIB* image, int* imageType);
    int AddImageFile(const char* path);

    // ---- results ----
    HDIB GetComposite() const { return m_hComposite; }
    // The composite; the caller owns it and the engine forgets it.
    HDIB TakeComposite();
    // Drops the composite pointer without freeing it (the worker does this before a run).
    void ResetComposite() { m_hComposite = nullptr; }
    double** GetHeightRows() const { return m_pHeight; }
    int** GetMaxRows() const;
    int** GetIndexRows() const;
    // The weights of the newest image (0 before the second), made from its wins when first
    // asked for after an image; null from BuildHeightMap at full resolution, which uses their
    // memory for the heights, to the next image.
    double** GetWeightRows() const;
    // Height and best-focus rows handed to the caller (OutputHeight() rows of OutputWidth()).
    double** TakeHeightRows();
    int** TakeMaxRows();
    static void FreeRows(double** rows, int count);
    static void FreeRows(int** rows, int count);

    int ImagesAdded() const { return m_nImagesAdded; }
    int Width() const { return m_nWidth; }
    int Height() const { return m_nHeight; }
    int MapWidth() const { return m_nMapWidth; }
    int MapHeight() const { return m_nMapHeight; }
    int OutputWidth() const { return m_rcOutput.right - m_rcOutput.left; }
    int OutputHeight() const { return m_rcOutput.bottom - m_rcOutput.top; }
    RECT OutputRect() const { return m_rcOutput; }
    int WeightWindow() const { return m_nWeightWindow; }
    int SizeParam() const { return m_nSizeParam; }
    int ScopeType() const { return m_nScopeType; }
    int CoarseMode() const { return m_bCoarse; }
    int AlignOn() const { return m_bAlign; }
    int PatternCount() const { return m_nPatterns; }
    int BandMode() const { return m_nBandMode; }
    double BandFraction() const { return m_dBandFraction; }
    int BandHeight() const { return m_nBandHeight; }
    int CumulativeShift() const { return m_nCumShift; }
    int SmallestShift() const { return m_nMinShift; }
    int LargestShift() const { return m_nMaxShift; }
    const int* BandOrder() const { return m_BandOrder; }
    RECT ValidRect() const { return m_rcValid; }
    const AlignTransform& LastTransform() const { return m_LastTransform; }
    FocusCompError LastError() const { return m_LastError; }

    // Whether the engine may allocate `bytes` for a store now: FALSE when the platform reports
    // less memory available or a test made the store fail.
    static bool MayAllocate(FocusCompStore store, uint64_t bytes);
    // `bytes` aligned to 64 bytes, on large pages from 2 MB on where the system gives them;
    // freed with std::free. Null when memory is short.
    static void* AllocLarge(size_t bytes);
    // Test hook, process-wide: every later allocation of the stores in the mask (FocusCompStore
    // values or-ed together) fails as if memory were short; 0 ends that.
    static void FailAllocationsForTesting(unsigned storeMask);
    // Test hook, process-wide: series whose first image is added after the call run their
    // chain over bands of `rows` map rows (0 for the usual height).
    static void SetBandRowsForTesting(int rows);

    // ---- stereo drift (type 1) ----
    // Profile of the band of bandHeight rows centred on `row` of a width x height plane: the
    // integer mean of each column. The band is kept inside the plane.
    static void BandProfile(const uint16_t* plane, int width, int height, int row, int bandHeight,
                            int* profile);
    // sum |trunc((a - mean a)(b - mean b))| / (sqrt(sa) sqrt(sb)) over n samples of a from i and
    // b from j; 0.0 when either window is flat.
    static double ProfileScore(const int* a, int i, const int* b, int j, int n);

    // ---- alignment (type 0) ----
    // A new bitmap: the image mapped onto the previous aligned one (the caller frees it). Each
    // pattern is placed by the coarse-to-fine search and by full-resolution scores near no
    // movement and near its previous place, to a fraction of a pixel; the map fitted to the
    // places replaces the previous image's map only when it fits the patterns strictly better
    // at whole pixels, and the fraction of a pixel its rounded shift leaves out is carried to
    // the next image.
    HDIB AlignImage(HDIB image);

protected:
    // The steps of StartSeries, in its order; tests reach each one on its own.
    // `ignored` has no effect. sizeParam p scales the focus-measure smoothing; scopeType is a
    // FOCUS_SCOPE_ value; bandChoice 0 automatic / 1 manual with bandPosition 0, 1, 2 (stereo);
    // alignOn with points (else alignment stays off), matchCount 0..2 (2 to 4 patterns) and four
    // points in percent of the inner 80 % of the image (ordinary microscope only); coarseMode
    // with coarseWidth below width puts the focus maps on a coarse grid. Frees what an earlier
    // series left in the work maps. Always 1.
    BOOL Setup(int ignored, int sizeParam, int scopeType, int bandChoice, int bandPosition, int width,
               int height, int alignOn, int matchCount, const POINT* points, int coarseMode, int coarseWidth);
    // Best-focus, index and weight maps at focus-map resolution. FALSE when memory is short
    // (nothing is kept then).
    BOOL AllocMaps();
    void ClearMaxMap();
    void ClearIndexMap();
    void ClearWeightMap();

private:
    bool AllocWorkBuffers(int bitCount); // the chain's buffers and the working copy
    bool AllocChainBuffers();            // the buffers of any depth
    void FreeWorkBuffers();
    void SetLastError(FocusCompError e) { m_LastError = e; }

    // Per-image chain (FocusCompBands.cpp): focus measure, selection, weights and blend, over
    // bands of rows. `first` starts the best-focus map from the first image.
    static int BandRowsSetting();
    FocusBandRows BandRowsOf(int y0, int y1) const;
    FocusBandRows LargestBand() const; // the row counts of the largest band (in .hi)
    uint64_t BandBufferBytes(size_t threads) const;
    bool AllocBandBuffers(); // for as many threads as a parallel step may have now
    // The chain on the working image (the image itself, or its aligned or shifted copy);
    // false when memory for more threads' buffers is short.
    bool RunChainOn(HDIB working, bool first);
    template <typename T> void RunChain(HDIB working, bool first);
    template <typename T> void MeasureBand(void* image, int y0, int y1, FocusBandBuffers& buf, bool first);

    // Steps of the chain on rows of the maps (FocusCompMeasure.cpp).
    void MakeFocusPlane(HDIB image); // lightness or red plane into m_light (stereo drift)
    // Cells [xa, xb) of map row y from the measure m (m[i] is cell xa + i).
    void SelectCells(int y, int xa, int xb, const uint16_t* m, bool first);
    // Weight row y of the newest image into `weight`; col keeps the column counts of the box
    // from row to row of a run (primed once they hold a row's).
    void WeightRow(int y, int* col, bool& primed, double* weight) const;
    void MakeWeightRows() const; // the weight map as GetWeightRows shows it
    // Image rows [ya, yb) (of one map row, whose weights are `weight`) into the composite.
    template <typename T> void BlendRows(const BYTE* sb, BYTE* db, int ya, int yb, const double* weight);

    // Stereo drift (FocusCompDrift.cpp).
    void InitDrift();
    void InitDriftBands();
    void SortBands();
    void CorrectDrift(HDIB working);
    void ShiftImage(HDIB working, int shift);
    int BestShift(const int* reference, const int* profile, std::vector<double>& scores) const;

    // Alignment (FocusCompAlign.cpp).
    bool SetAlignReference(HDIB first);
    bool AlignImageInto(HDIB image, HDIB target);
    // Sum of the full-resolution scores of the patterns where the map puts them.
    double PatternFit(HDIB image, const AlignTransform& tr, const int* patterns, int count);
    void FreePatterns();

    // Output (FocusComp.cpp).
    bool CropComposite(const RECT& rc);
    bool CropMaps(const RECT& rc);

    HDIB m_hComposite = nullptr;
    double** m_pHeight = nullptr;
    int m_nHeightRows = 0, m_nHeightCols = 0;
    int m_nWeightWindow = 9;
    int m_nSizeParam = 0;
    int m_bCoarse = 0;
    int m_nCoarseWidth = 0, m_nCoarseHeight = 0;
    int m_nScopeType = 0;
    int m_nBandMode = 3;
    double m_dBandFraction = 0.0;
    double m_dBandHeightFactor = 0.05;
    int m_nBandHeight = 5;
    double m_dSearchFactor = 0.15;

    // Alignment.
    int m_bAlign = 0;
    int m_nPatterns = 0;
    POINT m_Points[4] = {};
    HDIB m_hPattern[4] = {};
    bool m_bPatternUsable[4] = {};
    RECT m_rcSearch[4] = {};
    RECT m_rcTemplate[4] = {};
    CPatMatching m_Matcher;
    RECT m_rcValid{};
    AlignTransform m_LastTransform;
    double m_dAlignCarryX = 0.0, m_dAlignCarryY = 0.0; // fraction of a pixel the shift left out
    POINT m_PatternMove[4] = {};                       // where each pattern was last found

    RECT m_rcOutput{};
    int m_nMinShift = 0, m_nMaxShift = 0;

    // Stereo drift.
    static constexpr int kBandCount = 5;
    int m_nBandCount = 0;
    int m_BandRows[kBandCount] = {};
    int m_BandOrder[kBandCount] = {0, 1, 2, 3, 4};
    double m_BandVariance[kBandCount] = {};
    std::vector<int> m_BandProfiles[kBandCount];
    int m_nBandRow = 0;
    std::vector<int> m_RefProfile;
    int m_nCumShift = 0;

    int m_nWidth = 0, m_nHeight = 0;
    int m_nMapWidth = 0, m_nMapHeight = 0;
    const double* m_pZ = nullptr;
    int m_nZCount = 0;
    int** m_pMax = nullptr;
    int m_nMaxRows = 0, m_nMaxCols = 0;
    int** m_pIndex = nullptr;
    double** m_pWeight = nullptr;
    // What the weight map holds: its rows as stored, all zeros, or the weights of the newest
    // image's wins (the chain blends from a row of weights of its own and leaves the map to
    // be made when it is asked for).
    enum class WeightMap { Stored, Zero, FromWins };
    mutable WeightMap m_weightMap = WeightMap::Stored;
    // Best-focus and index maps cleared before the first image are filled when asked for: the
    // first image writes every cell of both, so their pages are first touched by its parallel
    // selection instead of by a clearing pass.
    mutable bool m_maxZero = false, m_indexZero = false;
    void FillPendingZeros() const;
    int m_nImagesAdded = 0;
    int m_nBits = 0;          // depth of the series, from the first image
    bool m_bComposed = false; // Compose has cut the results

    // Working buffers, allocated with the first image.
    std::vector<uint16_t> m_light; // focus plane, full resolution (stereo drift)
    // Written whole by every image before they are read, so left uninitialised: their pages are
    // first touched by the parallel steps, not by one thread clearing them.
    // From AllocLarge: the measure's rows are 64-byte aligned, so that a strip's part of a row
    // is whole cache lines.
    struct FreeAligned {
        void operator()(void* p) const { std::free(p); }
    };
    std::unique_ptr<uint16_t[], FreeAligned> m_smooth; // row-smoothed measure (focus-map size)
    std::unique_ptr<uint8_t[], FreeAligned> m_wins;    // 1 where the newest image won
    std::vector<int> m_profile[kBandCount];
    std::vector<double> m_scores;
    HDIB m_hWork = nullptr; // working copy (stereo and alignment)
    planes::BandSmoother m_rowSmoother, m_colSmoother;
    planes::ShrinkGrid m_grid;                // coarse grid cells
    std::vector<int> m_cellX;                 // map column of each image column
    std::vector<double> m_boxMean;            // mean of each box sum of wins
    std::vector<int> m_firstImageRow;         // first image row of each map row, and the height
    std::vector<FocusBandBuffers> m_bandBufs; // one per thread
    int m_nBandRows = 16;                     // map rows per band
    int m_nHalfPeriod = 0;
    bool m_bWorkReady = false;
    bool m_bChainReady = false;

    FocusCompError m_LastError = FocusCompError::None;
};
