// A camera module whose API version, display name, set of exports and failures are chosen when it is
// built (see CMakeLists.txt). It draws a fixed ramp, so the program's handling of every contract rule can
// be checked against a real module.
//
// Its own record fields: IMAGESIZESEL picks the geometry (0: 64 x 48, 1: 1600 x 1200, 2: 1601 x 1201,
// 3: 1 x 1); SAMPLE is the number of failing set_frameTodib tries before one succeeds in each grab
// (negative: every try fails). It counts its calls in the record: REFPARAM entries 0 set_frameTodib,
// 1 SetOneShot, 2 param_set, 3 param_clear, 5 initial; EXT2 term, EXT3 StartConnect, EXT4 StopConnect,
// EXT5 dlog_set_param. REVERSEINP holds the result of its last message to the program; initial sets
// INPCANNEL to 1 when a companion file "tc_companion.txt" lies in the current directory, else 0.
#include "tools/testcam/TestCamCommon.h"

#include <unistd.h>

#ifndef TC_VERSION
#define TC_VERSION 44
#endif
#ifndef TC_NAME
#define TC_NAME "TestCam"
#endif
#ifndef TC_FOURTH
#define TC_FOURTH 7
#endif

// An export is offered when the module's version requires it, unless the build leaves it out.
#ifdef TC_EXPORT_ALL
#define TC_ALL 1
#else
#define TC_ALL 0
#endif
#define TC_OFFERS(minVersion) (TC_ALL || TC_VERSION >= (minVersion))

using namespace testcam;

namespace {
constexpr int kRefFrame = VT_CAMPARAM_REFPARAM + 0;
constexpr int kRefOneShot = VT_CAMPARAM_REFPARAM + 4;
constexpr int kRefParamSet = VT_CAMPARAM_REFPARAM + 8;
constexpr int kRefParamClear = VT_CAMPARAM_REFPARAM + 12;
constexpr int kRefInitial = VT_CAMPARAM_REFPARAM + 20;
constexpr int kTermCount = VT_CAMPARAM_EXT2;
constexpr int kStartCount = VT_CAMPARAM_EXT2 + 4;
constexpr int kStopCount = VT_CAMPARAM_EXT2 + 8;
constexpr int kDialogCount = VT_CAMPARAM_EXT2 + 12;

void* g_record = nullptr;   // the record given to initial, for the exports that carry none
int32_t g_failuresLeft = 0; // failing tries left in the current grab
int32_t g_frameNumber = 0;

void Geometry(const void* p, int32_t* g) {
    static const int32_t sizes[][2] = {{64, 48}, {1600, 1200}, {1601, 1201}, {1, 1}};
    int sel = Get(p, VT_CAMPARAM_IMAGESIZESEL);
    if (sel < 0 || sel > 3)
        sel = 0;
    g[0] = sizes[sel][0];
    g[1] = sizes[sel][1];
    g[2] = Get(p, VT_CAMPARAM_BPP);
    g[3] = TC_FOURTH;
}

// Sample (x, y) of plane c is (x + 2y + 1 + 16c + frame) modulo the full scale plus one.
void Fill(const void* p, void* bits, int32_t width, int32_t height) {
    int mode = Get(p, VT_CAMPARAM_COLORMODE);
    int bps = Get(p, VT_CAMPARAM_BPP);
    int bitCount = FrameBitCount(mode, bps);
    bool deep = bps > 8;
    uint32_t modulus = deep ? (1u << (bps > 16 ? 16 : bps)) : 256u;
    int planes = mode == 1 ? 3 : 1;
    for (int y = 0; y < height; ++y) {
        uint8_t* row = FrameRow(bits, width, height, bitCount, y);
        for (int x = 0; x < width; ++x)
            for (int c = 0; c < planes; ++c) {
                uint32_t v = static_cast<uint32_t>(x + 2 * y + 1 + 16 * c + g_frameNumber) % modulus;
                // Pixels are stored blue, green, red: plane c (0 red) sits at index 2 - c.
                PutSample(row, deep, x * planes + (planes == 3 ? 2 - c : 0), v);
            }
    }
    ++g_frameNumber;
}

void Tell(void* p, uint32_t window, uint32_t message, uint32_t wParam) {
    int32_t r = ToProgram(window, message, wParam, 0, VT_CAMERA_SEND);
    if (p)
        Set(p, VT_CAMPARAM_REVERSEINP, r);
}
} // namespace

#if !defined(TC_NO_VERSION)
TC_EXPORT int32_t get_dll_version() {
    return TC_VERSION;
}
#endif

#if !defined(TC_NO_NAME)
TC_EXPORT const char* get_display_name() {
    // Built in a buffer of the module so that the program's copy is checked to be taken before the
    // module is unloaded.
    static char name[64];
    std::strncpy(name, TC_NAME, sizeof name - 1);
    return name;
}
#endif

#if !defined(TC_OMIT_initial)
TC_EXPORT int32_t initial(void* p) {
    g_record = p;
    Count(p, kRefInitial);
    Set(p, VT_CAMPARAM_INPCANNEL, access("tc_companion.txt", F_OK) == 0 ? 1 : 0);
#ifdef TC_FAIL_INITIAL
    return 1;
#else
    return 0;
#endif
}
#endif

#if !defined(TC_OMIT_term)
TC_EXPORT int32_t term(void* p) {
    Count(p, kTermCount);
    g_record = nullptr;
    return 0;
}
#endif

#if !defined(TC_OMIT_set_capture_info)
TC_EXPORT int32_t set_capture_info(void* p, int32_t* g) {
    Geometry(p, g);
    return 0;
}
#endif

#if !defined(TC_OMIT_param_set)
TC_EXPORT int32_t param_set(void* p) {
    Count(p, kRefParamSet);
    g_failuresLeft = Get(p, VT_CAMPARAM_SAMPLE);
#ifdef TC_FAIL_PARAM_SET
    return 1;
#else
    return 0;
#endif
}
#endif

#if !defined(TC_OMIT_param_clear)
TC_EXPORT int32_t param_clear(void* p) {
    Count(p, kRefParamClear);
    return 0;
}
#endif

#if !defined(TC_OMIT_set_frameTodib)
TC_EXPORT int32_t set_frameTodib(void* p, void* bits, int32_t width, int32_t height) {
    Count(p, kRefFrame);
#ifdef TC_FAIL_FRAME
    g_failuresLeft = -1;
#endif
    if (g_failuresLeft < 0)
        return 1;
    if (g_failuresLeft > 0) {
        --g_failuresLeft;
        return 1;
    }
    if (!bits || width <= 0 || height <= 0)
        return 1;
    Fill(p, bits, width, height);
    return 0;
}
#endif

#if !defined(TC_OMIT_dlog_set_param)
// No window of its own: the "dialog" keeps the settings and asks the program to remake its frame bitmap.
TC_EXPORT int32_t dlog_set_param(uint32_t mainWindow, void* p, int32_t) {
    Count(p, kDialogCount);
    Tell(p, mainWindow, WM_CAMERA_ALLOC, 0);
    return 0;
}
#endif

#if !defined(TC_OMIT_special_monitor)
// Announces a new frame to the window that receives pictures.
TC_EXPORT int32_t special_monitor(int32_t value) {
    if (!g_record)
        return 1;
    Tell(g_record, vt_campar_get_i32(g_record, VT_CAMPARAM_FRAMEWINDOW), WM_CAMERA_GRAB,
         static_cast<uint32_t>(value));
    return 0;
}
#endif

#if TC_OFFERS(3) && !defined(TC_OMIT_SetImgNo)
TC_EXPORT int32_t SetImgNo(int32_t) {
    return 0;
}
#endif

#if TC_OFFERS(4) && !defined(TC_OMIT_get_capture_info)
TC_EXPORT int32_t get_capture_info(void*, int32_t* g) {
    return g[0] > 0 && g[1] > 0 ? 0 : 1;
}
#endif

#if TC_OFFERS(42) && !defined(TC_OMIT_StartConnect)
TC_EXPORT int32_t StartConnect(void* p) {
    Count(p, kStartCount);
    Tell(p, vt_campar_get_i32(p, VT_CAMPARAM_MAINWINDOW), WM_CAMERA_ALLOC, 0);
    return 0;
}
#endif

#if TC_OFFERS(42) && !defined(TC_OMIT_StopConnect)
TC_EXPORT int32_t StopConnect(void* p) {
    Count(p, kStopCount);
    Tell(p, vt_campar_get_i32(p, VT_CAMPARAM_MAINWINDOW), WM_CAMERA_FREE, 0);
    return 0;
}
#endif

#if TC_OFFERS(43) && !defined(TC_OMIT_IsHaveLiveMode)
TC_EXPORT int32_t IsHaveLiveMode() {
    return 1;
}
#endif

#if TC_OFFERS(43) && !defined(TC_OMIT_IsHaveCaptureButton)
TC_EXPORT int32_t IsHaveCaptureButton() {
    return 0;
}
#endif

#if TC_OFFERS(44) && !defined(TC_OMIT_SetOneShot)
TC_EXPORT int32_t SetOneShot(void* p, void* bits, int32_t width, int32_t height) {
    Count(p, kRefOneShot);
    if (bits && width > 0 && height > 0)
        Fill(p, bits, width, height);
    return 0;
}
#endif
