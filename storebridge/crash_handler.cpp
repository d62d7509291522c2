#include "storebridge/crash_handler.h"

#include <cwchar>

namespace {

ResultSlot* crashSlot = nullptr;

LONG WINAPI CrashFilter(EXCEPTION_POINTERS* exception) {
  // Static: the exception may be a stack overflow with little stack left.
  static wchar_t text[kCrashTextChars];
  CrashText(exception, text);
  StoreCrashResult(*crashSlot, text, kExitFailure);
  PrintResultAndEndProcess(*crashSlot);
}

}  // namespace

void CrashText(const EXCEPTION_POINTERS* exception, wchar_t (&text)[kCrashTextChars]) {
  DWORD code = 0;
  if (exception != nullptr && exception->ExceptionRecord != nullptr) code = exception->ExceptionRecord->ExceptionCode;
  swprintf(text, kCrashTextChars, L"ERROR:crash (0x%08X)", static_cast<unsigned>(code));
}

void InstallCrashHandler(ResultSlot& slot) {
  crashSlot = &slot;
  SetUnhandledExceptionFilter(CrashFilter);
}
