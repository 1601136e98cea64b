// Helpers shared by the test camera modules: exports, frame rows in the program's bitmap layout and the
// way back to the program's windows.
#pragma once

#include "devices/camera/CameraModuleApi.h"

#include <dlfcn.h>

#include <cstdint>
#include <cstring>

#define TC_EXPORT extern "C" __attribute__((visibility("default")))

namespace testcam {

inline int32_t Get(const void* p, int off) {
    return vt_campar_get_i32(p, off);
}
inline void Set(void* p, int off, int32_t v) {
    vt_campar_set_i32(p, off, v);
}
inline void Count(void* p, int off) {
    Set(p, off, Get(p, off) + 1);
}

// Bits per pixel of the frame bitmap the program makes for a colour mode and a sample depth.
inline int FrameBitCount(int colourMode, int bitsPerSample) {
    bool deep = bitsPerSample > 8;
    return colourMode == 1 ? (deep ? 48 : 24) : (deep ? 16 : 8);
}

inline int64_t FrameStride(int width, int bitCount) {
    return ((static_cast<int64_t>(width) * bitCount + 31) >> 5) << 2;
}

// Start of image row y (counted from the top) of bottom-up rows.
inline uint8_t* FrameRow(void* bits, int width, int height, int bitCount, int y) {
    return static_cast<uint8_t*>(bits) + static_cast<int64_t>(height - 1 - y) * FrameStride(width, bitCount);
}

inline void PutSample(uint8_t* px, bool deep, int index, uint32_t value) {
    if (deep) {
        px[2 * index] = static_cast<uint8_t>(value);
        px[2 * index + 1] = static_cast<uint8_t>(value >> 8);
    } else {
        px[index] = static_cast<uint8_t>(value);
    }
}

// Sends or posts one camera message through the program's entry. -100 when the program offers none.
inline int32_t ToProgram(uint32_t window, uint32_t message, uint32_t wParam, int32_t lParam, int32_t mode) {
    auto fn = reinterpret_cast<VantorelCameraMessageFn>(dlsym(RTLD_DEFAULT, VANTOREL_CAMERA_MESSAGE_ENTRY));
    if (!fn)
        return -100;
    return fn(window, message, wParam, lParam, mode);
}

} // namespace testcam
