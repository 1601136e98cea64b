// The focus composer: set-up, maps, adding images, height map and output.
#include "imaging/compose/FocusComp.h"

#include "imaging/bitmaps/DibPlanes.h"

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <cstring>
#include <new>

#include <sys/mman.h>

namespace {

std::atomic<unsigned> g_failingStores{0};

// A map is one block: the pointer array has one slot more in front, which holds the block.
template <typename T> T** AllocRows(int rows, int cols) {
    if (rows < 1 || cols < 1)
        return nullptr;
    const size_t stride = (sizeof(T) * static_cast<size_t>(cols) + 63) / 64 * 64;
    T* block = static_cast<T*>(CFocusComp::AllocLarge(stride * static_cast<size_t>(rows)));
    if (!block)
        return nullptr;
    T** p = new (std::nothrow) T*[static_cast<size_t>(rows) + 1];
    if (!p) {
        std::free(block);
        return nullptr;
    }
    p[0] = block;
    for (int y = 0; y < rows; ++y)
        p[y + 1] = reinterpret_cast<T*>(reinterpret_cast<char*>(block) + stride * static_cast<size_t>(y));
    return p + 1;
}

template <typename T> void FreeRowsOf(T**& rows, int /*count*/) {
    if (!rows)
        return;
    T** base = rows - 1;
    std::free(base[0]);
    delete[] base;
    rows = nullptr;
}

template <typename T> void FillRows(T** rows, int count, int cols, T value) {
    if (!rows)
        return;
#pragma omp parallel for schedule(dynamic, 4)
    for (int y = 0; y < count; ++y)
        std::fill(rows[y], rows[y] + cols, value);
}

// Writes zeros over a buffer whose content does not matter yet, in parallel pieces, so that
// its pages are mapped before the work that needs them.
void TouchPages(void* p, size_t bytes) {
    constexpr size_t kPiece = size_t(1) << 20;
    const long pieces = static_cast<long>((bytes + kPiece - 1) / kPiece);
    auto* b = static_cast<char*>(p);
#pragma omp parallel for schedule(dynamic, 1)
    for (long i = 0; i < pieces; ++i)
        std::memset(b + i * kPiece, 0, std::min(kPiece, bytes - i * kPiece));
}

} // namespace

void* CFocusComp::AllocLarge(size_t bytes) {
    constexpr size_t kLargePage = size_t(2) << 20;
    if (bytes < kLargePage)
        return std::aligned_alloc(64, (std::max<size_t>(bytes, 1) + 63) / 64 * 64);
    // Large pages where the system gives them on request: one fault maps 2 MB instead of 4 kB,
    // and the threads that first touch a map do not queue for the kernel's page lists.
    const size_t size = (bytes + kLargePage - 1) / kLargePage * kLargePage;
    void* p = std::aligned_alloc(kLargePage, size);
#ifdef MADV_HUGEPAGE
    if (p)
        (void)::madvise(p, size, MADV_HUGEPAGE);
#endif
    return p;
}

bool CFocusComp::MayAllocate(FocusCompStore store, uint64_t bytes) {
    if (g_failingStores.load() & static_cast<unsigned>(store))
        return false;
    // Memory is promised lazily on this system: an allocation beyond what the machine has
    // succeeds and fails later, when its pages are touched. Big stores are checked first.
    return bytes < GlobalAvailableBytes();
}

void CFocusComp::FailAllocationsForTesting(unsigned storeMask) {
    g_failingStores.store(storeMask);
}

CFocusComp::CFocusComp() = default;

CFocusComp::~CFocusComp() {
    FreeAll();
    FreeWorkMaps(0);
    FreeRowsOf(m_pMax, m_nMaxRows);
    if (m_hComposite)
        GlobalFree(m_hComposite);
    m_hComposite = nullptr;
}

void CFocusComp::FreeRows(double** rows, int count) {
    FreeRowsOf(rows, count);
}
void CFocusComp::FreeRows(int** rows, int count) {
    FreeRowsOf(rows, count);
}

bool CFocusComp::StartSeries(const FocusCompSettings& s) {
    SetLastError(FocusCompError::None);
    // The points are always given: alignment that is off keeps the engine's points as they are.
    Setup(3, s.sizeParam, static_cast<int>(s.scope), s.band.manual ? 1 : 0, s.band.position, s.width,
          s.height, s.alignment.on ? 1 : 0, s.alignment.matchCount, s.alignment.points.data(),
          s.coarse.on ? 1 : 0, s.coarse.width);
    if (!AllocMaps())
        return false;
    ClearMaxMap();
    ClearIndexMap();
    ClearWeightMap();
    return true;
}

BOOL CFocusComp::Setup(int /*ignored*/, int sizeParam, int scopeType, int bandChoice, int bandPosition,
                       int width, int height, int alignOn, int matchCount, const POINT* points,
                       int coarseMode, int coarseWidth) {
    // A new series: the work maps of an earlier one go while their sizes are still known.
    FreeAll();
    m_nImagesAdded = 0;
    m_bComposed = false;
    m_nSizeParam = sizeParam;
    m_nWidth = width;
    m_nHeight = height;

    m_bAlign = (alignOn && points) ? 1 : 0;
    m_nPatterns = 0;
    if (m_bAlign) {
        m_nPatterns = std::clamp(matchCount, 0, 2) + 2;
        for (int i = 0; i < 4; ++i)
            m_Points[i] = points[i];
    }

    m_bCoarse = 0;
    m_nCoarseWidth = width;
    m_nCoarseHeight = height;
    if (coarseMode && coarseWidth < width && width > 0) {
        const int ch = static_cast<int>(static_cast<int64_t>(height) * coarseWidth / width);
        // A grid that rounds to nothing falls back to full resolution.
        if (coarseWidth >= 1 && ch >= 1) {
            m_bCoarse = 1;
            m_nCoarseWidth = coarseWidth;
            m_nCoarseHeight = ch;
        }
    }
    m_nMapWidth = m_bCoarse ? m_nCoarseWidth : width;
    m_nMapHeight = m_bCoarse ? m_nCoarseHeight : height;

    m_nWeightWindow = (m_nMapWidth / 200) * 2 + 1;
    m_nWeightWindow = std::max(m_nWeightWindow, m_bCoarse ? 3 : 9);

    m_nScopeType = scopeType;
    m_nBandMode = 3;
    if (scopeType == FOCUS_SCOPE_STEREO) {
        m_bAlign = 0;
        m_nPatterns = 0;
        m_nBandMode = (bandChoice == 1 && bandPosition >= 0 && bandPosition <= 2) ? bandPosition : 3;
    } else if (scopeType == FOCUS_SCOPE_CONFOCAL) {
        m_bAlign = 0;
        m_nPatterns = 0;
    }
    static const double kFractions[3] = {0.25, 0.5, 0.75};
    m_dBandFraction = (m_nBandMode >= 0 && m_nBandMode <= 2) ? kFractions[m_nBandMode] : 0.0;
    m_dBandHeightFactor = 0.05;
    m_dSearchFactor = 0.15;
    m_rcOutput = RECT{0, 0, width, height};
    m_rcValid = RECT{0, 0, width - 1, height - 1};
    return 1;
}

BOOL CFocusComp::AllocMaps() {
    FreeRowsOf(m_pMax, m_nMaxRows);
    FreeRowsOf(m_pIndex, m_nMapHeight);
    FreeRowsOf(m_pWeight, m_nMapHeight);
    const uint64_t cells = static_cast<uint64_t>(std::max(m_nMapWidth, 0)) * std::max(m_nMapHeight, 0);
    if (!MayAllocate(FocusCompStore::Maps, cells * (sizeof(int) * 2 + sizeof(double)))) {
        m_nMaxRows = m_nMaxCols = 0;
        SetLastError(FocusCompError::NoMemory);
        return FALSE;
    }
    m_pMax = AllocRows<int>(m_nMapHeight, m_nMapWidth);
    m_pIndex = AllocRows<int>(m_nMapHeight, m_nMapWidth);
    m_pWeight = AllocRows<double>(m_nMapHeight, m_nMapWidth);
    m_nMaxRows = m_nMapHeight;
    m_nMaxCols = m_nMapWidth;
    m_weightMap = WeightMap::Stored;
    m_maxZero = m_indexZero = false;
    if (!m_pMax || !m_pIndex || !m_pWeight) {
        FreeRowsOf(m_pMax, m_nMaxRows);
        FreeRowsOf(m_pIndex, m_nMapHeight);
        FreeRowsOf(m_pWeight, m_nMapHeight);
        m_nMaxRows = m_nMaxCols = 0;
        SetLastError(FocusCompError::NoMemory);
        return FALSE;
    }
    return TRUE;
}

void CFocusComp::ClearMaxMap() {
    if (m_nImagesAdded == 0 && m_pMax)
        m_maxZero = true;
    else
        FillRows(m_pMax, m_nMaxRows, m_nMaxCols, 0);
}
void CFocusComp::ClearIndexMap() {
    if (m_nImagesAdded == 0 && m_pIndex)
        m_indexZero = true;
    else
        FillRows(m_pIndex, m_nMapHeight, m_nMapWidth, 0);
}

void CFocusComp::FillPendingZeros() const {
    if (m_maxZero)
        FillRows(m_pMax, m_nMaxRows, m_nMaxCols, 0);
    if (m_indexZero)
        FillRows(m_pIndex, m_nMapHeight, m_nMapWidth, 0);
    m_maxZero = m_indexZero = false;
}

int** CFocusComp::GetMaxRows() const {
    FillPendingZeros();
    return m_pMax;
}
int** CFocusComp::GetIndexRows() const {
    FillPendingZeros();
    return m_pIndex;
}
void CFocusComp::ClearWeightMap() {
    // Filled when asked for: the chain never reads the map, so its pages are touched only if
    // someone looks at it.
    if (m_pWeight)
        m_weightMap = WeightMap::Zero;
}

double** CFocusComp::GetWeightRows() const {
    if (m_pWeight && m_weightMap != WeightMap::Stored)
        MakeWeightRows();
    return m_pWeight;
}

bool CFocusComp::AllocWorkBuffers(int bitCount) {
    if (m_bWorkReady)
        return true;
    if (!AllocChainBuffers())
        return false;
    if (m_nScopeType == FOCUS_SCOPE_STEREO || m_bAlign) {
        const uint64_t work = DibStride(m_nWidth, bitCount) * m_nHeight;
        m_hWork = MayAllocate(FocusCompStore::WorkBuffers, work)
                      ? DibCreateOfKind(m_nWidth, m_nHeight, planes::KindOfDepth(bitCount))
                      : nullptr;
        if (!m_hWork) {
            FreeWorkBuffers();
            return false;
        }
    }
    m_bWorkReady = true;
    return true;
}

bool CFocusComp::AllocChainBuffers() {
    if (m_bChainReady)
        return true;
    const bool stereo = m_nScopeType == FOCUS_SCOPE_STEREO;
    m_nHalfPeriod = static_cast<int>(static_cast<int64_t>(m_nSizeParam) * m_nMapWidth / 200);
    m_nBandRows = BandRowsSetting();
    if (m_bCoarse)
        m_grid.Build(m_nWidth, m_nHeight, m_nMapWidth, m_nMapHeight);
    const uint64_t full = stereo ? static_cast<uint64_t>(m_nWidth) * m_nHeight : 0;
    const uint64_t map = static_cast<uint64_t>(m_nMapWidth) * m_nMapHeight;
    const uint64_t smooth = m_nHalfPeriod != 0 ? map * 2 : 0;
    if (!MayAllocate(FocusCompStore::WorkBuffers, full * 2 + map + smooth + BandBufferBytes(1)))
        return false;
    try {
        m_light.assign(static_cast<size_t>(full), 0);
        if (smooth != 0) {
            m_smooth.reset(static_cast<uint16_t*>(AllocLarge(static_cast<size_t>(smooth))));
            if (!m_smooth)
                throw std::bad_alloc();
        }
        m_wins.reset(static_cast<uint8_t*>(AllocLarge(static_cast<size_t>(map))));
        if (!m_wins)
            throw std::bad_alloc();
        if (m_nHalfPeriod != 0) {
            const double lambda = planes::BandSmoother::LambdaForPeriod(2 * m_nHalfPeriod);
            m_rowSmoother.Build(m_nMapWidth, lambda);
            m_colSmoother.Build(m_nMapHeight, lambda);
        }
        // Box sums of wins are whole numbers 0 .. n * n: their means are looked up, the same
        // quotients as dividing each time.
        const int n = m_nWeightWindow;
        const double area = static_cast<double>(n) * n;
        m_boxMean.resize(static_cast<size_t>(n) * n + 1);
        for (size_t k = 0; k < m_boxMean.size(); ++k)
            m_boxMean[k] = static_cast<int>(k) / area;
        const double rx = m_bCoarse ? static_cast<double>(m_nWidth) / m_nCoarseWidth : 1.0;
        const double ry = m_bCoarse ? static_cast<double>(m_nHeight) / m_nCoarseHeight : 1.0;
        m_cellX.resize(static_cast<size_t>(m_nWidth));
        for (int x = 0; x < m_nWidth; ++x)
            m_cellX[x] = m_bCoarse ? std::min(static_cast<int>(x / rx), m_nCoarseWidth - 1) : x;
        // Map row cy blends image rows [m_firstImageRow[cy], m_firstImageRow[cy + 1]).
        m_firstImageRow.assign(static_cast<size_t>(m_nMapHeight) + 1, m_nHeight);
        for (int y = 0, c = 0; y < m_nHeight; ++y) {
            const int cy = m_bCoarse ? std::min(static_cast<int>(y / ry), m_nCoarseHeight - 1) : y;
            while (c <= cy && c < m_nMapHeight)
                m_firstImageRow[c++] = y;
        }
        if (stereo) {
            for (int b = 0; b < kBandCount; ++b)
                m_profile[b].assign(static_cast<size_t>(m_nWidth), 0);
            m_scores.assign(static_cast<size_t>(m_nWidth) + 1, 0.0);
        }
    } catch (const std::bad_alloc&) {
        FreeWorkBuffers();
        return false;
    }
    if (!AllocBandBuffers()) {
        FreeWorkBuffers();
        return false;
    }
    m_bChainReady = true;
    return true;
}

BOOL CFocusComp::PrepareImages() {
    SetLastError(FocusCompError::None);
    if (m_nImagesAdded > 0)
        return TRUE;
    if (!m_pMax || !m_pIndex || m_bComposed) {
        SetLastError(FocusCompError::NotReady);
        return FALSE;
    }
    if (!AllocChainBuffers()) {
        SetLastError(FocusCompError::NoMemory);
        return FALSE;
    }
    // The maps get their zeros now, and the buffers the first image writes are touched, each
    // part by the thread that takes it.
    FillPendingZeros();
    const size_t map = static_cast<size_t>(m_nMapWidth) * m_nMapHeight;
    TouchPages(m_wins.get(), map);
    if (m_smooth)
        TouchPages(m_smooth.get(), map * sizeof(uint16_t));
    return TRUE;
}

void CFocusComp::FreeWorkBuffers() {
    std::vector<uint16_t>().swap(m_light);
    // The weights of the newest image are made from its wins while there are wins.
    if (m_pWeight && m_weightMap == WeightMap::FromWins)
        MakeWeightRows();
    m_smooth.reset();
    m_wins.reset();
    for (auto& p : m_profile)
        std::vector<int>().swap(p);
    std::vector<double>().swap(m_scores);
    std::vector<FocusBandBuffers>().swap(m_bandBufs);
    if (m_hWork)
        GlobalFree(m_hWork);
    m_hWork = nullptr;
    m_bWorkReady = false;
    m_bChainReady = false;
}

int CFocusComp::AddImage(HDIB image) {
    SetLastError(FocusCompError::None);
    if (!image) {
        SetLastError(FocusCompError::BadImage);
        return 0;
    }
    int w = 0, h = 0, bc = 0;
    {
        GlobalLockGuard g(image);
        if (!g) {
            SetLastError(FocusCompError::BadImage);
            return 0;
        }
        w = DibGetWidth(g.get());
        h = DibGetHeight(g.get());
        bc = DibGetBitCount(g.get());
    }
    if (planes::SamplesPerPixel(bc) == 0 || w != m_nWidth || h != m_nHeight || w < 1 || h < 1 ||
        (m_nImagesAdded > 0 && bc != m_nBits)) {
        SetLastError(FocusCompError::BadImage);
        return 0;
    }
    if (!m_pWeight && m_pHeight && m_nImagesAdded > 0 && !m_bComposed) {
        // The heights took the weight rows; the next image's weights need rows again.
        const uint64_t cells = static_cast<uint64_t>(m_nMapWidth) * m_nMapHeight;
        if (!MayAllocate(FocusCompStore::Maps, cells * sizeof(double)) ||
            !(m_pWeight = AllocRows<double>(m_nMapHeight, m_nMapWidth))) {
            SetLastError(FocusCompError::NoMemory);
            return 0;
        }
        m_weightMap = WeightMap::Stored;
    }
    if (!m_pMax || !m_pIndex || !m_pWeight || m_bComposed) {
        SetLastError(FocusCompError::NotReady);
        return 0;
    }
    if (m_nImagesAdded == 0 || !m_bWorkReady) {
        if (m_nImagesAdded > 0 && m_nBits != bc) {
            SetLastError(FocusCompError::BadImage);
            return 0;
        }
        if (!AllocWorkBuffers(bc)) {
            SetLastError(FocusCompError::NoMemory);
            return 0;
        }
    }

    if (m_nImagesAdded == 0) {
        const uint64_t bytes = DibStride(w, bc) * static_cast<uint64_t>(h);
        HDIB composite =
            MayAllocate(FocusCompStore::Composite, bytes) ? DibCopyInto(image, nullptr) : nullptr;
        if (!composite) {
            SetLastError(FocusCompError::NoMemory);
            return 0;
        }
        if (m_hComposite)
            GlobalFree(m_hComposite);
        m_hComposite = composite;
        m_nBits = bc;
        if (m_bAlign && !SetAlignReference(image)) {
            SetLastError(FocusCompError::NoMemory);
            return 0;
        }
        if (m_nScopeType == FOCUS_SCOPE_STEREO) {
            MakeFocusPlane(image);
            InitDrift();
            m_nMinShift = m_nMaxShift = 0;
        }
        if (!RunChainOn(image, true)) {
            SetLastError(FocusCompError::NoMemory);
            return 0;
        }
        m_maxZero = m_indexZero = false; // the chain wrote every cell of both maps
        m_nImagesAdded = 1;
        DibSelectPlane(0);
        return 1;
    }

    HDIB working = image;
    if (m_bAlign) {
        if (!AlignImageInto(image, m_hWork)) {
            SetLastError(FocusCompError::NoMemory);
            return 0;
        }
        working = m_hWork;
    } else if (m_nScopeType == FOCUS_SCOPE_STEREO) {
        GlobalLockGuard s(image);
        GlobalLockGuard d(m_hWork);
        const size_t bytes = DibStride(w, bc) * static_cast<size_t>(h);
        std::memcpy(DibGetBits(d.get()), DibGetBits(s.get()), bytes);
        working = m_hWork;
    }
    if (m_nScopeType == FOCUS_SCOPE_STEREO) {
        MakeFocusPlane(working);
        CorrectDrift(working);
    }
    if (!RunChainOn(working, false)) {
        SetLastError(FocusCompError::NoMemory);
        return 0;
    }
    ++m_nImagesAdded;
    DibSelectPlane(0);
    return 1;
}

HDIB CFocusComp::TakeComposite() {
    HDIB h = m_hComposite;
    m_hComposite = nullptr;
    return h;
}

double** CFocusComp::TakeHeightRows() {
    double** p = m_pHeight;
    m_pHeight = nullptr;
    m_nHeightRows = 0;
    return p;
}

int** CFocusComp::TakeMaxRows() {
    FillPendingZeros();
    int** p = m_pMax;
    m_pMax = nullptr;
    m_nMaxRows = 0;
    return p;
}

void CFocusComp::SetZValues(const double* z, int count) {
    m_pZ = z;
    m_nZCount = z ? std::max(count, 0) : 0;
}

BOOL CFocusComp::BuildHeightMap() {
    SetLastError(FocusCompError::None);
    if (m_nImagesAdded < 1 || !m_pIndex || !m_pMax || m_bComposed) {
        SetLastError(FocusCompError::NotReady);
        return FALSE;
    }
    if (!m_pZ || m_nZCount < m_nImagesAdded) {
        SetLastError(FocusCompError::NoZValues);
        return FALSE;
    }
    const int W = m_nWidth, H = m_nHeight;
    const uint64_t cells = static_cast<uint64_t>(W) * H;
    // At full resolution the weight rows have the size of the height rows: the heights take
    // their memory instead of a fresh map.
    const bool reuse = !m_bCoarse && m_pWeight;
    if (!MayAllocate(FocusCompStore::HeightRows,
                     reuse ? 0 : cells * (sizeof(double) + (m_bCoarse ? sizeof(int) : 0)))) {
        SetLastError(FocusCompError::NoMemory);
        return FALSE;
    }
    double** height = nullptr;
    if (reuse) {
        height = m_pWeight;
        m_pWeight = nullptr;
        m_weightMap = WeightMap::Stored;
    }
    // The per-image buffers are done with; a later image allocates them again.
    FreeWorkBuffers();
    FreeRowsOf(m_pHeight, m_nHeightRows);
    if (!height)
        height = AllocRows<double>(H, W);
    if (!height) {
        SetLastError(FocusCompError::NoMemory);
        return FALSE;
    }
    const double* z = m_pZ;
    if (!m_bCoarse) {
#pragma omp parallel for schedule(dynamic, 4)
        for (int y = 0; y < H; ++y)
            for (int x = 0; x < W; ++x)
                height[y][x] = z[m_pIndex[y][x]];
    } else {
        int** fullMax = AllocRows<int>(H, W);
        if (!fullMax) {
            FreeRowsOf(height, H);
            SetLastError(FocusCompError::NoMemory);
            return FALSE;
        }
        const double ry = static_cast<double>(H) / m_nCoarseHeight;
        const double rx = static_cast<double>(W) / m_nCoarseWidth;
        std::vector<int> cellX(static_cast<size_t>(W));
        for (int x = 0; x < W; ++x)
            cellX[x] = std::min(static_cast<int>(x / rx), m_nCoarseWidth - 1);
#pragma omp parallel for schedule(dynamic, 4)
        for (int y = 0; y < H; ++y) {
            const int cy = std::min(static_cast<int>(y / ry), m_nCoarseHeight - 1);
            for (int x = 0; x < W; ++x) {
                height[y][x] = z[m_pIndex[cy][cellX[x]]];
                fullMax[y][x] = m_pMax[cy][cellX[x]];
            }
        }
        FreeRowsOf(m_pMax, m_nMaxRows);
        m_pMax = fullMax;
        m_nMaxRows = H;
        m_nMaxCols = W;
    }
    m_pHeight = height;
    m_nHeightRows = H;
    m_nHeightCols = W;
    return TRUE;
}

bool CFocusComp::CropComposite(const RECT& rc) {
    int bc = 0;
    {
        GlobalLockGuard g(m_hComposite);
        bc = DibGetBitCount(g.get());
    }
    const int ow = rc.right - rc.left, oh = rc.bottom - rc.top;
    if (!MayAllocate(FocusCompStore::Output, DibStride(ow, bc) * static_cast<uint64_t>(oh)))
        return false;
    HDIB out = DibCreateOfKind(ow, oh, planes::KindOfDepth(bc));
    if (!out)
        return false;
    {
        GlobalLockGuard s(m_hComposite);
        GlobalLockGuard d(out);
        const int bpp = bc / 8;
        const size_t ss = DibStride(m_nWidth, bc), ds = DibStride(ow, bc);
        const BYTE* sb = DibGetBits(s.get());
        BYTE* db = DibGetBits(d.get());
        // Whole pixels: every plane of a colour composite goes with its row.
        for (int row = 0; row < oh; ++row) {
            const BYTE* sr = sb + static_cast<size_t>(m_nHeight - 1 - (rc.top + row)) * ss + rc.left * bpp;
            BYTE* dr = db + static_cast<size_t>(oh - 1 - row) * ds;
            std::memcpy(dr, sr, static_cast<size_t>(ow) * bpp);
        }
        if (bc == 8) {
            // An 8-bit composite keeps the colour table of the series.
            std::memcpy(reinterpret_cast<BYTE*>(d.get()) + DibHeaderSize(d.get()),
                        reinterpret_cast<const BYTE*>(s.get()) + DibHeaderSize(s.get()),
                        std::min(DibColorTableSize(s.get()), DibColorTableSize(d.get())));
        }
    }
    GlobalFree(m_hComposite);
    m_hComposite = out;
    return true;
}

// Cuts full-size rows to the rectangle in place: the rows inside it move to the front of the
// pointer array and their samples to the front of each row. No second full-size map is
// needed, and the map stays one block (FreeRows frees it).
template <typename T> static void CropRowsTo(T** rows, int& rowCount, int& colCount, const RECT& rc) {
    const int ow = rc.right - rc.left, oh = rc.bottom - rc.top;
    for (int y = 0; y < oh; ++y) {
        T* r = rows[rc.top + y];
        if (rc.left > 0)
            std::memmove(r, r + rc.left, sizeof(T) * ow);
        rows[y] = r;
    }
    rowCount = oh;
    colCount = ow;
}

bool CFocusComp::CropMaps(const RECT& rc) {
    if (m_pHeight && m_nHeightRows == m_nHeight && m_nHeightCols == m_nWidth)
        CropRowsTo(m_pHeight, m_nHeightRows, m_nHeightCols, rc);
    if (m_pMax && m_nMaxRows == m_nHeight && m_nMaxCols == m_nWidth)
        CropRowsTo(m_pMax, m_nMaxRows, m_nMaxCols, rc);
    return true;
}

BOOL CFocusComp::Compose() {
    SetLastError(FocusCompError::None);
    // The composite and the rows are cut once: a second cut would read the cut composite as
    // if it still had the full size.
    if (!m_hComposite || m_bComposed) {
        SetLastError(FocusCompError::NotReady);
        return FALSE;
    }
    RECT rc{0, 0, m_nWidth, m_nHeight};
    if (m_nScopeType == FOCUS_SCOPE_STEREO)
        rc = RECT{m_nMaxShift, 0, m_nWidth + m_nMinShift, m_nHeight};
    else if (m_bAlign)
        rc = m_rcValid;
    rc.left = std::clamp<LONG>(rc.left, 0, m_nWidth);
    rc.top = std::clamp<LONG>(rc.top, 0, m_nHeight);
    rc.right = std::clamp<LONG>(rc.right, rc.left, m_nWidth);
    rc.bottom = std::clamp<LONG>(rc.bottom, rc.top, m_nHeight);
    if (rc.right - rc.left < 1 || rc.bottom - rc.top < 1) {
        SetLastError(FocusCompError::BadImage);
        return FALSE;
    }
    const bool whole = rc.left == 0 && rc.top == 0 && rc.right == m_nWidth && rc.bottom == m_nHeight;
    if (!whole) {
        if (!CropComposite(rc)) {
            SetLastError(FocusCompError::NoMemory);
            return FALSE;
        }
        if (m_pHeight && !CropMaps(rc)) {
            SetLastError(FocusCompError::NoMemory);
            return FALSE;
        }
    }
    m_rcOutput = rc;
    m_bComposed = true;
    return TRUE;
}

void CFocusComp::FreeAll() {
    FreeRowsOf(m_pIndex, m_nMapHeight);
    FreeRowsOf(m_pWeight, m_nMapHeight);
    for (auto& p : m_BandProfiles)
        std::vector<int>().swap(p);
    std::vector<int>().swap(m_RefProfile);
    FreePatterns();
    FreeWorkBuffers();
}

void CFocusComp::FreeWorkMaps(int /*afterCompose*/) {
    FreeRowsOf(m_pHeight, m_nHeightRows);
    m_nHeightRows = 0;
    FreeRowsOf(m_pMax, m_nMaxRows);
    m_nMaxRows = 0;
}
