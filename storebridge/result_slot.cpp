#include "storebridge/result_slot.h"

#include <cwchar>

namespace {

void CopyText(wchar_t* target, const wchar_t* text) {
  const size_t length = wcsnlen(text, kResultTextChars);
  const size_t kept = length < kResultTextChars ? length : kResultTextChars - 1;
  wmemcpy(target, text, kept);
  target[kept] = L'\0';
  // A cut between the halves of a surrogate pair would leave half a character.
  if (kept < length && IS_HIGH_SURROGATE(target[kept - 1])) target[kept - 1] = L'\0';
}

void Store(ResultSlot& slot, const wchar_t* text, int code, bool overwrite) {
  EnterCriticalSection(&slot.lock);
  if (!slot.set || overwrite) {
    CopyText(slot.text, text);
    slot.code = code;
    slot.set = true;
    // A crash ends the run with its own code even after a line went out.
    if (overwrite && slot.written) slot.writtenCode = code;
  }
  LeaveCriticalSection(&slot.lock);
}

}  // namespace

void InitResultSlot(ResultSlot& slot) {
  InitializeCriticalSection(&slot.lock);
  CopyText(slot.text, kResultUnknown);
  slot.code = kExitFailure;
  slot.set = false;
  slot.written = false;
  slot.writtenCode = kExitFailure;
  slot.printing = 0;
  slot.line[0] = '\0';
}

void StoreResult(ResultSlot& slot, const wchar_t* text, int code) { Store(slot, text, code, false); }

void StoreCrashResult(ResultSlot& slot, const wchar_t* text, int code) { Store(slot, text, code, true); }

bool ResultIsSet(ResultSlot& slot) {
  EnterCriticalSection(&slot.lock);
  const bool set = slot.set;
  LeaveCriticalSection(&slot.lock);
  return set;
}

int ResultCode(ResultSlot& slot) {
  EnterCriticalSection(&slot.lock);
  const int code = slot.code;
  LeaveCriticalSection(&slot.lock);
  return code;
}

size_t EncodeResultLine(const wchar_t* text, char* line, size_t capacity) {
  if (capacity < 2) return 0;
  const int units = static_cast<int>(wcsnlen(text, kResultTextChars - 1));
  int bytes = 0;
  if (units > 0) {
    bytes = WideCharToMultiByte(CP_UTF8, 0, text, units, line, static_cast<int>(capacity - 2), nullptr, nullptr);
    if (bytes <= 0) return 0;
  }
  line[bytes] = '\r';
  line[bytes + 1] = '\n';
  return static_cast<size_t>(bytes) + 2;
}

bool PrintResult(ResultSlot& slot, HANDLE output) {
  EnterCriticalSection(&slot.lock);
  const bool first = !slot.written;
  slot.written = true;
  size_t bytes = 0;
  if (first) {
    // Text and code are taken together: a store by another thread after this
    // point changes neither the line nor the exit code that goes with it.
    bytes = EncodeResultLine(slot.text, slot.line, sizeof(slot.line));
    slot.writtenCode = slot.code;
    InterlockedExchange(&slot.printing, 1);
  }
  LeaveCriticalSection(&slot.lock);
  // The write happens outside the lock: on a pipe that the host reads only
  // after we exit it can block, and the watchdog must still get in to end us.
  // The line is not touched again once written is set.
  // cppcheck-suppress knownConditionTrueFalse ; bytes is set under the lock when first is true, which it loses track of
  if (first && bytes > 0 && output != nullptr && output != INVALID_HANDLE_VALUE) {
    DWORD done = 0;
    // Flushing a pipe waits until the host has read it, which is the same hang;
    // only a file has buffers worth flushing.
    if (WriteFile(output, slot.line, static_cast<DWORD>(bytes), &done, nullptr) &&
        GetFileType(output) == FILE_TYPE_DISK) {
      FlushFileBuffers(output);
    }
  }
  if (first) InterlockedExchange(&slot.printing, 0);
  return first;
}

int ExitCodeOfResult(ResultSlot& slot) {
  EnterCriticalSection(&slot.lock);
  const int code = slot.written ? slot.writtenCode : slot.code;
  LeaveCriticalSection(&slot.lock);
  return code;
}

void WaitForPrintUnderWay(ResultSlot& slot) {
  // Another thread's write in progress gets a moment to land, but a write
  // that blocks must not keep us from ending. The grace is counted on the
  // clock: on a loaded machine each Sleep lasts longer than asked.
  const ULONGLONG deadline = GetTickCount64() + kPrintGraceMs;
  while (InterlockedCompareExchange(&slot.printing, 0, 0) != 0 && GetTickCount64() < deadline) Sleep(10);
}

int PrintResultForExit(ResultSlot& slot, HANDLE output) {
  if (!PrintResult(slot, output)) WaitForPrintUnderWay(slot);
  return ExitCodeOfResult(slot);
}

void PrintResultAndEndProcess(ResultSlot& slot) {
  PrintResult(slot, GetStdHandle(STD_OUTPUT_HANDLE));
  WaitForPrintUnderWay(slot);
  // TerminateProcess rather than ExitProcess: the line is already written, and
  // ExitProcess would first wait for the loader lock and run every DLL's
  // detach code, which is where a hung Windows Runtime call or a corrupted
  // process would keep us from ending at all.
  const UINT code = static_cast<UINT>(ExitCodeOfResult(slot));
  TerminateProcess(GetCurrentProcess(), code);
  ExitProcess(code);
}

ResultSlot& ProcessResultSlot() {
  static ResultSlot slot;
  return slot;
}
