// Helpers that the whole program uses: a one-message pump for long loops on the UI thread,
// file-name helpers (name part, numbered capture names with an overwrite question), the
// system's text for an error code, icons on buttons, the lens byte of the lens port, and the
// program-wide critical section. The settings file helpers are in platform/Settings.h, the file
// type names in platform/ShellInfo.h, the thumbnail-cache names in browser/core/ThumbCacheNames.h.
#pragma once

#include "platform/Sync.h"
#include "platform/WinTypes.h"

#include <string>

// ---- message pump ---------------------------------------------------------------------------
// Removes and dispatches at most one waiting message for `hwnd` (any window of the UI thread
// for null); returns at once when none waits. The window layer installs the pump; the thread
// that installs it is the UI thread, and on any other thread, or before a pump is installed,
// PumpOneMessage does nothing.
using PumpOneMessageHook = void (*)(HWND hwnd);
PumpOneMessageHook SetPumpOneMessageHook(PumpOneMessageHook hook);
void PumpOneMessage(HWND hwnd);

// ---- button icons ---------------------------------------------------------------------------
// Loads icon `iconId` from the resources and shows it on `button`; returns the image the button
// had before, or null when the icon cannot be loaded (the button then stays as it was). The
// window layer installs the implementation; without one nothing changes and null is returned.
using SetButtonIconHook = void* (*)(HWND button, UINT iconId);
SetButtonIconHook SetSetButtonIconHook(SetButtonIconHook hook);
void* SetButtonIcon(HWND button, UINT iconId);

// ---- file names -----------------------------------------------------------------------------
// The part after the last '/'; the whole path when there is none.
std::string GetFileNamePart(const std::string& path);

// ---- system texts ---------------------------------------------------------------------------
// The system's text for error number `code` into the buffer; the buffer, or null when the
// text does not fit (or is empty).
char* FormatSystemMessage(DWORD code, char* buffer, DWORD size);

// ---- numbered capture names -----------------------------------------------------------------
// The digits just before the extension of the name part (possibly none) into `text`, "000" when
// the name has no extension; returns their value (clamped to the range of int).
int GetFileNumber(const std::string& name, std::string& text);

// The name with the number before its extension replaced by that number plus `increment`,
// printed with three digits at least and wrapped once at 1000 (img005.bmp +1 → img006.bmp,
// img999.bmp → img000.bmp, img.bmp → img001.bmp, img1234.bmp → img235.bmp). A name without an
// extension gets 000 appended whatever the increment. Returns the number. `name` and `out` may
// be the same string.
int MakeNumberedFileName(const std::string& name, std::string& out, int increment);

// The numbered name of `name` for increment 0 into `out`, with a question before an existing
// file is overwritten: message 894 (the name as %1, Yes/No, exclamation icon) is asked for the
// first existing name; after a Yes, later existing names are taken without asking until a free
// name is found. Returns the number, or -1 when the user declines. With both arguments null the
// question is reset and 0 returned.
int CheckNumberedFileName(const char* name, std::string* out);

// ---- lens port ------------------------------------------------------------------------------
// The lens number (high four bits: 1 → 90, 2 → 30, 4 → 300, 5 → 420, others → -1) and the zoom
// factor (low four bits) of the byte that the lens port sends.
void DecodeLensZoomByte(BYTE lensByte, int& lensNumber, double& zoom);

// ---- program-wide critical section ----------------------------------------------------------
// Serialises the image browser's thumbnail loader with the list filling around the shared image
// records. Recursive: the thread that holds it may take it again.
CCriticalSection& GetProgramCriticalSection();
