// Shared libraries loaded at run time by path and their functions looked up by name.
#pragma once

#include "platform/WinTypes.h"

#include <string>

// Loads the library (with its dependencies resolved at once); null on failure, with the reason
// in GetModuleError(). A path without '/' is searched for as the system searches libraries.
HMODULE LoadLibrary(const std::string& path);
// The address of the exported function or variable of that name; null when absent.
void* GetProcAddress(HMODULE module, const char* name);
// Releases one load of the library. FALSE for a null handle or when the system refuses.
BOOL FreeLibrary(HMODULE module);
// The reason the last call of the three above failed on this thread ("" after a success).
std::string GetModuleError();

// The full path of the running program file, and the folder that holds it (without the
// trailing '/').
std::string GetProgramFilePath();
std::string GetProgramFolder();

// Looks an export up as a typed function pointer.
template <class F> F GetProcAddressAs(HMODULE module, const char* name) {
    return reinterpret_cast<F>(GetProcAddress(module, name));
}
