#pragma once

#include <windows.h>

// DLLs loaded at run time come from the system directory only, so a DLL of the
// same name planted beside the worker is never picked up.
inline HMODULE LoadSystemLibrary(const wchar_t* name) {
  return LoadLibraryExW(name, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
}

// GetProcAddress typed as the entry's real signature (through void* so the
// compiler accepts the cast between function types).
template <typename Function>
Function LookUpEntry(HMODULE module, const char* name) {
  return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}
