// The keys that end a wait for the end of a motion: Esc and the right mouse button. The drivers
// sample them like the Windows asynchronous key state (nonzero = pressed since the last sample
// or held down). The window layer installs a source that watches its keyboard and mouse; tests
// install their own. Without a source no key is ever pressed.
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
