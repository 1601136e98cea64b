#include "result/ImageDoc.h"

#include "ids/VantorelIds.h"
#include "imaging/bitmaps/Dib.h"
#include "imaging/bitmaps/DibConvert.h"
#include "imaging/bitmaps/MemoryRoom.h"
#include "imaging/files/ImageFile.h"
#include "imaging/compose/WorkerMessages.h"
#include "devices/camera/CalibrationSettings.h"
#include "devices/camera/LensTable.h"
#include "platform/File.h"
#include "platform/MessageSink.h"
#include "platform/Settings.h"
#include "platform/WindowMessages.h"
#include "result/core/HandOver.h"
#include "result/core/HeightPicture.h"
#include "ui/ResourceWidgets.h"
#include "result/ImageView.h"
#include "result/core/NoiseCut.h"

#include <cstdlib>
#include <cstring>
#include <vector>

CImageDoc::CImageDoc() = default;

CImageDoc::~CImageDoc() {
    StopWorker();
    FreeData();
}

void CImageDoc::StopWorker() {
    if (!m_worker.joinable())
        return;
    m_cancel = true;
    m_worker.join();
    std::lock_guard<std::mutex> lock(m_resultLock);
    if (m_result.preview)
        GlobalFree(m_result.preview);
    m_result = CutResult{};
    m_busy = 0;
}

void CImageDoc::FreeData() {
    StopWorker();
    ++m_generation;
    for (HDIB* d : {&m_image, &m_display, &m_heightPicture, &m_preview}) {
        if (*d)
            GlobalFree(*d);
        *d = nullptr;
    }
    m_heights.Free();
    m_working.Free();
    m_focus.Free();
    m_width = m_height = 0;
    m_displayLow = m_displayHigh = -1;
    m_previewFlag = 0;
    m_minimum = m_step = 0.0;
}

namespace {

// What the window takes for each pixel of its image: the image (up to 6 bytes), its screen
// conversion (3), the view's picture (3) and the bitmap it is drawn through (4).
constexpr uint64_t kImageBytesPerPixel = 16;
// And for each pixel of its heights: the height, working and noise-cut rows (8 each), the
// focus values and the noise mask (4 each), the height and preview pictures (1 each).
constexpr uint64_t kHeightBytesPerPixel = 34;

// Whether a w x h picture with that much per pixel fits in the memory free now; when it does
// not, the memory message is shown.
bool RoomOrReport(int64_t w, int64_t h, uint64_t perPixel) {
    if (w <= 0 || h <= 0 || HasRoomFor(uint64_t(w) * uint64_t(h) * perPixel))
        return true;
    ShowMessage(vtid::str::NoMemory, MB_OK | MB_ICONEXCLAMATION);
    return false;
}

int64_t DibPixels(HDIB dib, int64_t* w) {
    GlobalLockGuard lock(dib);
    if (!lock)
        return 0;
    *w = DibGetWidth(lock.get());
    return std::abs(int64_t(DibGetHeight(lock.get())));
}

} // namespace

bool CImageDoc::SetResultImage(HDIB image) {
    if (!image)
        return false;
    FreeData();
    m_title = ui::ToUtf8(ui::LoadResString(vtid::str::CompositionResultTitle));
    int64_t w = 0;
    const int64_t h = DibPixels(image, &w);
    if (!RoomOrReport(w, h, kImageBytesPerPixel))
        return false;
    HDIB copy = DibDuplicate(image);
    if (!copy) {
        ShowMessage(kMsgImageTooLarge, MB_OK | MB_ICONEXCLAMATION);
        return false;
    }
    m_image = copy;
    m_saved = 0;
    PrepareImage(-1);
    return m_image != nullptr;
}

bool CImageDoc::SetHeightData(const double* const* heights, const int* const* focus) {
    StopWorker();
    m_heights.Free();
    m_focus.Free();
    m_working.Free();
    if (heights && !m_image)
        return false; // no image to carry the heights: refused
    if (heights && !RoomOrReport(m_width, m_height, kHeightBytesPerPixel)) {
        BuildHeightDisplay();
        return false;
    }
    if (heights) {
        if (!m_heights.CopyFrom(heights, m_width, m_height) || !m_focus.CopyFrom(focus, m_width, m_height) ||
            !m_working.CopyFrom(m_heights)) {
            m_heights.Free();
            m_focus.Free();
            m_working.Free();
            ShowMessage(kMsgImageTooLarge, MB_OK | MB_ICONEXCLAMATION);
            BuildHeightDisplay();
            return false;
        }
    }
    BuildHeightDisplay();
    return true;
}

namespace {

bool IsGreyRamp(HDIB dib) {
    RGBQUAD t[256];
    const void* b = GlobalLock(dib);
    const bool full = DibColorCount(b) == 256;
    GlobalUnlock(dib);
    if (!full || !DibGetColorTable(dib, t))
        return false;
    for (int i = 0; i < 256; ++i)
        if (t[i].rgbRed != i || t[i].rgbGreen != i || t[i].rgbBlue != i)
            return false;
    return true;
}

} // namespace

void CImageDoc::PrepareImage(int typeCode) {
    ++m_generation;
    if (m_display)
        GlobalFree(m_display);
    m_display = nullptr;
    m_displayLow = m_displayHigh = -1;
    if (!m_image)
        return;
    const void* b = GlobalLock(m_image);
    const LONG w = DibGetWidth(b), h = DibGetHeight(b);
    const int bits = DibGetBitCount(b);
    GlobalUnlock(m_image);
    if (w < 0 || h < 0) {
        GlobalFree(m_image);
        m_image = nullptr;
        ShowMessage(kMsgImageTooLarge, MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    m_width = w;
    m_height = h;
    switch (bits) {
    case 8:
        m_typeCode = IsGreyRamp(m_image) ? 0 : 1;
        break;
    case 16:
        m_typeCode = typeCode == -1 ? 6 : typeCode;
        break;
    case 24:
        m_typeCode = 3;
        break;
    case 48:
        m_typeCode = typeCode == -1 ? 9 : typeCode;
        break;
    default:
        m_typeCode = -1;
        break;
    }
    int high = 255;
    if (m_typeCode == 4 || m_typeCode == 7 || m_typeCode == 10)
        high = 1023;
    else if (m_typeCode == 5 || m_typeCode == 8 || m_typeCode == 11)
        high = 4095;
    else if (m_typeCode == 6 || m_typeCode == 9 || m_typeCode == 12)
        high = 65535;
    m_displayLow = 0;
    m_displayHigh = high;
    m_display = DibConvertForDisplay(m_image, nullptr, m_displayLow, m_displayHigh, m_typeCode, -1);
}

void CImageDoc::BuildHeightDisplay() {
    ++m_generation;
    if (m_heightPicture)
        GlobalFree(m_heightPicture);
    m_heightPicture = nullptr;
    if (m_working.Empty())
        return;
    const HeightRange r = ScanHeightRange(m_working);
    if (r.max == r.min && r.min == 0.0) {
        m_heights.Free();
        m_focus.Free();
        m_working.Free();
        return;
    }
    m_heightPicture = BuildHeightPicture(m_working, &m_minimum, &m_step);
}

HDIB CImageDoc::GetDrawImage() const {
    if (!m_heightPicture || m_displayMode == 0)
        return m_display ? m_display : m_image;
    if (m_displayMode == 1)
        return m_previewFlag && m_preview ? m_preview : m_heightPicture;
    return nullptr;
}

bool CImageDoc::OnOpenDocument(const std::string& path) {
    FreeData();
    int type = -1;
    HDIB dib = nullptr;
    if (ImageFileFormatIndex(path) >= 0) {
        dib = ReadImageFile(path, &type);
    } else { // a name of no image format is read as BMP
        try {
            CFile file;
            if (file.Open(path, CFile::modeRead | CFile::shareDenyWrite))
                dib = DibReadBmpFile(&file, 0);
        } catch (const CFileException&) {
            dib = nullptr;
        }
    }
    if (!dib) {
        ShowMessage(vtid::str::CannotReadData, MB_OK | MB_ICONEXCLAMATION);
        return false;
    }
    int64_t w = 0;
    const int64_t h = DibPixels(dib, &w);
    if (!RoomOrReport(w, h, kImageBytesPerPixel)) {
        GlobalFree(dib);
        return false;
    }
    m_title = path;
    m_image = dib;
    PrepareImage(type);
    if (!m_image)
        return false;
    BuildHeightDisplay();
    m_displayMode = 0;
    m_saved = 1;
    return true;
}

namespace {

// By the extension; a name of no image format is written as BMP, beside the target first.
bool WritePicture(HDIB picture, const std::string& path, int type) {
    if (ImageFileFormatIndex(path) >= 0)
        return SaveImageFile(picture, path, type, 75);
    AtomicFileWriter writer(path);
    if (!writer.Open())
        return false;
    try {
        if (!SaveDibAsBmp(picture, &writer.File())) {
            writer.Abort();
            return false;
        }
    } catch (const CFileException&) {
        writer.Abort();
        return false;
    }
    return writer.Commit();
}

} // namespace

bool CImageDoc::SaveImage(const std::string& path) {
    {
        // A name that cannot be created is reported as such; nothing is written.
        AtomicFileWriter probe(path);
        if (!probe.Open()) {
            ShowMessage(kMsgInvalidFileName, MB_OK | MB_ICONEXCLAMATION);
            return false;
        }
        probe.Abort();
    }
    HDIB picture = m_displayMode == 1 && m_heightPicture ? m_heightPicture : m_image;
    int type = picture == m_heightPicture ? 1 : m_typeCode;
    HDIB burnt = nullptr;
    if (picture && (m_scaleOn || m_dotScaleOn)) {
        burnt = RenderScaleBars(*this, picture);
        if (!burnt) {
            ShowMessage(vtid::str::CannotWriteData, MB_OK | MB_ICONEXCLAMATION);
            return false;
        }
        picture = burnt;
        type = 3;
    }
    const bool written = picture && WritePicture(picture, path, type);
    if (burnt)
        GlobalFree(burnt);
    if (!written) {
        ShowMessage(vtid::str::CannotWriteData, MB_OK | MB_ICONEXCLAMATION);
        return false;
    }
    SetModifiedFlag(false);
    m_saved = 1;
    return true;
}

ResultPixels CImageDoc::Pixels() const {
    ResultPixels r;
    r.picture = m_display ? m_display : m_image;
    r.typeCode = m_typeCode;
    r.heights = &m_working;
    r.minimum = m_minimum;
    r.pitch = m_lens.umPerPixel;
    return r;
}

bool CImageDoc::SaveVv3(const std::string& path) {
    if (m_working.Empty()) {
        ShowMessage(kMsgNo3dData, MB_OK | MB_ICONEXCLAMATION);
        return false;
    }
    if (!WriteVv3File(path, Pixels())) {
        ShowMessage(vtid::str::CannotWriteData, MB_OK | MB_ICONEXCLAMATION);
        return false;
    }
    m_saved = 1;
    return true;
}

UINT CImageDoc::TransferHeightMap() {
    if (m_working.Empty()) {
        ShowMessage(kMsgNo3dData, MB_OK | MB_ICONEXCLAMATION);
        return kMsgNo3dData;
    }
    std::vector<BYTE> block;
    UINT r = kMsgHeightTransferFailed;
    if (BuildHeightTransferBlock(Pixels(), block))
        r = SendToHeightViewer(block, m_viewerPath, m_handOverTiming);
    if (r != 0)
        ShowMessage(kMsgHeightTransferFailed, MB_OK | MB_ICONEXCLAMATION);
    return r;
}

UINT CImageDoc::TransferToAnalysis(bool imageOnly) {
    // The height picture shown without heights sends nothing, but the program is looked for
    // (and started) all the same.
    std::vector<std::vector<BYTE>> records;
    std::vector<BYTE> rec;
    bool built = true;
    if (!imageOnly && m_displayMode == 1) {
        if (!m_working.Empty() && m_heightPicture) {
            built = BuildImageTransferRecord(m_lens.umPerPixel, m_step, "HEIGHT", m_heightPicture, rec);
            records.push_back(rec);
        }
    } else {
        built = BuildImageTransferRecord(m_lens.umPerPixel, 1.0, "GRAY", m_image, rec);
        records.push_back(rec);
    }
    const UINT r =
        built ? SendToAnalysisProgram(records, m_analysisPath, m_handOverTiming) : kMsgAnalysisTransferFailed;
    if (r != 0)
        ShowMessage(kMsgAnalysisTransferFailed, MB_OK | MB_ICONEXCLAMATION);
    return r;
}

// ---- noise removal ---------------------------------------------------------------------------

void CImageDoc::RunCut(CutResult& out, const CutSettings& s, const std::function<void(int)>& progress) {
    MaskRows mask;
    out.noise = SelectNoise(m_heights, m_focus, NoiseThreshold(s.amount), mask, out.cut);
    if (out.noise < 0) {
        out.cancelled = true; // nothing to commit
        return;
    }
    if (s.type == 0) {
        const long long n = out.noise;
        const bool done = InterpolateAll(
            mask, out.cut,
            [&](long long total) { progress(n == 0 ? 0 : int(double(total) / double(n) * 100)); },
            [&] { return m_cancel.load(); });
        out.cancelled = !done || m_cancel.load();
    } else if (s.type == 1) {
        FillNoiseWithLowest(mask, out.cut);
    } else {
        FillNoiseWithHighest(mask, out.cut);
    }
    mask.Free();
    if (out.cancelled)
        return; // the smoothing of a cancelled cut would be thrown away
    if (s.filter != 0)
        SmoothHeights(out.cut, m_width / 100.0 * s.filter);
    out.preview = BuildHeightPicture(out.cut, nullptr, nullptr);
}

void CImageDoc::StartWorker(const CutSettings& s, HWND notify, int progressScale) {
    m_cancel = false; // cleared before the start, so an early cancel is never lost
    const WPARAM run = ++m_run;
    m_worker = std::thread([this, s, notify, progressScale, run] {
        CutResult r;
        RunCut(r, s,
               [&](int pct) { PostMessage(notify, WM_WORK_PROGRESS, WPARAM(pct * progressScale / 100), 0); });
        if (progressScale != 100)
            PostMessage(notify, WM_WORK_PROGRESS, 100, 0);
        {
            std::lock_guard<std::mutex> lock(m_resultLock);
            m_result = std::move(r);
        }
        PostMessage(notify, WM_WORK_DONE, run, 0);
    });
}

CImageDoc::CutResult CImageDoc::TakeResult() {
    if (m_worker.joinable())
        m_worker.join();
    std::lock_guard<std::mutex> lock(m_resultLock);
    CutResult r = std::move(m_result);
    m_result = CutResult{};
    return r;
}

void CImageDoc::RunNoiseCut(HWND notify) {
    StopWorker();
    if (m_heights.Empty() || m_cutType < 0 || m_cutType > 2)
        return;
    m_busy = 1;
    const CutSettings s{m_cutAmount, m_cutType, m_filterSize};
    if (m_cutType == 0) {
        StartWorker(s, notify, 100);
        return;
    }
    m_cancel = false;
    CutResult r;
    RunCut(r, s, [](int) {});
    Commit(r);
}

bool CImageDoc::OnWorkDone(WPARAM run) {
    if (run != m_run || !m_worker.joinable())
        return false;
    CutResult r = TakeResult();
    Commit(r);
    return true;
}

void CImageDoc::ShowNoisePreview(int amount) {
    if (!m_heightPicture || m_focus.Empty())
        return;
    HDIB copy = DibDuplicate(m_heightPicture);
    if (!copy)
        return;
    const int t = NoiseThreshold(amount);
    for (int y = 0; y < m_height; ++y)
        for (int x = 0; x < m_width; ++x)
            if (m_focus[y][x] < t)
                DibSetPixel(copy, x, y, 0, 255);
    if (m_preview)
        GlobalFree(m_preview);
    m_preview = copy;
    m_previewFlag = 1;
    ++m_generation;
    UpdateAllViews(nullptr);
}

void CImageDoc::PreviewCut(int amount, int type, int smoothing, HWND notify) {
    StopWorker();
    if (m_heights.Empty())
        return;
    const CutSettings s{amount, type, smoothing};
    if (type == 0) {
        m_previewFlag = 1;
        StartWorker(s, notify, 90);
        return;
    }
    m_cancel = false;
    CutResult r;
    RunCut(r, s, [](int) {});
    InstallPreview(r);
}

bool CImageDoc::OnPreviewDone(WPARAM run) {
    if (run != m_run || !m_worker.joinable())
        return false;
    CutResult r = TakeResult();
    InstallPreview(r);
    return true;
}

void CImageDoc::InstallPreview(CutResult& r) {
    m_lastNoiseCount = r.noise;
    m_lastCancelled = r.cancelled;
    if (!r.cancelled && r.preview) {
        if (m_preview)
            GlobalFree(m_preview);
        m_preview = r.preview;
        r.preview = nullptr;
        m_previewFlag = 1;
    } else if (r.preview) {
        GlobalFree(r.preview);
    }
    ++m_generation;
    UpdateAllViews(nullptr);
}

void CImageDoc::DiscardPreview() {
    StopWorker();
    if (m_preview)
        GlobalFree(m_preview);
    m_preview = nullptr;
    m_previewFlag = 0;
    BuildHeightDisplay();
    UpdateAllViews(nullptr);
}

void CImageDoc::Commit(CutResult& r) {
    ++m_generation;
    m_lastNoiseCount = r.noise;
    m_lastCancelled = r.cancelled;
    if (!r.cancelled && r.preview) {
        // The committed rows get their own minimum and step, so heights start at 0 and the step
        // describes the picture.
        m_working.Swap(r.cut);
        if (m_heightPicture)
            GlobalFree(m_heightPicture);
        m_heightPicture = r.preview;
        r.preview = nullptr;
        const HeightRange range = ScanHeightRange(m_working);
        m_minimum = range.min;
        m_step = (range.max - range.min) / 255.0;
    } else {
        if (r.preview)
            GlobalFree(r.preview);
        BuildHeightDisplay();
    }
    if (m_preview)
        GlobalFree(m_preview);
    m_preview = nullptr;
    m_previewFlag = 0;
    m_busy = 0;
    UpdateAllViews(nullptr);
}

// ---- settings --------------------------------------------------------------------------------

void CImageDoc::LoadScaleSettings() {
    std::string slotNames[5];
    for (UINT id = vtid::str::Lens1Name; id <= vtid::str::Lens5Name; ++id)
        slotNames[id - vtid::str::Lens1Name] = ui::ToUtf8(ui::LoadResString(id));
    // A slot without a dot count of its own shows a bar of 200 dots here.
    LensScale scaleDefaults;
    scaleDefaults.dots = 200;
    for (int i = 0; i < 5; ++i) {
        CalibSlot& s = m_slots[i];
        const LensKeys slot = LensKeys::Slot(i);
        const LensCalibration calibration =
            ReadLensCalibration(slot, LensCalibration{slotNames[i], 1.0, 0.0}, kWholeNameBuffer);
        s.calib = calibration.umPerPixel;
        s.gap = calibration.interval;
        s.name = calibration.registeredName;
        const LensScale scale = ReadLensScale(slot, scaleDefaults);
        s.colour = COLORREF(int(scale.colour));
        s.length = scale.length;
        s.dots = scale.dots;
        s.ceiling = scale.ceiling;
        s.position = scale.position;
    }
    const ScaleSwitches switches = ReadScaleSwitches();
    m_scaleOn = switches.um;
    m_dotScaleOn = switches.dots;
    m_slot = ReadCurrentSlot();
    // A lens of the lens table: the table is read again (with each lens's own calibration
    // section), so that a calibration made in either window since counts.
    const CMLens* tableLens = nullptr;
    if ((m_slot < 0 || m_slot > 4) && m_lensTable) {
        m_lensTable->Reload();
        tableLens = m_lensTable->At(m_lensTable->IndexOf(ReadCurrentLensName(kWholeNameBuffer)));
    }
    if (tableLens) {
        m_slot = -1;
        m_lens = ResultLens::FromTable(*tableLens);
        return;
    }
    if (m_slot < 0 || m_slot > 4)
        m_slot = 0; // a lens the table does not hold: the first slot
    m_lens = ResultLens::FromSlot(m_slots[m_slot]);
}

ResultLens ResultLens::FromSlot(const CalibSlot& s) {
    ResultLens lens;
    lens.index = -1;
    lens.registeredName = s.name;
    lens.umPerPixel = s.calib;
    lens.interval = s.gap;
    lens.scaleColour = s.colour;
    lens.scalePosition = s.position;
    lens.scaleLength = s.length;
    lens.scaleDots = s.dots;
    lens.scaleCeiling = s.ceiling;
    return lens;
}

ResultLens ResultLens::FromTable(const CMLens& m) {
    ResultLens lens;
    lens.index = m.m_index;
    lens.name = m.GetName();
    lens.registeredName = m.GetRegName();
    lens.umPerPixel = m.m_calib;
    lens.interval = m.m_gap;
    lens.scaleColour = m.m_scaleColor;
    lens.scalePosition = m.m_scalePos;
    lens.scaleLength = m.m_scaleLength;
    lens.scaleDots = m.m_scaleDots;
    lens.scaleCeiling = m.m_scaleCeiling;
    return lens;
}

void CImageDoc::LoadProgramPaths() {
    m_analysisPath = ReadIniString("APPPATH", "PVPPATH", "");
    m_viewerPath = ReadIniString("APPPATH", "BRXPATH", DefaultViewerPath().c_str());
}

void CImageDoc::SaveProgramPaths() const {
    WriteIniString("APPPATH", "PVPPATH", m_analysisPath.c_str());
    WriteIniString("APPPATH", "BRXPATH", m_viewerPath.c_str());
}
