// Private messages of the browser's windows and their loader threads.
#pragma once

#include "platform/WinTypes.h"

constexpr UINT WM_THUMB_PASS_DONE = 0x502;    // loader -> its list: the pass ended (wParam 0)
constexpr UINT WM_THUMB_PASS_STOPPED = 0x503; // loader -> its list: stopped (wParam 1)
constexpr UINT WM_LIST_FILL = 0x509;          // -> a list: fill from the folder in wParam (0: refresh)
constexpr UINT WM_LIST_GET_FOLDER = 0x510;    // -> a list: copy the folder into wParam, lParam chars
constexpr UINT WM_LIST_SET_LINK = 0x511;      // -> a list: store a link value (a window handle)
constexpr UINT WM_LIST_GET_LINK = 0x520;      // -> a list: the stored link value
constexpr UINT WM_LIST_REDRAW_ITEM = 0x522;   // -> a list: draw one item's cell
constexpr UINT WM_THUMB_READY = 0x527;        // loader -> its list: item wParam has its thumbnail

// Document update hint of a new folder chosen in the folder tree.
constexpr int HINT_FOLDER_SELECTED = 0x509;
