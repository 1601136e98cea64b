// Window messages for code that must not know the window layer: the core posts or sends a
// numeric message to a window handle, and the window layer (ui/) installs the hooks that deliver
// it. A window handle is a 32-bit token that the window layer hands out; it stays valid for the
// life of its window and is never reused while the program runs, so a message to a window that
// has gone is dropped instead of reaching a stranger.
//
// Without installed hooks every post fails (FALSE) and every send returns 0, which is what a
// message to a window that does not exist gives.
#pragma once

#include "platform/WinTypes.h"

#include <functional>

constexpr UINT WM_CLOSE = 0x0010;
constexpr UINT WM_COMMAND = 0x0111;
constexpr UINT WM_TIMER = 0x0113;
constexpr UINT WM_USER = 0x0400;
constexpr UINT WM_APP = 0x8000;

struct WindowMessageHooks {
    // Queues the message for the window's thread; FALSE when the window does not exist.
    std::function<BOOL(HWND, UINT, WPARAM, LPARAM)> post;
    // Delivers the message and returns the handler's result; 0 when the window does not exist.
    std::function<LRESULT(HWND, UINT, WPARAM, LPARAM)> send;
    // Queues a message for the application object of the UI thread.
    std::function<BOOL(UINT, WPARAM, LPARAM)> postThread;
    // TRUE while the window exists.
    std::function<BOOL(HWND)> isWindow;
};

// Installs the hooks (empty functions uninstall them). Safe to call while other threads post.
void SetWindowMessageHooks(WindowMessageHooks hooks);
void ClearWindowMessageHooks();

// Callable from any thread.
BOOL PostMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT SendMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
BOOL PostThreadMessage(UINT message, WPARAM wParam, LPARAM lParam);
BOOL IsWindow(HWND window);

// Handles travel in 32-bit fields (camera modules, records of other processes).
inline DWORD HandleToToken(HWND window) {
    return static_cast<DWORD>(reinterpret_cast<uintptr_t>(window));
}
inline HWND TokenToHandle(DWORD token) {
    return reinterpret_cast<HWND>(static_cast<uintptr_t>(token));
}
