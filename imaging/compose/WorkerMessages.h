// Messages every worker of the program posts to its notify window, and the one the progress
// dialog posts to its parent.
#pragma once

#include "platform/WindowMessages.h"

// A worker finished (wParam 0, lParam 0).
constexpr UINT WM_WORK_DONE = WM_USER + 260; // 0x504
// The composition worker stopped without a result. wParam says which message the notify
// window shows: kWorkAbortCancelled (1) when the run was cancelled, refused before it started
// or found nothing to compose (message 875, "cancelled"); kWorkAbortNoMemory (876) when memory
// ran short for the maps, an image, the heights or the cut (message 876, "out of memory").
// lParam 0.
constexpr UINT WM_WORK_ABORTED = WM_USER + 261; // 0x505
constexpr WPARAM kWorkAbortCancelled = 1;
constexpr WPARAM kWorkAbortNoMemory = 876;
// Progress: wParam is the position in the range the receiver gave the progress dialog.
constexpr UINT WM_WORK_PROGRESS = WM_USER + 292; // 0x524
// The progress dialog's Cancel, posted to its parent (wParam 0, lParam 0).
constexpr UINT WM_WORK_CANCEL = WM_USER + 293; // 0x525
// The composition worker could not read a file of the series and skipped it with its Z value
// (wParam: index of the file in the list). The notify window shows message 9201 for it: the
// worker never shows a message box itself.
constexpr UINT WM_WORK_READ_FAILED = WM_USER + 294; // 0x526
