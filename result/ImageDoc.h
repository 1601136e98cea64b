// The result document: one image (a composition result or an opened image file), its screen
// conversion, the composer's heights and focus values with the working heights in use, the
// height picture, the noise-cut state, the lens in use and the paths of the two hand-over
// programs. It loads and saves image files and the .vv3 file and is the source of both
// hand-overs.
#pragma once

#include "devices/camera/LensSection.h"
#include "ids/VantorelIds.h"
#include "platform/GlobalMemory.h"
#include "platform/WinTypes.h"
#include "ui/Document.h"
#include "result/core/HandOver.h"
#include "result/core/HeightRows.h"
#include "result/core/TransferRecords.h"

#include <atomic>
#include <mutex>
#include <string>
#include <thread>

class CMLens;
class LensTable;
struct CalibSlot;

constexpr UINT kMsgNo3dData = vtid::str::No3dData;
constexpr UINT kMsgImageTooLarge = vtid::str::ImageTooLarge;
constexpr UINT kMsgInvalidFileName = vtid::str::CannotCreateFile; // a save whose file cannot be created

// The lens in use: its pitch and its scale-bar settings.
struct ResultLens {
    int index = -1;
    std::string name;
    std::string registeredName;
    double umPerPixel = 0.0;
    double interval = 0.0;
    COLORREF scaleColour = 0x800080;
    int scalePosition = 0;
    double scaleLength = 0.0;
    int scaleDots = 0;
    double scaleCeiling = 1.0;

    // The record of a lens of the lens table, and the record of a calibration slot (no index,
    // no lens name).
    static ResultLens FromTable(const CMLens& m);
    static ResultLens FromSlot(const CalibSlot& s);
};

// One of the five calibration slots of the settings file.
struct CalibSlot {
    double calib = 1.0;
    double gap = 0.0;
    std::string name;
    COLORREF colour = 0x800080;
    int position = 0;
    double length = 0.0;
    int dots = 200;
    double ceiling = 1.0;
};

class CImageDoc : public ui::Document {
public:
    CImageDoc();
    ~CImageDoc() override;

    // ---- taking a result ----
    // Copies a composed 8- or 24-bit image; false (nothing kept) when the window with it does
    // not fit in the memory free (reported with NoMemory) or it cannot be copied (9204).
    bool SetResultImage(HDIB image);
    // Copies the composer's rows (image height rows of image width values). Refused without an
    // image; rows that do not fit in the memory free (NoMemory) or a copy that cannot be made
    // (9204) leave no height data.
    bool SetHeightData(const double* const* heights, const int* const* focus);
    void PrepareImage(int typeCode);
    void BuildHeightDisplay();
    HDIB GetDrawImage() const;
    void FreeData();

    // ---- files ----
    bool OnOpenDocument(const std::string& path) override;
    // Saves the shown picture by the extension (.bmp .dib .tif .jpg, else BMP) beside the target
    // and renames it; 9202 when the writer fails. The saved flag is set only on success.
    bool SaveImage(const std::string& path);
    // The .vv3 file: 1039 without heights, 9202 when it cannot be written.
    bool SaveVv3(const std::string& path);

    // ---- hand-overs ----
    UINT TransferHeightMap();                // 0, 1039 or 1034 (shown)
    UINT TransferToAnalysis(bool imageOnly); // 0 or 1033 (shown)

    // ---- noise removal ----
    // Starts a cut with the document's settings: type 0 on a worker that posts 0x524 (percent) and
    // 0x504 to notify; types 1 and 2 at once. Any running worker is cancelled and joined first.
    void RunNoiseCut(HWND notify);
    // The worker's 0x504 (wParam: the run it reports): installs its rows and preview and commits, or
    // discards after a cancel. A report of a run that was stopped and replaced is ignored (false).
    bool OnWorkDone(WPARAM run);
    bool OnWorkDone() { return OnWorkDone(m_run); }
    // The noise-cut dialog's previews: the flagged pixels in black over the height picture; a cut
    // with the dialog's values (type 0 on the worker, reporting to notify with 0x524 and 0x504,
    // then OnPreviewDone); and the discard of a preview.
    void ShowNoisePreview(int amount);
    void PreviewCut(int amount, int type, int smoothing, HWND notify);
    bool OnPreviewDone(WPARAM run);
    void DiscardPreview();
    // The progress dialog's cancel.
    void CancelNoiseCut() { m_cancel = true; }
    // Cancels and joins a running worker; every path that frees or replaces the rows calls it.
    void StopWorker();
    bool IsWorkerRunning() const { return m_worker.joinable(); }

    // ---- settings ----
    // Reads the slots and scale switches of [CALIBRATION]; with CALIBNO outside 0..4 the lens
    // table is read again and the lens LENSNAME names is the one in use, else (or when the table
    // does not hold it) the current slot.
    void LoadScaleSettings();
    void LoadProgramPaths();
    void SaveProgramPaths() const;

    // State read by the views and the frame.
    HDIB m_image = nullptr;
    HDIB m_display = nullptr;
    HDIB m_heightPicture = nullptr;
    HDIB m_preview = nullptr;
    int m_typeCode = -1;
    int m_width = 0, m_height = 0;
    int m_displayLow = -1, m_displayHigh = -1;
    int m_displayMode = 0;
    int m_saved = 0;
    int m_busy = 0;
    int m_previewFlag = 0;
    double m_minimum = 0.0, m_step = 0.0;
    HeightRows m_heights, m_working;
    FocusRows m_focus;
    int m_cutAmount = 0, m_cutType = 0, m_previewSwitch = 1, m_filterSize = 0;
    int m_scaleOn = 0, m_dotScaleOn = 0;
    ResultLens m_lens;
    CalibSlot m_slots[5];
    int m_slot = 0;                 // -1: the lens came from the lens file
    double m_calibLineLength = 0.0; // the calibration line, image pixels
    std::string m_viewerPath, m_analysisPath;
    // The program's lens table (null: none), read again by LoadScaleSettings.
    LensTable* m_lensTable = nullptr;
    // The waits of both hand-overs while they look for the other program.
    HandOverTiming m_handOverTiming;
    std::string m_title;
    // Rises whenever a picture the view paints is replaced.
    int m_generation = 0;
    // What the last worker saw: its noise count and whether it stopped on a cancel.
    long long m_lastNoiseCount = 0;
    bool m_lastCancelled = false;

private:
    struct CutResult {
        HeightRows cut;
        HDIB preview = nullptr;
        bool cancelled = false;
        long long noise = 0;
    };
    struct CutSettings {
        int amount, type, filter;
    };
    void RunCut(CutResult& out, const CutSettings& s, const std::function<void(int)>& progress);
    void StartWorker(const CutSettings& s, HWND notify, int progressScale);
    CutResult TakeResult();
    void InstallPreview(CutResult& r);
    void Commit(CutResult& r);
    ResultPixels Pixels() const;

    std::thread m_worker;
    WPARAM m_run = 0; // number of the last worker started
    std::atomic<bool> m_cancel{false};
    std::mutex m_resultLock;
    CutResult m_result; // filled by the worker, taken on the UI thread after 0x504
};
