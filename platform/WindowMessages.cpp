#include "platform/WindowMessages.h"

#include <memory>
#include <mutex>

namespace {

std::mutex hooksMutex;
std::shared_ptr<const WindowMessageHooks> installed;

std::shared_ptr<const WindowMessageHooks> currentHooks() {
    std::lock_guard<std::mutex> lock(hooksMutex);
    return installed;
}

} // namespace

void SetWindowMessageHooks(WindowMessageHooks hooks) {
    auto fresh = std::make_shared<const WindowMessageHooks>(std::move(hooks));
    std::lock_guard<std::mutex> lock(hooksMutex);
    installed = std::move(fresh);
}

void ClearWindowMessageHooks() {
    std::lock_guard<std::mutex> lock(hooksMutex);
    installed.reset();
}

BOOL PostMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto hooks = currentHooks();
    if (!hooks || !hooks->post || !window)
        return FALSE;
    return hooks->post(window, message, wParam, lParam);
}

LRESULT SendMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto hooks = currentHooks();
    if (!hooks || !hooks->send || !window)
        return 0;
    return hooks->send(window, message, wParam, lParam);
}

BOOL PostThreadMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    auto hooks = currentHooks();
    if (!hooks || !hooks->postThread)
        return FALSE;
    return hooks->postThread(message, wParam, lParam);
}

BOOL IsWindow(HWND window) {
    auto hooks = currentHooks();
    if (!hooks || !hooks->isWindow || !window)
        return FALSE;
    return hooks->isWindow(window);
}
