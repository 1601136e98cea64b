// The loader and wrapper of one camera module: finds the ".cam" modules of the camera software folder
// and of the program's folder, probes them, loads the one whose display name the owner asks for, binds
// its exports by name and grabs frames through them. The contract a module meets is in
// devices/CameraModuleApi.h.
#pragma once

#include "devices/camera/CameraModuleApi.h"
#include "devices/camera/ProcParameter.h"
#include "imaging/bitmaps/ImageTypes.h"
#include "platform/GlobalMemory.h"
#include "platform/WinTypes.h"

#include <string>

// The two notices that cover the slow steps of the loader; the window layer provides them. Without
// one the loader works silently.
class CamDllNotices {
public:
    virtual ~CamDllNotices() = default;
    virtual void BeginSearchNotice() = 0; // the module folders are searched and probed
    virtual void EndSearchNotice() = 0;
    virtual void BeginWaitNotice() = 0; // the chosen module is loaded and initialised
    virtual void EndWaitNotice() = 0;
};

// The text of string vtid::str::CameraUnnamed, for a module without a display name.
extern const char* const kCamUnnamedText;

// Loads the module at path, copies the text of its get_display_name and frees the module. Without the
// export: message 9227 and the text of string 840. An empty string when the file cannot be loaded.
std::string GetCamModuleDisplayName(const std::string& path);

// The display names of listed modules in list order, each asked with the current directory its
// folder rule gives (GetCamModuleDisplayName for each); the caller's directory is restored.
std::vector<std::string> CamModuleDisplayNames(const std::vector<std::string>& paths);

// Index of the first name that begins with prefix, ASCII letters compared without regard to case
// (an empty prefix takes the first name); -1 when none does.
int CamFindNamePrefix(const std::vector<std::string>& names, const std::string& prefix);

class CCamDll {
public:
    static constexpr int kGrabTries = 300;
    static constexpr int kPfwRetryMs = 33;
    static constexpr int kProbePauseMs = 100;

    CCamDll();
    // Does not unload the module; Close does.
    virtual ~CCamDll();
    CCamDll(const CCamDll&) = delete;
    CCamDll& operator=(const CCamDll&) = delete;

    // ---- search, choice, binding ----------------------------------------------------------
    int Open(CProcParameter* owner);
    int SearchModules();
    int LoadSelectedModule(const std::string& name);
    int BindExports();
    void ResetBinding();
    int Close();
    int IsLoaded() const { return m_loaded; }
    int IsBound() const { return m_bound; }
    int Version() const { return m_version; }

    // ---- geometry and frames --------------------------------------------------------------
    int UpdateCaptureInfo(CamParamRecord* record);
    int GetWidth() const;
    int GetHeight() const;
    int GetBitsPerSample() const;
    // The unreduced geometry the module reported: width, height, bits per sample, fourth value.
    const int32_t* Geometry() const { return m_geometry; }
    HDIB CreateFrameDib(int width, int height, int* imageType) const;
    int GrabFrame(HDIB bitmap, int width, int height);
    void RetryDelay();
    BOOL RequestCaptureInfo(int width, int height, int bits, int fourth);

    // ---- one wrapper per export (call only when bound) -------------------------------------
    std::string GetDisplayName();
    int ParamSet(CamParamRecord* record);
    int ParamClear(CamParamRecord* record);
    int SetFrameToDib(CamParamRecord* record, void* bits, int width, int height);
    int DlogSetParam(uint32_t mainWindow, CamParamRecord* record, int mode);
    int SpecialMonitor(int value);
    int GetCaptureInfo();
    int GetDllVersion();
    int SetImgNo(int value);
    int StartConnect(CamParamRecord* record);
    int StopConnect(CamParamRecord* record);
    int IsHaveLiveMode();
    int IsHaveCaptureButton();
    int SetOneShot(CamParamRecord* record, void* bits, int width, int height);

    // ---- where the program lives ----------------------------------------------------------
    // Tokens written into the record when a module is loaded: the main window (offset 88) and the
    // program instance (offset 96). The main frame sets them once its window exists.
    void SetHostTokens(uint32_t mainWindow, uint32_t instance);
    void SetNotices(CamDllNotices* notices) { m_notices = notices; }
    // The camera software folder: $VANTOREL_CAMERA_DIR, or /opt/velsko/tervik.
    static std::string CameraModuleFolder();
    // The folder of the program file (of /proc/self/exe) unless one was set.
    static std::string ProgramFolder();
    static void SetProgramFolder(const std::string& folder);

    // The path of the loaded module (empty when none).
    const std::string& LoadedPath() const { return m_loadedPath; }

private:
    struct Exports {
        VtCamGetDisplayNameFn get_display_name = nullptr;
        VtCamRecordFn initial = nullptr;
        VtCamRecordFn term = nullptr;
        VtCamGeometryFn set_capture_info = nullptr;
        VtCamRecordFn param_set = nullptr;
        VtCamRecordFn param_clear = nullptr;
        VtCamFrameFn set_frameTodib = nullptr;
        VtCamDialogFn dlog_set_param = nullptr;
        VtCamValueFn special_monitor = nullptr;
        VtCamGetDllVersionFn get_dll_version = nullptr;
        VtCamValueFn SetImgNo = nullptr;
        VtCamGeometryFn get_capture_info = nullptr;
        VtCamRecordFn StartConnect = nullptr;
        VtCamRecordFn StopConnect = nullptr;
        VtCamQueryFn IsHaveLiveMode = nullptr;
        VtCamQueryFn IsHaveCaptureButton = nullptr;
        VtCamFrameFn SetOneShot = nullptr;
    };

    // Loads the module at path with the current directory its folder rule asks for, writes the two
    // tokens, resets EXT1 when asked and runs initial; failures show their message and unload.
    int LoadAndInitialise(const std::string& path, bool resetExt1);
    void WriteHostTokens();
    void Unload();
    bool HasConnectExports() const { return m_version == 42 || m_version == 43 || m_version == 44; }
    bool HasLiveExports() const { return m_version == 43 || m_version == 44; }
    void* Param() const { return m_record ? m_record->Data() : nullptr; }

    int32_t m_version = VT_CAM_API_44;
    int32_t m_bound = 0;
    int32_t m_loaded = 0;
    HMODULE m_module = nullptr;
    int32_t m_geometry[4] = {0, 0, 0, 0};
    CamParamRecord* m_record = nullptr;
    CProcParameter* m_owner = nullptr;
    Exports m_fn;

    std::string m_loadedPath;
    std::string m_displayName; // copied at load, so the retry rules never read module memory
    uint32_t m_mainWindowToken = 0;
    uint32_t m_instanceToken = 0;
    CamDllNotices* m_notices = nullptr;
};

// Required exports of an API version, in binding order; empty for a version that is never bound.
const std::vector<std::string>& CamRequiredExports(int version);
