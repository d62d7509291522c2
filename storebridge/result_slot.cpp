#include "storebridge/result_slot.h"

#include <cwchar>

namespace {

void CopyText(wchar_t* target, const wchar_t* text) {
  size_t length = wcsnlen(text, kResultTextChars - 1);
  // A cut between the halves of a surrogate pair would leave half a character.
  if (length == kResultTextChars - 1 && length > 0 && IS_HIGH_SURROGATE(text[length - 1])) --length;
  wmemcpy(target, text, length);
  target[length] = L'\0';
}

void Store(ResultSlot& slot, const wchar_t* text, int code, bool overwrite) {
  EnterCriticalSection(&slot.lock);
  if (!slot.set || overwrite) {
    CopyText(slot.text, text);
    slot.code = code;
    slot.set = true;
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
  if (first) {
    slot.written = true;
    if (output != nullptr && output != INVALID_HANDLE_VALUE) {
      const size_t bytes = EncodeResultLine(slot.text, slot.line, sizeof(slot.line));
      DWORD done = 0;
      if (bytes > 0 && WriteFile(output, slot.line, static_cast<DWORD>(bytes), &done, nullptr)) {
        FlushFileBuffers(output);
      }
    }
  }
  LeaveCriticalSection(&slot.lock);
  return first;
}

void PrintResultAndEndProcess(ResultSlot& slot) {
  PrintResult(slot, GetStdHandle(STD_OUTPUT_HANDLE));
  // TerminateProcess rather than ExitProcess: the line is already flushed, and
  // ExitProcess would first wait for the loader lock and run every DLL's
  // detach code, which is where a hung Windows Runtime call or a corrupted
  // process would keep us from ending at all.
  TerminateProcess(GetCurrentProcess(), static_cast<UINT>(ResultCode(slot)));
  ExitProcess(static_cast<UINT>(ResultCode(slot)));
}

ResultSlot& ProcessResultSlot() {
  static ResultSlot slot;
  return slot;
}
