// A DLL an attacker plants beside our programs under the name of a system
// library that is not a known DLL (d3d11, dxgi, bcrypt). Never part of a
// deliverable. When a process loads it, it leaves "<its own path>.loaded"
// behind, so a test can tell that it ran; every entry it exports fails, as a
// careless copy would.
#include <windows.h>

#include <string>

extern "C" BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, void*) {
  if (reason == DLL_PROCESS_ATTACH) {
    wchar_t path[MAX_PATH];
    const DWORD length = GetModuleFileNameW(module, path, MAX_PATH);
    if (length > 0 && length < MAX_PATH) {
      const std::wstring marker = std::wstring(path, length) + L".loaded";
      const HANDLE file = CreateFileW(marker.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
      if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
    }
  }
  return TRUE;
}

// Stands in for each export named in the .def files; on x64 one calling
// convention serves them all. E_FAIL is also a failing NTSTATUS.
extern "C" LONG WINAPI PlantedEntry() { return static_cast<LONG>(0x80004005L); }
