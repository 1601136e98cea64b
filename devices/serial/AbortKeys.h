// The keys that end a wait for the end of a motion: Esc and the right mouse button. The drivers
// sample them through the installed source: nonzero means the key counts as pressed at that
// sample. The program installs the window layer's key state (InstallSerialGuiServices, part of
// InstallVantorelServices): a key counts while it is held down when sampled, so a press released
// between two samples is not seen, and samples taken off the UI thread see no key. Tests install
// their own source. Without a source no key is ever pressed.
#pragma once

#include "platform/WinTypes.h"

#include <functional>

constexpr int VK_RBUTTON = 0x02;
constexpr int VK_ESCAPE = 0x1B;

using AbortKeySource = std::function<SHORT(int virtualKey)>;

// Installs a source (empty = none) and returns the one it replaces.
AbortKeySource SetAbortKeySource(AbortKeySource source);
// The state of a key from the installed source; 0 without one.
SHORT ReadAbortKeyState(int virtualKey);
