// Binding, wrappers, geometry, frame bitmaps, grabs and closing of a camera module.
#include "devices/camera/CamDll.h"

#include "devices/camera/CamDllDetail.h"
#include "ids/VantorelIds.h"
#include "imaging/bitmaps/Dib.h"
#include "platform/Module.h"
#include "platform/Time.h"

#include <strings.h>

namespace {
// Export names in the order of the loader's pointer table.
const char* const kExportNames[] = {"get_display_name",    "initial",        "term",
                                    "set_capture_info",    "param_set",      "param_clear",
                                    "set_frameTodib",      "dlog_set_param", "special_monitor",
                                    "get_dll_version",     "SetImgNo",       "get_capture_info",
                                    "StartConnect",        "StopConnect",    "IsHaveLiveMode",
                                    "IsHaveCaptureButton", "SetOneShot"};

template <typename Fn> Fn Bind(HMODULE module, const char* name) {
    return reinterpret_cast<Fn>(GetProcAddress(module, name));
}

// Modules that are never retried: their failure means there is no frame to wait for.
bool IsSingleTryModule(const std::string& name) {
    return strcasecmp(name.c_str(), "VH-8000") == 0 || strcasecmp(name.c_str(), "KH3000") == 0;
}
} // namespace

const std::vector<std::string>& CamRequiredExports(int version) {
    static const std::vector<std::string> none;
    static const std::vector<std::string> v2 = {"get_display_name", "initial",          "term",
                                                "dlog_set_param",   "set_capture_info", "param_set",
                                                "param_clear",      "set_frameTodib",   "special_monitor"};
    auto extend = [](std::vector<std::string> base, std::initializer_list<const char*> more) {
        for (const char* m : more)
            base.emplace_back(m);
        return base;
    };
    static const std::vector<std::string> v3 = extend(v2, {"SetImgNo"});
    static const std::vector<std::string> v4 = extend(v3, {"get_capture_info"});
    static const std::vector<std::string> v42 = extend(v4, {"StartConnect", "StopConnect"});
    static const std::vector<std::string> v43 = extend(v42, {"IsHaveLiveMode", "IsHaveCaptureButton"});
    static const std::vector<std::string> v44 = extend(v43, {"SetOneShot"});
    switch (version) {
    case 2:
        return v2;
    case 3:
        return v3;
    case 4:
        return v4;
    case 42:
        return v42;
    case 43:
        return v43;
    case 44:
        return v44;
    default:
        return none;
    }
}

CCamDll::CCamDll() = default;
CCamDll::~CCamDll() = default;

int CCamDll::Open(CProcParameter* owner) {
    m_owner = owner;
    m_record = owner ? owner->m_pRecord : nullptr;
    return SearchModules();
}

int CCamDll::BindExports() {
    if (!m_loaded)
        return 1;
    Exports f;
    f.get_display_name = Bind<VtCamGetDisplayNameFn>(m_module, kExportNames[0]);
    f.initial = Bind<VtCamRecordFn>(m_module, kExportNames[1]);
    f.term = Bind<VtCamRecordFn>(m_module, kExportNames[2]);
    f.set_capture_info = Bind<VtCamGeometryFn>(m_module, kExportNames[3]);
    f.param_set = Bind<VtCamRecordFn>(m_module, kExportNames[4]);
    f.param_clear = Bind<VtCamRecordFn>(m_module, kExportNames[5]);
    f.set_frameTodib = Bind<VtCamFrameFn>(m_module, kExportNames[6]);
    f.dlog_set_param = Bind<VtCamDialogFn>(m_module, kExportNames[7]);
    f.special_monitor = Bind<VtCamValueFn>(m_module, kExportNames[8]);
    f.get_dll_version = Bind<VtCamGetDllVersionFn>(m_module, kExportNames[9]);
    f.SetImgNo = Bind<VtCamValueFn>(m_module, kExportNames[10]);
    f.get_capture_info = Bind<VtCamGeometryFn>(m_module, kExportNames[11]);
    f.StartConnect = Bind<VtCamRecordFn>(m_module, kExportNames[12]);
    f.StopConnect = Bind<VtCamRecordFn>(m_module, kExportNames[13]);
    f.IsHaveLiveMode = Bind<VtCamQueryFn>(m_module, kExportNames[14]);
    f.IsHaveCaptureButton = Bind<VtCamQueryFn>(m_module, kExportNames[15]);
    f.SetOneShot = Bind<VtCamFrameFn>(m_module, kExportNames[16]);
    m_fn = f;
    m_version = f.get_dll_version ? f.get_dll_version() : VT_CAM_API_2;

    m_bound = 0;
    const std::vector<std::string>& required = CamRequiredExports(m_version);
    if (required.empty())
        return m_bound;
    for (const std::string& name : required)
        if (!GetProcAddress(m_module, name.c_str()))
            return m_bound;
    m_bound = 1;
    return m_bound;
}

void CCamDll::ResetBinding() {
    if (m_loaded)
        m_bound = 0;
}

int CCamDll::UpdateCaptureInfo(CamParamRecord* record) {
    m_record = record;
    if (!m_loaded)
        return 0;
    if (!m_bound && !BindExports())
        return 0;
    if (!m_record)
        return 0;
    m_fn.set_capture_info(Param(), m_geometry);
    return 1;
}

int CCamDll::GetWidth() const {
    int w = m_geometry[0];
    for (int i = 0, n = m_record ? m_record->Reduce() : 0; i < n && i < 31; ++i)
        w /= 2;
    return w;
}

int CCamDll::GetHeight() const {
    int h = m_geometry[1];
    for (int i = 0, n = m_record ? m_record->Reduce() : 0; i < n && i < 31; ++i)
        h /= 2;
    return h;
}

int CCamDll::GetBitsPerSample() const {
    return m_version > 2 ? m_geometry[2] : 8;
}

HDIB CCamDll::CreateFrameDib(int width, int height, int* imageType) const {
    if (!m_record)
        return nullptr;
    int mode = m_record->ColorMode();
    if (mode != 0 && mode != 1)
        return nullptr;
    // A reduction that leaves no pixel asks for an empty bitmap: there is no frame to take.
    if (width < 1 || height < 1)
        return nullptr;
    // Per bits of a sample: the bitmap kind and image type, grey (mode 0) and colour (mode 1).
    struct FrameFormat {
        int bits;
        int kind[2];
        int type[2];
    };
    static constexpr FrameFormat kFormats[] = {
        {8, {DIB_KIND_GREY8, DIB_KIND_RGB24}, {IMAGE_TYPE_GREY8, IMAGE_TYPE_RGB24}},
        {10, {DIB_KIND_GREY16, DIB_KIND_RGB48}, {IMAGE_TYPE_GREY10, IMAGE_TYPE_RGB30}},
        {12, {DIB_KIND_GREY16, DIB_KIND_RGB48}, {IMAGE_TYPE_GREY12, IMAGE_TYPE_RGB36}},
        {16, {DIB_KIND_GREY16, DIB_KIND_RGB48}, {IMAGE_TYPE_GREY16, IMAGE_TYPE_RGB48}},
    };
    const int bits = GetBitsPerSample();
    const FrameFormat* format = nullptr;
    for (const FrameFormat& f : kFormats)
        if (f.bits == bits)
            format = &f;
    if (!format)
        return nullptr;
    const int kind = format->kind[mode];
    const int type = format->type[mode];
    HDIB dib = DibCreate(width, height, kind);
    if (dib && imageType)
        *imageType = type;
    return dib;
}

int CCamDll::GrabFrame(HDIB bitmap, int width, int height) {
    if (!bitmap || !m_loaded || !m_bound || !m_record)
        return 0;
    void* block = GlobalLock(bitmap);
    if (!block)
        return 0;
    // The module writes width x height pixels of the record's mode and its own depth: the bitmap
    // must be exactly of that kind, or the module would write past its rows.
    const int mode = m_record->ColorMode();
    const int bits = GetBitsPerSample();
    const int expectedBitCount = (bits == 8 ? 8 : 16) * (mode == 1 ? 3 : 1);
    if (DibGetWidth(block) != width || DibGetHeight(block) != height || width < 1 || height < 1 ||
        (mode != 0 && mode != 1) || DibGetBitCount(block) != expectedBitCount) {
        GlobalUnlock(bitmap);
        return 0;
    }
    BYTE* rows = DibGetBits(block);
    if (m_fn.param_set(Param()) != 0) {
        CamShowMessage(vtid::str::BoardInitFailed);
        GlobalUnlock(bitmap);
        return 0;
    }
    int result = 1;
    if (m_version == VT_CAM_API_44) {
        m_fn.SetOneShot(Param(), rows, width, height);
    } else {
        std::string name = GetDisplayName();
        bool singleTry = IsSingleTryModule(name);
        result = 0;
        for (int i = 0; i < kGrabTries; ++i) {
            if (m_fn.set_frameTodib(Param(), rows, width, height) == 0) {
                result = 1;
                break;
            }
            if (singleTry || i + 1 == kGrabTries)
                break;
            RetryDelay();
        }
    }
    m_fn.param_clear(Param());
    GlobalUnlock(bitmap);
    return result;
}

void CCamDll::RetryDelay() {
    if (m_loaded && m_bound && CamNameBeginsWithPfw(GetDisplayName()))
        Sleep(kPfwRetryMs);
}

BOOL CCamDll::RequestCaptureInfo(int width, int height, int bits, int fourth) {
    m_geometry[0] = width;
    m_geometry[1] = height;
    m_geometry[2] = bits;
    m_geometry[3] = fourth;
    return GetCaptureInfo() == 0 ? TRUE : FALSE;
}

int CCamDll::Close() {
    if (m_module) {
        if (m_bound && m_fn.term) {
            m_fn.term(Param());
            m_bound = 0;
        } else if (auto term = Bind<VtCamRecordFn>(m_module, "term")) {
            term(Param());
        }
        FreeLibrary(m_module);
    }
    m_bound = 0;
    Unload();
    return 1;
}

void CCamDll::Unload() {
    m_loaded = 0;
    m_module = nullptr;
    m_fn = Exports{};
    m_loadedPath.clear();
}

// ---- wrappers ---------------------------------------------------------------------------------

std::string CCamDll::GetDisplayName() {
    const char* name = m_fn.get_display_name ? m_fn.get_display_name() : nullptr;
    return name ? std::string(name) : std::string();
}
// The plain wrappers call through the bound pointer; a pointer that was never bound answers "not
// offered" instead of being called.
int CCamDll::ParamSet(CamParamRecord* r) {
    return m_fn.param_set ? m_fn.param_set(r->Data()) : VT_CAM_NOT_OFFERED;
}
int CCamDll::ParamClear(CamParamRecord* r) {
    return m_fn.param_clear ? m_fn.param_clear(r->Data()) : VT_CAM_NOT_OFFERED;
}
int CCamDll::SetFrameToDib(CamParamRecord* r, void* bits, int width, int height) {
    return m_fn.set_frameTodib ? m_fn.set_frameTodib(r->Data(), bits, width, height) : VT_CAM_NOT_OFFERED;
}
int CCamDll::DlogSetParam(uint32_t mainWindow, CamParamRecord* r, int mode) {
    return m_fn.dlog_set_param ? m_fn.dlog_set_param(mainWindow, r->Data(), mode) : VT_CAM_NOT_OFFERED;
}
int CCamDll::SpecialMonitor(int value) {
    return m_fn.special_monitor ? m_fn.special_monitor(value) : VT_CAM_NOT_OFFERED;
}
int CCamDll::GetCaptureInfo() {
    return m_fn.get_capture_info ? m_fn.get_capture_info(Param(), m_geometry) : VT_CAM_NOT_OFFERED;
}
int CCamDll::GetDllVersion() {
    return m_version > 2 && m_fn.get_dll_version ? m_fn.get_dll_version() : 2;
}
int CCamDll::SetImgNo(int value) {
    return m_version > 2 && m_fn.SetImgNo ? m_fn.SetImgNo(value) : VT_CAM_NOT_OFFERED;
}
int CCamDll::StartConnect(CamParamRecord* r) {
    return HasConnectExports() && m_fn.StartConnect ? m_fn.StartConnect(r->Data()) : VT_CAM_NOT_OFFERED;
}
int CCamDll::StopConnect(CamParamRecord* r) {
    return HasConnectExports() && m_fn.StopConnect ? m_fn.StopConnect(r->Data()) : VT_CAM_NOT_OFFERED;
}
int CCamDll::IsHaveLiveMode() {
    return HasLiveExports() && m_fn.IsHaveLiveMode ? m_fn.IsHaveLiveMode() : 0;
}
int CCamDll::IsHaveCaptureButton() {
    return HasLiveExports() && m_fn.IsHaveCaptureButton ? m_fn.IsHaveCaptureButton() : 0;
}
int CCamDll::SetOneShot(CamParamRecord* r, void* bits, int width, int height) {
    return m_version == VT_CAM_API_44 && m_fn.SetOneShot ? m_fn.SetOneShot(r->Data(), bits, width, height)
                                                         : VT_CAM_NOT_OFFERED;
}
