/*
 * The camera-module contract of Vantorel, for writers of camera modules.
 *
 * A camera module is a shared library whose file name ends in ".cam" (any case). Vantorel looks for
 * modules in two folders, in this order, and lists the ".cam" files of each in name order:
 *
 *   1. the camera software folder: $VANTOREL_CAMERA_DIR when that is set and not empty, otherwise
 *      /opt/velsko/tervik;
 *   2. the folder that holds the Vantorel program file.
 *
 * Before the program loads a module it makes the module's folder the current directory when the module
 * lies in the camera software folder (so a module may open companion files by relative name); it
 * restores the previous current directory afterwards. Modules are loaded with dlopen(RTLD_NOW |
 * RTLD_LOCAL) and their exports bound with dlsym by the plain names below; export them with C linkage
 * and default visibility. Every export uses the platform's ordinary C calling convention.
 *
 * The program probes a module by loading it, asking get_dll_version and get_display_name and unloading
 * it again, several times during a search: a module must not start its device when it is merely loaded,
 * only in initial(). The text that get_display_name returns must stay valid until the module is
 * unloaded; the program copies it at once.
 *
 * P below is the address of the 120-byte parameter record (layout further down); G is the address of
 * four int32_t geometry values: width, height, bits per sample and a fourth value the program keeps for
 * the module. "bits" is the address of the pixel rows of a bitmap that the program made for the frame:
 *
 *   - rows are stored bottom-up: image row y (counted from the top) is memory row height - 1 - y;
 *   - every row is padded to a multiple of 4 bytes: stride = ((width * bpp + 31) / 32) * 4, where bpp is
 *     8 (monochrome, 8 bits per sample), 16 (monochrome, 10, 12 or 16 bits per sample), 24 (colour, 8 bits
 *     per sample) or 48 (colour, 10, 12 or 16 bits per sample);
 *   - 16-bit samples are little-endian and hold the value unscaled (0..1023 for 10 bits, 0..4095 for 12);
 *   - colour pixels are blue, green, red in that order (bytes, or 16-bit samples);
 *   - the program makes the bitmap from the record's COLORMODE and the bits per sample the module wrote
 *     into G, so the module writes exactly width x height pixels of that kind.
 *
 * Exports (V = the API version from which the export is required):
 *
 *   V   export                 signature and result the program relies on
 *   --  get_dll_version        int32_t (void): the API version 2, 3, 4, 42, 43 or 44; without this
 *                              export a module counts as version 2. The program only uses modules of
 *                              version 4 and above; any other number keeps the module from being used.
 *   2   get_display_name       const char* (void): the name shown in the device list and stored as
 *                              [STAGEINPUT] INPDEVICE; compared exactly (case-sensitive)
 *   2   initial                int32_t (P): 0 = the device is ready; non-zero = failure
 *   2   term                   int32_t (P): result ignored; called before the module is unloaded
 *   2   set_capture_info       int32_t (P, G): result ignored; writes the frame geometry into G
 *   2   param_set              int32_t (P): 0 = ready to grab; non-zero = failure
 *   2   param_clear            int32_t (P): result ignored; called after every grab
 *   2   set_frameTodib         int32_t (P, bits, int32_t width, int32_t height): 0 = one frame of
 *                              width x height written into bits; non-zero = no frame
 *   2   dlog_set_param         int32_t (uint32_t mainWindow, P, int32_t 2): the module's own settings
 *                              dialog; afterwards the record holds the new settings; result ignored
 *   2   special_monitor        int32_t (int32_t): never called by the program
 *   3   SetImgNo               int32_t (int32_t): never called by the program
 *   4   get_capture_info       int32_t (P, G): G holds the requested geometry; 0 = accepted
 *   42  StartConnect           int32_t (P): starts the module's connection; result ignored
 *   42  StopConnect            int32_t (P): ends it; result ignored
 *   43  IsHaveLiveMode         int32_t (void): non-zero = the module has a live mode
 *   43  IsHaveCaptureButton    int32_t (void): never called by the program's workflow
 *   44  SetOneShot             int32_t (P, bits, width, height): one still frame into bits
 *
 * A module of version V must export everything required up to V; otherwise it is loaded but never
 * bound, and no frame is ever asked of it. The program answers -3 ("not offered") itself for the exports
 * a module's version lacks.
 *
 * Order of calls: initial once after loading; for every grab set_capture_info, param_set,
 * set_frameTodib (or, for still pictures of version 44, SetOneShot), param_clear. A failing still grab
 * is retried up to 300 times; modules whose display name begins with "PFW" get 33 ms between tries;
 * modules named "VH-8000" or "KH3000" are not retried. StartConnect after binding, StopConnect before a
 * device change and at program end, term before unloading. Every call comes from the program's user
 * interface thread.
 *
 * Reaching the program's windows. The record's two window slots (offsets 88 and 92) and its instance slot
 * (offset 96) hold 32-bit tokens, never pointers. To send one of the three camera messages to such a
 * window a module looks up the program's entry by name in the running process:
 *
 *     VantorelCameraMessageFn fn =
 *         (VantorelCameraMessageFn)dlsym(RTLD_DEFAULT, VANTOREL_CAMERA_MESSAGE_ENTRY);
 *
 * and calls fn(window token, message, wParam, lParam, mode). Mode VT_CAMERA_SEND (0) delivers the message
 * at once and returns the window's result; call it only from inside an export (the program's user
 * interface thread). Mode VT_CAMERA_POST (1) queues the message and may be used from any thread of the
 * module; it returns 1 when queued. The entry refuses, with -1, any message other than the three below and
 * any token that names no window of the program. The program exports the entry from its executable (it
 * is linked with --export-dynamic-symbol for it), so a module needs no link-time dependency on Vantorel.
 *
 *   WM_CAMERA_ALLOC 0x500  the program (re)makes its frame bitmap from the module's current geometry
 *   WM_CAMERA_FREE  0x501  the program frees its frame bitmap
 *   WM_CAMERA_GRAB  0x502  the program grabs one frame through set_frameTodib and shows it
 */
#ifndef VANTOREL_CAMERA_MODULE_API_H
#define VANTOREL_CAMERA_MODULE_API_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* ---- parameter record ------------------------------------------------------------------------- */
/* 120 bytes, little-endian, no gaps. "module" marks values that belong to the module; the program
 * stores them in the settings file ([CAMPARAM], key in the comment) and hands them back unchanged. */
/* clang-format off */
#define VT_CAMPARAM_SIZE 120
#define VT_CAMPARAM_COLORMODE      0    /* int32  COLORMODE   0 monochrome, 1 colour */
#define VT_CAMPARAM_SAMPLE         4    /* int32  SAMPLE      module */
#define VT_CAMPARAM_REVERSEINP     8    /* int32  REVERSEINP  module */
#define VT_CAMPARAM_REDUCE         12   /* int32  REDUCE      halvings of width and height done by the program */
#define VT_CAMPARAM_INPCANNEL      16   /* int32  INPCANNEL   module */
/* EXT1 is set to -1 when a module is loaded whose display name does not begin with "PFW". */
#define VT_CAMPARAM_EXT1           20   /* int32  EXT1        module */
#define VT_CAMPARAM_EXT2           24   /* int32  EXT2..EXT5  module (offsets 24, 28, 32, 36) */
#define VT_CAMPARAM_EXT6           40   /* float  EXT6        module (marker top + 1 for some modules) */
#define VT_CAMPARAM_EXT7           44   /* double EXT7        module (marker left + 1 for some modules) */
#define VT_CAMPARAM_REFPARAM       52   /* 9 x int32 REFPARAM module, except entry 7: */
#define VT_CAMPARAM_GRABKIND       80   /* int32  REFPARAM entry 7: 1 live, 0 still, -1 first grab of a view */
#define VT_CAMPARAM_MAINWINDOW     88   /* uint32 token of the program's main window, set on loading */
#define VT_CAMPARAM_FRAMEWINDOW    92   /* uint32 token of the window that receives the picture */
#define VT_CAMPARAM_INSTANCE       96   /* uint32 token of the program instance, set on loading */
#define VT_CAMPARAM_CAPCOND        100  /* int32  CAPCOND     module */
#define VT_CAMPARAM_BPP            104  /* int32  BPP         bits per sample asked of the module */
#define VT_CAMPARAM_RANGELOW       108  /* int32  RANGELOW    display range of deep pictures */
#define VT_CAMPARAM_RANGEHI        112  /* int32  RANGEHI */
#define VT_CAMPARAM_IMAGESIZESEL   116  /* int32 IMAGESIZESEL module */

/* clang-format on */

/* Little-endian access to the record for modules (the record need not be aligned). */
static inline int32_t vt_campar_get_i32(const void* p, int offset) {
    const uint8_t* b = (const uint8_t*)p + offset;
    return (int32_t)((uint32_t)b[0] | ((uint32_t)b[1] << 8) | ((uint32_t)b[2] << 16) |
                     ((uint32_t)b[3] << 24));
}
static inline void vt_campar_set_i32(void* p, int offset, int32_t v) {
    uint8_t* b = (uint8_t*)p + offset;
    uint32_t u = (uint32_t)v;
    b[0] = (uint8_t)u;
    b[1] = (uint8_t)(u >> 8);
    b[2] = (uint8_t)(u >> 16);
    b[3] = (uint8_t)(u >> 24);
}

/* ---- results and versions ------------------------------------------------------------------------ */
#define VT_CAM_OK 0
#define VT_CAM_NOT_OFFERED (-3)

#define VT_CAM_API_2 2
#define VT_CAM_API_3 3
#define VT_CAM_API_4 4
#define VT_CAM_API_42 42
#define VT_CAM_API_43 43
#define VT_CAM_API_44 44

/* ---- messages to the program's windows ---------------------------------------------------------- */
#define WM_CAMERA_ALLOC 0x500
#define WM_CAMERA_FREE 0x501
#define WM_CAMERA_GRAB 0x502

#define VT_CAMERA_SEND 0
#define VT_CAMERA_POST 1

#define VANTOREL_CAMERA_MESSAGE_ENTRY "VantorelCameraMessage"
typedef int32_t (*VantorelCameraMessageFn)(uint32_t window, uint32_t message, uint32_t wParam, int32_t lParam,
                                           int32_t mode);

/* ---- export signatures -------------------------------------------------------------------------- */
typedef int32_t (*VtCamGetDllVersionFn)(void);
typedef const char* (*VtCamGetDisplayNameFn)(void);
typedef int32_t (*VtCamRecordFn)(void* P);               /* initial, term, param_set, param_clear,
                                                            StartConnect, StopConnect */
typedef int32_t (*VtCamGeometryFn)(void* P, int32_t* G); /* set_capture_info, get_capture_info */
typedef int32_t (*VtCamFrameFn)(void* P, void* bits, int32_t width, int32_t height); /* set_frameTodib,
                                                                                        SetOneShot */
typedef int32_t (*VtCamDialogFn)(uint32_t mainWindow, void* P, int32_t mode);        /* dlog_set_param */
typedef int32_t (*VtCamValueFn)(int32_t value); /* special_monitor, SetImgNo */
typedef int32_t (*VtCamQueryFn)(void);          /* IsHaveLiveMode, IsHaveCaptureButton */

#ifdef __cplusplus
}
#endif

#endif
