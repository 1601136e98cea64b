#include "devices/camera/CamDllHost.h"

#include "platform/WindowMessages.h"

#include <mutex>

namespace {
std::mutex g_routeLock;
CameraMessageRoute g_route;
} // namespace

CameraMessageRoute SetCameraMessageRoute(CameraMessageRoute route) {
    std::lock_guard<std::mutex> lock(g_routeLock);
    std::swap(g_route, route);
    return route;
}

extern "C" __attribute__((visibility("default"))) int32_t
VantorelCameraMessage(uint32_t window, uint32_t message, uint32_t wParam, int32_t lParam, int32_t mode) {
    if (!IsCameraMessage(message) || window == 0 || (mode != VT_CAMERA_SEND && mode != VT_CAMERA_POST))
        return -1;
    CameraMessageRoute route;
    {
        std::lock_guard<std::mutex> lock(g_routeLock);
        route = g_route;
    }
    // The lock is not held while the window handles the message: its handler may call the module,
    // which may send again.
    if (route)
        return route(window, message, wParam, lParam, mode == VT_CAMERA_POST);
    // Without a route of its own the program's window messages deliver it.
    HWND target = TokenToHandle(window);
    if (!IsWindow(target))
        return -1;
    if (mode == VT_CAMERA_POST)
        return PostMessage(target, message, wParam, lParam) ? 1 : -1;
    return static_cast<int32_t>(SendMessage(target, message, wParam, lParam));
}
