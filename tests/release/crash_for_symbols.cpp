// Crashes in a named function and reports where, the way a crash report from
// a customer's machine would: the module's name and the offset of the
// faulting instruction from the module's load address. symbolize_crash_check.py
// strips it as the release strips the deliverables and turns that offset back
// into the function and line through the split-off symbols.
#include <windows.h>

#include <cstdio>
#include <cwchar>

#if defined(_MSC_VER)
#define NOT_INLINED __declspec(noinline)
#else
#define NOT_INLINED __attribute__((noinline))
#endif

namespace {

LONG WINAPI ReportCrash(EXCEPTION_POINTERS* exception) {
  const void* address = exception->ExceptionRecord->ExceptionAddress;
  HMODULE module = nullptr;
  wchar_t path[MAX_PATH] = {};
  if (GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                         static_cast<const wchar_t*>(address), &module) &&
      GetModuleFileNameW(module, path, MAX_PATH) != 0) {
    const wchar_t* name = wcsrchr(path, L'\\');
    const auto offset = static_cast<unsigned long long>(reinterpret_cast<ULONG_PTR>(address) -
                                                        reinterpret_cast<ULONG_PTR>(module));
    std::printf("CRASH %ls+0x%llx\n", name != nullptr ? name + 1 : path, offset);
  } else {
    std::printf("CRASH at %p in no module\n", address);
  }
  std::fflush(stdout);
  ExitProcess(3);
}

// Not inlined, so the faulting instruction belongs to this function alone.
NOT_INLINED void WriteIntoReservedMemory(volatile int* reserved) {
  *reserved = 1;  // the crash
}

}  // namespace

int main() {
  SetUnhandledExceptionFilter(ReportCrash);
  void* reserved = VirtualAlloc(nullptr, 4096, MEM_RESERVE, PAGE_NOACCESS);
  WriteIntoReservedMemory(static_cast<volatile int*>(reserved));
  return 0;
}
