// The program's side of the way back from a camera module: the exported entry
// VantorelCameraMessage (see devices/CameraModuleApi.h) hands the three camera messages to the
// program's windows by their 32-bit tokens.
#pragma once

#include "devices/camera/CameraModuleApi.h"

#include <cstdint>
#include <functional>

// Delivers one message to the window a token names: sent at once (post false) or queued (post true).
// Returns the window's result for a send, 1 for a queued post, -1 when the token names no window.
using CameraMessageRoute =
    std::function<int32_t(uint32_t window, uint32_t message, uint32_t wParam, int32_t lParam, bool post)>;

// Installs a route of its own and returns the previous one. Without one (the normal case) the
// messages go through the platform's window messages (platform/WindowMessages.h), whose hooks the
// window layer installs.
CameraMessageRoute SetCameraMessageRoute(CameraMessageRoute route);

// True for WM_CAMERA_ALLOC, WM_CAMERA_FREE and WM_CAMERA_GRAB, the only messages a module may send.
constexpr bool IsCameraMessage(uint32_t message) {
    return message == WM_CAMERA_ALLOC || message == WM_CAMERA_FREE || message == WM_CAMERA_GRAB;
}

extern "C" int32_t VantorelCameraMessage(uint32_t window, uint32_t message, uint32_t wParam, int32_t lParam,
                                         int32_t mode);
